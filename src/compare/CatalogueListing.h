// Every listed CD of a catalogue with its tree (FileListing) and the few fields of the CD that
// lists of files show beside each file: name, category, base path. Read once through a store
// object; what the duplicates and the single copies are found in. One thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ContentHash.h"
#include "FileListing.h"

namespace karvio {

class classData;

struct ListedCd {
    int32_t cdId = 0;
    std::string name;          // catalogue bytes
    int32_t category = 0;      // category id; 0 the root
    std::string categoryName;  // catalogue bytes; empty for the root
    std::string basePath;      // as stored
    FileListing listing;
};

// The CDs in list order; only those in `only` when it is not empty.
std::vector<ListedCd> ReadCatalogueListing(classData& data, const std::vector<int32_t>& only = {});

// Reads one CD's fields and tree. REQUIRES: `cdId` names a listed CD.
ListedCd ReadListedCd(classData& data, int32_t cdId);

// The content hash recorded for a file record id, when there is one that still fits the file.
using HashLookup = std::function<std::optional<ContentHash>(int32_t fileId)>;

// The content hashes the details database beside the catalogue `data` has open records for the
// files of `cds`, each only while it still fits its file (name, size and date, the CD's row
// current). `count` receives how many there are; `note` why the database could not be read
// (empty otherwise). An empty lookup when there are none.
HashLookup RecordedHashes(classData& data, const std::vector<const ListedCd*>& cds, size_t* count = nullptr,
                          std::string* note = nullptr);

}  // namespace karvio
