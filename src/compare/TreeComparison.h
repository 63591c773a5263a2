// What differs between two trees (two CDs, or a CD and a folder as it is now): the entries only
// in the first, only in the second, the files that changed (size, date or content hash), and the
// entries that are the same. Entries are matched by their path below the scanned folder, byte
// for byte. Works on listings read before; one thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CatalogueListing.h"

namespace karvio {

enum class Difference { OnlyFirst, OnlySecond, Changed, Same };

// What changed of a file found on both sides.
enum ChangeBits : uint32_t {
    kChangedSize = 1,
    kChangedDate = 2,
    kChangedHash = 4,
    kChangedKind = 8,  // a file on one side, a directory on the other
};

struct ComparedEntry {
    Difference difference = Difference::Same;
    uint32_t changes = 0;  // ChangeBits, for Changed
    std::string path;      // below the scanned folder, "/"-separated
    int32_t first = -1;    // entry index in the first listing, -1 when it has none
    int32_t second = -1;
    bool directory = false;  // of the first side's entry where there is one
};

struct TreeComparison {
    std::vector<ComparedEntry> entries;  // in path order
    int64_t onlyFirst = 0, onlySecond = 0, changed = 0, same = 0;
    bool Differs() const { return onlyFirst + onlySecond + changed > 0; }
};

// Compares `first` with `second`. Dates within a second of each other are the same. Content is
// compared where both hash lookups (may be empty) know the file's hash.
TreeComparison CompareListings(const FileListing& first, const FileListing& second,
                               const HashLookup& firstHashes = {}, const HashLookup& secondHashes = {});

const char* DifferenceName(Difference difference);  // "only_first", "only_second", "changed", "same"
// "size,date,hash"
std::string ChangeNames(uint32_t changes);

}  // namespace karvio
