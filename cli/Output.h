// Standard output of karvio-cli. Everything a command prints goes through stdio's stdout, so its
// pieces keep their order; these functions check every write. A write that fails (a full disk,
// /dev/full, a closed pipe with SIGPIPE ignored) ends the program with a message naming the cause
// and status 1: a script never takes a cut-off listing for a whole one.
#pragma once

#include <string>
#include <string_view>

namespace karvio::cli {

// Gives stdout a large buffer when it is not a terminal. Once, before the first write.
void SetUpOutput();

// Writes `text` to stdout; ends the program when stdout has failed.
void Write(std::string_view text);

// printf to stdout, checked as Write is.
[[gnu::format(printf, 1, 2)]] void Print(const char* format, ...);

// Flushes and closes stdout; on failure says why on stderr and returns false. At the end of the
// program, after the last write.
bool FinishOutput();

// Flushes stdout without checking (before a message on stderr, when ending anyway).
void FlushOutputQuietly();

// Says that workers of the command run on other threads (or no longer do). Meanwhile a failed
// write ends the program without the destructors of its statics, which the workers may still be
// using.
void SetWorkersRunning(bool running);

}  // namespace karvio::cli
