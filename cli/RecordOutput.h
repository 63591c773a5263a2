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
void CategoryMembers(JsonWriter& json, classData& data, const CatInfo& cat);

// The transfer record of the directory or file a cursor stands on, read from the cursor.
DirInfo DirInfoOf(classDir& dir);
FileInfo FileInfoOf(ClassFile& file);

}  // namespace karvio::cli
