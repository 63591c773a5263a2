#include "SystemCatalogueFile.h"

#include "DataSync.h"
#include "Records.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <thread>
#include <utility>

namespace karvio {

SystemCatalogueFile::SystemCatalogueFile(int fd, int64_t length, std::string path, bool readOnly)
    : fd_(fd), path_(std::move(path)), readOnly_(readOnly), diskLength_(length) {}

SystemCatalogueFile::~SystemCatalogueFile() {
    if (locked_ && changed_) AnnounceChange();
    // A failure here stops before the first write that could point at bytes that did not reach
    // the file, so the catalogue keeps a consistent earlier state.
    Flush();
    ::close(fd_);
}

bool SystemCatalogueFile::ReadAt(int64_t offset, void* data, size_t size) {
    if (offset < 0) return false;
    if (static_cast<uint64_t>(offset) + size > static_cast<uint64_t>(Length())) {
        // Another process may have appended since this one last looked.
        if (locked_ || !pending_.empty() || !patches_.empty() || !ReadDiskLength() ||
            static_cast<uint64_t>(offset) + size > static_cast<uint64_t>(Length())) {
            lastError_.clear();
            return false;
        }
    }
    auto* out = static_cast<unsigned char*>(data);
    if (offset < diskLength_) {
        const size_t fromDisk = static_cast<size_t>(std::min<int64_t>(size, diskLength_ - offset));
        if (!ReadFromDisk(offset, out, fromDisk)) return false;
        out += fromDisk;
        offset += static_cast<int64_t>(fromDisk);
        size -= fromDisk;
    }
    if (size > 0) std::memcpy(out, pending_.data() + (offset - diskLength_), size);
    return true;
}

bool SystemCatalogueFile::ReadFromDisk(int64_t offset, unsigned char* out, size_t size) {
    if (size > kBlockSize) {
        // Large texts bypass the cache so they do not push out the blocks of a walk.
        size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pread(fd_, out + done, size - done, offset + static_cast<int64_t>(done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        ApplyPatches(offset, out, size);
        return true;
    }
    while (size > 0) {
        const int64_t index = offset / static_cast<int64_t>(kBlockSize);
        const size_t within = static_cast<size_t>(offset % static_cast<int64_t>(kBlockSize));
        const size_t take = std::min(size, kBlockSize - within);
        const Block* block = LoadBlock(index, within + take);
        if (!block) return false;
        std::memcpy(out, block->bytes.get() + within, take);
        out += take;
        offset += static_cast<int64_t>(take);
        size -= take;
    }
    return true;
}

SystemCatalogueFile::Block* SystemCatalogueFile::FillBlock(Block& block, int64_t index,
                                                           size_t needed) {
    if (!block.bytes) block.bytes = std::make_unique_for_overwrite<unsigned char[]>(kBlockSize);
    block.index = -1;
    PiecesChanged();
    const int64_t start = index * static_cast<int64_t>(kBlockSize);
    const size_t want = static_cast<size_t>(std::min<int64_t>(kBlockSize, diskLength_ - start));
    size_t got = 0;
    while (got < want) {
        const ssize_t n =
            ::pread(fd_, block.bytes.get() + got, want - got, start + static_cast<int64_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    if (got < needed) return nullptr;
    ApplyPatches(start, block.bytes.get(), got);
    block.index = index;
    block.valid = got;
    return &block;
}

const unsigned char* SystemCatalogueFile::View(int64_t offset, size_t size) {
    if (offset < 0 || static_cast<uint64_t>(offset) + size > static_cast<uint64_t>(Length()))
        return nullptr;
    if (offset >= diskLength_) return pending_.data() + (offset - diskLength_);
    const int64_t index = offset / static_cast<int64_t>(kBlockSize);
    const size_t within = static_cast<size_t>(offset % static_cast<int64_t>(kBlockSize));
    // A range that runs past the block, or on into the append buffer, has no single place.
    if (within + size > kBlockSize || offset + static_cast<int64_t>(size) > diskLength_)
        return nullptr;
    const Block* block = LoadBlock(index, within + size);
    return block ? block->bytes.get() + within : nullptr;
}

const unsigned char* SystemCatalogueFile::ViewPiece(int64_t offset, size_t size, int64_t& start,
                                                    size_t& length) {
    const unsigned char* const bytes = View(offset, size);
    if (!bytes) return nullptr;
    if (offset >= diskLength_) {
        start = diskLength_;
        length = pending_.size();
        return pending_.data();
    }
    const int64_t index = offset / static_cast<int64_t>(kBlockSize);
    const Block& block = cache_[static_cast<size_t>(index) % kBlockSlots];
    start = index * static_cast<int64_t>(kBlockSize);
    length = static_cast<size_t>(
        std::min<int64_t>(static_cast<int64_t>(block.valid), diskLength_ - start));
    return block.bytes.get();
}

bool SystemCatalogueFile::WriteAt(int64_t offset, const void* data, size_t size) {
    // The append buffer may move, and held bytes change what the pieces show.
    PiecesChanged();
    if (readOnly_) {
        lastError_ = kCatalogueReadOnlyText;
        return false;
    }
    if (!locked_) {
        // A writer that did not take the lock: it takes it now and keeps it (see LockForWriting).
        if (LockForWriting(WriteLockWait()) != LockResult::Locked) return false;
        --lockDepth_;
    }
    const int64_t length = Length();
    if (offset < 0 || offset > length) return false;
    if (static_cast<uint64_t>(offset) + size > static_cast<uint64_t>(kMaxCatalogueLength)) {
        // Nothing of this write is made; a run of appends that led here gives its space back.
        lastError_ = kCatalogueFullText;
        DiscardAfterFailure();
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    lowestWrite_ = std::min(lowestWrite_, offset);
    changed_ = true;

    if (offset < diskLength_) {
        // A write below the buffer may publish what the buffer holds, so it waits for the next
        // flush, which writes the buffer first.
        const size_t below = static_cast<size_t>(std::min<int64_t>(size, diskLength_ - offset));
        Defer(offset, bytes, below);
        offset += static_cast<int64_t>(below);
        bytes += below;
        size -= below;
    }
    if (size > 0) {
        const size_t at = static_cast<size_t>(offset - diskLength_);
        if (at == pending_.size()) {
            // Appending, the common case: no zero-fill before the copy.
            if (pending_.capacity() < kFlushThreshold)
                pending_.reserve(kFlushThreshold + kBlockSize);
            pending_.insert(pending_.end(), bytes, bytes + size);
        } else {
            if (at + size > pending_.size()) pending_.resize(at + size);
            std::memcpy(pending_.data() + at, bytes, size);
        }
    }
    return (batchDepth_ > 0 && !BuffersFull()) || Flush();
}

bool SystemCatalogueFile::EndBatch() {
    if (batchDepth_ > 0) --batchDepth_;
    return batchDepth_ > 0 || Flush();
}

void SystemCatalogueFile::Defer(int64_t offset, const unsigned char* data, size_t size) {
    // A record written twice in a row needs only its last bytes: no other write comes between.
    if (!patches_.empty() && patches_.back().offset == offset && patches_.back().size == size) {
        std::memcpy(patchBytes_.data() + patches_.back().at, data, size);
    } else {
        patches_.push_back({offset, patchBytes_.size(), size});
        patchBytes_.insert(patchBytes_.end(), data, data + size);
    }
    PatchCache(offset, data, size);
}

bool SystemCatalogueFile::BuffersFull() const {
    return pending_.size() >= kFlushThreshold || patches_.size() >= kPatchLimit ||
           patchBytes_.size() >= kPatchBytesLimit;
}

void SystemCatalogueFile::ApplyPatches(int64_t offset, unsigned char* out, size_t size) const {
    const int64_t end = offset + static_cast<int64_t>(size);
    for (const Patch& p : patches_) {
        const int64_t from = std::max(offset, p.offset);
        const int64_t to = std::min(end, p.offset + static_cast<int64_t>(p.size));
        if (from < to) {
            std::memcpy(out + (from - offset), patchBytes_.data() + p.at + (from - p.offset),
                        static_cast<size_t>(to - from));
        }
    }
}

bool SystemCatalogueFile::WriteToDisk(int64_t offset, const unsigned char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pwrite(fd_, data + done, size - done, offset + static_cast<int64_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            lastError_ = std::strerror(n < 0 ? errno : ENOSPC);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

void SystemCatalogueFile::PatchCache(int64_t offset, const unsigned char* data, size_t size) {
    const int64_t end = offset + static_cast<int64_t>(size);
    for (int64_t index = offset / static_cast<int64_t>(kBlockSize);
         index * static_cast<int64_t>(kBlockSize) < end; ++index) {
        Block& block = cache_[static_cast<size_t>(index) % kBlockSlots];
        if (block.index != index) continue;
        const int64_t start = index * static_cast<int64_t>(kBlockSize);
        const int64_t from = std::max(start, offset);
        const int64_t to = std::min<int64_t>({end, start + static_cast<int64_t>(block.valid)});
        if (from < to) {
            std::memcpy(block.bytes.get() + (from - start), data + (from - offset),
                        static_cast<size_t>(to - from));
        }
    }
}

bool SystemCatalogueFile::SyncAppends() {
    if (SyncData(fd_) == 0) return true;
    // A file system that cannot sync (some FUSE ones) keeps the order it keeps.
    if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) return true;
    lastError_ = std::strerror(errno);
    return false;
}

bool SystemCatalogueFile::Flush() {
    PiecesChanged();
    const int64_t lengthBefore = diskLength_;
    if (!pending_.empty()) {
        if (!WriteToDisk(diskLength_, pending_.data(), pending_.size())) {
            DiscardAfterFailure();
            return false;
        }
        const int64_t from = diskLength_;
        diskLength_ += static_cast<int64_t>(pending_.size());
        CacheFlushedBytes(from);
        pending_.clear();
        if (pending_.capacity() > 2 * kFlushThreshold) pending_.shrink_to_fit();
    }
    // Only now may the earlier-offset writes, links among them, reach the file; in their order.
    // The system stores written pages in an order of its own: a link written now could reach the
    // disk before the records it links to, appended by this flush or an earlier one, and a power
    // cut between the two would leave it pointing past the end of the file. So the appended
    // records are made durable first.
    if (!patches_.empty() && syncedLength_ < diskLength_) {
        if (!SyncAppends()) {
            // What this flush appended is linked by nothing yet: it goes with the failed writes.
            diskLength_ = lengthBefore;
            DiscardAfterFailure();
            return false;
        }
        syncedLength_ = diskLength_;
    }
    for (const Patch& p : patches_) {
        if (!WriteToDisk(p.offset, patchBytes_.data() + p.at, p.size)) {
            DiscardAfterFailure();
            return false;
        }
    }
    patches_.clear();
    patchBytes_.clear();
    return true;
}

// Keeps the bytes just written in the cache, where the next reads of recent records look.
void SystemCatalogueFile::CacheFlushedBytes(int64_t from) {
    const int64_t B = static_cast<int64_t>(kBlockSize);
    for (int64_t index = from / B; index * B < diskLength_; ++index) {
        Block& block = cache_[static_cast<size_t>(index) % kBlockSlots];
        const int64_t start = index * B;
        const size_t end = static_cast<size_t>(std::min(B, diskLength_ - start));
        size_t have = 0;
        if (start < from) {
            // The block began before the flushed bytes: only a cached copy that reaches up to
            // them can be extended.
            if (block.index != index || static_cast<int64_t>(block.valid) != from - start) continue;
            have = block.valid;
        } else {
            if (!block.bytes)
                block.bytes = std::make_unique_for_overwrite<unsigned char[]>(kBlockSize);
        }
        std::memcpy(block.bytes.get() + have,
                    pending_.data() + (start + static_cast<int64_t>(have) - from), end - have);
        block.index = index;
        block.valid = end;
    }
}

void SystemCatalogueFile::DropCache() {
    PiecesChanged();
    for (Block& block : cache_) block.index = -1;
}

void SystemCatalogueFile::Refresh() {
    // While this process holds the lock nobody else changes the file.
    if (locked_) return;
    DropCache();
    if (!pending_.empty() || !patches_.empty()) return;
    ReadDiskLength();
}

bool SystemCatalogueFile::ReadDiskLength() {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return false;
    diskLength_ = st.st_size;
    // What another writer appended is its own to have synced before linking to it.
    syncedLength_ = diskLength_;
    PiecesChanged();
    return true;
}

CatalogueFile::LockResult SystemCatalogueFile::LockForWriting(int waitMs) {
    if (readOnly_) {
        lastError_ = kCatalogueReadOnlyText;
        return LockResult::ReadOnly;
    }
    if (locked_) {
        ++lockDepth_;
        return LockResult::Locked;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(waitMs, 0));
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            lastError_ = std::strerror(errno);
            return LockResult::Failed;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            lastError_ = kCatalogueBusyText;
            return LockResult::Busy;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    locked_ = true;
    lockDepth_ = 1;
    // What this process read before may have been changed by the writer before it.
    DropCache();
    if (pending_.empty() && patches_.empty()) ReadDiskLength();
    return LockResult::Locked;
}

bool SystemCatalogueFile::UnlockWriting() {
    if (lockDepth_ > 0) --lockDepth_;
    if (lockDepth_ > 0 || !locked_) return true;
    if (changed_) AnnounceChange();
    // Held writes reach the file before another process may read or write it.
    const bool flushed = Flush();
    ::flock(fd_, LOCK_UN);
    locked_ = false;
    changed_ = false;
    appendStart_ = -1;
    return flushed;
}

bool SystemCatalogueFile::StillAtPath() const {
    struct stat atPath {
    }, open{};
    if (path_.empty() || ::fstat(fd_, &open) != 0) return true;
    if (::stat(path_.c_str(), &atPath) != 0) return false;
    return atPath.st_dev == open.st_dev && atPath.st_ino == open.st_ino;
}

std::pair<uint64_t, uint64_t> SystemCatalogueFile::DeviceAndInode() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return {0, 0};
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

void SystemCatalogueFile::AnnounceChange() {
    changed_ = false;
    constexpr int64_t at = static_cast<int64_t>(HeaderRecord::kChangeCounterOffset);
    unsigned char bytes[8];
    if (Length() < static_cast<int64_t>(HeaderRecord::kSize) || !ReadAt(at, bytes, sizeof bytes))
        return;
    uint64_t counter = 0;
    for (int i = 7; i >= 0; --i) counter = counter << 8 | bytes[i];
    ++counter;
    for (unsigned char& byte : bytes) {
        byte = static_cast<unsigned char>(counter);
        counter >>= 8;
    }
    // Held like any write below the buffer, so it reaches the file after everything it announces.
    PiecesChanged();
    if (at + static_cast<int64_t>(sizeof bytes) <= diskLength_) {
        Defer(at, bytes, sizeof bytes);
    } else if (at >= diskLength_) {
        std::memcpy(pending_.data() + (at - diskLength_), bytes, sizeof bytes);
    }
}

void SystemCatalogueFile::MarkAppendStart() {
    changedBeforeRun_ = changed_;
    appendStart_ = Length();
    lowestWrite_ = appendStart_;
}

bool SystemCatalogueFile::CutTo(int64_t length) {
    DropCache();
    pending_.clear();
    patches_.clear();
    patchBytes_.clear();
    diskLength_ = std::min(diskLength_, length);
    syncedLength_ = std::min(syncedLength_, length);
    // A write that failed half-way may have left bytes past what this object counts.
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return false;
    return st.st_size <= length || ::ftruncate(fd_, length) == 0;
}

bool SystemCatalogueFile::GiveBackAppends() {
    if (appendStart_ < 0 || lowestWrite_ < appendStart_ || Length() < appendStart_) return false;
    const int64_t start = std::exchange(appendStart_, -1);
    if (!CutTo(start)) return false;
    // The file is as the run found it: the run alone is no change to announce.
    changed_ = changedBeforeRun_;
    return true;
}

void SystemCatalogueFile::DiscardAfterFailure() {
    const std::string cause = lastError_;
    // The bytes the failed write left half-written past the consistent end go; so does the whole
    // append run when nothing before it was touched: a full disk gets its space back.
    if (!GiveBackAppends()) CutTo(diskLength_);
    ::fsync(fd_);
    lastError_ = cause;
}

}  // namespace karvio
