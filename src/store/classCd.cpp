#include "classCd.h"

#include "CatalogueText.h"

namespace karvio {

namespace {
constexpr int kReadRecord = 2201, kWriteRecord = 2101;
constexpr int kReadName = 2202, kReadBasepath = 2203, kReadNotes = 2204, kReadLabel = 2205;
constexpr int kWriteName = 2102, kWriteNotes = 2103, kWriteLabel = 2104, kWriteBasepath = 2105;
}  // namespace

classCd::classCd() : dir_(std::make_unique<classDir>()) {}

void classCd::ReadAt(int32_t id) {
    ReadRecordAt(file_.get(), id, rec_, kReadRecord);
    nextOnDisk_ = rec_.NextRecord;
}

int32_t classCd::recordAdd() {
    const int32_t id = NextAppendPosition(file_.get(), kWriteRecord);
    rec_.CdId = id;
    rec_.NextRecord = nextOnDisk_ = 0;
    rec_.PrevRecord = 0;
    rec_.DirFirst = 0;
    rec_.CdNumOfSubdirs = 0;
    rec_.CdNumOfFiles = 0;
    rec_.CdSpaceUsed = static_cast<int32_t>(CdRecord::kSize) + rec_.CdName.len + rec_.CdNotes.len +
                       rec_.CdLabel.len + rec_.CdBasepath.len;
    WriteRecordAt(file_.get(), id, rec_, kWriteRecord);
    dir_->SetAppendStart(id);
    return id;
}

void classCd::recordUpdate() {
    CdRecord disk = rec_;
    if (disk.NextRecord == -1) disk.NextRecord = nextOnDisk_;
    WriteRecordAt(file_.get(), rec_.CdId, disk, kWriteRecord);
}

bool classCd::Search(const std::string& strSearch, bool lSearchPathName, bool lSearchCdName,
                     bool lSearchComments, int nSearchCriteria) {
    const TextMatcher matcher(strSearch, nSearchCriteria);
    if (lSearchPathName && matcher.Matches(GetCdBasepath())) return true;
    if (lSearchCdName && matcher.Matches(GetCdName())) return true;
    return lSearchComments && matcher.Matches(GetCdNotes());
}

void classCd::MoveFirst() {
    walk_.Start(cdFirst_, 0, file_ ? file_->Length() : 0);
    ReadWanted();
}

void classCd::MoveNext() {
    if (isEof()) return;
    walk_.Advance(rec_);
    ReadWanted();
}

void classCd::ReadWanted() {
    if (walk_.Want() == 0) {
        rec_.NextRecord = -1;
        return;
    }
    ReadAt(walk_.Want());
    if (!walk_.Take(rec_)) rec_.NextRecord = -1;
}

void classCd::MoveAbsolute(int32_t nRecord) {
    if (nRecord == rec_.CdId) return;
    ReadAt(nRecord);
    // A walk may go on from here.
    walk_.Start(nRecord, 0, file_ ? file_->Length() : 0);
    if (walk_.Want() == nRecord) walk_.Take(rec_);
    dir_->SetDefaultCdRec(rec_.CdId, rec_.DirFirst, rec_.DirLast);
}

std::string classCd::GetCdName() { return ReadText(file_.get(), rec_.CdName, kReadName); }

std::string classCd::GetCdNotes() { return ReadText(file_.get(), rec_.CdNotes, kReadNotes); }

std::string classCd::GetCdLabel() { return ReadText(file_.get(), rec_.CdLabel, kReadLabel); }

std::string classCd::GetCdBasepath() {
    std::string path = ReadText(file_.get(), rec_.CdBasepath, kReadBasepath);
    return path.empty() ? "\\" : path;
}

void classCd::SetText(const std::string& text, StringSlot& slot, int code) {
    rec_.CdSpaceUsed -= slot.len;
    slot = AppendText(file_.get(), text, code);
    rec_.CdSpaceUsed += slot.len;
}

void classCd::setCdCategory(int32_t nCategory, bool lCommit) {
    rec_.CdCategory = nCategory;
    if (lCommit) recordUpdate();
}

void classCd::SetCdName(const std::string& strCdName, bool lCommit) {
    SetText(strCdName, rec_.CdName, kWriteName);
    if (lCommit) recordUpdate();
}

void classCd::SetCdNotes(const std::string& strCdNotes, bool lCommit) {
    SetText(strCdNotes, rec_.CdNotes, kWriteNotes);
    if (lCommit) recordUpdate();
}

void classCd::SetCdLabel(const std::string& label) { SetText(label, rec_.CdLabel, kWriteLabel); }

void classCd::SetCdBasepath(const std::string& path) {
    const bool strip = path.size() >= 2 && path[0] == '\\';
    SetText(strip ? path.substr(1) : path, rec_.CdBasepath, kWriteBasepath);
}

void classCd::SetDefaultCdRec(int32_t RecFirst, int32_t RecLast) {
    cdFirst_ = RecFirst;
    cdLast_ = RecLast;
}

void classCd::SetCdNextRecord(int32_t id) {
    rec_.NextRecord = nextOnDisk_ = id;
    recordUpdate();
}

void classCd::SetCdPrevRecord(int32_t id) {
    rec_.PrevRecord = id;
    recordUpdate();
}

void classCd::UpdateSpaceUsed(int32_t nDiff) {
    rec_.CdSpaceUsed += nDiff;
    recordUpdate();
}

int16_t classCd::GetError() {
    const int16_t error = error_;
    error_ = 0;
    return error;
}

int32_t classCd::DebugData() {
    int32_t walked = 0;
    for (MoveFirst(); !isEof(); MoveNext()) {
        GetCdName();
        ++walked;
    }
    return walked;
}

void classCd::OpenFiles(std::shared_ptr<CatalogueFile> file) {
    file_ = file;
    dir_->OpenFiles(std::move(file));
}

classDir& classCd::GetDirGoto(int32_t id) {
    if (id > 0) dir_->MoveAbsolute(id);
    return *dir_;
}

classDir& classCd::GetDirFirst() {
    dir_->SetDefaultCdRec(rec_.CdId, rec_.DirFirst, rec_.DirLast);
    dir_->MoveFirst();
    return *dir_;
}

classDir& classCd::GetDirNext() {
    dir_->MoveNext();
    return *dir_;
}

classDir& classCd::GetDirAppend() {
    dir_->recordAdd();
    return *dir_;
}

void classCd::GetDirAppendFinish() {
    rec_.CdSpaceUsed += dir_->GetSpaceUsed();
    rec_.DirFirst = dir_->getDirRecFirst();
    rec_.DirLast = dir_->getDirRecLast();
    recordUpdate();
}

}  // namespace karvio
