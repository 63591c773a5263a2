// Backup and compaction. CopyCatalogue re-appends every live category, CD, directory and file of
// the program's data file, in list order, into a fresh catalogue, so the copy holds no dead bytes
// and every record gets a new id. BackupDataFile writes such a copy to a file the user chose;
// CompactDataFiles swaps one in for the data file and keeps the previous file under its "bak"
// name. Progress goes through the progress seam, the current CD and the cancel button through
// the caller's callbacks. Each call opens and releases its own store objects; user-interface
// thread.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "CatalogueCheck.h"
#include "Messages.h"

namespace karvio {

struct CopyCallbacks {
    // Shown in the progress window before each CD: "Processing : " and the CD's name.
    std::function<void(const std::string& label)> showLabel;
    // Asked after every copied file and directory; true ends the copy at once.
    std::function<bool()> cancelRequested;
    // Told of every CD copied: its id in the data file and its id in the copy.
    std::function<void(int32_t oldId, int32_t newId)> cdCopied;
    // Told of every category copied, likewise.
    std::function<void(int32_t oldId, int32_t newId)> categoryCopied;
    // Told of every file copied, likewise (when set).
    std::function<void(int32_t oldId, int32_t newId)> fileCopied;
};

// What a copy wrote.
struct CopyCounts {
    int64_t cds = 0, categories = 0, directories = 0, files = 0;
};

struct CopyOptions {
    // Copies what can be read of a damaged catalogue: each list as far as it goes, texts that lie
    // outside the file as empty ones, and every CD's counts and size made to agree with what
    // the copy holds. Without it the data file must pass its opening check.
    bool salvage = false;
    CopyCounts* counts = nullptr;  // told what was written, when set
};

// Copies the live catalogue of the data file (GetDataFileName) into a new catalogue at `target`,
// replacing whatever file is there. Returns the data file's path when the copy is complete; the
// empty text when it was cancelled (`error` empty) or could not be made (`error` says why: the
// target is the data file itself, or a file cannot be opened). Read and write errors inside the
// store end the program with their numbered messages, as everywhere.
std::string CopyCatalogue(const std::string& target, const CopyCallbacks& callbacks = {},
                          std::string* error = nullptr, const CopyOptions& options = {});

enum class MaintenanceOutcome {
    Done,
    Damaged,    // the catalogue failed its check (`damage` says how); nothing was changed
    Declined,   // the user answered the question with anything but Yes
    Refused,    // a backup onto the data file itself
    Cancelled,  // the cancel callback stopped the copy
    Failed,     // `error` says why; the data file is as it was
};

struct MaintenanceResult {
    MaintenanceOutcome outcome = MaintenanceOutcome::Failed;
    std::string error;     // why it failed; with Done, what went wrong after the data file was in place
    std::string dataFile;  // the data file (symbolic links resolved)
    std::string bakFile;   // compaction: where the previous data file is kept
    CheckReport damage;    // the data file's check, when it found damage
    bool salvaged = false; // a damaged catalogue was salvaged: `bakFile` is the damaged original
};

// The question compaction asks first.
inline constexpr const char* kCompactQuestion =
    KARVIO_TRANSLATE_NOOP("Messages", "Compact Data Files ??");

// Where a salvaging compaction keeps the damaged data file: beside it, under its name with
// ".damaged-" and the date and time (local, YYYYMMDD-HHMMSS) before its extension.
std::string DamagedPathOf(const std::string& dataFile, std::time_t when);

// The compaction command. Asks KARVIO_TRANSLATE_NOOP("Messages", "Compact Data Files ??"); on Yes
// removes the program's leftover report pages ("cd_" + six digits + ".tmp") from `reportDir` (the
// report page directory when empty), copies the catalogue into a work file of its own in the data
// file's directory, syncs it and renames it over the data file; the previous file then takes the
// "bak" name. The whole run, swap included, holds the data file's write lock, so no other program's
// change falls between the copy and the swap; a catalogue being changed by another program, or
// read-only, is not compacted (Failed, with the reason). At every moment the data file's name and
// the "bak" name each hold a complete catalogue; whatever fails before the copy is in place leaves
// both files as they were. `ask` false: the caller has asked the question already (on the thread
// that shows messages).
//
// Every record the copy takes is first checked (CheckCatalogue, under the lock): a damaged
// catalogue is not compacted (Damaged, nothing changed) unless `salvage` is set. A salvage copies
// what can be read (CopyOptions::salvage) and keeps the damaged file beside the data file under
// a new dated name (DamagedPathOf), leaving the "bak" copy, made from a sound file, as it is.
MaintenanceResult CompactDataFiles(const CopyCallbacks& callbacks = {}, const std::string& reportDir = {},
                                   bool ask = true, bool salvage = false);

// The backup command, for a target the user chose. A target that is the data file (by identity:
// another spelling, a symbolic or a hard link) is refused with "Cannot backup to the current data
// file!!". The copy is written to a fresh work file in the target's folder, created there without
// following any link, and renamed over the target's name when complete: a cancelled or failed
// backup leaves the target as it was, and a symbolic link at the target's name is replaced
// itself, never the file it points at. A damaged catalogue is not backed up (Damaged) unless
// `salvage` is set; a salvaged copy never replaces an existing file.
MaintenanceResult BackupDataFile(const std::string& target, const CopyCallbacks& callbacks = {},
                                 bool salvage = false);

// The name the previous data file keeps after compaction: its file name's extension replaced
// by "bak" ("bak" appended when it has none); a data file already named so gets ".bak" added.
std::string BakPathOf(const std::string& dataFile);

// The work files of a compaction, in the data file's own directory: the copy and the previous
// file's second name. Each name holds the data file's name and is unique to one run
// ("~Temp_cd.<name>.XXXXXX"), so runs on other catalogues in the folder never touch it; one left
// by a killed run is removed by the next compaction of the same catalogue, when no run holds it.
inline constexpr const char* kCompactionWorkFile = "~Temp_cd.";
inline constexpr const char* kPreviousWorkFile = "~Temp_bak.";
// The prefix of the work files that belong to `dataFile`.
std::string WorkFilePrefix(const char* kind, const std::string& dataFile);

// Replaces the rename that swaps files in (tests make it fail); an empty function restores
// rename(2). Returns the previous one. The function returns 0 on success, like rename(2).
using RenameFunction = std::function<int(const std::string& from, const std::string& to)>;
RenameFunction SetRenameFunction(RenameFunction rename);

}  // namespace karvio
