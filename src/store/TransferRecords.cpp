#include "TransferRecords.h"

#include "CatalogueEdits.h"
#include "Messages.h"

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

}  // namespace

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

void CommitScannedCd(classData& data, const CdInfo& info, int32_t replacedId) {
    classCd& cd = data.GetCdGoto(info.CdId);
    const int32_t before = cd.GetSpaceUsed();
    SetCdFields(cd, info);
    data.GetCdCommitReplacing(info.CdId, cd.GetSpaceUsed() - before, replacedId);
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

int32_t AddFileInfo(classData& data, const FileInfo& info) {
    ClassFile& file = data.GetCdGoto(0).GetDirGoto(0).GetFileAppend();
    file.setFileName(info.FileName);
    file.SetFileNotes(info.FileNotes, false);
    file.setFileAttr(info.FileAttr);
    file.setFileDate(info.FileDate);
    file.setFileSize(info.FileSize);
    file.uRecordUpdate();
    return file.GetFileId();
}

bool RemoveCd(int32_t id, const std::string& title) {
    return CatalogueEdits().AskAndRemoveCd(HeldRecord::Of(RecordKind::Cd, id), title).Done();
}

namespace {

// The by-id operations below go through the edit service with only the kind and the id; a
// refusal is shown, and nothing is changed.
bool Reported(const EditResult& result) {
    if (!result.Done()) ShowMessage(EditResultText(result), vbOKOnly);
    return result.Done();
}

}  // namespace

bool DeleteCdById(int32_t id) { return Reported(CatalogueEdits().RemoveCd(HeldRecord::Of(RecordKind::Cd, id))); }

void SetCdNotesById(int32_t id, const std::string& notes) {
    if (id != 0) Reported(CatalogueEdits().AnnotateCd(HeldRecord::Of(RecordKind::Cd, id), notes));
}

void SetDirNotesById(int32_t id, const std::string& notes) {
    if (id != 0) Reported(CatalogueEdits().AnnotateDirectory(HeldRecord::Of(RecordKind::Directory, id), notes));
}

void SetFileNotesById(int32_t id, const std::string& notes) {
    if (id != 0) Reported(CatalogueEdits().AnnotateFile(HeldRecord::Of(RecordKind::File, id), notes));
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
