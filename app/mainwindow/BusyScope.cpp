#include "mainwindow/BusyScope.h"

#include <QApplication>
#include <QPushButton>

#include "mainwindow/frmMenu.h"

namespace karvio {

namespace {
// How often a worker's progress reaches the bar.
constexpr int kProgressIntervalMs = 50;
}  // namespace

void BusyScope::Relay::Start(int maximum) {
    maximum_ = maximum;
    ended_ = false;
    starts_.fetch_add(1, std::memory_order_release);
}

BusyScope::BusyScope(bool stoppable, int endMode)
    : menu_(frmMenu::Instance()), endMode_(endMode), stoppable_(stoppable) {
    // The arrow with the hourglass: the program is busy, and still takes a click on Stop.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    if (menu_) {
        if (endMode_ != kMenusStay) menu_->SetMenuState(kModeBusy);
        if (stoppable_) {
            QPushButton* button = menu_->StopButton();
            button->setText(tr("Stop"));
            button->setEnabled(true);
            button->show();
            stopClicks_ = connect(button, &QPushButton::clicked, this, &BusyScope::Stop);
        }
    }
    timer_.setInterval(kProgressIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &BusyScope::ShowProgress);
    timer_.start();
}

BusyScope::~BusyScope() {
    QApplication::restoreOverrideCursor();
    if (!menu_) return;
    if (stoppable_) {
        disconnect(stopClicks_);
        menu_->StopButton()->hide();
    }
    menu_->ProgressEnd();
    if (endMode_ >= 0) menu_->SetMenuState(endMode_);
}

void BusyScope::Stop() {
    if (stop_.exchange(true)) return;
    if (menu_ && stoppable_) {
        menu_->StopButton()->setText(tr("Stopping..."));
        menu_->StopButton()->setEnabled(false);
    }
    emit stopped();
}

void BusyScope::ShowProgress() {
    if (!menu_) return;
    const int starts = relay_.starts_.load(std::memory_order_acquire);
    if (starts != startsSeen_) {
        startsSeen_ = starts;
        stepsSeen_ = relay_.steps_.load();
        bouncesSeen_ = relay_.bounces_.load();
        menu_->ProgressStart(relay_.maximum_.load());
    }
    if (startsSeen_ == 0) return;
    const int steps = relay_.steps_.load(std::memory_order_relaxed);
    for (; stepsSeen_ < steps; ++stepsSeen_) menu_->ProgressStep();
    const int bounces = relay_.bounces_.load(std::memory_order_relaxed);
    // A bounce only says the work goes on: one tick a look is enough.
    if (bounces != bouncesSeen_) {
        bouncesSeen_ = bounces;
        menu_->ProgressBounce();
    }
    if (relay_.ended_.exchange(false)) menu_->ProgressEnd();
}

BackgroundWork::BackgroundWork(QObject* context, std::function<void()> work,
                               std::function<void()> done, ProgressSink* progress) {
    QPointer<QObject> guard(context);
    thread_ = std::thread([this, guard = std::move(guard), work = std::move(work),
                           done = std::move(done), progress]() mutable {
        if (progress) SetProgressSink(progress);
        work();
        finished_ = true;
        // Whether `context` is still there is asked on its own thread, where it may be deleted:
        // here the answer could change before the call is queued.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard = std::move(guard), done = std::move(done)] {
                if (guard) done();
            },
            Qt::QueuedConnection);
    });
}

BackgroundWork::~BackgroundWork() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace karvio
