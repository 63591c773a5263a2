// Runs find-box queries on a worker thread of its own, so typing never waits for a query: each
// Query supersedes the one before (a generation counter that the running query watches ends it
// at its next look), and the worker builds the index on first use and again whenever it was
// marked out of date or the data file changed under it. Answers go to the listener on the worker
// thread: the first screen as soon as it is found, then the whole answer. The public calls are
// for one thread (the user-interface thread); the index handed out is immutable and shared.
#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "QuickIndex.h"

namespace karvio {

struct QuickAnswer {
    uint64_t generation = 0;               // of the Query it answers
    std::shared_ptr<const QuickIndex> index;  // what the rows index into
    std::vector<int32_t> rows;
    int64_t count = 0;                     // every match so far; final when `complete`
    bool complete = false;
    QString error;                         // the query or the catalogue could not be read
};

class QuickFinder {
public:
    using Listener = std::function<void(QuickAnswer)>;

    QuickFinder(std::string path, Listener listener, size_t firstScreenRows = 100);
    ~QuickFinder();
    QuickFinder(const QuickFinder&) = delete;
    QuickFinder& operator=(const QuickFinder&) = delete;

    // Starts a query and returns at once; the previous one is abandoned. Returns its generation.
    uint64_t Query(const QString& text, QuickMatchMode mode);
    // The catalogue changed: the index is built again (in the background) before the next
    // query, and the current query is asked again against it.
    void Invalidate();
    // Points the finder at another data file (rebuilds on the next query).
    void SetPath(const std::string& path);
    uint64_t Generation() const { return generation_.load(); }
    // The index as last built (null before the first build).
    std::shared_ptr<const QuickIndex> Index() const;

private:
    void Run();

    Listener listener_;
    size_t firstScreenRows_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::string path_;
    QString text_;
    QuickMatchMode mode_ = QuickMatchMode::Anywhere;
    bool pending_ = false;
    bool stale_ = true;
    bool quit_ = false;
    std::shared_ptr<const QuickIndex> index_;
    std::atomic<uint64_t> generation_{0};
    std::atomic<bool> cancel_{false};
    std::thread worker_;
};

}  // namespace karvio
