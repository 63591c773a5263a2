#include "RecordOutput.h"

#include "TextOutput.h"

namespace karvio::cli {

void DateMember(JsonWriter& json, std::string_view key, double date) {
    json.Key(key);
    if (date == 0) {
        json.Null();
    } else {
        thread_local std::string text;
        text.clear();
        AppendIsoDateWithOffset(text, date);
        json.String(text);
    }
}

void AttributeMembers(JsonWriter& json, int32_t attributes) {
    json.Key("attributes");
    json.BeginArray();
    for (const char* name : AttributeNames(attributes)) json.String(name);
    json.EndArray();
    json.Member("attribute_word", attributes);
}

void CdMembers(JsonWriter& json, const CdInfo& cd) {
    json.Member("id", cd.CdId);
    json.Key("name");
    json.CatalogueString(cd.CdName);
    json.Key("label");
    json.CatalogueString(cd.CdLabel);
    json.Member("basepath", NativeBasePath(cd.CdBasepath));
    json.Key("notes");
    json.CatalogueString(cd.CdNotes);
    json.Member("category", cd.CdCategory);
    json.Member("files", cd.CdNumOfFiles);
    json.Member("subdirs", cd.CdNumOfSubdirs);
    json.Member("total", ByteCount(cd.CdTotalSize));
    json.Member("free", ByteCount(cd.CdFreeSpace));
    DateMember(json, "scanned", cd.CdLastScanned);
    json.Member("media", cd.CdMediaType);
}

void DirMembers(JsonWriter& json, const DirInfo& dir) {
    json.Member("id", dir.DirId);
    json.Member("cd", dir.DirCdId);
    json.Key("name");
    json.CatalogueString(dir.DirName);
    json.Member("path", NativeCataloguePath(dir.DirPath));
    json.Member("size", ByteCount(dir.DirSize));
    DateMember(json, "date", dir.DirDate);
    AttributeMembers(json, dir.DirAttr);
    json.Key("notes");
    json.CatalogueString(dir.DirNotes);
    json.Member("dirs", dir.DirCountOfDirs);
    json.Member("files", dir.DirCountOfFiles);
    json.Member("direct_files", dir.DirCountOfFilesDirect);
}

void FileMembers(JsonWriter& json, const FileInfo& file) {
    json.Member("id", file.FileId);
    json.Member("cd", file.FileCdId);
    json.Member("dir", file.FileDirId);
    json.Key("name");
    json.CatalogueString(file.FileName);
    json.Member("size", ByteCount(file.FileSize));
    DateMember(json, "date", file.FileDate);
    AttributeMembers(json, file.FileAttr);
    json.Key("notes");
    json.CatalogueString(file.FileNotes);
}

void CategoryMembers(JsonWriter& json, classData& data, const CatInfo& cat) {
    const double created = data.GetCatGoto(cat.CatId).GetCatCreated();
    json.Member("id", cat.CatId);
    json.Member("parent", cat.CatParentId);
    json.Key("name");
    json.CatalogueString(cat.CatName);
    json.Key("notes");
    json.CatalogueString(cat.CatNotes);
    json.Member("image", cat.CatImageId);
    DateMember(json, "created", created);
    // A tree key, not a path: its "\" separators are part of the key.
    json.Member("key", data.GetKarvioBasePath(cat.CatId));
}

DirInfo DirInfoOf(classDir& dir) {
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

FileInfo FileInfoOf(ClassFile& file) {
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

}  // namespace karvio::cli
