#include "QuickFinder.h"

namespace karvio {

QuickFinder::QuickFinder(std::string path, Listener listener, size_t firstScreenRows)
    : listener_(std::move(listener)), firstScreenRows_(firstScreenRows), path_(std::move(path)) {
    worker_ = std::thread([this] { Run(); });
}

QuickFinder::~QuickFinder() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        cancel_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

uint64_t QuickFinder::Query(const QString& text, QuickMatchMode mode) {
    uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        text_ = text;
        mode_ = mode;
        pending_ = true;
        generation = ++generation_;
        cancel_ = true;
    }
    wake_.notify_one();
    return generation;
}

void QuickFinder::Invalidate() {
    {
        std::lock_guard lock(mutex_);
        stale_ = true;
        // The shown answer may hold ids the change made void: ask the same query again.
        pending_ = true;
        ++generation_;
        cancel_ = true;
    }
    wake_.notify_one();
}

void QuickFinder::SetPath(const std::string& path) {
    {
        std::lock_guard lock(mutex_);
        path_ = path;
        stale_ = true;
    }
    Invalidate();
}

std::shared_ptr<const QuickIndex> QuickFinder::Index() const {
    std::lock_guard lock(mutex_);
    return index_;
}

void QuickFinder::Run() {
    for (;;) {
        QString text;
        QuickMatchMode mode;
        uint64_t generation = 0;
        bool rebuild = false;
        std::string path;
        std::shared_ptr<const QuickIndex> index;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || pending_; });
            if (quit_) return;
            pending_ = false;
            cancel_ = false;
            text = text_;
            mode = mode_;
            generation = generation_;
            path = path_;
            index = index_;
            rebuild = stale_ || !index || index->BuiltFrom() != path;
            stale_ = false;
        }
        // Another program's write shows in the file's stamp: a look per query costs one stat.
        if (!rebuild && index->IsStale()) rebuild = true;
        QuickAnswer answer;
        answer.generation = generation;
        if (rebuild) {
            auto fresh = std::make_shared<QuickIndex>();
            std::string error;
            if (!fresh->Build(path, &error)) answer.error = QString::fromStdString(error);
            index = fresh;
            std::lock_guard lock(mutex_);
            index_ = fresh;
        }
        answer.index = index;
        const QuickQuery query = ParseQuickQuery(text);
        if (answer.error.isEmpty()) answer.error = query.error;
        if (!answer.error.isEmpty() || query.IsEmpty()) {
            answer.complete = true;
            if (generation == generation_) listener_(std::move(answer));
            continue;
        }
        auto screen = [&](const std::vector<int32_t>& rows) {
            if (generation != generation_) return;
            QuickAnswer first;
            first.generation = generation;
            first.index = index;
            first.rows = rows;
            first.count = static_cast<int64_t>(rows.size());
            listener_(std::move(first));
        };
        QuickResult result = index->Find(query, mode, firstScreenRows_, screen, &cancel_);
        if (result.cancelled || generation != generation_) continue;
        answer.rows = std::move(result.rows);
        answer.count = result.count;
        answer.complete = true;
        listener_(std::move(answer));
    }
}

}  // namespace karvio
