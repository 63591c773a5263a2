// The scan engine: turns a drive or folder into one CD entry of the catalogue. SetVars takes what
// the scan dialog collected; ScanCd appends an unlinked CD, walks the tree into it (ScanWalk),
// links it and writes its details; a rescan carries the notes of what is still there over from
// the old CD (RescanMatcher) and then removes the old CD. A stopped scan links nothing. Owns its
// two store objects for the duration of ScanCd; user-interface thread only (Cancel is meant to be
// called from the yield hook or an event handler while ScanCd runs).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CatalogueEdits.h"
#include "DetailsDatabase.h"
#include "Messages.h"
#include "ScanWalk.h"
#include "TransferRecords.h"

namespace karvio {

// The question Cancel asks while a scan runs.
inline constexpr const char* kCancelScanQuestion =
    KARVIO_TRANSLATE_NOOP("Messages", "Are You Sure You Want To Cancel !!");

class ScanEngine {
public:
    // Remembers what to scan: the CD to rescan (0 for a new scan), the path (a native path; the
    // scan dialog gives a folder with its trailing "/"), the CD's name, notes, volume label and
    // category. Clears the stop request.
    void SetVars(int32_t cdId, const std::string& path, const std::string& name,
                 const std::string& notes, const std::string& volumeLabel, int32_t categoryId);

    // For a rescan: the CD as the caller showed it. The rescan replaces it only when it is still
    // that CD when the scan takes the write lock; without this, any CD at the id is replaced.
    void SetReplacedCd(const HeldRecord& cd) { replaced_ = cd; }

    // What the scan reads beyond names, sizes and dates (ScanOption bits); called after SetVars,
    // which forgets the last options. Without it a new scan reads nothing more, and a rescan
    // reads what the CD was scanned with.
    void SetScanOptions(uint32_t options) { options_ = options; }
    // The options of the last scan (after ScanCd) or the ones given.
    std::optional<uint32_t> ScanOptions() const { return options_; }
    // The options CD `cdId` of the program's catalogue was last scanned with (0 when none).
    static uint32_t OptionsScannedWith(int32_t cdId);

    // Runs the scan. `newId` receives the id of the new CD, or 0 when the user stopped it.
    void ScanCd(int32_t& newId);

    // While a scan runs, asks KARVIO_TRANSLATE_NOOP("Messages", "Are You Sure You Want To Cancel
    // !!") (Yes, No, Cancel) and on Yes makes the walk stop after the entry it is working on. True
    // when the scan is stopping.
    bool Cancel();

    // While a scan runs, makes the walk stop without asking, as Cancel does on Yes: for a scan
    // that can no longer go on (its medium was removed). Nothing is linked.
    void Stop() {
        if (scanning_) stopRequested_ = true;
    }

    // Where the walk reports its progress (not owned; null for none).
    void SetProgress(ScanProgress* progress) { progress_ = progress; }

    bool IsScanning() const { return scanning_; }
    bool StopRequested() const { return stopRequested_; }
    // The totals of the last walk: directories below the scanned folder, files, bytes.
    const ScanCounts& Totals() const { return totals_; }
    // The folders and files the last walk could not read (the first kMaxSkipsListed), and how
    // many there were: the CD was catalogued without what they hold.
    const std::vector<ScanSkip>& Skipped() const { return skipped_; }
    int64_t SkippedCount() const { return skippedCount_; }
    // The last scan was refused because the catalogue would have grown past its format's limit
    // (kCatalogueFullText); what it had appended was given back.
    bool WasTooLarge() const { return tooLarge_; }

private:
    void RunScan();
    // Records in the details database which volume the CD `cd` about to be linked was scanned
    // from; returns the database, open for the rest of the scan (null when there is none).
    std::unique_ptr<DetailsDatabase> RecordDetails(classData& data, const CdInfo& cd, bool walked,
                                                   std::unique_ptr<DetailsDatabase> db);
    // Opens the details database for a scan that reads details, and forgets what a stopped scan
    // left behind; null (after telling the user) when there is none to write.
    std::unique_ptr<DetailsDatabase> OpenDetails(classData& data, uint32_t& oldOptions);
    void DetailsNotSaved(const std::string& error);
    // The details row of the CD `cd` about to be linked.
    DetailsCd DetailsRowOf(const CdInfo& cd, bool walked) const;

    bool scanning_ = false;
    bool stopRequested_ = false;
    bool committed_ = false;  // the new CD is in the CD list
    bool isRescan_ = false;
    int32_t oldCdId_ = 0;
    std::optional<HeldRecord> replaced_;
    int32_t newCdId_ = 0;
    std::string scanPath_;
    std::string cdName_;
    std::string volumeLabel_;
    std::string cdNotes_;
    int32_t categoryId_ = 0;
    std::optional<uint32_t> options_;
    ScanCounts totals_;
    std::vector<ScanSkip> skipped_;
    int64_t skippedCount_ = 0;
    bool tooLarge_ = false;
    ScanProgress* progress_ = nullptr;
};

}  // namespace karvio
