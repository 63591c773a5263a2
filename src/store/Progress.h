// Progress and yielding seams of long operations (scan, search, report, copy). The engine calls
// these free functions; the desktop program installs a sink that drives the status-bar progress
// bar and a yield hook that pumps events, the CLI a terminal bar and a Ctrl-C check, tests
// nothing. The sink and the hook belong to the thread that installs them: a walk on a worker
// thread reports through what that thread installed (by default nothing).
#pragma once

#include <functional>
#include <memory>

namespace karvio {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // Starts a determinate progress of `maximum` steps.
    virtual void Start(int maximum) = 0;
    virtual void Step() = 0;
    // Moves an indeterminate progress on by one tick.
    virtual void Bounce() = 0;
    virtual void End() = 0;
};

// Installs the sink (nullptr for none) and returns the previous one. The caller keeps ownership.
ProgressSink* SetProgressSink(ProgressSink* sink);

void ProgressStart(int maximum);
void ProgressStep();
void ProgressBounce();
void ProgressEnd();

// Lets pending user-interface events run. Installed by the program; none by default.
using YieldHook = std::function<void()>;
YieldHook SetYieldHook(YieldHook hook);

// Calls the yield hook when at least the yield interval (about 20 ms) has passed since the last
// call that yielded; cheap enough to call once per record of a walk.
void YieldIfDue();

// Calls the yield hook now.
void YieldNow();

}  // namespace karvio
