#include "TransferRecords.h"

#include "Messages.h"
#include "VolumeSidecar.h"

namespace karvio {

namespace {

void SetCdFields(classCd& cd, const CdInfo& info) {
    cd.SetCdName(info.CdName, false);
    cd.SetCdLabel(info.CdLabel);
    cd.SetCdBasepath(info.CdBasepath);
    cd.SetCdNotes(info.CdNotes, false);
    cd.setCdTotalSize(info.CdTotalSize);
    cd.setCdFreeSpace(info.CdFreeSpace);
    cd.setCdLastScanned(info.CdLastScanned);
    cd.setCdMediaType(info.CdMediaType);
    cd.setCdCategory(info.CdCategory, false);
    cd.setCdNumOfFiles(info.CdNumOfFiles);
    cd.setCdNumOfSubdirs(info.CdNumOfSubdirs);
    cd.recordUpdate();
}

// Takes the write lock for one of the operations below, which the windows call: a refusal is
// shown, and the operation changes nothing.
bool MayWrite(classData& data) {
    const WriteAccess access = data.BeginWrite();
    if (access == WriteAccess::Granted) return true;
    ShowMessage("The change cannot be saved: " + classData::WriteAccessText(access), vbOKOnly);
    return false;
}

}  // namespace

ScopedCatalogueWrite::ScopedCatalogueWrite(classData& data) : data_(data), granted_(MayWrite(data)) {}

ScopedCatalogueWrite::~ScopedCatalogueWrite() {
    if (granted_) data_.EndWrite();
}

CatInfo ReadCatInfo(classData& data, int32_t id) {
    classCat& cat = data.GetCatGoto(id);
    CatInfo info;
    info.CatId = cat.GetCatId();
    info.CatName = cat.GetCatName();
    info.CatNotes = cat.GetCatNotes();
    info.CatImageId = cat.GetCatImageId();
    info.CatParentId = cat.GetCatParentId();
    return info;
}

int32_t AddCatInfo(classData& data, const CatInfo& info) {
    classCat& cat = data.GetCatAppend();
    cat.SetCatName(info.CatName, false);
    cat.SetCatNotes(info.CatNotes);
    cat.SetCatImageId(info.CatImageId);
    cat.SetCatParentId(info.CatParentId, false);
    cat.recordUpdate();
    const int32_t id = cat.GetCatId();
    data.GetCatCommit(id);
    return id;
}

CdInfo ReadCdInfo(classData& data, int32_t id) {
    classCd& cd = data.GetCdGoto(id);
    CdInfo info;
    info.CdId = cd.GetCdId();
    info.CdName = cd.GetCdName();
    info.CdLabel = cd.GetCdLabel();
    info.CdBasepath = cd.GetCdBasepath();
    info.CdNotes = cd.GetCdNotes();
    info.CdTotalSize = cd.GetCdtotalSize();
    info.CdFreeSpace = cd.GetCdFreeSpace();
    info.CdLastScanned = cd.GetCdLastScanned();
    info.CdMediaType = cd.GetCdMediaType();
    info.CdCategory = cd.GetCdCategory();
    info.CdNumOfFiles = cd.GetCdNumOfFiles();
    info.CdNumOfSubdirs = cd.GetCdNumOfSubdirs();
    info.CdCategoryKey = data.GetKarvioBasePath(info.CdCategory);
    return info;
}

void UpdateCdInfo(classData& data, const CdInfo& info) {
    SetCdFields(data.GetCdGoto(info.CdId), info);
}

void CommitScannedCd(classData& data, const CdInfo& info) {
    classCd& cd = data.GetCdGoto(info.CdId);
    const int32_t before = cd.GetSpaceUsed();
    SetCdFields(cd, info);
    data.GetCdCommit(info.CdId, cd.GetSpaceUsed() - before);
}

int32_t AddCdInfo(classData& data, const CdInfo& info) {
    classCd& cd = data.GetCdAppend();
    SetCdFields(cd, info);
    return cd.GetCdId();
}

DirInfo ReadDirInfo(classData& data, int32_t id) {
    return ReadDirInfo(data.GetCdGoto(0).GetDirGoto(id));
}

DirInfo ReadDirInfo(classDir& dir) {
    DirInfo info;
    info.DirId = dir.GetDirId();
    info.DirCdId = dir.GetDirCdId();
    info.DirName = dir.GetDirName();
    info.DirPath = dir.GetDirPath();
    info.DirSize = dir.GetDirSize();
    info.DirDate = dir.GetDirDate();
    info.DirNotes = dir.GetDirNotes();
    info.DirAttr = dir.GetDirAttr();
    info.DirCountOfDirs = dir.GetDirCountOfDirs();
    info.DirCountOfFiles = dir.GetDirCountOfFiles();
    info.DirCountOfFilesDirect = dir.GetDirCountOfFilesDirect();
    return info;
}

int32_t AddDirInfo(classData& data, const DirInfo& info) {
    classDir& dir = data.GetCdGoto(0).GetDirAppend();
    dir.SetDirName(info.DirName);
    dir.SetDirPath(info.DirPath);
    dir.SetDirNotes(info.DirNotes, false);
    dir.setDirAttr(info.DirAttr);
    dir.setDirDate(info.DirDate);
    dir.setDirSize(info.DirSize);
    dir.recordUpdate();
    return dir.GetDirId();
}

FileInfo ReadFileInfo(classData& data, int32_t id) {
    ClassFile& file = data.GetCdGoto(0).GetDirGoto(0).GetFileGoto(id);
    FileInfo info;
    info.FileId = file.GetFileId();
    info.FileCdId = file.GetFileCdId();
    info.FileDirId = file.getFileDirId();
    info.FileName = file.GetFileName();
    info.FileSize = file.GetFileSize();
    info.FileDate = file.GetFileDate();
    info.FileNotes = file.GetFileNotes();
    info.FileAttr = file.getFileAttr();
    return info;
}

void AddFileInfo(classData& data, const FileInfo& info) {
    ClassFile& file = data.GetCdGoto(0).GetDirGoto(0).GetFileAppend();
    file.setFileName(info.FileName);
    file.SetFileNotes(info.FileNotes, false);
    file.setFileAttr(info.FileAttr);
    file.setFileDate(info.FileDate);
    file.setFileSize(info.FileSize);
    file.uRecordUpdate();
}

bool RemoveCd(int32_t id, const std::string& title) {
    if (id == 0) return false;
    if (ShowMessage("Remove Cd\r\n[" + title + "]", vbYesNoCancel) != vbYes) return false;
    if (!DeleteCdById(id)) return false;
    ShowMessage("CD removed", vbOKOnly);
    return true;
}

bool DeleteCdById(int32_t id) {
    classData data;
    if (!MayWrite(data)) return false;
    data.GetCdDelete(id);
    // The CD is gone whatever becomes of its identity: a leftover entry no longer matches.
    std::string error;
    if (!DropVolumeEntry(data.GetOpenPath(), id, &error)) ShowMessage(error, vbOKOnly);
    return true;
}

void SetCdNotesById(int32_t id, const std::string& notes) {
    if (id == 0) return;
    classData data;
    if (!MayWrite(data)) return;
    data.GetCdGoto(id).SetCdNotes(notes, true);
}

void SetDirNotesById(int32_t id, const std::string& notes) {
    if (id == 0) return;
    classData data;
    if (!MayWrite(data)) return;
    const int32_t cdId = data.GetCdGoto(0).GetDirGoto(id).GetDirCdId();
    const int32_t change = data.GetCdGoto(cdId).GetDirGoto(id).SetDirNotes(notes, true);
    data.GetCdGoto(cdId).UpdateSpaceUsed(change);
}

void SetFileNotesById(int32_t id, const std::string& notes) {
    if (id == 0) return;
    classData data;
    if (!MayWrite(data)) return;
    const int32_t cdId = data.GetCdGoto(0).GetDirGoto(0).GetFileGoto(id).GetFileCdId();
    data.GetCdGoto(cdId);
    const int32_t change = data.GetCdGoto(0).GetDirGoto(0).GetFileGoto(id).SetFileNotes(notes, true);
    data.GetCdGoto(cdId).UpdateSpaceUsed(change);
}

FileInfo GetFileInfoById(int32_t id) {
    if (id == 0) return {};
    classData data;
    return ReadFileInfo(data, id);
}

DirInfo GetDirInfoById(int32_t id) {
    if (id == 0) return {};
    classData data;
    return ReadDirInfo(data, id);
}

CdInfo GetCdInfoById(int32_t id) {
    if (id == 0) return {};
    classData data;
    return ReadCdInfo(data, id);
}

}  // namespace karvio
