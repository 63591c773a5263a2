// One disc's tree as a flat list: every directory and file below the scanned folder with its
// name, size, date and attributes, read from the catalogue or walked from a folder on disk as a
// scan would record it now. Entries stand in depth-first order (a directory before what it
// holds), names once in a pool, parents as indexes, so a million files cost some 40 MB. What the
// duplicates, comparisons, verification, exports and the mounted catalogue are made of. One
// thread per listing.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace karvio {

class classData;

struct ListingEntry {
    int32_t id = 0;       // record id in the catalogue; 0 for an entry walked on disk
    int32_t parent = -1;  // index of the directory entry holding it; -1 for the scanned folder
    uint32_t nameOffset = 0, nameLength = 0;
    int32_t attributes = 0;
    bool directory = false;
    int64_t size = 0;  // bytes; a directory's: the total of its subtree
    double date = 0;   // catalogue date
};
static_assert(sizeof(ListingEntry) == 40, "a million entries should take 40 MB");

class FileListing {
public:
    // Adds an entry named `name` (bytes as stored or as the file system spells them) and returns
    // its index.
    int32_t Add(ListingEntry entry, std::string_view name);

    void Reserve(size_t entries, size_t bytesPerName) {
        entries_.reserve(entries);
        names_.reserve(entries * bytesPerName);
    }
    const std::vector<ListingEntry>& Entries() const { return entries_; }
    std::vector<ListingEntry>& MutableEntries() { return entries_; }
    size_t size() const { return entries_.size(); }
    const ListingEntry& operator[](size_t i) const { return entries_[i]; }
    std::string_view Name(const ListingEntry& entry) const {
        return std::string_view(names_).substr(entry.nameOffset, entry.nameLength);
    }
    std::string_view Name(size_t i) const { return Name(entries_[i]); }
    // The names from below the scanned folder to entry `i`, joined by "/": "Music/a.mp3".
    std::string RelativePath(size_t i) const;
    // The same for the directory holding entry `i` ("" for the scanned folder itself).
    std::string ParentPath(size_t i) const;
    // The sum of the files' sizes.
    int64_t FileBytes() const;
    int64_t FileCount() const;

    // Where the scanned folder lies on its volume, "/"-separated without a leading "/" ("" for a
    // volume root, "Photos/2001"); catalogue bytes. Empty for a walked folder.
    const std::string& Top() const { return top_; }
    // The record id of the scanned folder's directory (what its files name as their directory);
    // 0 for a walked folder.
    int32_t TopId() const { return topId_; }
    void SetTop(std::string top, int32_t topId = 0) {
        top_ = std::move(top);
        topId_ = topId;
    }
    // The native path of entry `i` from its volume's root, decoded name by name for display:
    // "/Photos/2001/a.jpg".
    std::string VolumePath(size_t i) const;

    void Clear() {
        entries_.clear();
        names_.clear();
        top_.clear();
        topId_ = 0;
    }

private:
    std::vector<ListingEntry> entries_;
    std::string names_;
    std::string top_;
    int32_t topId_ = 0;
};

// A "/"-separated path of catalogue bytes decoded name by name (a name that is not UTF-8 does
// not change how the others read).
std::string DecodePath(std::string_view path);

// Reads CD `cdId` of `data` into `out`: its directories below the scanned folder and every file.
// REQUIRES: `cdId` names a listed CD. Reads through `data`'s cursors (a damaged list ends where
// the cursors end it).
void ReadCdListing(classData& data, int32_t cdId, FileListing& out);

// What a walk of a folder on disk met besides its entries.
struct WalkReport {
    // "<native path>: <reason>" for every folder that could not be listed and every entry that
    // could not be examined.
    std::vector<std::string> problems;
    // A read error of the medium itself (EIO): what follows it may be missing from the listing.
    bool ioError = false;
    bool stopped = false;
};

// Walks the folder `path` into `out` as a scan would record it now: names in ascending byte
// order, symbolic links as files of their own size, mount points below it listed but not
// entered, dates in local time to the second, the scan's attribute bits. Ends early when `stop`
// (may be null) is set. No depth limit; a path longer than the system's limit is reported.
WalkReport WalkFolder(const std::string& path, FileListing& out, const std::atomic<bool>* stop = nullptr);

}  // namespace karvio
