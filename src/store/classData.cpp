#include "classData.h"

#include <cstring>

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
    // An existing file shorter than the header reads as zeros and fails the signature test.
    const bool existed = opened.existed;
    if (existed && file_->Length() >= static_cast<int64_t>(HeaderRecord::kSize)) ReadHeader();
    if (readOnly) {
        if (std::memcmp(header_.dataSignature, "VELK", 4) != 0 || header_.dataVersionMajor != kVersionMajor ||
            header_.dataVersionMinor != kVersionMinor) {
            error_ = kErrorWrongVersion;
            return false;
        }
        usable_ = true;
        cd_->OpenFiles(file_);
        cat_->OpenFiles(file_);
        return true;
    }
    header_.dataLastOpened = DateNow();

    if (!existed) {
        header_.dataCreated = header_.dataLastOpened;
        std::memcpy(header_.dataSignature, "VELK", 4);
        std::memset(header_.dataReserved2, 0, sizeof header_.dataReserved2);
        header_.dataSpaceUsed = static_cast<int32_t>(HeaderRecord::kSize);
        header_.dataVersionMajor = kVersionMajor;
        header_.dataVersionMinor = kVersionMinor;
        header_.dataVersionRevision = kVersionRevision;
    } else if (std::memcmp(header_.dataSignature, "VELK", 4) != 0 ||
               header_.dataVersionMajor != kVersionMajor ||
               header_.dataVersionMinor != kVersionMinor) {
        // Refused: nothing is written and the cursors get no file.
        error_ = kErrorWrongVersion;
        return false;
    }
    usable_ = true;
    WriteHeader();
    // A new file gets its header on disk at once, so it is never left empty.
    if (!existed && !file_->Flush()) StoreWriteError(kWriteHeader);
    cd_->OpenFiles(file_);
    cat_->OpenFiles(file_);
    return true;
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

void classData::GetCdCommit(int32_t id) {
    cd_->GetDirAppendFinish();
    // The run's list ends and space now live in the CD record. Closing the run puts its records
    // in the file before the links below publish them, and lets this object walk other CDs'
    // directories afterwards instead of the committed CD's over and over.
    if (!cd_->Dirs().xxSetAppendFinish()) StoreWriteError(2101);
    cd_->MoveAbsolute(id);
    const int32_t space = cd_->GetSpaceUsed();
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
        return "Error!!\r\nWrong Version of the Data File\r\nCan't Use newer version data";
    }
    if (error == kErrorCannotOpen) {
        return "Error!!\r\nThe Data File Cannot Be Opened\r\n" + detail;
    }
    return {};
}

}  // namespace karvio
