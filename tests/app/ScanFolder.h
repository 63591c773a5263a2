// Scans a folder as a new disc of the test's catalogue, as the scan window would.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ScanEngine.h"

namespace karvio::testing {

// The folder (a path ending without "/") catalogued under `name` with the scan options given;
// the new disc's id.
inline int32_t ScanFolderAsCd(const std::string& folder, const std::string& name,
                              uint32_t options = 0) {
    ScanEngine engine;
    engine.SetVars(0, folder + "/", name, "", "", 0);
    engine.SetScanOptions(options);
    int32_t id = 0;
    engine.ScanCd(id);
    EXPECT_GT(id, 0);
    return id;
}

}  // namespace karvio::testing
