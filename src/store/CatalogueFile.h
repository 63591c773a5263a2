// Byte-level access to one open catalogue data file: read and write at a 0-based offset, length.
// Every read and write of the store goes through this class, so tests can put a failing file in
// its place. The file of the system holds writes in memory only inside a batch (an append run:
// a scan or a copy filling a new CD), and keeps recently read blocks; all store objects of one
// thread that open the same file share one such object, so each sees the others' writes at its
// next read. Not thread-safe: a worker thread's store objects open a file of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "Messages.h"

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

    // The whole piece of memory in which View finds the `size` bytes at `offset`: its first
    // byte, with its offset in `start` and its length in `length`; null where View gives null.
    // Unlike a View, the piece stays valid (its bytes kept current) for as long as
    // PieceGeneration() returns the same number, so a walk can read one record after another
    // from it without a call into the file.
    virtual const unsigned char* ViewPiece(int64_t /*offset*/, size_t /*size*/, int64_t& /*start*/,
                                           size_t& /*length*/) {
        return nullptr;
    }
    uint64_t PieceGeneration() const { return pieceGeneration_; }

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

    // Why the last failed call failed ("No space left on device", ...); empty when unknown.
    virtual std::string LastError() const { return {}; }
    // The path the file was opened by, for messages.
    virtual std::string Path() const { return {}; }
    // The file was opened for reading only (the user may not write it, or its medium is
    // read-only): every write fails.
    virtual bool IsReadOnly() const { return false; }

    // The exclusive write lock that makes writers of all processes take turns. Calls nest; the
    // first waits up to `waitMs` milliseconds for another process to let go. Writes made without
    // the lock take it themselves (waiting the default time) and keep it until the outermost
    // UnlockWriting or until the file is released.
    enum class LockResult { Locked, Busy, ReadOnly, Failed };
    virtual LockResult LockForWriting(int /*waitMs*/) { return IsReadOnly() ? LockResult::ReadOnly : LockResult::Locked; }
    // Ends one LockForWriting; the outermost hands held writes to the system first, then lets
    // other processes in. False when those writes fail.
    virtual bool UnlockWriting() { return Flush(); }
    virtual bool HoldsWriteLock() const { return false; }
    // The writes made under the lock so far change nothing that other programs show (the
    // last-opened time): letting go of the lock does not count them as a change. Otherwise the
    // outermost UnlockWriting (or releasing the file) after a write adds 1 to the header's change
    // counter (HeaderRecord::kChangeCounterOffset), last of all the lock's writes, so that other
    // programs notice the change.
    virtual void UnannounceWrites() {}

    // Whether the path this file was opened by still names this very file (not one that
    // compaction renamed over it, and not a removed one).
    virtual bool StillAtPath() const { return true; }
    // The file's device and inode numbers (0, 0 when it has none, as a file in memory).
    virtual std::pair<uint64_t, uint64_t> DeviceAndInode() const { return {0, 0}; }

    // Remembers the length as the start of a run of appends (a scan): GiveBackAppends cuts the
    // file back to it as long as nothing below it was written since. A write that fails inside
    // such a run gives the run's space back by itself.
    virtual void MarkAppendStart() {}
    virtual bool GiveBackAppends() { return false; }
    virtual void ClearAppendStart() {}

protected:
    // Files that hand out pieces call this whenever one may move, shrink, be refilled or go.
    void PiecesChanged() { ++pieceGeneration_; }

private:
    uint64_t pieceGeneration_ = 0;
};

// The message a writer gets when another process holds the lock.
inline constexpr const char* kCatalogueBusyText =
    KARVIO_TRANSLATE_NOOP("Messages", "the catalogue is being changed by another program");
// The message a writer gets on a catalogue it may not write.
inline constexpr const char* kCatalogueReadOnlyText =
    KARVIO_TRANSLATE_NOOP("Messages", "the catalogue is read-only and cannot be changed");
// Why a write that would take the file past kMaxCatalogueLength is refused.
inline constexpr const char* kCatalogueFullText =
    KARVIO_TRANSLATE_NOOP("Messages",
                          "the catalogue would grow past 2 GiB, the limit of its format; compact "
                          "it or start another catalogue");
// How long a writer waits for another process's write to end, unless told otherwise.
inline constexpr int kDefaultWriteLockWaitMs = 3000;
// Sets the wait of later writers (milliseconds); returns the previous one.
int SetWriteLockWait(int waitMs);
int WriteLockWait();

// Largest file length: record ids and text positions are 32-bit signed 1-based positions.
inline constexpr int64_t kMaxCatalogueLength = 0x7FFFFFFF;

struct CatalogueFileOpenResult {
    std::shared_ptr<CatalogueFile> file;  // null when the file could not be opened
    bool existed = false;                 // the file was there before this open
    bool readOnly = false;                // opened for reading only
    std::string error;                    // why it could not be opened
};

// Opens `path` for reading and writing, creating an empty file when there is none and `create`
// is set. A file the user may not write (or on a read-only medium) is opened for reading only. Store objects of this process that name the same file (also through another spelling
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
