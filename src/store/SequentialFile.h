// A new file written front to back through a large buffer, for whole-file rewrites such as the
// catalogue copy: appends cost a memory copy, and bytes already appended can still be patched
// (in the buffer, or in place once written). A large file's written bytes are made durable on a
// thread of its own while the rest is appended, so the sync that ends the write has little left
// to wait for. Owns its descriptor; one thread appends.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DataSync.h"

namespace karvio {

class SequentialFile {
public:
    SequentialFile() = default;
    ~SequentialFile();
    SequentialFile(const SequentialFile&) = delete;
    SequentialFile& operator=(const SequentialFile&) = delete;

    // Creates `path`, which must not exist. False, with the reason in Error(), when it cannot.
    bool Create(const std::string& path);

    // The 0-based offset the next appended byte gets.
    int64_t Position() const { return written_ + static_cast<int64_t>(buffer_.size()); }

    void Append(const void* data, size_t size);
    // Overwrites bytes appended before (`offset` + `size` at most Position()).
    void Patch(int64_t offset, const void* data, size_t size);

    // Writes out what is buffered and closes the file; false when any write or the close failed.
    bool Finish();
    const std::string& Error() const { return error_; }

private:
    void Drain();
    void Fail(const char* what);
    void AskForSync();
    void StopSyncing();
    void SyncLoop();

    int fd_ = -1;
    int64_t written_ = 0;  // bytes handed to the system
    int64_t started_ = 0;  // bytes whose writing out has been started
    std::vector<unsigned char> buffer_;
    std::string error_;

    // The syncing thread, started once the file has grown large.
    std::thread syncer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    int64_t syncAsked_ = 0;  // bytes written when a sync was last asked for
    bool syncWanted_ = false, stop_ = false;
    std::string syncError_;
};

}  // namespace karvio
