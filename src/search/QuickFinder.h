// Runs find-box queries and keeps the index they run on, each on a worker thread of its own, so
// that typing never waits: each Query supersedes the one before (a generation counter that the
// running query watches ends it at its next look). The builder reads the catalogue into the index
// as soon as Prepare asks (the program asks once its window is up), updates it after this
// program's own changes by reading only what they touched, and builds it anew in the background
// after another program's change, while queries go on being answered from the index held until
// the new one is ready; then the query on show is asked again. Answers go to the listener on the
// query thread: the first screen as soon as it is found, then the whole answer. The public calls
// are for one thread (the user-interface thread); the index handed out is immutable and shared.
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
#include <vector>

#include "DetailsIndex.h"
#include "QuickIndex.h"

namespace karvio {

struct QuickAnswer {
    uint64_t generation = 0;               // of the Query it answers
    std::shared_ptr<const QuickIndex> index;  // what the rows index into
    std::vector<int32_t> rows;
    int64_t count = 0;                     // every match so far; final when `complete`
    bool complete = false;
    bool reading = false;                  // the index is being built anew (the answer is from the one before)
    QString error;                         // the query or the catalogue could not be read
    // What the details filters and the members of archives add, after `rows` (complete answers).
    std::shared_ptr<const DetailsIndex> details;
    std::vector<DetailsHit> detailHits;
};

class QuickFinder {
public:
    using Listener = std::function<void(QuickAnswer)>;

    QuickFinder(std::string path, Listener listener, size_t firstScreenRows = 100);
    ~QuickFinder();
    QuickFinder(const QuickFinder&) = delete;
    QuickFinder& operator=(const QuickFinder&) = delete;

    // Reads the catalogue into the index now, in the background, unless it is held or on its way.
    void Prepare();
    // Starts a query and returns at once; the previous one is abandoned. Returns its generation.
    // While the first index is being read the query is answered from the CDs read so far (not
    // complete answers, asked again as more is read) and then from the whole index. A file that
    // changed since the index was read (and no Update on its way) is read anew in the background.
    uint64_t Query(const QString& text, QuickMatchMode mode);
    // This program changed the catalogue: the index is updated in the background, reading again
    // the CDs whose records changed and those holding the records `writtenIds` (the ids this
    // program wrote in place); then the query on show is asked again.
    void Update(std::vector<int32_t> writtenIds);
    // Another program changed or replaced the file: the index is built anew in the background.
    void Invalidate();
    // Points the finder at another data file (built anew).
    void SetPath(const std::string& path);
    uint64_t Generation() const { return generation_.load(); }
    // The index as last built (null before the first build).
    std::shared_ptr<const QuickIndex> Index() const;
    // Whether the index is being built or updated.
    bool Busy() const;
    // How many times the index was built from the whole file, and updated (for tests and the
    // benchmark).
    int Builds() const { return builds_.load(); }
    int Updates() const { return updates_.load(); }

    // Called on the builder thread before each build or update, and during a first reading after
    // each look the query thread is given at what has been read so far (tests hold a build with it).
    void SetBuildGate(std::function<void()> gate);

private:
    void RunQueries();
    void RunBuilds();
    // REQUIRES: mutex_ held. Asks the query on show again (its rows may be void).
    void RequeryLocked();

    Listener listener_;
    std::function<void()> gate_;
    size_t firstScreenRows_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;       // the query thread: a query, an index, quit
    std::condition_variable buildWake_;  // the builder: work, quit
    std::string path_;
    QString text_;
    QuickMatchMode mode_ = QuickMatchMode::Anywhere;
    bool pending_ = false;
    bool quit_ = false;
    // Builder state: a whole build wanted, an update wanted (with the ids written), one running.
    bool buildWanted_ = false;
    bool updateWanted_ = false;
    bool building_ = false;
    std::vector<int32_t> writtenIds_;
    QString buildError_;
    std::shared_ptr<const QuickIndex> index_;
    std::shared_ptr<const QuickIndex> readSoFar_;  // of the first index being read, while index_ is null
    std::shared_ptr<const DetailsIndex> details_;
    std::atomic<uint64_t> generation_{0};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> cancelBuild_{false};
    std::atomic<int> builds_{0}, updates_{0};
    std::thread builder_;
    std::thread worker_;
};

}  // namespace karvio
