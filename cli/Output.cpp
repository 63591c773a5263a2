#include "Output.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace karvio::cli {

namespace {

constexpr size_t kPipeBuffer = 1 << 18;

// The first failure's cause: stdio keeps only that one happened.
int gOutputErrno = 0;
std::atomic<bool> gWorkersRunning{false};

[[noreturn]] void OutputFailed() {
    if (gOutputErrno == 0) gOutputErrno = errno != 0 ? errno : EIO;
    std::fprintf(stderr, "karvio-cli: standard output: %s\n", std::strerror(gOutputErrno));
    // Standard error is unbuffered: the message is out, and nothing else is left to write.
    if (gWorkersRunning.load()) std::_Exit(1);
    std::exit(1);
}

void CheckStdout() {
    if (std::ferror(stdout)) OutputFailed();
}

}  // namespace

void SetUpOutput() {
    // glibc sizes a buffer it allocates itself by the device's block size (4 KiB), whatever size
    // is asked for; a listing of a million lines wants fewer, larger writes.
    static char buffer[kPipeBuffer];
    if (!::isatty(STDOUT_FILENO)) std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
}

void SetWorkersRunning(bool running) {
    gWorkersRunning = running;
}

void Write(std::string_view text) {
    if (text.empty()) return;
    errno = 0;
    if (fwrite_unlocked(text.data(), 1, text.size(), stdout) != text.size()) OutputFailed();
}

void Print(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    errno = 0;
    const int n = std::vfprintf(stdout, format, args);
    va_end(args);
    if (n < 0) OutputFailed();
    CheckStdout();
}

bool FinishOutput() {
    errno = 0;
    const bool failed = std::ferror(stdout) || std::fflush(stdout) != 0 || std::fclose(stdout) != 0;
    if (!failed) return true;
    if (gOutputErrno == 0) gOutputErrno = errno != 0 ? errno : EIO;
    std::fprintf(stderr, "karvio-cli: standard output: %s\n", std::strerror(gOutputErrno));
    return false;
}

void FlushOutputQuietly() {
    std::fflush(stdout);
}

}  // namespace karvio::cli
