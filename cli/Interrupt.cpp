#include "Interrupt.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>

#include "Output.h"

namespace karvio::cli {

namespace {

constexpr int kPressesThatStop = 3;

volatile sig_atomic_t gSignal = 0;
volatile sig_atomic_t gAsking = 0;
volatile sig_atomic_t gPresses = 0;
std::atomic<bool> gStop{false};

void OnStopSignal(int sig) {
    if (sig == SIGINT && gAsking) {
        gPresses = gPresses + 1;
        if (gPresses < kPressesThatStop) return;
    }
    if (gSignal == 0) gSignal = sig;
    gStop.store(true);
}

}  // namespace

void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        // A signal ignored by whoever started us (nohup, a shell's background job) stays ignored.
        if (::sigaction(sig, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        ::sigaction(sig, &action, nullptr);
    }
}

int StopSignal() { return gSignal; }

const std::atomic<bool>& StopFlag() { return gStop; }

int StopStatus() { return 128 + gSignal; }

const char* StopSignalName() {
    switch (gSignal) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        default: return "a signal";
    }
}

void ExitStopped(const std::string& what) {
    FlushOutputQuietly();
    std::fprintf(stderr, "karvio-cli: %s%sstopped by %s\n", what.c_str(), what.empty() ? "" : " ",
                 StopSignalName());
    std::exit(StopStatus());
}

InterruptQuestion::InterruptQuestion() {
    gPresses = 0;
    gAsking = 1;
}

InterruptQuestion::~InterruptQuestion() { gAsking = 0; }

bool InterruptQuestion::TakePress() {
    if (gPresses == 0 || gStop.load()) return false;
    gPresses = 0;
    return true;
}

}  // namespace karvio::cli
