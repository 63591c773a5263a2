#include "CatalogueText.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace karvio {

namespace {

// Windows-1252 code points of bytes 0x80..0x9F; the five unassigned bytes keep their C1 value.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Cp1252ToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kCp1252High[byte - 0x80];
    return byte;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`; returns its length, or 0 when it is not well formed
// (overlong forms, surrogates and values above U+10FFFF included).
size_t DecodeUtf8At(std::string_view s, size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// Bytes eight at a time in a 64-bit word (fields are short, so no wider vectors).
constexpr uint64_t kEveryByte = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

uint64_t Load8(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    // The first byte in memory goes to the low end, as the bit scans below expect.
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

constexpr std::array<char, 256> MakeAsciiLower() {
    std::array<char, 256> table{};
    for (int i = 0; i < 256; ++i) table[i] = static_cast<char>(i >= 'A' && i <= 'Z' ? i + 32 : i);
    return table;
}
constexpr std::array<char, 256> kAsciiLower = MakeAsciiLower();

#include "FoldTable.inc"

uint32_t FoldEntry(char32_t cp) {
    constexpr char32_t kLow = (char32_t{1} << kFoldBlockBits) - 1;
    return kFoldStage2[(static_cast<size_t>(kFoldStage1[cp >> kFoldBlockBits]) << kFoldBlockBits) | (cp & kLow)];
}

unsigned CombiningClass(char32_t cp) { return cp < 0x80 || cp > 0x10FFFF ? 0 : (FoldEntry(cp) >> 21) & 0xFF; }

// Hangul syllables decompose by rule into a leading consonant, a vowel and maybe a final one.
constexpr char32_t kHangulFirst = 0xAC00, kHangulLast = 0xD7A3;
constexpr char32_t kJamoLeadFirst = 0x1100, kJamoVowelFirst = 0x1161, kJamoVowelLast = 0x1175;
constexpr char32_t kJamoFinalBase = 0x11A7, kJamoFinalFirst = 0x11A8, kJamoFinalLast = 0x11C2;
constexpr char32_t kJamoVowels = 21, kJamoFinals = 28;

char* PutUtf8(char* p, char32_t cp) {
    if (cp < 0x80) {
        *p++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *p++ = static_cast<char>(0xC0 | (cp >> 6));
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *p++ = static_cast<char>(0xE0 | (cp >> 12));
        *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *p++ = static_cast<char>(0xF0 | (cp >> 18));
        *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return p;
}

// Writes the folded form of one code point at `p` (room for kMaxFoldGrowth bytes per byte of
// its own form); returns the end.
char* FoldCodePoint(char32_t cp, char* p) {
    if (cp < 0x80) {
        *p++ = kAsciiLower[cp];
        return p;
    }
    if (cp >= kHangulFirst && cp <= kHangulLast) {
        const char32_t s = cp - kHangulFirst;
        p = PutUtf8(p, kJamoLeadFirst + s / (kJamoVowels * kJamoFinals));
        p = PutUtf8(p, kJamoVowelFirst + (s % (kJamoVowels * kJamoFinals)) / kJamoFinals);
        if (s % kJamoFinals != 0) p = PutUtf8(p, kJamoFinalBase + s % kJamoFinals);
        return p;
    }
    const uint32_t entry = FoldEntry(cp);
    const uint32_t length = (entry >> 16) & 0x1F;
    if (length == 0) return PutUtf8(p, cp);
    std::memcpy(p, kFoldPool + (entry & 0xFFFF), length);
    return p + length;
}

// The folds of the characters written in two bytes (U+0080..U+07FF, Latin to N'Ko), where most
// non-ASCII names' letters lie: their folded bytes (at most six) and how many, looked up by the
// code point in one step. Worked out from the folding table when the program is built.
struct TwoByteFold {
    char bytes[7];
    unsigned char length;
};
constexpr size_t kTwoByteFolds = 0x800;

constexpr std::array<TwoByteFold, kTwoByteFolds> MakeTwoByteFolds() {
    std::array<TwoByteFold, kTwoByteFolds> table{};
    constexpr char32_t kLow = (char32_t{1} << kFoldBlockBits) - 1;
    for (char32_t cp = 0x80; cp < kTwoByteFolds; ++cp) {
        const uint32_t entry =
            kFoldStage2[(static_cast<size_t>(kFoldStage1[cp >> kFoldBlockBits]) << kFoldBlockBits) | (cp & kLow)];
        TwoByteFold& fold = table[cp];
        const uint32_t length = (entry >> 16) & 0x1F;
        if (length == 0) {
            fold.bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
            fold.bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
            fold.length = 2;
        } else {
            for (uint32_t k = 0; k < length; ++k) fold.bytes[k] = kFoldPool[(entry & 0xFFFF) + k];
            fold.length = static_cast<unsigned char>(length);
        }
    }
    return table;
}
constexpr std::array<TwoByteFold, kTwoByteFolds> kTwoByteFold = MakeTwoByteFolds();
static_assert(kMaxFoldGrowth * 2 <= sizeof TwoByteFold::bytes);
static_assert(kMaxFoldGrowth <= kFoldRoomPerByte);

// Eight ASCII bytes lower-cased at once: a byte gets 0x20 added where it lies in 'A'..'Z' (the
// sums cannot carry into the next byte, as every byte is below 0x80).
char* StoreLowerAscii8(char* p, uint64_t word) {
    const uint64_t aboveZ = word + kEveryByte * (0x7F - 'Z');
    const uint64_t fromA = word + kEveryByte * (0x80 - 'A');
    word |= ((fromA & ~aboveZ) & kHighBits) >> 2;
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    std::memcpy(p, &word, sizeof word);
    return p + 8;
}

// Calls `check(i)` for the positions i where `needle` (not empty, no longer than `hay`) may begin
// in `hay`: where its first two bytes stand (one byte for a needle of one), letter case aside when
// kIgnoreCase (the needle is then lower case). Eight positions are tested at a time: a byte of x
// is zero where the bytes agree, and the test below flags every such byte (and may flag a few
// more, which `check` rules out). True as soon as `check` is.
template <bool kIgnoreCase, typename Check>
bool ForEachCandidate(std::string_view hay, std::string_view needle, Check check) {
    const char* const h = hay.data();
    const size_t starts = hay.size() - needle.size() + 1;  // positions a match can begin at
    const bool two = needle.size() > 1;
    const auto first = static_cast<unsigned char>(needle[0]);
    const auto second = two ? static_cast<unsigned char>(needle[1]) : 0;
    // A letter's two cases differ only in bit 0x20.
    auto caseBit = [](unsigned char c) -> uint64_t { return kIgnoreCase && c >= 'a' && c <= 'z' ? 0x20 : 0; };
    const uint64_t fold0 = kEveryByte * caseBit(first), want0 = kEveryByte * first;
    const uint64_t fold1 = kEveryByte * caseBit(second), want1 = kEveryByte * second;
    // Reads the bytes at..at+7, and at+8 for a needle of two or more.
    auto flags = [&](size_t at) {
        uint64_t x = (Load8(h + at) | fold0) ^ want0;
        if (two) x |= (Load8(h + at + 1) | fold1) ^ want1;
        return (x - kEveryByte) & ~x & kHighBits;
    };
    size_t i = 0;
    for (; i + 8 <= starts; i += 8) {
        for (uint64_t flagged = flags(i); flagged != 0; flagged &= flagged - 1) {
            if (check(i + static_cast<size_t>(std::countr_zero(flagged)) / 8)) return true;
        }
    }
    if (i == starts) return false;
    const size_t span = two ? 9 : 8;  // the bytes one test reads
    if (hay.size() < span) {
        for (; i < starts; ++i) {
            if ((static_cast<unsigned char>(h[i]) | caseBit(first)) == first && check(i)) return true;
        }
        return false;
    }
    // The last positions (fewer than eight) from one more test, which may overlap the positions
    // already seen: those are masked off.
    const size_t at = std::min(i, hay.size() - span);
    for (uint64_t flagged = flags(at) & (~uint64_t{0} << ((i - at) * 8)); flagged != 0; flagged &= flagged - 1) {
        const size_t position = at + static_cast<size_t>(std::countr_zero(flagged)) / 8;
        if (position >= starts) break;
        if (check(position)) return true;
    }
    return false;
}

bool EqualsAsciiFolded(std::string_view field, std::string_view lowerNeedle) {
    for (size_t i = 0; i < lowerNeedle.size(); ++i) {
        if (kAsciiLower[static_cast<unsigned char>(field[i])] != lowerNeedle[i]) return false;
    }
    return true;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    char32_t cp;
    for (size_t i = 0; i < bytes.size();) {
        // Eight ASCII bytes at a time: most names are ASCII all through.
        if (bytes.size() - i >= 8) {
            uint64_t word;
            std::memcpy(&word, bytes.data() + i, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t len = DecodeUtf8At(bytes, i, cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string DecodeCatalogueText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string DecodeCataloguePath(std::string_view path, char separator) {
    if (IsValidUtf8(path)) return std::string(path);
    // Both separators are ASCII and never part of a longer UTF-8 sequence: they are found in
    // the bytes as they are.
    std::string decoded;
    decoded.reserve(path.size() * 2);
    for (size_t start = 0;;) {
        const size_t end = std::min(path.find(separator, start), path.size());
        decoded += DecodeCatalogueText(path.substr(start, end - start));
        if (end == path.size()) break;
        decoded += separator;
        start = end + 1;
    }
    return decoded;
}

std::string NativeCataloguePath(std::string_view path) {
    std::string out;
    if (path.empty() || path.front() != '\\') out += '/';
    out += DecodeCataloguePath(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string NativeBasePath(std::string_view basePath) {
    std::string out = DecodeCataloguePath(basePath);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

char* FoldTextTo(std::string_view bytes, char* out) {
    char* p = out;
    const size_t n = bytes.size();
    const char* const s = bytes.data();
    for (size_t i = 0; i < n;) {
        if (n - i >= 8) {
            const uint64_t word = Load8(s + i);
            if ((word & kHighBits) == 0) {
                p = StoreLowerAscii8(p, word);
                i += 8;
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            *p++ = kAsciiLower[b];
            ++i;
            continue;
        }
        // A character of two bytes: its fold in one look-up (the eight bytes copied include the
        // room's slack; only its length counts).
        if (b >= 0xC2 && b <= 0xDF && i + 1 < n) {
            const auto c = static_cast<unsigned char>(s[i + 1]);
            if ((c & 0xC0) == 0x80) {
                const TwoByteFold& fold = kTwoByteFold[((b & 0x1Fu) << 6) | (c & 0x3Fu)];
                std::memcpy(p, &fold, sizeof fold);
                p += fold.length;
                i += 2;
                continue;
            }
        }
        char32_t cp = 0;
        const size_t len = DecodeUtf8At(bytes, i, cp);
        if (len == 0) {
            // Not UTF-8: the whole text is Windows-1252.
            p = out;
            for (const char c : bytes) p = FoldCodePoint(Cp1252ToCodePoint(static_cast<unsigned char>(c)), p);
            break;
        }
        p = FoldCodePoint(cp, p);
        i += len;
    }
    return p;
}

void FoldTextInto(std::string_view bytes, std::string& out) {
    // Sized for the most a text can grow; cut to what was written at the end.
    out.resize(FoldRoom(bytes.size()));
    out.resize(static_cast<size_t>(FoldTextTo(bytes, out.data()) - out.data()));
}

std::string FoldText(std::string_view bytes) {
    std::string out;
    FoldTextInto(bytes, out);
    return out;
}

bool IsMatchEnd(std::string_view hay, size_t end) {
    if (end >= hay.size() || static_cast<unsigned char>(hay[end]) < 0x80) return true;
    char32_t cp = 0;
    if (DecodeUtf8At(hay, end, cp) == 0) return true;
    // A Hangul vowel or final consonant joins the syllable before it.
    if ((cp >= kJamoVowelFirst && cp <= kJamoVowelLast) || (cp >= kJamoFinalFirst && cp <= kJamoFinalLast))
        return false;
    return CombiningClass(cp) == 0;
}

bool FoldedMatches(std::string_view hay, std::string_view needle, int mode) {
    switch (mode) {
        case kMatchWhole: return hay == needle;
        case kMatchBeginning: return hay.starts_with(needle) && IsMatchEnd(hay, needle.size());
        case kMatchAnywhere: break;
        default: return false;
    }
    if (needle.empty()) return true;
    if (hay.size() < needle.size()) return false;
    return ForEachCandidate<false>(hay, needle, [&](size_t at) {
        return std::memcmp(hay.data() + at, needle.data(), needle.size()) == 0 && IsMatchEnd(hay, at + needle.size());
    });
}

TextMatcher::TextMatcher(std::string_view needle, int mode)
    : mode_(mode), validMode_(mode >= kMatchWhole && mode <= kMatchAnywhere), needle_(FoldText(needle)),
      needleAscii_(IsAsciiText(needle_)),
      minFieldBytes_((needle_.size() + kMaxFoldGrowth - 1) / kMaxFoldGrowth) {}

bool TextMatcher::MatchesAscii(std::string_view field) const {
    const std::string_view needle = needle_;
    switch (mode_) {
        case kMatchWhole:
            return field.size() == needle.size() && EqualsAsciiFolded(field, needle);
        case kMatchBeginning:
            return field.size() >= needle.size() && EqualsAsciiFolded(field, needle);
        default: {
            if (needle.empty()) return true;
            if (field.size() < needle.size()) return false;
            return ForEachCandidate<true>(field, needle,
                                          [&](size_t at) { return EqualsAsciiFolded(field.substr(at), needle); });
        }
    }
}

bool TextMatcher::MatchesFolded(std::string_view field) const {
    const size_t room = FoldRoom(field.size());
    if (foldedRoom_ < room) {
        foldedRoom_ = std::max(room, 2 * foldedRoom_);
        folded_ = std::make_unique<char[]>(foldedRoom_);
    }
    const char* const end = FoldTextTo(field, folded_.get());
    return FoldedMatches({folded_.get(), static_cast<size_t>(end - folded_.get())}, needle_, mode_);
}

}  // namespace karvio
