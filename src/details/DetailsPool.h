// Reads the details of a scan's files, and the content hashes it asks for, on a small pool of
// worker threads while the walk goes on,
// and writes them to the details database in batched transactions. The walk hands over open
// descriptors through a short queue, so at most a few dozen files wait at once: memory stays
// flat whatever the tree holds. Owned by the scan for one walk. The calls below are for the
// walk's thread; the workers share the database connection behind the pool's own lock.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DetailsDatabase.h"
#include "DetailsExtractor.h"

namespace karvio {

class DetailsPool {
public:
    // Writes into `db`, which must stay open, and not be used by others, until Finish or Stop.
    DetailsPool(DetailsDatabase& db, uint32_t options, const DetailsLimits& limits = {},
                int workers = DefaultWorkers());
    ~DetailsPool();
    DetailsPool(const DetailsPool&) = delete;
    DetailsPool& operator=(const DetailsPool&) = delete;

    // Queues the file open at `fd` (owned by the pool from now on, also when it is not taken),
    // of kind `kind` (None: only its hash), whose row gets `key`'s id, CD and stamp; with `hash`
    // its contents are hashed too, and `path` names it where that fails. False when the queue is
    // full: the caller waits (WaitForRoom) and offers it again.
    bool TryAdd(int fd, DetailsKind kind, const FileDetails& key, bool hash = false, const std::string& path = {});
    // Waits until the queue has room or `wait` has passed.
    void WaitForRoom(std::chrono::milliseconds wait);
    // Writes a row that needs no reading (a file that could not be opened).
    bool Put(const FileDetails& details);

    // A file whose contents could not be hashed: its path and why.
    struct Problem {
        std::string path;
        std::string reason;
    };
    // The files hashing failed on, in no particular order; complete after Finish.
    std::vector<Problem> Problems() const;
    void AddProblem(Problem problem);

    // Waits until every queued file is read and written, runs `last` (when set) inside the same
    // transaction, and commits. False when the database could not be written (Error says why).
    bool Finish(const std::function<bool()>& last = {});
    // Abandons what is still queued and waits for the files being read; nothing is committed.
    void Stop();

    const std::string& Error() const { return error_; }
    int64_t FilesRead() const;

    // Two workers where there are two cores or more: the walk has the rest.
    static int DefaultWorkers();

private:
    struct Job {
        int fd;
        DetailsKind kind;
        FileDetails key;
        bool hash;
        std::string path;
    };

    void Work();
    bool Write(const ExtractedDetails& extracted);
    void Join();

    DetailsDatabase& db_;
    const uint32_t options_;
    const DetailsLimits limits_;
    size_t capacity_;

    mutable std::mutex mutex_;  // the queue and the counters
    std::condition_variable wake_;
    std::condition_variable room_;
    std::deque<Job> queue_;
    bool closing_ = false;
    bool abandon_ = false;
    int busy_ = 0;
    int64_t read_ = 0;
    std::vector<Problem> problems_;
    std::atomic<bool> stopping_{false};  // a hashing under way gives up

    std::mutex dbMutex_;  // the database connection and the batch
    int batched_ = 0;
    std::chrono::steady_clock::time_point batchStart_;
    bool failed_ = false;
    std::string error_;

    std::vector<std::thread> workers_;
};

}  // namespace karvio
