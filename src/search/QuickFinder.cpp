#include "QuickFinder.h"

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
        if (needed) {
            ok = whole ? fresh->Build(path, &error, &cancelBuild_) : fresh->Update(*held, std::move(written), &error);
            (whole ? builds_ : updates_)++;
            // What scans read inside files, tied to the entries just read.
            if (ok) freshDetails->Build(path, *fresh);
        }
        {
            std::lock_guard lock(mutex_);
            building_ = false;
            if (quit_) return;
            if (!needed) continue;
            if (!ok && cancelBuild_) continue;  // superseded by a build of the file as it is now
            // A file that cannot be read leaves an empty index and says why.
            buildError_ = ok ? QString() : QString::fromStdString(error);
            index_ = std::move(fresh);
            details_ = std::move(freshDetails);
            RequeryLocked();
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
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || (pending_ && (index_ || (!building_ && !buildWanted_))); });
            if (quit_) return;
            pending_ = false;
            cancel_ = false;
            text = text_;
            mode = mode_;
            generation = generation_;
            index = index_;
            answer.error = buildError_;
            answer.reading = building_ || buildWanted_;
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
        answer.complete = true;
        listener_(std::move(answer));
    }
}

}  // namespace karvio
