// Catalogue records as karvio-cli writes them in JSON: typed members (whole byte counts with
// directory sizes as their magnitude, attributes as words and as the stored word, dates in
// ISO 8601 with their offset, paths native), written into an object the caller has opened.
#pragma once

#include <cstdint>
#include <string_view>

#include "JsonWriter.h"
#include "TransferRecords.h"
#include "classData.h"

namespace karvio::cli {

// `key`: the date in ISO 8601 with its offset, or null for 0 (no date).
void DateMember(JsonWriter& json, std::string_view key, double date);

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

// The fields of the file a cursor of `data` stands on, its texts read into `name` and `notes`
// (whose room is reused from file to file).
FileFields FileFieldsOf(classData& data, ClassFile& file, std::string& name, std::string& notes);

}  // namespace karvio::cli
