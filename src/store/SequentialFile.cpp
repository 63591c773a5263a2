#include "SequentialFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace karvio {

namespace {
// Written a piece at a time while its bytes are still in the processor's cache (a larger piece
// is copied into the system's cache from main memory); the system is told to start writing them
// out every few megabytes.
constexpr size_t kChunk = 256 * 1024;
constexpr int64_t kStartStep = 4 * 1024 * 1024;
// Written bytes are synced in steps of this size. Syncing costs time in proportion to what is
// unsynced (the disk's own cache is flushed too), so a copy synced only at its end waits there for
// all of it; synced in steps, it waits while the copy works.
constexpr int64_t kSyncStep = 16 * 1024 * 1024;

std::atomic<DataSyncFunction> dataSync{::fdatasync};
}  // namespace

DataSyncFunction SetDataSyncFunction(DataSyncFunction sync) {
    return dataSync.exchange(sync);
}

int SyncData(int fd) {
    return dataSync.load()(fd);
}

SequentialFile::~SequentialFile() {
    StopSyncing();
    if (fd_ >= 0) ::close(fd_);
}

void SequentialFile::AskForSync() {
    if (written_ - syncAsked_ < kSyncStep) return;
    syncAsked_ = written_;
    if (!syncer_.joinable()) {
        syncer_ = std::thread([this] { SyncLoop(); });
    }
    {
        std::lock_guard lock(mutex_);
        syncWanted_ = true;
    }
    wake_.notify_one();
}

void SequentialFile::SyncLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return syncWanted_ || stop_; });
        if (stop_) return;
        syncWanted_ = false;
        lock.unlock();
        const bool synced = SyncData(fd_) == 0;
        const int error = errno;
        lock.lock();
        // The error is told once: the sync that ends the write would not see it again.
        if (!synced && syncError_.empty())
            syncError_ = std::string("sync: ") + std::strerror(error);
    }
}

void SequentialFile::StopSyncing() {
    if (!syncer_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    syncer_.join();
    if (!syncError_.empty() && error_.empty()) error_ = syncError_;
}

bool SequentialFile::Create(const std::string& path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        error_ = path + ": " + std::strerror(errno);
        return false;
    }
    buffer_.reserve(kChunk + kChunk / 4);
    return true;
}

void SequentialFile::Fail(const char* what) {
    if (error_.empty()) error_ = std::string(what) + ": " + std::strerror(errno);
}

void SequentialFile::Append(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    if (buffer_.size() >= kChunk) Drain();
}

void SequentialFile::Patch(int64_t offset, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (offset < written_) {
        const size_t below =
            static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(size), written_ - offset));
        for (size_t done = 0; done < below;) {
            const ssize_t n =
                ::pwrite(fd_, bytes + done, below - done, offset + static_cast<int64_t>(done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return Fail("write");
            done += static_cast<size_t>(n);
        }
        offset += static_cast<int64_t>(below);
        bytes += below;
        size -= below;
    }
    if (size > 0) std::memcpy(buffer_.data() + (offset - written_), bytes, size);
}

void SequentialFile::Drain() {
    size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Fail("write");
            break;
        }
        done += static_cast<size_t>(n);
    }
    written_ += static_cast<int64_t>(buffer_.size());
#ifdef SYNC_FILE_RANGE_WRITE
    // Start writing out what was written, so the syncs have less left to wait for.
    if (written_ - started_ >= kStartStep) {
        ::sync_file_range(fd_, started_, written_ - started_, SYNC_FILE_RANGE_WRITE);
        started_ = written_;
    }
#endif
    buffer_.clear();
    if (error_.empty()) AskForSync();
}

bool SequentialFile::Finish() {
    if (fd_ < 0) return false;
    Drain();
    StopSyncing();
    if (::close(fd_) != 0) Fail("close");
    fd_ = -1;
    return error_.empty();
}

}  // namespace karvio
