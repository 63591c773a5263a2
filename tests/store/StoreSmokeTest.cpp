#include <gtest/gtest.h>

#include "classData.h"

TEST(StoreSmoke, Builds) { SUCCEED(); }
