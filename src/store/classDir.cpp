#include "classDir.h"

#include "CatalogueText.h"

namespace karvio {

namespace {
constexpr int kReadRecord = 2211, kWriteRecord = 2110;
constexpr int kReadName = 2112, kReadPath = 2113, kReadNotes = 2114;
constexpr int kWriteName = 2111, kWriteNotes = 2112, kWritePath = 2113;
}  // namespace

classDir::classDir() : file_cursor_(std::make_unique<ClassFile>()) {}

// A run that was never committed (a stopped scan) ends here; nothing points at what it wrote.
classDir::~classDir() { xxSetAppendFinish(); }

void classDir::ReadAt(int32_t id) {
    ReadRecordAt(file_.get(), id, rec_, kReadRecord);
    nextOnDisk_ = rec_.DirNext;
}

int32_t classDir::recordAdd() {
    const int32_t id = NextAppendPosition(file_.get(), kWriteRecord);
    rec_.DirId = id;
    rec_.DirCdId = listCdId_;
    rec_.DirNext = nextOnDisk_ = 0;
    rec_.FileFirst = 0;
    rec_.DirCountOfFiles = 0;
    rec_.DirCountOfDirs = 0;
    WriteRecordAt(file_.get(), id, rec_, kWriteRecord);
    if (listLast_ > 0) {
        ReadAt(listLast_);
        rec_.DirNext = nextOnDisk_ = id;
        WriteRecordAt(file_.get(), listLast_, rec_, kWriteRecord);
        ReadAt(id);
    }
    if (listFirst_ == 0) listFirst_ = id;
    listLast_ = id;
    appendSpace_ += static_cast<int32_t>(DirRecord::kSize);
    ++appendCount_;
    return id;
}

void classDir::recordUpdate() {
    DirRecord disk = rec_;
    if (disk.DirNext == -1) disk.DirNext = nextOnDisk_;
    WriteRecordAt(file_.get(), rec_.DirId, disk, kWriteRecord);
}

bool classDir::Search(const std::string& strSearch, bool lSearchPathName, bool lSearchDirName,
                      bool lSearchComments, int nSearchCriteria) {
    const TextMatcher matcher(strSearch, nSearchCriteria);
    if (lSearchPathName && matcher.Matches(GetDirPath())) return true;
    if (lSearchDirName && matcher.Matches(GetDirName())) return true;
    return lSearchComments && matcher.Matches(GetDirNotes());
}

void classDir::MoveFirst() {
    walk_.Start(listFirst_, listCdId_, file_ ? file_->Length() : 0);
    ReadWanted();
}

void classDir::MoveNext() {
    if (isEof()) return;
    walk_.Advance(rec_);
    ReadWanted();
}

void classDir::ReadWanted() {
    if (walk_.Want() == 0) {
        rec_.DirNext = -1;
        return;
    }
    ReadAt(walk_.Want());
    if (!walk_.Take(rec_)) rec_.DirNext = -1;
}

void classDir::MoveAbsolute(int32_t nRecord) {
    ReadAt(nRecord);
    walk_.Start(nRecord, listCdId_, file_ ? file_->Length() : 0);
    if (walk_.Want() == nRecord) walk_.Take(rec_);
    file_cursor_->uSetDefaults(listCdId_, nRecord, rec_.FileFirst);
}

std::string classDir::GetDirName() { return ReadText(file_.get(), rec_.DirName, kReadName); }

std::string classDir::GetDirNotes() { return ReadText(file_.get(), rec_.DirNotes, kReadNotes); }

std::string classDir::GetDirPath() {
    std::string path = ReadText(file_.get(), rec_.DirPath, kReadPath);
    return path.empty() ? "\\" : path;
}

std::string classDir::GetDirFullName() { return JoinCataloguePath(GetDirPath(), GetDirName()); }

int32_t classDir::AppendText(const std::string& text, StringSlot& slot, int code) {
    const int32_t oldLength = slot.len;
    slot = karvio::AppendText(file_.get(), text, code);
    appendSpace_ += slot.len;
    return slot.len - oldLength;
}

void classDir::SetDirName(const std::string& name) { AppendText(name, rec_.DirName, kWriteName); }

int32_t classDir::SetDirNotes(const std::string& strDirNotes, bool lCommit) {
    const int32_t change = AppendText(strDirNotes, rec_.DirNotes, kWriteNotes);
    if (lCommit) recordUpdate();
    return change;
}

void classDir::SetDirPath(const std::string& path) {
    const bool strip = path.size() >= 2 && path[0] == '\\';
    AppendText(strip ? path.substr(1) : path, rec_.DirPath, kWritePath);
}

bool classDir::xxSetAppendFinish() {
    if (!appendOpen_) return true;
    appendOpen_ = false;
    return !file_ || file_->EndBatch();
}

void classDir::SetAppendStart(int32_t cdId) {
    // The records of an append run are unreachable until the CD is committed, so the file may
    // hold them in memory and write them in large pieces.
    if (!appendOpen_ && file_) file_->BeginBatch();
    listCdId_ = cdId;
    listFirst_ = listLast_ = 0;
    appendSpace_ = 0;
    appendCount_ = 0;
    appendOpen_ = true;
}

void classDir::SetDefaultCdRec(int32_t cdId, int32_t first, int32_t last) {
    if (appendOpen_) return;
    listCdId_ = cdId;
    listFirst_ = first;
    listLast_ = last;
}

void classDir::updateDirSize(double size, int32_t nDirCount, int32_t nFileCount,
                             int32_t nFileCountDirect) {
    rec_.DirSize = size;
    rec_.DirCountOfDirs = nDirCount;
    rec_.DirCountOfFiles = nFileCount;
    rec_.DirCountOfFilesDirect = nFileCountDirect;
    recordUpdate();
}

int16_t classDir::GetError() {
    const int16_t error = error_;
    error_ = 0;
    return error;
}

int32_t classDir::DebugData() {
    int32_t walked = 0;
    for (MoveFirst(); !isEof(); MoveNext()) {
        GetDirPath();
        GetDirName();
        ++walked;
    }
    return walked;
}

void classDir::OpenFiles(std::shared_ptr<CatalogueFile> file) {
    xxSetAppendFinish();
    file_ = file;
    file_cursor_->OpenFiles(std::move(file));
}

ClassFile& classDir::GetFileGoto(int32_t id) {
    if (id > 0) file_cursor_->MoveAbsolute(id);
    return *file_cursor_;
}

ClassFile& classDir::GetFileFirst() {
    file_cursor_->uSetDefaults(rec_.DirCdId, rec_.DirId, rec_.FileFirst);
    file_cursor_->MoveFirst();
    return *file_cursor_;
}

ClassFile& classDir::GetFileNext() {
    file_cursor_->MoveNext();
    return *file_cursor_;
}

ClassFile& classDir::GetFileAppend() {
    file_cursor_->uRecordAdd();
    return *file_cursor_;
}

void classDir::GetFileAppendStart() { file_cursor_->uSetAppendStart(rec_.DirCdId, rec_.DirId); }

void classDir::GetFileAppendFinish() {
    if (rec_.DirId == 0) return;
    appendSpace_ += file_cursor_->uGetSpaceUsed();
    rec_.FileFirst = file_cursor_->uGetFileRecFirst();
    rec_.FileLast = file_cursor_->uGetFileRecLast();
    recordUpdate();
}

}  // namespace karvio
