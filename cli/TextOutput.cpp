#include "TextOutput.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "ByteScan.h"
#include "CatalogueDate.h"
#include "CatalogueText.h"

namespace karvio::cli {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

// Calls `take(utf8)` with the bytes as UTF-8: the bytes themselves when they are, else their
// Windows-1252 reading.
template <typename Take>
auto WithDecoded(std::string_view bytes, Take take) {
    if (IsValidUtf8(bytes)) return take(bytes);
    const std::string decoded = DecodeCatalogueText(bytes);
    return take(std::string_view(decoded));
}

// WithDecoded for a catalogue path: each name between its "\" separators is decoded by
// itself, so one name that is not UTF-8 does not change how the others read. ("\" is ASCII and
// never part of a longer UTF-8 sequence, so the separators are found in the bytes as they are.)
template <typename Take>
auto WithDecodedPath(std::string_view path, Take take) {
    if (IsValidUtf8(path)) return take(path);
    const std::string decoded = DecodeCataloguePath(path);
    return take(std::string_view(decoded));
}

// What a byte needs in text output: 0 nothing, 1 an escape (a control character or "\"), 2 a
// look at the bytes around it (beyond ASCII: a C1 control, or not UTF-8 at all).
constexpr std::array<unsigned char, 256> kByteClass = [] {
    std::array<unsigned char, 256> classes{};
    for (int c = 0; c < 256; ++c)
        classes[c] = c < 0x20 || c == 0x7F || c == '\\' ? 1 : c >= 0x80 ? 2 : 0;
    return classes;
}();

// Escapes valid UTF-8; `backslash` is what a "\" becomes.
char* EscapeUtf8(char* p, std::string_view text, std::string_view backslash) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (kByteClass[c] == 0) {
            *p++ = static_cast<char>(c);
            continue;
        }
        if (kByteClass[c] == 2) {
            // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F in UTF-8.
            const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
            if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
                std::memcpy(p, "\\u00", 4);
                p[4] = kHex[next >> 4];
                p[5] = kHex[next & 15];
                p += 6;
                ++i;
            } else {
                *p++ = static_cast<char>(c);
            }
            continue;
        }
        *p++ = '\\';
        switch (c) {
            case '\n':
                *p++ = 'n';
                break;
            case '\r':
                *p++ = 'r';
                break;
            case '\t':
                *p++ = 't';
                break;
            case '\\':
                std::memcpy(p - 1, backslash.data(), backslash.size());
                p += backslash.size() - 1;
                break;
            default:
                *p++ = 'x';
                *p++ = kHex[c >> 4];
                *p++ = kHex[c & 15];
        }
    }
    return p;
}

using namespace bytescan;

// Flags the bytes of `word` that are control characters, DEL or beyond ASCII; and `special`.
uint64_t Unplain(uint64_t word, char special) {
    return AnyBelowSpace(word) | AnyEqual(word, 0x7F) |
           AnyEqual(word, static_cast<unsigned char>(special)) | High(word);
}

// Copies `bytes` to `p` and checks the copy eight bytes at a time: printable ASCII other than
// `special` stays as it is; with `to` set, `special` counts as plain and becomes `to`. Returns
// the end written, or null when a byte needs more than a copy. Reads and writes up to seven bytes
// past the copy's end, within the room the caller gave (EscapedBound).
char* CopyPlain(char* p, std::string_view bytes, char special, char to) {
    static_assert(std::endian::native == std::endian::little,
                  "the tail mask takes the first bytes as the low ones");
    const size_t n = bytes.size();
    if (n == 0) return p;
    std::memcpy(p, bytes.data(), n);
    const uint64_t swap = kOnes * static_cast<unsigned char>(special ^ to);
    for (size_t i = 0; i < n; i += 8) {
        uint64_t word = Load8(p + i);
        if (n - i < 8) word = KeepFirst(word, n - i, 'a');  // past the end: plain whatever the text
        if (to == 0) {
            if (Unplain(word, special) != 0) return nullptr;
            continue;
        }
        if (Unplain(word, 0x7F) != 0) return nullptr;
        // Each `special` byte's flag, moved down to a whole-byte mask, picks a byte to swap.
        const uint64_t specials = ExactEqual(word, static_cast<unsigned char>(special));
        if (specials != 0) {
            word ^= ((specials >> 7) * 0xFF) & swap;
            std::memcpy(p + i, &word, sizeof word);
        }
    }
    return p + n;
}

}  // namespace

char* PutEscaped(char* p, std::string_view bytes) {
    if (char* end = CopyPlain(p, bytes, '\\', 0)) return end;
    return WithDecoded(bytes, [&](std::string_view text) { return EscapeUtf8(p, text, "\\\\"); });
}

char* PutEscapedPath(char* p, std::string_view path) {
    if (path.empty() || path.front() != '\\') *p++ = '/';
    if (char* end = CopyPlain(p, path, '\\', '/')) return end;
    return WithDecodedPath(path, [&](std::string_view text) { return EscapeUtf8(p, text, "/"); });
}

namespace {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the two digits of `value` (0 to 99).
void PutPair(char* p, unsigned value) {
    std::memcpy(p, kDigitPairs + 2 * value, 2);
}

}  // namespace

char* PutInt(char* p, int64_t value) {
    uint64_t v = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    if (value < 0) *p++ = '-';
    // The digits are written from the end, once their count is known: from the bit width
    // (1233 / 4096 is just under log10 2), put right by one comparison.
    static constexpr auto kPowers = [] {
        std::array<uint64_t, 20> powers{};
        uint64_t power = 1;
        for (uint64_t& p : powers) {
            p = power;
            power *= 10;
        }
        return powers;
    }();
    const size_t estimate = static_cast<size_t>(std::bit_width(v | 1) * 1233) >> 12;
    const size_t n = estimate + ((v | 1) >= kPowers[estimate] ? 1 : 0);
    char* d = p + n;
    while (v >= 100) {
        d -= 2;
        PutPair(d, static_cast<unsigned>(v % 100));
        v /= 100;
    }
    if (v >= 10) {
        PutPair(d - 2, static_cast<unsigned>(v));
    } else {
        d[-1] = static_cast<char>('0' + v);
    }
    return p + n;
}

namespace {

char* PutIsoFields(char* p, const LocalDateTime& f) {
    if (f.year < 0 || f.year > 9999) {
        const int n = std::snprintf(p, kDateBound, "%d-%02d-%02dT%02d:%02d:%02d", f.year, f.month,
                                    f.day, f.hour, f.minute, f.second);
        return p + (n > 0 ? n : 0);
    }
    char text[] = "0000-00-00T00:00:00";
    // Fields out of their range (a damaged record) still take two digits each.
    auto put2 = [&](int at, int value) { PutPair(text + at, static_cast<unsigned>(value) % 100); };
    put2(0, f.year / 100);
    put2(2, f.year % 100);
    put2(5, f.month);
    put2(8, f.day);
    put2(11, f.hour);
    put2(14, f.minute);
    put2(17, f.second);
    std::memcpy(p, text, sizeof text - 1);
    return p + sizeof text - 1;
}

long LocalOffsetAt(const LocalDateTime& f);

}  // namespace

char* PutIsoDate(char* p, double date) {
    return PutIsoFields(p, FieldsFromDate(date));
}

char* PutIsoDateWithOffset(char* p, double date) {
    const LocalDateTime f = FieldsFromDate(date);
    p = PutIsoFields(p, f);
    const long offset = LocalOffsetAt(f);
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    *p++ = offset < 0 ? '-' : '+';
    *p++ = static_cast<char>('0' + minutes / 600 % 10);
    *p++ = static_cast<char>('0' + minutes / 60 % 10);
    *p++ = ':';
    *p++ = static_cast<char>('0' + minutes % 60 / 10);
    *p++ = static_cast<char>('0' + minutes % 10);
    return p;
}

char* PutAttributeWords(char* p, int32_t attributes) {
    const char* words[kAttributeWordCount];
    const int count = AttributeWords(attributes, words);
    for (int i = 0; i < count; ++i) {
        if (i > 0) *p++ = '-';
        const size_t n = std::strlen(words[i]);
        std::memcpy(p, words[i], n);
        p += n;
    }
    return p;
}

namespace {

// Appends what `put` writes within `bound` characters.
template <typename Put>
void AppendPut(std::string& out, size_t bound, Put put) {
    const size_t at = out.size();
    out.resize(at + bound);
    char* end = put(out.data() + at);
    out.resize(static_cast<size_t>(end - out.data()));
}

// The local time zone's offset from UTC, in seconds, at half past `hour` of a local day.
long OffsetAt(const LocalDateTime& f, int hour) {
    std::tm tm{};
    tm.tm_year = f.year - 1900;
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = hour;
    tm.tm_min = 30;  // inside the hour, away from a change at its start
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    std::tm local{};
    return t != static_cast<std::time_t>(-1) && localtime_r(&t, &local) ? local.tm_gmtoff : 0;
}

// The same found with localtime_r alone, which costs a fraction of mktime: the offset at the
// instant the local time would be in UTC, then at the instant that offset gives, until the two
// agree (at once, away from a change of offset). A time that is met twice when clocks go back
// gets the same offset on every call (mktime's answer there depends on its earlier calls); one
// that clocks skip is left to mktime.
long QuickOffsetAt(const LocalDateTime& f, int hour) {
    // Days since 1970-01-01 of the proleptic Gregorian date (the civil-from-days inverse).
    const int64_t y = f.month <= 2 ? f.year - 1 : f.year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (f.month + (f.month > 2 ? -3 : 9)) + 2) / 5 + f.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t days = era * 146097 + dayOfEra - 719468;
    const std::time_t asUtc = static_cast<std::time_t>(days * 86400 + hour * 3600 + 30 * 60);
    long offset = 0;
    for (int round = 0; round < 3; ++round) {
        const std::time_t t = asUtc - offset;
        std::tm local{};
        if (!localtime_r(&t, &local)) break;
        if (local.tm_gmtoff == offset) return offset;
        offset = local.tm_gmtoff;
    }
    return OffsetAt(f, hour);
}

// The offset at a local date and time. Offsets change on a couple of days a year, at whole hours
// in practice, so they are kept per local month in a small direct-mapped cache: the offset of the
// month's first hour and the days whose first or last hour has another one. A listing of a million
// dates asks the zone a few times per distinct day of the months it meets, not a million times;
// only on a day of its own is the hour asked about itself.
long LocalOffsetAt(const LocalDateTime& f) {
    struct Month {
        int64_t key = INT64_MIN;
        long offset = 0;
        uint32_t otherDays = 0;  // bit d - 1: day d differs from `offset`
    };
    // One per thread: the search writes its hits on several.
    static thread_local std::array<Month, 1024> cache;
    const int64_t key = static_cast<int64_t>(f.year) * 12 + f.month;
    Month& month = cache[static_cast<size_t>(key) & (cache.size() - 1)];
    if (month.key != key) {
        LocalDateTime day = f;
        day.day = 1;
        month = {key, QuickOffsetAt(day, 0), 0};
        for (day.day = 1; day.day <= 31; ++day.day) {
            if (QuickOffsetAt(day, 0) != month.offset || QuickOffsetAt(day, 23) != month.offset) {
                month.otherDays |= uint32_t{1} << (day.day - 1);
            }
        }
    }
    if (f.day < 1 || f.day > 31 || ((month.otherDays >> (f.day - 1)) & 1) != 0)
        return QuickOffsetAt(f, f.hour);
    return month.offset;
}

}  // namespace

void AppendDecoded(std::string& out, std::string_view bytes) {
    WithDecoded(bytes, [&](std::string_view text) { out.append(text); });
}

void AppendEscaped(std::string& out, std::string_view bytes) {
    AppendPut(out, EscapedBound(bytes), [&](char* p) { return PutEscaped(p, bytes); });
}

std::string Escaped(std::string_view bytes) {
    std::string out;
    AppendEscaped(out, bytes);
    return out;
}

void AppendEscapedPath(std::string& out, std::string_view path) {
    AppendPut(out, EscapedBound(path), [&](char* p) { return PutEscapedPath(p, path); });
}

std::string CataloguePathQuery(std::string_view native) {
    std::string query(native);
    for (char& c : query) {
        if (c == '/') c = '\\';
    }
    if (query.size() > 1 && query.front() == '\\') query.erase(0, 1);
    return query;
}

int64_t ByteCount(double size) {
    const double magnitude = std::fabs(size);
    if (!std::isfinite(magnitude) || magnitude >= 9.2e18) return 0;
    return static_cast<int64_t>(std::llround(magnitude));
}

void AppendInt(std::string& out, int64_t value) {
    AppendPut(out, kNumberBound, [&](char* p) { return PutInt(p, value); });
}

int AttributeWords(int32_t attributes, const char* (&words)[kAttributeWordCount]) {
    static constexpr struct {
        int32_t bit;
        const char* word;
    } kWords[kAttributeWordCount] = {
        {16, "directory"}, {2, "hidden"}, {1, "readonly"}, {4, "system"}, {32, "archive"}};
    int n = 0;
    if ((attributes & (16 | 2 | 1 | 4 | 32)) == 0) return n;
    for (const auto& w : kWords) {
        if (attributes & w.bit) words[n++] = w.word;
    }
    return n;
}

void AppendAttributeWords(std::string& out, int32_t attributes) {
    AppendPut(out, kAttributeWordsBound, [&](char* p) { return PutAttributeWords(p, attributes); });
}

void AppendIsoDate(std::string& out, double date) {
    AppendPut(out, kDateBound, [&](char* p) { return PutIsoDate(p, date); });
}

void AppendIsoDateWithOffset(std::string& out, double date) {
    AppendPut(out, kDateBound, [&](char* p) { return PutIsoDateWithOffset(p, date); });
}

std::string IsoDateWithOffset(double date) {
    std::string out;
    AppendIsoDateWithOffset(out, date);
    return out;
}

}  // namespace karvio::cli
