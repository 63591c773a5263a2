// Stopping karvio-cli: SIGINT, SIGTERM and SIGHUP never kill the process in the middle of a
// write. Their handlers, installed once for the whole run, only note the signal; commands check
// it at points where stopping leaves the catalogue consistent (the walks' yield points, the end
// of each record written out) and then end with status 128 + the signal's number (130 for
// SIGINT, 143 for SIGTERM), whether or not a terminal is attached.
//
// While a scan asks on a terminal (InterruptQuestion), Ctrl-C is a request to ask whether to
// cancel instead of a stop; the third unanswered press stops it all the same.
#pragma once

#include <atomic>
#include <string>

namespace karvio::cli {

// Installs the handlers (with SA_RESTART, so the store's reads and writes go on undisturbed).
void InstallStopSignals();

// The signal that asked to stop; 0 while none did.
int StopSignal();

// Set once a stop is asked: the stop flag the engine's walks take.
const std::atomic<bool>& StopFlag();

// The exit status of a stopped command: 128 + StopSignal().
int StopStatus();

// "SIGINT", "SIGTERM", "SIGHUP".
const char* StopSignalName();

// Flushes what was written, says "karvio-cli: <what> stopped by SIGINT" (with `what` empty:
// "karvio-cli: stopped by SIGINT") on stderr and ends with StopStatus(). Only where stopping
// leaves the catalogue consistent.
[[noreturn]] void ExitStopped(const std::string& what = {});

// ExitStopped(what) when a stop was asked.
inline void ExitIfStopped(const char* what = "") {
    if (StopFlag().load(std::memory_order_relaxed)) ExitStopped(what);
}

// For the lifetime of one: SIGINT presses are counted as requests to ask instead of stopping.
// One at a time; user-interface thread.
class InterruptQuestion {
public:
    InterruptQuestion();
    ~InterruptQuestion();
    InterruptQuestion(const InterruptQuestion&) = delete;
    InterruptQuestion& operator=(const InterruptQuestion&) = delete;

    // Whether a press is waiting to be asked about; takes it.
    bool TakePress();
};

}  // namespace karvio::cli
