// Which files of a catalogue exist more than once, and which have no copy on another disc.
// Files are the same when they have the same name and size, or, by content, the same size and
// content hash (files without a recorded hash take no part then). Works on listings read
// before; one thread.
#pragma once

#include <cstdint>
#include <vector>

#include "CatalogueListing.h"

namespace karvio {

enum class DuplicateKey { NameAndSize, Hash };

// One file of a listing: the CD (index into the listings) and its entry.
struct FileRef {
    uint32_t cd = 0;
    uint32_t entry = 0;
    bool operator==(const FileRef&) const = default;
};

struct DuplicateGroup {
    int64_t size = 0;                 // of each copy
    std::vector<FileRef> copies;      // in catalogue order (CD list order, then record order)
    std::optional<ContentHash> hash;  // for groups by content
    int64_t Space() const { return size * static_cast<int64_t>(copies.size()); }
    // What removing every copy but one would free.
    int64_t Spare() const { return size * static_cast<int64_t>(copies.size() - 1); }
    // How many different CDs hold a copy.
    size_t Discs() const;
};

enum class DuplicateOrder { Spare, Size, Copies, Name };

// Groups of two or more copies of files of at least `minSize` bytes, ordered by `order` (largest
// first; by name A to Z), ties in catalogue order. `hashes` is needed for DuplicateKey::Hash.
std::vector<DuplicateGroup> FindDuplicates(const std::vector<ListedCd>& cds, DuplicateKey key, int64_t minSize,
                                           DuplicateOrder order = DuplicateOrder::Spare,
                                           const HashLookup& hashes = {});

// The files of the CDs `among` (indexes into `cds`; all when empty) of at least `minSize` bytes
// that no other CD holds a copy of, in catalogue order. By content, a file without a hash has no
// known copy.
std::vector<FileRef> FindSingleCopies(const std::vector<ListedCd>& cds, DuplicateKey key, int64_t minSize,
                                      const std::vector<uint32_t>& among = {}, const HashLookup& hashes = {});

}  // namespace karvio
