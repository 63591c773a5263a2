// Shortcuts of the tests that need rows in the details database without a scan.
#pragma once

#include <string>

#include "DetailsDatabase.h"
#include "classData.h"

namespace karvio::testing {

// Records `entry`'s identity for its CD in the details database of `dataFile`, as a scan would.
inline bool RecordVolumeForTest(const std::string& dataFile, const VolumeEntry& entry) {
    classData data(dataFile);
    if (data.BeginWrite() != WriteAccess::Granted) return false;
    std::string note;
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForWriting(data, &note);
    DetailsCd cd;
    cd.cdId = entry.cdId;
    cd.lastScanned = entry.lastScanned;
    cd.files = entry.files;
    cd.volume = entry.identity;
    const bool recorded = db && db->PutCd(cd);
    data.EndWrite();
    return recorded;
}

}  // namespace karvio::testing
