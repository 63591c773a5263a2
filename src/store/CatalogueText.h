// Texts of the catalogue: stored as bytes, written as UTF-8; a text that is not valid UTF-8
// (written by the Windows program) is read as Windows-1252. Matching ignores letter case and
// composition through one folding table, with an ASCII fast path; the search walk, quick find and
// karvio-cli all match through it.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace karvio {

bool IsValidUtf8(std::string_view bytes);

// The text as UTF-8 for display: unchanged when valid UTF-8, else decoded as Windows-1252.
std::string DecodeCatalogueText(std::string_view bytes);

// A catalogue path for display: each name between its separators ("\", or "/" for a native
// path) decoded by itself, so one name that is not UTF-8 does not change how the others read.
std::string DecodeCataloguePath(std::string_view path, char separator = '\\');

// A catalogue path as a native path from the volume root, for display: "usr\share" ->
// "/usr/share"; "" and "\" -> "/". The catalogue keeps its "\".
std::string NativeCataloguePath(std::string_view cataloguePath);

// A CD's base path for display, with "\" written "/" (a base path written on Windows,
// "E:\Photos\", reads "E:/Photos/"; one written on Linux is native already).
std::string NativeBasePath(std::string_view basePath);

// Whether the text is empty; letter case has no bearing on it.
inline bool IsEmptyText(std::string_view text) { return text.empty(); }

// Match modes of the Search operations.
enum MatchMode : int {
    kMatchWhole = 0,      // the field is exactly the text
    kMatchBeginning = 1,  // the field begins with the text
    kMatchAnywhere = 2,   // the field contains the text
};

// Matching ignores letter case and composition: both sides are folded to the canonical
// decomposition of their full Unicode case folding ("Straße" reads as "strasse", "É" as "e" and a
// combining acute), and a match may not end inside a character ("cafe" does not find "café",
// composed or not). FoldTextInto writes the folded form as UTF-8.

// The folded form of catalogue bytes (UTF-8, else Windows-1252) into `out`, whose room is reused:
// no allocation once it has grown to the longest text.
void FoldTextInto(std::string_view bytes, std::string& out);
// The same written at `out`, which has room for FoldRoom(bytes.size()) bytes (some past the end
// of the folded form may be overwritten); returns the end of the folded form.
inline constexpr size_t kFoldRoomPerByte = 3;
inline constexpr size_t FoldRoom(size_t bytes) { return bytes * kFoldRoomPerByte + 8; }
char* FoldTextTo(std::string_view bytes, char* out);
std::string FoldText(std::string_view bytes);

// Whether a match of folded text may end at byte `end` of the folded text `hay`: at its end, or
// before a character that does not join the one before it (a combining mark, a Hangul vowel or
// final consonant).
bool IsMatchEnd(std::string_view hay, size_t end);

// Whether the folded `hay` matches the folded `needle` in `mode` (kMatch...).
bool FoldedMatches(std::string_view hay, std::string_view needle, int mode);

// Whether every byte is ASCII, eight at a time; a tail shorter than eight is read as one more
// word that overlaps the last (or as two halves of a short text).
inline bool IsAsciiText(std::string_view bytes) {
    constexpr uint64_t kHigh = 0x8080808080808080ULL;
    const char* const p = bytes.data();
    const size_t n = bytes.size();
    uint64_t any = 0;
    if (n >= 8) {
        uint64_t word;
        for (size_t i = 0; i + 8 < n; i += 8) {
            std::memcpy(&word, p + i, sizeof word);
            any |= word;
        }
        std::memcpy(&word, p + n - 8, sizeof word);
        any |= word;
    } else if (n >= 4) {
        uint32_t head, tail;
        std::memcpy(&head, p, sizeof head);
        std::memcpy(&tail, p + n - 4, sizeof tail);
        any = head | tail;
    } else if (n > 0) {
        any = static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) | static_cast<unsigned char>(p[n - 1]);
    }
    return (any & kHigh) == 0;
}

// Compares fields against one search text, ignoring letter case and composition as FoldText
// does. Build it once per search and reuse it for every field; it holds no reference to its
// argument. It keeps a buffer for the folding of fields: one thread at a time.
class TextMatcher {
public:
    TextMatcher(std::string_view needle, int mode);

    // True when `field` (catalogue bytes) matches. Any mode other than 0, 1, 2 matches nothing.
    bool Matches(std::string_view field) const {
        if (field.size() < minFieldBytes_ || !validMode_) return false;
        // ASCII bytes stand for themselves in UTF-8 and Windows-1252 and fold among themselves,
        // and an ASCII field holds no combining mark: its bytes decide.
        if (IsAsciiText(field)) return needleAscii_ && MatchesAscii(field);
        return MatchesFolded(field);
    }
    // The fewest bytes a field that matches can have (a byte folds to a few bytes at most).
    size_t MinFieldBytes() const { return minFieldBytes_; }
    const std::string& FoldedNeedle() const { return needle_; }

private:
    bool MatchesAscii(std::string_view field) const;
    bool MatchesFolded(std::string_view field) const;

    int mode_;
    bool validMode_;
    std::string needle_;    // folded
    bool needleAscii_;      // the folded needle is ASCII
    size_t minFieldBytes_;
    // The last non-ASCII field, folded, in room for FoldRoom of the longest so far.
    mutable std::unique_ptr<char[]> folded_;
    mutable size_t foldedRoom_ = 0;
};

}  // namespace karvio
