#include "Progress.h"

#include <chrono>
#include <utility>

namespace karvio {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kYieldInterval = std::chrono::milliseconds(20);

ProgressSink*& Sink() {
    static ProgressSink* sink = nullptr;
    return sink;
}

YieldHook& Hook() {
    static YieldHook hook;
    return hook;
}

// Whether a hook is installed, for the check a walk makes at every record; constant-initialised.
bool hookInstalled = false;

Clock::time_point& LastYield() {
    static Clock::time_point last = Clock::now();
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
