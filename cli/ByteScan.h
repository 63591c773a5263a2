// Tests on eight bytes at a time, for the output's fast paths over names that are mostly plain
// ASCII. Each returns the high bit of every byte it flags (0x80 in that byte's place); "any"
// tests may flag a byte just above a flagged one as well, exact tests flag only the bytes asked.
#pragma once

#include <cstdint>
#include <cstring>

namespace karvio::cli::bytescan {

inline constexpr uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr uint64_t kHighBits = 0x8080808080808080ULL;
inline constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;

inline uint64_t Load8(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Any byte below 0x20 (a control character).
inline uint64_t AnyBelowSpace(uint64_t word) { return (word - kOnes * 0x20) & ~word & kHighBits; }

// Any byte equal to `c`.
inline uint64_t AnyEqual(uint64_t word, unsigned char c) {
    const uint64_t x = word ^ (kOnes * c);
    return (x - kOnes) & ~x & kHighBits;
}

// Exactly the bytes equal to `c`.
inline uint64_t ExactEqual(uint64_t word, unsigned char c) {
    const uint64_t x = word ^ (kOnes * c);
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The bytes beyond ASCII.
inline uint64_t High(uint64_t word) { return word & kHighBits; }

// The word with its bytes from `n` on (n < 8) replaced by `fill`: the part of a last, short word
// that belongs to the text. Little-endian: the first byte is the lowest.
inline uint64_t KeepFirst(uint64_t word, size_t n, unsigned char fill) {
    const uint64_t keep = ~0ULL >> (8 * (8 - n));
    return (word & keep) | (kOnes * fill & ~keep);
}

}  // namespace karvio::cli::bytescan
