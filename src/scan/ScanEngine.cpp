#include "ScanEngine.h"

#include <memory>

#include "CatalogueDate.h"
#include "CatalogueDetails.h"
#include "Messages.h"
#include "Progress.h"
#include "RescanMatcher.h"
#include "ScanDetails.h"
#include "TransferRecords.h"
#include "VolumeLocator.h"
#include "VolumeServices.h"

namespace karvio {

void ScanEngine::SetVars(int32_t cdId, const std::string& path, const std::string& name,
                         const std::string& notes, const std::string& volumeLabel, int32_t categoryId) {
    oldCdId_ = cdId;
    scanPath_ = path;
    cdName_ = name;
    cdNotes_ = notes;
    volumeLabel_ = volumeLabel;
    categoryId_ = categoryId;
    replaced_.reset();
    options_.reset();
    stopRequested_ = false;
    scanning_ = false;
}

void ScanEngine::ScanCd(int32_t& newId) {
    YieldNow();
    RunScan();
    // A stop asked for after the CD was linked comes too late: the CD is in the catalogue, and
    // the caller must hear of it.
    newId = committed_ ? newCdId_ : 0;
}

bool ScanEngine::Cancel() {
    if (!scanning_) return false;
    if (!stopRequested_ && ShowMessage(kCancelScanQuestion, vbYesNoCancel) == vbYes) {
        stopRequested_ = true;
    }
    return stopRequested_;
}

void ScanEngine::RunScan() {
    struct ScanningScope {
        bool& flag;
        explicit ScanningScope(bool& f) : flag(f) { flag = true; }
        ~ScanningScope() { flag = false; }
    } scanning(scanning_);
    totals_ = ScanCounts{};
    newCdId_ = 0;
    committed_ = false;
    skipped_.clear();
    skippedCount_ = 0;
    tooLarge_ = false;

    auto data = std::make_unique<classData>();
    // No other program writes from the first append to the final details.
    const WriteAccess access = data->BeginWrite(WriteLockWait(), true);
    if (access != WriteAccess::Granted) {
        ShowMessage("The CD cannot be added: " + classData::WriteAccessText(access), vbOKOnly);
        stopRequested_ = true;
        YieldNow();
        return;
    }
    // The CD to replace must still be the one the user chose: another program may have removed,
    // rescanned or compacted it away since.
    if (oldCdId_ != 0 &&
        !CatalogueEdits::IsCurrent(*data, replaced_ ? *replaced_ : HeldRecord::Of(RecordKind::Cd, oldCdId_))) {
        data->EndWrite();
        ShowMessage(std::string(kCatalogueChangedText) + " The CD was not rescanned.", vbOKOnly);
        stopRequested_ = true;
        YieldNow();
        return;
    }
    // Room for the CD record and its texts, and for the walk's first records, before anything is
    // written.
    const int64_t reserve = static_cast<int64_t>(CdRecord::kSize + cdName_.size() + volumeLabel_.size() +
                                                 scanPath_.size() + cdNotes_.size()) + (1 << 20);
    if (data->File()->Length() + reserve > kMaxCatalogueLength) {
        tooLarge_ = true;
        ShowMessage(std::string("The CD cannot be added: ") + kCatalogueFullText, vbOKOnly);
        stopRequested_ = true;
        data->EndWrite();
        YieldNow();
        return;
    }
    // A stopped or failed scan gives its appended space back.
    data->File()->MarkAppendStart();
    auto oldData = std::make_unique<classData>();

    // The CD record comes first; it stays out of the CD list until the walk has finished.
    std::unique_ptr<RescanMatcher> matcher;
    isRescan_ = oldCdId_ != 0;
    uint32_t oldOptions = 0;
    std::unique_ptr<DetailsDatabase> details = OpenDetails(*data, oldOptions);
    if (isRescan_) {
        newCdId_ = AddCdInfo(*data, CdInfo{});
        matcher = std::make_unique<RescanMatcher>(*oldData, oldCdId_);
    } else {
        CdInfo blank;
        blank.CdLastScanned = DateNow();
        newCdId_ = AddCdInfo(*data, blank);
    }

    const std::string given = scanPath_;
    scanPath_ = GetTruePathCase(scanPath_);
    const bool walked = !scanPath_.empty();
    std::unique_ptr<ScanDetails> reader;
    if (scanPath_.empty()) {
        // Nothing there to walk: the CD gets no directories and zero totals.
        scanPath_ = given;
    } else {
        const int32_t attr = GetDirAttributes(scanPath_);
        const double date = GetFolderDate(scanPath_);
        if (details && *options_ != 0) {
            reader = std::make_unique<ScanDetails>(*details, *options_, newCdId_, isRescan_ ? oldCdId_ : 0,
                                                   oldOptions, stopRequested_);
        }
        ScanWalk walk(*data, newCdId_, stopRequested_, matcher.get(), progress_, reader.get());
        walk.SetReserve(reserve);
        totals_ = walk.Walk(scanPath_, attr, date);
        skipped_ = walk.Skipped();
        skippedCount_ = walk.SkippedCount();
        tooLarge_ = walk.TooLarge();
        if (tooLarge_) stopRequested_ = true;
        if (reader && stopRequested_) reader->Stop();
    }

    if (tooLarge_) {
        // Refused as a whole: a CD catalogued only up to the limit would look complete.
        stopRequested_ = true;
        ShowMessage(std::string("The CD was not added: ") + kCatalogueFullText, vbOKOnly);
    }
    if (!stopRequested_) {
        CdInfo cd;
        cd.CdId = newCdId_;
        cd.CdName = cdName_;
        cd.CdLabel = volumeLabel_;
        cd.CdNotes = cdNotes_;
        cd.CdBasepath = scanPath_;
        cd.CdCategory = categoryId_;
        cd.CdFreeSpace = GetDiskFreeBytes(scanPath_);
        cd.CdTotalSize = totals_.bytes;
        cd.CdNumOfFiles = totals_.files;
        cd.CdNumOfSubdirs = totals_.directories;
        cd.CdLastScanned = DateNow();
        cd.CdMediaType = GetMediaType(scanPath_);
        // The details go in before the CD is linked, so a CD in the list never lacks them; the
        // readers' last batch, the details carried over and the CD's row make one transaction.
        if (reader) {
            std::string error;
            if (!reader->Finish(DetailsRowOf(cd, walked), &error)) DetailsNotSaved(error);
            // Files that could not be hashed are told with the places the walk could not read.
            for (ScanSkip& problem : reader->HashProblems()) {
                ++skippedCount_;
                if (skipped_.size() < kMaxSkipsListed) skipped_.push_back(std::move(problem));
            }
            reader.reset();
        } else {
            details = RecordDetails(*data, cd, walked, std::move(details));
        }
        CommitScannedCd(*data, cd, oldCdId_);
        committed_ = true;
        data->File()->ClearAppendStart();
        // The CD the rescan replaced is unlinked now; its details go with it.
        if (oldCdId_ > 0 && details && !details->DropCd(oldCdId_)) DetailsNotSaved(details->Error());
    } else {
        reader.reset();
        data->File()->GiveBackAppends();
        // What the readers wrote belongs to records that are no longer there.
        if (details && !details->DropCd(newCdId_)) DetailsNotSaved(details->Error());
    }
    matcher.reset();
    oldData.reset();
    data->EndWrite();
    data.reset();
    YieldNow();
}

std::unique_ptr<DetailsDatabase> ScanEngine::OpenDetails(classData& data, uint32_t& oldOptions) {
    oldOptions = 0;
    std::string note;
    std::unique_ptr<DetailsDatabase> db;
    if (isRescan_ || options_.value_or(0) != 0) {
        db = DetailsDatabase::OpenForWriting(data, &note, options_.value_or(0) != 0);
        if (!note.empty()) ShowMessage(note, vbOKOnly);
    }
    if (db && isRescan_) {
        if (std::optional<DetailsCd> old = RecordedCdDetails(*db, data, oldCdId_)) oldOptions = old->options;
    }
    if (!options_) options_ = oldOptions;
    // Rows keyed beyond the end of the file belong to a scan whose space was given back: the
    // records appended now must not inherit them.
    if (db && *options_ != 0 && !db->DropBeyond(data.File()->Length())) DetailsNotSaved(db->Error());
    return db;
}

uint32_t ScanEngine::OptionsScannedWith(int32_t cdId) {
    classData data;
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data);
    if (!db || cdId <= 0) return 0;
    const std::optional<DetailsCd> cd = RecordedCdDetails(*db, data, cdId);
    return cd ? cd->options : 0;
}

DetailsCd ScanEngine::DetailsRowOf(const CdInfo& cd, bool walked) const {
    DetailsCd row;
    row.cdId = cd.CdId;
    row.lastScanned = cd.CdLastScanned;
    row.files = cd.CdNumOfFiles;
    row.options = options_.value_or(0);
    // A volume that was not there to walk has no identity.
    row.volume = walked ? IdentityOfFolder(cd.CdBasepath) : std::nullopt;
    return row;
}

std::unique_ptr<DetailsDatabase> ScanEngine::RecordDetails(classData& data, const CdInfo& cd, bool walked,
                                                           std::unique_ptr<DetailsDatabase> db) {
    // Still under the write lock: the row belongs to the CD about to be linked. A CD with
    // neither identity nor details needs no row, and no database is made for it.
    const DetailsCd row = DetailsRowOf(cd, walked);
    const bool needed = row.volume.has_value() || row.options != 0;
    if (!db) {
        std::string note;
        db = DetailsDatabase::OpenForWriting(data, &note, needed);
        if (!note.empty()) ShowMessage(note, vbOKOnly);
        if (!db) return nullptr;
    }
    if (needed && !db->PutCd(row)) DetailsNotSaved(db->Error());
    return db;
}

void ScanEngine::DetailsNotSaved(const std::string& error) {
    ShowMessage("The CD was catalogued, but its details were not saved: " + error, vbOKOnly);
}

}  // namespace karvio
