// Catalogue records as karvio-cli writes them in JSON: typed members (whole byte counts with
// directory sizes as their magnitude, attributes as words and as the stored word, dates in
// ISO 8601 with their offset, paths native), written into an object the caller has opened.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "JsonWriter.h"
#include "TransferRecords.h"
#include "classData.h"

namespace karvio::cli {

// `key`: the date in ISO 8601 with its offset, or null for 0 (no date).
void DateMember(JsonWriter& json, std::string_view key, double date);

// The JSON array of the words of `attributes` (AttributeWords), made once per combination.
const std::string& AttributeArray(int32_t attributes);

// Writes a literal's characters at `p` (with the room for them); returns the end.
template <size_t N>
char* PutLiteral(char* p, const char (&text)[N]) {
    std::memcpy(p, text, N - 1);
    return p + N - 1;
}

// "attributes": the words (AttributeNames), "attribute_word": the stored word.
void AttributeMembers(JsonWriter& json, int32_t attributes);

void CdMembers(JsonWriter& json, const CdInfo& cd);
void DirMembers(JsonWriter& json, const DirInfo& dir);
void FileMembers(JsonWriter& json, const FileInfo& file);

// A file record's fields with its texts where the caller keeps them: what a walk over every file
// fills from its cursor without copying a text per record.
struct FileFields {
    int32_t id = 0, cd = 0, dir = 0;
    std::string_view name, notes;
    double size = 0, date = 0;
    int32_t attributes = 0;
};
void FileMembers(JsonWriter& json, const FileFields& file);
void CategoryMembers(JsonWriter& json, classData& data, const CatInfo& cat);

// Whole file objects on one line, each with FileMembers' members and "full_name" (the path
// prefix and the name): what a listing of every file of a CD writes. What stays the same from
// one file of a directory to the next is rendered once for all of them.
class FileObjectWriter {
public:
    // What the full names of the files that follow begin with, escaped already
    // (JsonWriter::EscapedJson of FilePathPrefix).
    void SetPathPrefix(std::string escapedPrefix) { prefix_ = std::move(escapedPrefix); }
    void Write(JsonWriter& json, const FileFields& file);

private:
    std::string prefix_;
    std::string head_;  // the members between "id" and the name's text, for headCd_ and headDir_
    int32_t headCd_ = 0, headDir_ = 0;
};

// The fields of the file a cursor of `data` stands on, its texts read into `name` and `notes`
// (whose room is reused from file to file).
FileFields FileFieldsOf(classData& data, ClassFile& file, std::string& name, std::string& notes);

}  // namespace karvio::cli
