// Ctrl-C during a long command: for the lifetime of a ScopedInterrupt, SIGINT only raises a flag
// that the command's walk checks (its stop or cancel flag), so a search stops and a backup or
// compaction is cancelled cleanly instead of the process dying mid-write. One at a time.
#pragma once

#include <signal.h>

#include <atomic>

namespace karvio::cli {

class ScopedInterrupt {
public:
    ScopedInterrupt() {
        Flag().store(false);
        struct sigaction action {};
        action.sa_handler = [](int) { Flag().store(true); };
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &previous_);
    }
    ~ScopedInterrupt() { ::sigaction(SIGINT, &previous_, nullptr); }
    ScopedInterrupt(const ScopedInterrupt&) = delete;
    ScopedInterrupt& operator=(const ScopedInterrupt&) = delete;

    static std::atomic<bool>& Flag() {
        static std::atomic<bool> flag{false};
        return flag;
    }
    bool Raised() const { return Flag().load(); }

private:
    struct sigaction previous_ {};
};

}  // namespace karvio::cli
