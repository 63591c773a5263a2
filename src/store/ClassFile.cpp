#include "ClassFile.h"

#include "CatalogueText.h"

namespace karvio {

namespace {
constexpr int kReadRecord = 2115, kWriteRecord = 2114;
constexpr int kReadName = 2116, kReadPath = 2117, kReadNotes = 2118;
constexpr int kWriteName = 2115, kWriteNotes = 2116, kWritePath = 2117;
}  // namespace

std::string JoinCataloguePath(const std::string& path, const std::string& name) {
    std::string full;
    full.reserve(path.size() + 1 + name.size());
    // The root's path "\\" adds nothing; any other path ends with one separator.
    if (path != "\\") full += path;
    if (path.empty() || path.back() != '\\') full += '\\';
    full += name;
    if (full == "\\") full.clear();
    return full;
}

void ClassFile::ReadAt(int32_t id) {
    ReadRecordAt(file_.get(), id, rec_, kReadRecord);
    nextOnDisk_ = rec_.FileNext;
}

int32_t ClassFile::uRecordAdd() {
    const int32_t id = NextAppendPosition(file_.get(), kWriteRecord);
    rec_.FileId = id;
    rec_.FileCdId = appendCdId_;
    rec_.FileDirId = appendDirId_;
    rec_.FileNext = nextOnDisk_ = 0;
    WriteRecordAt(file_.get(), id, rec_, kWriteRecord);
    if (last_ > 0) {
        ReadAt(last_);
        rec_.FileNext = nextOnDisk_ = id;
        WriteRecordAt(file_.get(), last_, rec_, kWriteRecord);
        ReadAt(id);
    }
    if (first_ == 0) first_ = id;
    last_ = id;
    appendSpace_ += static_cast<int32_t>(FileRecord::kSize);
    ++appendCount_;
    return id;
}

void ClassFile::uRecordUpdate() {
    FileRecord disk = rec_;
    if (disk.FileNext == -1) disk.FileNext = nextOnDisk_;
    WriteRecordAt(file_.get(), rec_.FileId, disk, kWriteRecord);
}

bool ClassFile::Search(const std::string& strSearch, bool /*lSearchPathName*/, bool lFileName,
                       bool lSearchComments, int nSearchCriteria) {
    const TextMatcher matcher(strSearch, nSearchCriteria);
    if (lFileName && matcher.Matches(GetFileName())) return true;
    return lSearchComments && matcher.Matches(GetFileNotes());
}

void ClassFile::MoveFirst() {
    walk_.Start(first_, appendDirId_, file_ ? file_->Length() : 0);
    ReadWanted();
}

void ClassFile::MoveNext() {
    if (isEof()) return;
    walk_.Advance(rec_);
    ReadWanted();
}

void ClassFile::ReadWanted() {
    if (walk_.Want() == 0) {
        rec_.FileNext = -1;
        return;
    }
    ReadAt(walk_.Want());
    if (!walk_.Take(rec_)) rec_.FileNext = -1;
}

void ClassFile::MoveAbsolute(int32_t nRecord) {
    ReadAt(nRecord);
    walk_.Start(nRecord, appendDirId_, file_ ? file_->Length() : 0);
    if (walk_.Want() == nRecord) walk_.Take(rec_);
}

std::string ClassFile::GetFileName() { return ReadText(file_.get(), rec_.FileName, kReadName); }

std::string ClassFile::GetFileNotes() { return ReadText(file_.get(), rec_.FileNotes, kReadNotes); }

std::string ClassFile::yyGetFilePath() {
    std::string path = ReadText(file_.get(), rec_.FilePath, kReadPath);
    return path.empty() ? "\\" : path;
}

std::string ClassFile::GetFileFullName(const std::string& dirPath) {
    return JoinCataloguePath(dirPath, GetFileName());
}

int32_t ClassFile::AppendText(const std::string& text, StringSlot& slot, int code) {
    const int32_t oldLength = slot.len;
    slot = karvio::AppendText(file_.get(), text, code);
    appendSpace_ += slot.len;
    return slot.len - oldLength;
}

void ClassFile::setFileName(const std::string& name) { AppendText(name, rec_.FileName, kWriteName); }

int32_t ClassFile::SetFileNotes(const std::string& strFileNotes, bool lCommit) {
    const int32_t change = AppendText(strFileNotes, rec_.FileNotes, kWriteNotes);
    if (lCommit) uRecordUpdate();
    return change;
}

void ClassFile::setFilePath(const std::string& path) {
    const bool strip = path.size() >= 2 && path[0] == '\\';
    AppendText(strip ? path.substr(1) : path, rec_.FilePath, kWritePath);
}

void ClassFile::uSetAppendStart(int32_t cdId, int32_t dirId) {
    appendCdId_ = cdId;
    appendDirId_ = dirId;
    first_ = last_ = 0;
    appendCount_ = 0;
    appendSpace_ = 0;
}

int32_t ClassFile::uGetSpaceUsed() {
    const int32_t space = appendSpace_;
    appendSpace_ = 0;
    return space;
}

void ClassFile::uSetDefaults(int32_t cdId, int32_t dirId, int32_t firstFileId) {
    appendCdId_ = cdId;
    appendDirId_ = dirId;
    first_ = firstFileId;
}

int16_t ClassFile::GetError() {
    const int16_t error = error_;
    error_ = 0;
    return error;
}

}  // namespace karvio
