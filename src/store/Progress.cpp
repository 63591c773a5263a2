#include "Progress.h"

#include <chrono>
#include <utility>

namespace karvio {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kYieldInterval = std::chrono::milliseconds(20);

// Each thread has its own sink and hook: a worker's walk reports through what its thread
// installed (nothing unless it installs something), never through the windows' own.
ProgressSink*& Sink() {
    thread_local ProgressSink* sink = nullptr;
    return sink;
}

YieldHook& Hook() {
    thread_local YieldHook hook;
    return hook;
}

// Whether a hook is installed, for the check a walk makes at every record; constant-initialised.
thread_local bool hookInstalled = false;

Clock::time_point& LastYield() {
    thread_local Clock::time_point last = Clock::now();
    return last;
}

}  // namespace

ProgressSink* SetProgressSink(ProgressSink* sink) { return std::exchange(Sink(), sink); }

void ProgressStart(int maximum) {
    if (ProgressSink* sink = Sink()) sink->Start(maximum);
}

void ProgressStep() {
    if (ProgressSink* sink = Sink()) sink->Step();
}

void ProgressBounce() {
    if (ProgressSink* sink = Sink()) sink->Bounce();
}

void ProgressEnd() {
    if (ProgressSink* sink = Sink()) sink->End();
}

YieldHook SetYieldHook(YieldHook hook) {
    hookInstalled = static_cast<bool>(hook);
    return std::exchange(Hook(), std::move(hook));
}

void YieldNow() {
    LastYield() = Clock::now();
    if (const YieldHook& hook = Hook()) hook();
}

void YieldIfDue() {
    if (!hookInstalled) return;
    const auto now = Clock::now();
    if (now - LastYield() < kYieldInterval) return;
    YieldNow();
}

}  // namespace karvio
