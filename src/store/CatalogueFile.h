// Byte-level access to one open catalogue data file: read and write at a 0-based offset, length.
// Every read and write of the store goes through this class, so tests can put a failing file in
// its place. The file of the system holds writes in memory only inside a batch (an append run:
// a scan or a copy filling a new CD), and keeps recently read blocks; all store objects of the
// process that open the same file share one such object, so each sees the others' writes at its
// next read. Not thread-safe: the store runs on the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace karvio {

class CatalogueFile {
public:
    virtual ~CatalogueFile() = default;

    // Reads exactly `size` bytes at `offset`. False when the range does not lie inside the file
    // (negative offsets included) or the system reports an error; a short read is an error.
    virtual bool ReadAt(int64_t offset, void* data, size_t size) = 0;

    // Writes `size` bytes at `offset`, which may be at most the current length (appending at the
    // length). False on any failure, or when the file would grow past the largest position a
    // record id can hold.
    virtual bool WriteAt(int64_t offset, const void* data, size_t size) = 0;

    // The `size` bytes at `offset` in place, without a copy, when the file has them in one piece
    // of memory (a cached block, the append buffer); null otherwise, and for any range ReadAt
    // would refuse, so callers then read with ReadAt. Valid until the next call on the file.
    virtual const unsigned char* View(int64_t /*offset*/, size_t /*size*/) { return nullptr; }

    // The length, buffered appends included.
    virtual int64_t Length() = 0;

    // Hands held writes to the system. False when that fails.
    virtual bool Flush() = 0;

    // Writes between BeginBatch and the matching EndBatch may be held in memory until the batch
    // ends or the buffers fill; outside a batch every write has reached the system when WriteAt
    // returns, so an edit the user made is in the file once its operation is done. Batches nest;
    // ending the outermost flushes, and returns False when that fails.
    virtual void BeginBatch() {}
    virtual bool EndBatch() { return true; }

    // Called whenever a store object opens the file: forget what another process may have
    // changed since.
    virtual void Refresh() {}
};

// Largest file length: record ids and text positions are 32-bit signed 1-based positions.
inline constexpr int64_t kMaxCatalogueLength = 0x7FFFFFFF;

struct CatalogueFileOpenResult {
    std::shared_ptr<CatalogueFile> file;  // null when the file could not be opened
    bool existed = false;                 // the file was there before this open
    std::string error;                    // why it could not be opened
};

// Opens `path` for reading and writing, creating an empty file when there is none and `create`
// is set. Store objects of this process that name the same file (also through another spelling
// or link) share the returned object.
CatalogueFileOpenResult OpenCatalogueFile(const std::string& path, bool create = true);

// Replaces how OpenCatalogueFile opens files (tests wrap the real file in one that fails); an
// empty function restores the default. Returns the previous opener.
using CatalogueFileOpener =
    std::function<CatalogueFileOpenResult(const std::string& path, bool create)>;
CatalogueFileOpener SetCatalogueFileOpener(CatalogueFileOpener opener);

// The default opener, for openers that wrap it.
CatalogueFileOpenResult OpenSystemCatalogueFile(const std::string& path, bool create);

}  // namespace karvio
