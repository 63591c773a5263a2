// Long operations of the program (the search window's walk, backup, compaction, printing, a report
// page, a CD's directories) run on a worker thread or in timer slices, so the event loop is never
// held and Stop can be pressed. BusyScope owns what the user sees meanwhile, from the operation's
// start to its end however it ends: the busy pointer, the main window's busy menu state, the
// progress bar in the status bar with the Stop button beside it, and the Stop flag the work reads.
// BackgroundWork runs a function on a thread of its own and hands its end back to the windows'
// thread. Both belong to the user-interface thread; the flag and the worker's progress sink may
// be used from the worker.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

#include "Progress.h"
#include "mainwindow/MenuState.h"

namespace karvio {

class frmMenu;

class BusyScope : public QObject {
    Q_OBJECT

public:
    // `endMode` for work that leaves every command usable: the menus are not made busy, and
    // nothing is put back at the end.
    static constexpr int kMenusStay = -2;

    // `stoppable` shows the Stop button; `endMode` is the menu state put back at the end (-1
    // leaves the menus to the caller).
    explicit BusyScope(bool stoppable = true, int endMode = kModeCdShown);
    ~BusyScope() override;
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    const std::atomic<bool>& StopFlag() const { return stop_; }
    bool Stopped() const { return stop_.load(); }
    // As the Stop button: sets the flag, says so on the button, and tells `stopped`.
    void Stop();
    void SetEndMode(int mode) { endMode_ = mode; }

    // A progress sink for the worker thread (install it there with SetProgressSink): its steps
    // reach the status bar's progress bar a few times a second.
    ProgressSink* WorkerProgress() { return &relay_; }

signals:
    void stopped();

private:
    // Carries a worker's progress to the progress bar through counters the timer reads.
    class Relay : public ProgressSink {
    public:
        void Start(int maximum) override;
        void Step() override { steps_.fetch_add(1, std::memory_order_relaxed); }
        void Bounce() override { bounces_.fetch_add(1, std::memory_order_relaxed); }
        void End() override { ended_ = true; }

        std::atomic<int> maximum_{-1};
        std::atomic<int> starts_{0};
        std::atomic<int> steps_{0};
        std::atomic<int> bounces_{0};
        std::atomic<bool> ended_{false};
    };
    void ShowProgress();

    QPointer<frmMenu> menu_;
    std::atomic<bool> stop_{false};
    int endMode_;
    bool stoppable_;
    Relay relay_;
    QTimer timer_;
    int startsSeen_ = 0, stepsSeen_ = 0, bouncesSeen_ = 0;
    QMetaObject::Connection stopClicks_;
};

class BackgroundWork {
public:
    // Runs `work` on a thread of its own with `progress` (may be null) as its progress sink, then
    // `done` on the user-interface thread unless `context` (an object of that thread) is gone by
    // then.
    BackgroundWork(QObject* context, std::function<void()> work, std::function<void()> done,
                   ProgressSink* progress = nullptr);
    // Waits for the thread (the work must watch a stop flag the owner sets first).
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    bool Finished() const { return finished_.load(); }

private:
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace karvio
