#include "QuickFinder.h"

#include <chrono>

namespace karvio {

QuickFinder::QuickFinder(std::string path, Listener listener, size_t firstScreenRows)
    : listener_(std::move(listener)), firstScreenRows_(firstScreenRows), path_(std::move(path)) {
    builder_ = std::thread([this] { RunBuilds(); });
    worker_ = std::thread([this] { RunQueries(); });
}

QuickFinder::~QuickFinder() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        cancel_ = true;
        cancelBuild_ = true;
    }
    wake_.notify_all();
    buildWake_.notify_all();
    worker_.join();
    builder_.join();
}

void QuickFinder::Prepare() {
    {
        std::lock_guard lock(mutex_);
        if (index_ || building_ || buildWanted_) return;
        buildWanted_ = true;
    }
    buildWake_.notify_one();
}

uint64_t QuickFinder::Query(const QString& text, QuickMatchMode mode) {
    uint64_t generation = 0;
    bool build = false;
    {
        std::lock_guard lock(mutex_);
        text_ = text;
        mode_ = mode;
        pending_ = true;
        generation = ++generation_;
        cancel_ = true;
        if (!building_ && !buildWanted_ && !updateWanted_) {
            // Another program's write shows in the file's stamp (one stat a keystroke): the
            // index is built anew in the background while this query runs on the one held.
            if (!index_ || index_->IsStale()) build = buildWanted_ = true;
        }
    }
    wake_.notify_all();
    if (build) buildWake_.notify_one();
    return generation;
}

void QuickFinder::Update(std::vector<int32_t> writtenIds) {
    {
        std::lock_guard lock(mutex_);
        writtenIds_.insert(writtenIds_.end(), writtenIds.begin(), writtenIds.end());
        updateWanted_ = true;
    }
    buildWake_.notify_one();
}

void QuickFinder::Invalidate() {
    {
        std::lock_guard lock(mutex_);
        buildWanted_ = true;
        // A build of the file as it was is of no use any more.
        cancelBuild_ = true;
    }
    buildWake_.notify_one();
}

void QuickFinder::SetPath(const std::string& path) {
    {
        std::lock_guard lock(mutex_);
        path_ = path;
    }
    Invalidate();
}

void QuickFinder::SetBuildGate(std::function<void()> gate) {
    std::lock_guard lock(mutex_);
    gate_ = std::move(gate);
}

std::shared_ptr<const QuickIndex> QuickFinder::Index() const {
    std::lock_guard lock(mutex_);
    return index_;
}

bool QuickFinder::Busy() const {
    std::lock_guard lock(mutex_);
    return building_ || buildWanted_ || updateWanted_;
}

void QuickFinder::RequeryLocked() {
    // A query still waiting runs on the new index as it is.
    if (pending_ || text_.trimmed().isEmpty()) return;
    pending_ = true;
    ++generation_;
    cancel_ = true;
}

void QuickFinder::RunBuilds() {
    for (;;) {
        std::string path;
        std::shared_ptr<const QuickIndex> held;
        std::vector<int32_t> written;
        std::function<void()> gate;
        bool whole = false;
        {
            std::unique_lock lock(mutex_);
            buildWake_.wait(lock, [this] { return quit_ || buildWanted_ || updateWanted_; });
            if (quit_) return;
            path = path_;
            held = index_;
            // An update needs an index of the same file to start from; else the file is read whole.
            whole = buildWanted_ || !held || held->BuiltFrom() != path;
            buildWanted_ = updateWanted_ = false;
            written.swap(writtenIds_);
            building_ = true;
            cancelBuild_ = false;
            gate = gate_;
        }
        // A query waiting for the first index hears that one is on its way.
        wake_.notify_all();
        if (gate) gate();
        auto fresh = std::make_shared<QuickIndex>();
        auto freshDetails = std::make_shared<DetailsIndex>();
        std::string error;
        // After this program's own change an index that still matches the file needs nothing.
        const bool needed = whole || held->IsStale() || !written.empty();
        bool ok = true;
        // The first reading of a file is shown as it goes: the query on show is answered from
        // the CDs read so far, at most every few dozen milliseconds. A running query is not cut
        // short for it; the next one takes what has been read by then.
        std::function<void(const QuickIndex&)> readSoFar;
        std::chrono::steady_clock::time_point shown{};
        if (whole && !held) {
            readSoFar = [this, &shown, &gate](const QuickIndex& read) {
                const auto now = std::chrono::steady_clock::now();
                if (now - shown < std::chrono::milliseconds(40)) return;
                shown = now;
                std::shared_ptr<const QuickIndex> snapshot = read.Snapshot();
                {
                    std::lock_guard lock(mutex_);
                    if (quit_ || cancelBuild_) return;
                    readSoFar_ = std::move(snapshot);
                    if (text_.trimmed().isEmpty()) return;
                    pending_ = true;
                }
                wake_.notify_all();
                if (gate) gate();
            };
        }
        if (needed) {
            if (!whole) {
                ok = fresh->Update(*held, std::move(written), &error);
            } else if (held && held->BuiltFrom() == path) {
                ok = fresh->Rebuild(*held, &error, &cancelBuild_);
            } else {
                ok = fresh->Build(path, &error, &cancelBuild_, readSoFar);
            }
            (whole ? builds_ : updates_)++;
            // What scans read inside files, tied to the entries just read.
            if (ok) freshDetails->Build(path, *fresh);
        }
        {
            std::lock_guard lock(mutex_);
            building_ = false;
            readSoFar_.reset();
            if (quit_) return;
            if (!needed) continue;
            if (!ok && cancelBuild_) continue;  // superseded by a build of the file as it is now
            // A file that cannot be read leaves an empty index and says why.
            buildError_ = ok ? QString() : QString::fromStdString(error);
            index_ = std::move(fresh);
            details_ = std::move(freshDetails);
            if (!readSoFar) {
                RequeryLocked();
            } else if (!pending_ && !text_.trimmed().isEmpty()) {
                // The query on show, answered so far from part of the file, is answered whole
                // under the same generation: it is still the user's latest query.
                pending_ = true;
                cancel_ = true;
            }
        }
        wake_.notify_all();
    }
}

void QuickFinder::RunQueries() {
    for (;;) {
        QString text;
        QuickMatchMode mode;
        uint64_t generation = 0;
        std::shared_ptr<const QuickIndex> index;
        QuickAnswer answer;
        std::shared_ptr<const DetailsIndex> details;
        bool soFar = false;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] {
                return quit_ || (pending_ && (index_ || readSoFar_ || (!building_ && !buildWanted_)));
            });
            if (quit_) return;
            pending_ = false;
            cancel_ = false;
            text = text_;
            mode = mode_;
            generation = generation_;
            index = index_ ? index_ : readSoFar_;
            soFar = !index_ && readSoFar_;
            answer.error = buildError_;
            // An answer from the CDs read so far is incomplete, not one from an older index.
            answer.reading = !soFar && (building_ || buildWanted_);
            details = details_;
        }
        answer.generation = generation;
        answer.index = index;
        answer.details = details;
        const FullQuery full = ParseFullQuery(text);
        const QuickQuery& query = full.names;
        if (answer.error.isEmpty()) answer.error = full.Error();
        if (!index || !answer.error.isEmpty() || (query.IsEmpty() && full.details.IsEmpty())) {
            answer.complete = true;
            if (generation == generation_) listener_(std::move(answer));
            continue;
        }
        const bool reading = answer.reading;
        auto screen = [&](const std::vector<int32_t>& rows) {
            if (generation != generation_) return;
            QuickAnswer first;
            first.generation = generation;
            first.index = index;
            first.rows = rows;
            first.count = static_cast<int64_t>(rows.size());
            first.reading = reading;
            listener_(std::move(first));
        };
        // The details filters look at files' details only; words look at names and members too.
        QuickResult result;
        if (full.details.IsEmpty()) result = index->Find(query, mode, firstScreenRows_, screen, &cancel_);
        if (result.cancelled || generation != generation_) continue;
        if (details) answer.detailHits = details->Find(*index, full, mode, &cancel_);
        if (generation != generation_) continue;
        answer.rows = std::move(result.rows);
        answer.count = result.count + static_cast<int64_t>(answer.detailHits.size());
        answer.complete = !soFar;
        listener_(std::move(answer));
    }
}

}  // namespace karvio
