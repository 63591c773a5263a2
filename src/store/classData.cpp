#include "classData.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <tuple>

#include "CatalogueDate.h"
#include "ProgramInfo.h"
#include "RecordIo.h"

namespace karvio {

namespace {
constexpr int kReadHeader = 2210, kWriteHeader = 2109;
}  // namespace

classData::classData() : classData(karvio::GetDataFileName()) {}

classData::classData(const std::string& path)
    : cd_(std::make_unique<classCd>()), cat_(std::make_unique<classCat>()) {
    OpenFiles(path);
}

classData::classData(const std::string& path, ForReading)
    : cd_(std::make_unique<classCd>()), cat_(std::make_unique<classCat>()) {
    OpenForReading(path);
}

classData::~classData() { CloseFile(); }

void classData::CloseFile() {
    while (writeDepth_ > 0) {
        --writeDepth_;
        if (file_) file_->UnlockWriting();
    }
    if (file_) file_->Flush();
    file_.reset();
    usable_ = false;
    cd_->OpenFiles(nullptr);
    cat_->OpenFiles(nullptr);
}

bool classData::Flush() { return !file_ || file_->Flush(); }

bool classData::OpenFiles(const std::string& path) { return Open(path, false); }

bool classData::OpenForReading(const std::string& path) { return Open(path, true); }

bool classData::Open(const std::string& path, bool readOnly) {
    CloseFile();
    path_ = path;
    openedForReading_ = readOnly;
    openError_.clear();
    header_ = HeaderRecord{};

    CatalogueFileOpenResult opened = OpenCatalogueFile(path, !readOnly);
    if (!opened.file) {
        error_ = kErrorCannotOpen;
        openError_ = opened.error;
        return false;
    }
    file_ = std::move(opened.file);
    file_->Refresh();
    const bool existed = opened.existed;
    const int64_t length = file_->Length();
    if (existed && length < static_cast<int64_t>(HeaderRecord::kSize)) {
        // Every catalogue has its whole header from the moment it is made: a shorter file was
        // cut short or damaged, whatever version wrote it.
        error_ = kErrorDamaged;
        openError_ = path + ": the file is shorter than a catalogue's header (" + std::to_string(length) +
                     " of " + std::to_string(HeaderRecord::kSize) + " bytes)";
        return false;
    }
    if (existed) ReadHeader();
    if (existed) {
        if (std::memcmp(header_.dataSignature, "VELK", 4) != 0) {
            error_ = kErrorWrongVersion;
            openError_ = path + ": the file is not a Karvio catalogue";
            return false;
        }
        if (header_.dataVersionMajor != kVersionMajor || header_.dataVersionMinor != kVersionMinor) {
            // Refused: nothing is written and the cursors get no file.
            error_ = kErrorWrongVersion;
            openError_ = path + ": the file was written by version " + std::to_string(header_.dataVersionMajor) +
                         "." + std::to_string(header_.dataVersionMinor);
            return false;
        }
    }
    usable_ = true;
    cd_->OpenFiles(file_);
    cat_->OpenFiles(file_);
    if (readOnly) return true;

    if (!existed) {
        // The new file gets its header on disk at once, so it is never left shorter than one.
        if (file_->LockForWriting(WriteLockWait()) != CatalogueFile::LockResult::Locked) {
            StoreWriteError(kWriteHeader, file_.get());
        }
        header_ = HeaderRecord{};
        header_.dataLastOpened = DateNow();
        header_.dataCreated = header_.dataLastOpened;
        std::memcpy(header_.dataSignature, "VELK", 4);
        std::memset(header_.dataReserved2, 0, sizeof header_.dataReserved2);
        header_.dataSpaceUsed = static_cast<int32_t>(HeaderRecord::kSize);
        header_.dataVersionMajor = kVersionMajor;
        header_.dataVersionMinor = kVersionMinor;
        header_.dataVersionRevision = kVersionRevision;
        if (file_->Length() == 0) WriteHeader();
        if (!file_->UnlockWriting()) StoreWriteError(kWriteHeader, file_.get());
        ReloadHeader();
        return true;
    }
    StampOpened();
    return true;
}

void classData::StampOpened() {
    if (file_->IsReadOnly()) return;
    // Only when no program is writing, this one included (a scan's further store objects): the
    // time is not worth a wait, nor a write in the middle of another change.
    if (file_->HoldsWriteLock()) return;
    if (file_->LockForWriting(0) != CatalogueFile::LockResult::Locked) return;
    ReadHeader();
    header_.dataLastOpened = DateNow();
    WriteHeader();
    if (!file_->UnlockWriting()) StoreWriteError(kWriteHeader, file_.get());
}

WriteAccess classData::BeginWrite(int waitMs, bool reopen) {
    if (!IsOpen()) return WriteAccess::Failed;
    for (int attempt = 0;; ++attempt) {
        switch (file_->LockForWriting(waitMs)) {
            case CatalogueFile::LockResult::Locked:
                break;
            case CatalogueFile::LockResult::Busy:
                return WriteAccess::Busy;
            case CatalogueFile::LockResult::ReadOnly:
                return WriteAccess::ReadOnly;
            case CatalogueFile::LockResult::Failed:
                return WriteAccess::Failed;
        }
        if (writeDepth_ > 0 || file_->StillAtPath()) break;
        // The writer before this one swapped another file in under the name.
        file_->UnlockWriting();
        if (!reopen || attempt > 3) return WriteAccess::Replaced;
        const std::string path = path_;
        if (!Open(path, openedForReading_)) return WriteAccess::Failed;
    }
    ++writeDepth_;
    if (writeDepth_ == 1) {
        ReloadHeader();
        MendInterruptedCommit();
    }
    return WriteAccess::Granted;
}

void classData::MendInterruptedCommit() {
    // A program stopped between linking a CD behind the last one and writing the header leaves
    // a complete CD that the header does not count yet.
    const int32_t last = header_.dataCdLastRecord;
    if (last < 1 || file_->Length() < int64_t{last} - 1 + static_cast<int64_t>(CdRecord::kSize)) return;
    CdRecord lastCd, next;
    uint8_t bytes[CdRecord::kSize];
    if (!file_->ReadAt(last - 1, bytes, sizeof bytes)) return;
    lastCd.Decode(bytes);
    const int32_t id = lastCd.NextRecord;
    if (lastCd.CdId != last || id < 1 || !file_->ReadAt(id - 1, bytes, sizeof bytes)) return;
    next.Decode(bytes);
    if (next.CdId != id || next.PrevRecord != last || next.NextRecord != 0) return;
    header_.dataCdLastRecord = id;
    header_.dataNumOfCds += 1;
    header_.dataSpaceUsed += next.CdSpaceUsed;
    WriteHeader();
}

void classData::EndWrite() {
    if (writeDepth_ <= 0 || !file_) return;
    --writeDepth_;
    if (!file_->UnlockWriting()) StoreWriteError(kWriteHeader, file_.get());
}

std::string classData::WriteAccessText(WriteAccess access) {
    switch (access) {
        case WriteAccess::Granted:
            return {};
        case WriteAccess::Busy:
            return kCatalogueBusyText;
        case WriteAccess::ReadOnly:
            return kCatalogueReadOnlyText;
        case WriteAccess::Replaced:
            return "another program replaced the catalogue (compacted it); it must be loaded again";
        case WriteAccess::Failed:
            break;
    }
    return "the catalogue cannot be locked for writing";
}

namespace {

// The identity a header and its file's place on the disk give.
CatalogueIdentity IdentityOf(uint64_t device, uint64_t inode, const HeaderRecord& header) {
    CatalogueIdentity id;
    id.device = device;
    id.inode = inode;
    id.created = header.dataCreated;
    id.cdFirst = header.dataCdFirstRecord;
    id.cdLast = header.dataCdLastRecord;
    id.cdCount = header.dataNumOfCds;
    id.catFirst = header.dataCatFirstRecord;
    id.catLast = header.dataCatLastRecord;
    id.catCount = header.dataNumOfCats;
    id.spaceUsed = header.dataSpaceUsed;
    return id;
}

}  // namespace

CatalogueIdentity classData::Identity() {
    if (!IsOpen()) return {};
    file_->Refresh();
    ReloadHeader();
    const auto [device, inode] = file_->DeviceAndInode();
    return IdentityOf(device, inode, header_);
}

CatalogueIdentity ReadCatalogueIdentity(const std::string& path) {
    CatalogueIdentity id;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return id;
    struct stat st {};
    uint8_t bytes[HeaderRecord::kSize];
    if (::fstat(fd, &st) == 0 && ::pread(fd, bytes, sizeof bytes, 0) == static_cast<ssize_t>(sizeof bytes)) {
        HeaderRecord header;
        header.Decode(bytes);
        id = IdentityOf(static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), header);
    }
    ::close(fd);
    return id;
}

CatalogueChange CompareCatalogueIdentity(const CatalogueIdentity& held, const CatalogueIdentity& now) {
    if (held.device != now.device || held.inode != now.inode || held.created != now.created ||
        now.inode == 0) {
        return CatalogueChange::Replaced;
    }
    return held == now ? CatalogueChange::None : CatalogueChange::Changed;
}

int16_t classData::GetError() {
    const int16_t error = error_;
    error_ = kErrorNone;
    return error;
}

std::string classData::GetDataFileName() const { return karvio::GetDataFileName(); }

void classData::ReadHeader() {
    uint8_t bytes[HeaderRecord::kSize];
    ReadBytesAt(file_.get(), 1, bytes, sizeof bytes, kReadHeader);
    header_.Decode(bytes);
}

void classData::ReloadHeader() {
    if (usable_ && file_ && file_->Length() >= static_cast<int64_t>(HeaderRecord::kSize)) ReadHeader();
}

void classData::WriteHeader() {
    uint8_t bytes[HeaderRecord::kSize];
    header_.Encode(bytes);
    WriteBytesAt(usable_ ? file_.get() : nullptr, 1, bytes, sizeof bytes, kWriteHeader);
}

std::string classData::GetKarvioBasePath(int32_t categoryId) {
    if (categoryId < 1) return "Root";
    classCat& cat = GetCatGoto(categoryId);
    return "Root" + cat.GetCategoryPath() + "\\.Category" + std::to_string(categoryId);
}

classCd& classData::GetCdGoto(int32_t id) {
    if (id > 0) cd_->MoveAbsolute(id);
    return *cd_;
}

classCd& classData::GetCdFirst() {
    if (file_) file_->Refresh();
    ReloadHeader();
    cd_->SetDefaultCdRec(header_.dataCdFirstRecord, header_.dataCdLastRecord);
    cd_->MoveFirst();
    return *cd_;
}

classCd& classData::GetCdNext() {
    cd_->MoveNext();
    return *cd_;
}

classCd& classData::GetCdAppend() {
    cd_->recordAdd();
    return *cd_;
}

void classData::GetCdCommit(int32_t id) { GetCdCommit(id, 0); }

void classData::GetCdCommit(int32_t id, int32_t textSpace) {
    cd_->GetDirAppendFinish();
    // The run's list ends and space now live in the CD record. Closing the run puts its records
    // in the file before the links below publish them, and lets this object walk other CDs'
    // directories afterwards instead of the committed CD's over and over.
    if (!cd_->Dirs().xxSetAppendFinish()) StoreWriteError(2101, file_.get());
    ReloadHeader();
    cd_->MoveAbsolute(id);
    const int32_t space = cd_->GetSpaceUsed() - textSpace;
    cd_->SetCdPrevRecord(header_.dataCdLastRecord);
    if (header_.dataCdLastRecord > 0) {
        cd_->MoveAbsolute(header_.dataCdLastRecord);
        cd_->SetCdNextRecord(id);
    }
    if (header_.dataCdFirstRecord == 0) header_.dataCdFirstRecord = id;
    header_.dataCdLastRecord = id;
    header_.dataNumOfCds += 1;
    header_.dataSpaceUsed += space;
    WriteHeader();
}

void classData::GetCdDelete(int32_t id) {
    ReloadHeader();
    cd_->MoveAbsolute(id);
    const int32_t prev = cd_->CdGetPrevRecord();
    const int32_t next = cd_->StoredNextRecord();
    const int32_t space = cd_->GetSpaceUsed();
    if (prev >= 1) {
        cd_->MoveAbsolute(prev);
        cd_->SetCdNextRecord(next);
    } else {
        header_.dataCdFirstRecord = next;
    }
    if (next >= 1) {
        cd_->MoveAbsolute(next);
        cd_->SetCdPrevRecord(prev);
    } else {
        header_.dataCdLastRecord = prev;
    }
    header_.dataSpaceUsed -= space;
    header_.dataNumOfCds -= 1;
    WriteHeader();
}

classCat& classData::GetCatGoto(int32_t id) {
    if (id > 0) cat_->MoveAbsolute(id);
    return *cat_;
}

classCat& classData::GetCatFirst() {
    if (file_) file_->Refresh();
    ReloadHeader();
    cat_->SetDefaultCatRec(header_.dataCatFirstRecord, header_.dataCatLastRecord);
    cat_->MoveFirst();
    return *cat_;
}

classCat& classData::GetCatNext() {
    cat_->MoveNext();
    return *cat_;
}

classCat& classData::GetCatAppend() {
    cat_->recordAdd();
    return *cat_;
}

void classData::GetCatCommit(int32_t id) {
    ReloadHeader();
    cat_->MoveAbsolute(id);
    const int32_t space = cat_->GetSpaceUsed();
    cat_->SetPrevRecord(header_.dataCatLastRecord);
    if (header_.dataCatLastRecord > 0) {
        cat_->MoveAbsolute(header_.dataCatLastRecord);
        cat_->SetNextRecord(id);
    }
    if (header_.dataCatFirstRecord == 0) header_.dataCatFirstRecord = id;
    header_.dataCatLastRecord = id;
    header_.dataNumOfCats += 1;
    header_.dataSpaceUsed += space;
    WriteHeader();
}

void classData::GetCatDelete(int32_t id) {
    ReloadHeader();
    cat_->MoveAbsolute(id);
    const int32_t prev = cat_->GetPrevRecord();
    const int32_t next = cat_->StoredNextRecord();
    const int32_t space = cat_->GetCatSpaceUsed();
    if (prev >= 1) {
        cat_->MoveAbsolute(prev);
        cat_->SetNextRecord(next);
    } else {
        header_.dataCatFirstRecord = next;
    }
    if (next >= 1) {
        cat_->MoveAbsolute(next);
        cat_->SetPrevRecord(prev);
    } else {
        header_.dataCatLastRecord = prev;
    }
    header_.dataNumOfCats -= 1;
    header_.dataSpaceUsed -= space;
    WriteHeader();
}

DebugDataResult classData::DebugData() {
    DebugDataResult result;
    result.spaceUsed = header_.dataSpaceUsed;
    result.fileLength = file_ ? file_->Length() : 0;
    result.liveSpace = static_cast<int64_t>(HeaderRecord::kSize);
    if (!IsOpen()) return result;
    for (classCd* cd = &GetCdFirst(); !GetCdEof(); cd = &GetCdNext()) {
        result.liveSpace += cd->GetSpaceUsed();
    }
    for (classCat* cat = &GetCatFirst(); !GetCatEof(); cat = &GetCatNext()) {
        result.liveSpace += cat->GetSpaceUsed();
    }
    return result;
}

std::string DataFileErrorText(int16_t error, const std::string& detail) {
    if (error == kErrorWrongVersion) {
        return "Error!!\r\nWrong Version of the Data File\r\nCan't Use newer version data" +
               (detail.empty() ? std::string() : "\r\n" + detail);
    }
    if (error == kErrorDamaged) {
        return "Error!!\r\nThe Data File Is Damaged\r\n" + detail;
    }
    if (error == kErrorCannotOpen) {
        return "Error!!\r\nThe Data File Cannot Be Opened\r\n" + detail;
    }
    return {};
}

}  // namespace karvio
