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

void FoldTextInto(std::string_view bytes, std::string& out) {
    // Sized for the most a text can grow; cut to what was written at the end.
    out.resize(bytes.size() * kMaxFoldGrowth);
    char* p = out.data();
    const size_t n = bytes.size();
    for (size_t i = 0; i < n;) {
        if (n - i >= 8) {
            const uint64_t word = Load8(bytes.data() + i);
            if ((word & kHighBits) == 0) {
                p = StoreLowerAscii8(p, word);
                i += 8;
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            *p++ = kAsciiLower[b];
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t len = DecodeUtf8At(bytes, i, cp);
        if (len == 0) {
            // Not UTF-8: the whole text is Windows-1252.
            p = out.data();
            for (const char c : bytes) p = FoldCodePoint(Cp1252ToCodePoint(static_cast<unsigned char>(c)), p);
            break;
        }
        p = FoldCodePoint(cp, p);
        i += len;
    }
    out.resize(static_cast<size_t>(p - out.data()));
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
    for (size_t from = 0; from + needle.size() <= hay.size();) {
        const void* hit = memmem(hay.data() + from, hay.size() - from, needle.data(), needle.size());
        if (!hit) return false;
        const auto at = static_cast<size_t>(static_cast<const char*>(hit) - hay.data());
        if (IsMatchEnd(hay, at + needle.size())) return true;
        from = at + 1;
    }
    return false;
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
            // Look for the first needle character in either case (a letter's two cases differ
            // only in bit 0x20), then compare the rest.
            const auto first = static_cast<unsigned char>(needle[0]);
            const unsigned char caseBit = (first >= 'a' && first <= 'z') ? 0x20 : 0;
            const size_t starts = field.size() - needle.size() + 1;  // positions a match can start at
            const std::string_view rest = needle.substr(1);
            auto matchesAt = [&](size_t i) {
                return (static_cast<unsigned char>(field[i]) | caseBit) == first &&
                       EqualsAsciiFolded(field.substr(i + 1), rest);
            };
            // Eight positions at a time: a byte of x is zero where the field holds the first
            // character; the test below flags every such byte (and may flag a few more, which
            // matchesAt rules out).
            auto flags = [&](size_t at) {
                const uint64_t x = (Load8(field.data() + at) | (kEveryByte * caseBit)) ^ (kEveryByte * first);
                return (x - kEveryByte) & ~x & kHighBits;
            };
            size_t i = 0;
            for (; i + 8 <= starts; i += 8) {
                for (uint64_t flagged = flags(i); flagged != 0; flagged &= flagged - 1) {
                    if (matchesAt(i + static_cast<size_t>(std::countr_zero(flagged)) / 8)) return true;
                }
            }
            if (i == starts) return false;
            if (field.size() < 8) {
                for (; i < starts; ++i) {
                    if (matchesAt(i)) return true;
                }
                return false;
            }
            // The last positions (fewer than eight) from one more word, which may overlap the
            // positions already seen: those are masked off.
            const size_t at = std::min(i, field.size() - 8);
            uint64_t flagged = flags(at) & (~uint64_t{0} << ((i - at) * 8));
            for (; flagged != 0; flagged &= flagged - 1) {
                const size_t position = at + static_cast<size_t>(std::countr_zero(flagged)) / 8;
                if (position >= starts) break;
                if (matchesAt(position)) return true;
            }
            return false;
        }
    }
}

bool TextMatcher::MatchesFolded(std::string_view field) const {
    FoldTextInto(field, folded_);
    return FoldedMatches(folded_, needle_, mode_);
}

}  // namespace karvio
