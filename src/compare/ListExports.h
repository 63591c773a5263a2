// The rows of the lists the program exports, written into a ListWriter: a disc's tree and search
// hits (catalogue entries), groups of duplicates, files on one disc only, a comparison and a
// verification, each with its own columns. karvio-cli and the desktop program's File > Export
// write the same files through these. One thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CatalogueListing.h"
#include "DiscVerify.h"
#include "Duplicates.h"
#include "ListWriter.h"
#include "TreeComparison.h"

namespace karvio {

class classData;

extern const std::vector<std::string> kCatalogueListColumns;
extern const std::vector<std::string> kDuplicateListColumns;
extern const std::vector<std::string> kSingleListColumns;
extern const std::vector<std::string> kCompareListColumns;
extern const std::vector<std::string> kVerifyListColumns;

// One catalogue entry: "cd", "dir" or "file", its ids, its disc's name, its native path, name,
// size, date, attribute words and notes (names and notes as catalogue bytes).
struct CatalogueRow {
    const char* kind = "file";
    int32_t id = 0, cdId = 0;
    std::string_view cdName;
    std::string_view path;
    std::string_view name;
    int64_t size = 0;
    double date = 0;
    int32_t attributes = 0;
    std::string_view notes;
};
void WriteCatalogueRow(ListWriter& writer, const CatalogueRow& row);
// The native path a catalogue row names for an entry of kind `kind` ("cd", "dir" or "file") whose
// stored path (a CD's base path, a directory's path, or a file's directory) is `storedPath` and
// whose name is `name` (catalogue bytes): "/Photos/2001/a.jpg".
std::string CatalogueRowPath(std::string_view kind, std::string_view storedPath, std::string_view name);

// Every directory and file of `cd` (read from `data`, whose notes are read as the rows are
// written). False when `stop` ended it early.
bool WriteCdTreeRows(ListWriter& writer, classData& data, const ListedCd& cd, const std::atomic<bool>* stop = nullptr);

// One row per copy of group number `number` (from 1).
void WriteDuplicateRows(ListWriter& writer, const std::vector<ListedCd>& cds, const DuplicateGroup& group,
                        int64_t number);
void WriteSingleRow(ListWriter& writer, const std::vector<ListedCd>& cds, const FileRef& file);
void WriteComparisonRow(ListWriter& writer, const FileListing& first, const FileListing& second,
                        const ComparedEntry& entry);
void WriteVerifyRow(ListWriter& writer, const VerifyFinding& finding);

}  // namespace karvio
