// Reads a disc again against its catalogue: walks the folder it is mounted at now, compares the
// tree with the CD's, then reads every file that is still there to its end, so that a failing
// disc shows as files that can no longer be read, and files whose contents changed behind the
// catalogue's back (same size and date, other bytes) show where the catalogue holds their
// content hashes. Changes nothing. Runs on the caller's thread; progress through a callback.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CatalogueListing.h"
#include "TreeComparison.h"

namespace karvio {

enum class VerifyStatus {
    Missing,           // catalogued, not on the disc
    New,               // on the disc, not catalogued
    Changed,           // size, date or kind differ from the catalogue
    ContentChanged,    // same size and date, other contents (bit rot)
    Unreadable,        // the disc did not give the bytes (I/O error), or a folder could not be listed
    Vanished,          // went away while it was verified
    ChangedWhileRead,  // was being changed while it was read
};

struct VerifyFinding {
    VerifyStatus status = VerifyStatus::Missing;
    std::string path;  // below the scanned folder, "/"-separated
    bool directory = false;
    std::string detail;      // what changed ("size,date"), or the system's words for an error
    int32_t recordId = 0;    // the catalogue's record, 0 for a new entry
};

struct VerifyReport {
    std::string folder;  // where the disc was read
    std::vector<VerifyFinding> findings;  // in path order
    int64_t filesChecked = 0;  // catalogued files found on the disc
    int64_t filesRead = 0;     // read to their end
    int64_t bytesRead = 0;
    int64_t filesHashed = 0;   // compared with a recorded hash
    bool stopped = false;
    // A read error of the medium ended the listing of some folder: what the report says of the
    // entries below it may be missing or incomplete.
    bool ioError = false;
    bool Partial() const { return stopped || ioError; }
    bool Differs() const { return !findings.empty(); }
};

struct VerifyProgress {
    int64_t filesDone = 0, filesTotal = 0;
    int64_t bytesDone = 0, bytesTotal = 0;
    std::string path;  // of the file being read
};
using VerifyProgressCallback = std::function<void(const VerifyProgress&)>;

// Verifies the catalogued tree `catalogue` against the folder `folder`. `hashes` (may be empty)
// gives the recorded content hashes by file record id.
VerifyReport VerifyDisc(const FileListing& catalogue, const std::string& folder, const HashLookup& hashes,
                        const std::atomic<bool>* stop = nullptr, const VerifyProgressCallback& progress = {});

// Where CD `cdId` of `data` is to be read now: the folder of the mounted volume that holds it
// (found by its recorded identity), else its stored base path while that is a folder; empty when
// it is in neither place. REQUIRES: `cdId` names a listed CD.
std::string CurrentFolderOfCd(classData& data, int32_t cdId);

// "missing", "new", "changed", "content_changed", "unreadable", "vanished", "changed_while_read".
const char* VerifyStatusName(VerifyStatus status);

}  // namespace karvio
