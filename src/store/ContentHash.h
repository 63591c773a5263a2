// Content hashes: the 128-bit XXH3 of a file's bytes, read in large pieces. What a scan records
// in the details database, and what duplicates by content, comparisons and the verification of a
// disc compare. Stateless; any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace karvio {

struct ContentHash {
    uint64_t high = 0, low = 0;

    bool operator==(const ContentHash&) const = default;
    bool operator<(const ContentHash& o) const { return high != o.high ? high < o.high : low < o.low; }
    // 32 lowercase hexadecimal digits, the high half first (as `xxhsum -H2` writes it).
    std::string Hex() const;
    static std::optional<ContentHash> FromHex(std::string_view hex);
    // 16 bytes, the high half first, most significant byte first (as the details database keeps it).
    std::string Bytes() const;
    static std::optional<ContentHash> FromBytes(std::string_view bytes);
};

// How reading a file for its hash ended.
enum class HashOutcome {
    Done,
    Vanished,   // the file is gone (or is no longer a regular file)
    Changed,    // its size or date changed while it was read: the hash stands for no version
    IoError,    // the medium failed to give its bytes (EIO and its kin)
    Unreadable, // any other error (no permission, ...)
    Stopped,
};

struct HashResult {
    HashOutcome outcome = HashOutcome::Done;
    ContentHash hash;
    int64_t bytes = 0;  // read
    int error = 0;      // errno for IoError and Unreadable
};

// Hashes the regular file `name` in the directory `dirFd` (AT_FDCWD for a path). Symbolic links
// are not followed (a link has no contents of its own to hash). `stop` may be null.
HashResult HashFileAt(int dirFd, const char* name, const std::atomic<bool>* stop = nullptr);
// Hashes the regular file open at `fd` from its first byte, whatever its offset (which is left
// alone: reads are positioned). The descriptor stays open.
HashResult HashDescriptor(int fd, const std::atomic<bool>* stop = nullptr);

// Says how a hashing that did not end with a hash ended, for a note: "it changed while it was
// read", "it could not be read: Input/output error".
std::string HashOutcomeText(const HashResult& result);

// The hash of bytes in memory (tests, and a file read by other means).
ContentHash HashBytes(std::string_view bytes);

// Whether `error` is the medium failing rather than a refusal.
bool IsMediumError(int error);

}  // namespace karvio
