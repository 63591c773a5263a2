// Reading records in place: the system file hands out its cached block or its append buffer
// without a copy, and only where a range lies in one piece; store reads fall back to copies
// elsewhere and give the same bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "../support/TempDir.h"
#include "CatalogueFile.h"

using namespace karvio;
using karvio::testing::TempDir;

TEST(FileView, InPlaceWhereTheBytesLieInOnePieceOnly) {
    TempDir dir;
    auto file = OpenCatalogueFile(dir.File("v.cd")).file;
    ASSERT_TRUE(file);
    std::vector<unsigned char> bytes(200000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
    ASSERT_TRUE(file->WriteAt(0, bytes.data(), bytes.size()));
    ASSERT_TRUE(file->Flush());
    ASSERT_TRUE(file->WriteAt(static_cast<int64_t>(bytes.size()), "tail", 4));  // still buffered

    auto same = [&](int64_t offset, size_t size) {
        const unsigned char* view = file->View(offset, size);
        return view && std::memcmp(view, bytes.data() + offset, size) == 0;
    };
    EXPECT_TRUE(same(0, 64));
    EXPECT_TRUE(same(65536 - 64, 64));
    EXPECT_FALSE(file->View(65536 - 32, 64));  // across two cached blocks
    EXPECT_TRUE(same(199000, 1000));
    EXPECT_FALSE(file->View(199990, 20));      // on into the append buffer
    const unsigned char* tail = file->View(200000, 4);
    ASSERT_TRUE(tail);
    EXPECT_EQ(std::memcmp(tail, "tail", 4), 0);
    EXPECT_FALSE(file->View(200002, 4));       // past the end
    EXPECT_FALSE(file->View(-1, 4));
    // A write below the buffer shows in the view at once.
    ASSERT_TRUE(file->WriteAt(100, "new", 3));
    const unsigned char* patched = file->View(100, 3);
    ASSERT_TRUE(patched);
    EXPECT_EQ(std::memcmp(patched, "new", 3), 0);
}
