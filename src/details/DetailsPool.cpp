#include "DetailsPool.h"

#include <unistd.h>

#include <algorithm>
#include <optional>

namespace karvio {

namespace {

// A batch is committed after this many rows or this long, whichever comes first: few syncs, and
// a kill loses little.
constexpr int kBatchRows = 2000;
constexpr auto kBatchTime = std::chrono::seconds(2);
constexpr size_t kJobsPerWorker = 16;

}  // namespace

int DetailsPool::DefaultWorkers() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 2u));
}

DetailsPool::DetailsPool(DetailsDatabase& db, uint32_t options, const DetailsLimits& limits, int workers)
    : db_(db), options_(options), limits_(limits) {
    workers = std::max(workers, 1);
    capacity_ = kJobsPerWorker * static_cast<size_t>(workers);
    if (!db_.Begin()) {
        failed_ = true;
        error_ = db_.Error();
    }
    batchStart_ = std::chrono::steady_clock::now();
    for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
}

DetailsPool::~DetailsPool() {
    Stop();
}

bool DetailsPool::TryAdd(int fd, DetailsKind kind, const FileDetails& key, bool hash, const std::string& path) {
    {
        std::lock_guard lock(mutex_);
        if (!closing_ && queue_.size() < capacity_) {
            queue_.push_back(Job{fd, kind, key, hash, path});
            wake_.notify_one();
            return true;
        }
        if (!closing_) return false;
    }
    ::close(fd);
    return true;
}

void DetailsPool::WaitForRoom(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    room_.wait_for(lock, wait, [this] { return queue_.size() < capacity_ || closing_; });
}

bool DetailsPool::Put(const FileDetails& details) {
    ExtractedDetails extracted;
    extracted.details = details;
    return Write(extracted);
}

void DetailsPool::Work() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return !queue_.empty() || closing_; });
            if (queue_.empty() || abandon_) return;
            job = std::move(queue_.front());
            queue_.pop_front();
            ++busy_;
            room_.notify_one();
        }
        std::optional<ContentHash> hash;
        std::string hashNote;
        if (job.hash) {
            // Hashed first, from the first byte: the readers may leave the offset anywhere.
            const HashResult hashed = HashDescriptor(job.fd, &stopping_);
            if (hashed.outcome == HashOutcome::Done) {
                hash = hashed.hash;
            } else if (hashed.outcome != HashOutcome::Stopped) {
                hashNote = HashOutcomeText(hashed);
                AddProblem({job.path, hashNote});
            }
        }
        ExtractedDetails extracted;
        if (job.kind != DetailsKind::None) extracted = ExtractDetails(job.fd, job.kind, options_, limits_);
        ::close(job.fd);
        FileDetails& d = extracted.details;
        d.hash = hash;
        if (!hashNote.empty()) d.note = d.note.empty() ? hashNote : hashNote + "; " + d.note;
        d.fileId = job.key.fileId;
        d.cdId = job.key.cdId;
        d.nameHash = job.key.nameHash;
        d.size = job.key.size;
        d.date = job.key.date;
        Write(extracted);
        {
            std::lock_guard lock(mutex_);
            --busy_;
            ++read_;
        }
    }
}

bool DetailsPool::Write(const ExtractedDetails& extracted) {
    std::lock_guard lock(dbMutex_);
    if (failed_) return false;
    if (!db_.PutFile(extracted.details, extracted.members, extracted.thumbnail)) {
        failed_ = true;
        error_ = db_.Error();
        return false;
    }
    if (++batched_ >= kBatchRows || std::chrono::steady_clock::now() - batchStart_ >= kBatchTime) {
        if (!db_.Commit() || !db_.Begin()) {
            failed_ = true;
            error_ = db_.Error();
            return false;
        }
        batched_ = 0;
        batchStart_ = std::chrono::steady_clock::now();
    }
    return true;
}

void DetailsPool::Join() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    room_.notify_all();
    for (std::thread& worker : workers_) {
        if (worker.joinable()) worker.join();
    }
    workers_.clear();
}

bool DetailsPool::Finish(const std::function<bool()>& last) {
    Join();
    std::lock_guard lock(dbMutex_);
    if (!failed_ && last && !last()) {
        failed_ = true;
        error_ = db_.Error();
    }
    if (!failed_ && !db_.Commit()) {
        failed_ = true;
        error_ = db_.Error();
    }
    if (failed_) db_.Rollback();
    return !failed_;
}

std::vector<DetailsPool::Problem> DetailsPool::Problems() const {
    std::lock_guard lock(mutex_);
    return problems_;
}

void DetailsPool::AddProblem(Problem problem) {
    std::lock_guard lock(mutex_);
    problems_.push_back(std::move(problem));
}

void DetailsPool::Stop() {
    stopping_ = true;
    {
        std::lock_guard lock(mutex_);
        abandon_ = true;
        for (const Job& job : queue_) ::close(job.fd);
        queue_.clear();
    }
    Join();
    std::lock_guard lock(dbMutex_);
    db_.Rollback();
}

int64_t DetailsPool::FilesRead() const {
    std::lock_guard lock(mutex_);
    return read_;
}

}  // namespace karvio
