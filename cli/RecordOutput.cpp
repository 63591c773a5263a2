#include "RecordOutput.h"

#include <array>
#include <cstring>
#include <string>

#include "RecordIo.h"
#include "TextOutput.h"

namespace karvio::cli {

void DateMember(JsonWriter& json, std::string_view key, double date) {
    json.Key(key);
    json.Date(date);
}

const std::string& AttributeArray(int32_t attributes) {
    // The arrays of the 32 combinations of the five bits that have words, written once.
    static const std::array<std::string, 32> kArrays = [] {
        constexpr int32_t kBits[kAttributeWordCount] = {16, 2, 1, 4, 32};
        std::array<std::string, 32> arrays;
        for (int combination = 0; combination < 32; ++combination) {
            int32_t word = 0;
            for (int i = 0; i < kAttributeWordCount; ++i) {
                if (combination & (1 << i)) word |= kBits[i];
            }
            const char* words[kAttributeWordCount];
            const int count = AttributeWords(word, words);
            std::string& text = arrays[static_cast<size_t>(combination)];
            text = "[";
            for (int i = 0; i < count; ++i) text += (i > 0 ? ",\"" : "\"") + std::string(words[i]) + "\"";
            text += "]";
        }
        return arrays;
    }();
    const int combination = (attributes & 16 ? 1 : 0) | (attributes & 2 ? 2 : 0) | (attributes & 1 ? 4 : 0) |
                            (attributes & 4 ? 8 : 0) | (attributes & 32 ? 16 : 0);
    return kArrays[static_cast<size_t>(combination)];
}

void AttributeMembers(JsonWriter& json, int32_t attributes) {
    json.Key("attributes");
    json.Raw(AttributeArray(attributes));
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

void FileMembers(JsonWriter& json, const FileFields& file) {
    json.Member("id", file.id);
    json.Member("cd", file.cd);
    json.Member("dir", file.dir);
    json.Key("name");
    json.CatalogueString(file.name);
    json.Member("size", ByteCount(file.size));
    DateMember(json, "date", file.date);
    AttributeMembers(json, file.attributes);
    json.Key("notes");
    json.CatalogueString(file.notes);
}

void FileMembers(JsonWriter& json, const FileInfo& file) {
    FileMembers(json, FileFields{file.FileId, file.FileCdId, file.FileDirId, file.FileName, file.FileNotes,
                                 file.FileSize, file.FileDate, file.FileAttr});
}

void FileObjectWriter::Write(JsonWriter& json, const FileFields& file) {
    if (head_.empty() || file.cd != headCd_ || file.dir != headDir_) {
        head_ = ",\"cd\":" + std::to_string(file.cd) + ",\"dir\":" + std::to_string(file.dir) + ",\"name\":\"";
        headCd_ = file.cd;
        headDir_ = file.dir;
    }
    const std::string& attributes = AttributeArray(file.attributes);
    // The literals below come to under 100 characters; the name is written twice.
    const size_t bound = 128 + 3 * kNumberBound + kDateBound + head_.size() + attributes.size() + prefix_.size() +
                         2 * EscapedBound(file.name) + EscapedBound(file.notes);
    char* p = json.BeginRawValue(bound);
    p = PutLiteral(p, "{\"id\":");
    p = PutInt(p, file.id);
    p = PutText(p, head_);
    char* const name = p;
    p = JsonWriter::PutCatalogueText(p, file.name);
    const size_t nameSize = static_cast<size_t>(p - name);
    p = PutLiteral(p, "\",\"size\":");
    p = PutInt(p, ByteCount(file.size));
    if (file.date == 0) {
        p = PutLiteral(p, ",\"date\":null");
    } else {
        p = PutLiteral(p, ",\"date\":\"");
        p = PutIsoDateWithOffset(p, file.date);
        *p++ = '"';
    }
    p = PutLiteral(p, ",\"attributes\":");
    p = PutText(p, attributes);
    p = PutLiteral(p, ",\"attribute_word\":");
    p = PutInt(p, file.attributes);
    p = PutLiteral(p, ",\"notes\":\"");
    p = JsonWriter::PutCatalogueText(p, file.notes);
    p = PutLiteral(p, "\",\"full_name\":\"");
    p = PutText(p, prefix_);
    // The name as written above, escaped already.
    std::memcpy(p, name, nameSize);
    p += nameSize;
    p = PutLiteral(p, "\"}");
    json.EndRawValue(p);
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


FileFields FileFieldsOf(classData& data, ClassFile& file, std::string& name, std::string& notes) {
    // The read-error numbers the file cursor's own getters use for these texts.
    constexpr int kReadFileName = 2116, kReadFileNotes = 2118;
    const FileRecord& r = file.Record();
    ReadTextInto(data.File().get(), r.FileName, name, kReadFileName);
    ReadTextInto(data.File().get(), r.FileNotes, notes, kReadFileNotes);
    return FileFields{r.FileId, r.FileCdId, r.FileDirId, name, notes, r.FileSize, r.FileDate, r.FileAttr};
}

}  // namespace karvio::cli
