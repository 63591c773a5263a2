// The catalogue file of the system: a POSIX descriptor with a write buffer and a small cache of
// read blocks. Inside a batch, appended bytes and writes over earlier bytes are both held in
// memory (every read sees them) until a buffer fills, the batch ends, Flush is called or the
// object is released; outside a batch each write is flushed at once. Flush writes the
// appended bytes first, in order, and then the earlier-offset writes in the order they were made,
// so a process killed at any moment leaves a file whose header and links only point at bytes that
// are already there, and whose every state is one the unbuffered writes would also have passed.
#pragma once

#include <sys/types.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "CatalogueFile.h"

namespace karvio {

class SystemCatalogueFile : public CatalogueFile {
public:
    // Takes ownership of the open descriptor `fd`, opened by `path` (for reading only when
    // `readOnly`).
    SystemCatalogueFile(int fd, int64_t length, std::string path = {}, bool readOnly = false);
    ~SystemCatalogueFile() override;

    SystemCatalogueFile(const SystemCatalogueFile&) = delete;
    SystemCatalogueFile& operator=(const SystemCatalogueFile&) = delete;

    bool ReadAt(int64_t offset, void* data, size_t size) override;
    const unsigned char* View(int64_t offset, size_t size) override;
    const unsigned char* ViewPiece(int64_t offset, size_t size, int64_t& start,
                                   size_t& length) override;
    bool WriteAt(int64_t offset, const void* data, size_t size) override;
    int64_t Length() override { return diskLength_ + static_cast<int64_t>(pending_.size()); }
    bool Flush() override;
    void Refresh() override;
    void BeginBatch() override { ++batchDepth_; }
    bool EndBatch() override;
    std::string LastError() const override { return lastError_; }
    std::string Path() const override { return path_; }
    bool IsReadOnly() const override { return readOnly_; }
    LockResult LockForWriting(int waitMs) override;
    bool UnlockWriting() override;
    bool HoldsWriteLock() const override { return locked_; }
    void UnannounceWrites() override { changed_ = false; }
    bool StillAtPath() const override;
    std::pair<uint64_t, uint64_t> DeviceAndInode() const override;
    void MarkAppendStart() override;
    bool GiveBackAppends() override;
    void ClearAppendStart() override { appendStart_ = -1; }

private:
    static constexpr size_t kBlockSize = 64 * 1024;
    static constexpr size_t kBlockSlots = 16;  // 1 MiB: small enough to stay in the CPU caches
    static constexpr size_t kFlushThreshold = 1024 * 1024;
    static constexpr size_t kPatchLimit = 4096;             // earlier-offset writes held at most
    static constexpr size_t kPatchBytesLimit = 256 * 1024;  // and their bytes

    // A write below the bytes the system holds, kept until the next flush.
    struct Patch {
        int64_t offset;
        size_t at;  // its bytes in patchBytes_
        size_t size;
    };

    struct Block {
        int64_t index = -1;  // block number, -1 when the slot is empty
        size_t valid = 0;    // bytes of the block that were read
        std::unique_ptr<unsigned char[]> bytes;
    };

    bool ReadFromDisk(int64_t offset, unsigned char* out, size_t size);
    // The cached block `index` holding at least its first `needed` bytes, read when it is not
    // cached; null when the file ends before them or the system reports an error.
    Block* LoadBlock(int64_t index, size_t needed) {
        Block& block = cache_[static_cast<size_t>(index) % kBlockSlots];
        return block.index == index && block.valid >= needed ? &block
                                                             : FillBlock(block, index, needed);
    }
    Block* FillBlock(Block& block, int64_t index, size_t needed);
    bool WriteToDisk(int64_t offset, const unsigned char* data, size_t size);
    // Makes the appended bytes durable before writes below them may link to them; false, with
    // the cause in lastError_, when the sync fails.
    bool SyncAppends();
    int64_t syncedLength_ = 0;  // the length the file had at its last sync (or when opened)
    void PatchCache(int64_t offset, const unsigned char* data, size_t size);
    void ApplyPatches(int64_t offset, unsigned char* out, size_t size) const;
    void Defer(int64_t offset, const unsigned char* data, size_t size);
    void CacheFlushedBytes(int64_t from);
    bool BuffersFull() const;
    void DropCache();
    // The length the system reports now; false when it cannot tell.
    bool ReadDiskLength();
    // After a failed write: the file is cut back to the last state every link agrees with (the
    // start of the append run when nothing below it was written since), held writes are dropped.
    void DiscardAfterFailure();
    bool CutTo(int64_t length);
    // Adds 1 to the header's change counter (a held write, reaching the file after all others).
    void AnnounceChange();

    int fd_;
    std::string path_;
    bool readOnly_ = false;
    bool locked_ = false;
    bool changed_ = false;           // written since the lock was taken
    bool changedBeforeRun_ = false;  // changed_ when the append run began
    int lockDepth_ = 0;
    std::string lastError_;
    int64_t appendStart_ = -1;  // MarkAppendStart's length, -1 when none
    int64_t lowestWrite_ = 0;   // lowest offset written since then
    int batchDepth_ = 0;
    int64_t diskLength_;                  // bytes the system holds
    std::vector<unsigned char> pending_;  // appended bytes from diskLength_ on
    std::vector<Patch> patches_;          // writes below diskLength_, in the order made
    std::vector<unsigned char> patchBytes_;
    std::array<Block, kBlockSlots> cache_;
};

}  // namespace karvio
