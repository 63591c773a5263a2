// A small painted animation for the progress windows: a fixed-size widget that steps through
// its frames on a timer and repaints; a subclass draws Frame() in its paintEvent. The timer
// only fires while the event loop runs, so a busy window shows the animation standing still.
// User-interface thread.
#pragma once

#include <QTimer>
#include <QWidget>

namespace karvio {

class FrameAnimation : public QWidget {
public:
    FrameAnimation(QWidget* parent, int frameCount, int intervalMs) : QWidget(parent), frameCount_(frameCount) {
        setFixedSize(96, 64);
        timer_.setInterval(intervalMs);
        connect(&timer_, &QTimer::timeout, this, [this] {
            frame_ = (frame_ + 1) % frameCount_;
            update();
        });
        timer_.start();
    }
    int Frame() const { return frame_; }
    bool Running() const { return timer_.isActive(); }

private:
    QTimer timer_;
    int frameCount_;
    int frame_ = 0;
};

}  // namespace karvio
