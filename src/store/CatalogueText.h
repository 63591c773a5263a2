// Texts of the catalogue: stored as bytes, written as UTF-8; a text that is not valid UTF-8
// (written by the Windows program) is read as Windows-1252. Matching ignores letter case by
// Unicode lower-case mapping, with an ASCII fast path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace karvio {

bool IsValidUtf8(std::string_view bytes);

// The text as UTF-8 for display: unchanged when valid UTF-8, else decoded as Windows-1252.
std::string DecodeCatalogueText(std::string_view bytes);

// Whether the text is empty; letter case has no bearing on it.
inline bool IsEmptyText(std::string_view text) { return text.empty(); }

// Match modes of the Search operations.
enum MatchMode : int {
    kMatchWhole = 0,      // the field is exactly the text
    kMatchBeginning = 1,  // the field begins with the text
    kMatchAnywhere = 2,   // the field contains the text
};

// Compares fields against one search text, ignoring letter case. Build it once per search and
// reuse it for every field; it holds no reference to its argument.
class TextMatcher {
public:
    TextMatcher(std::string_view needle, int mode);

    // True when `field` (catalogue bytes) matches. Any mode other than 0, 1, 2 matches nothing.
    bool Matches(std::string_view field) const {
        if (!needleAscii_ || mode_ < kMatchWhole || mode_ > kMatchAnywhere) return MatchesOther(field);
        // Every character takes at least one byte, and an ASCII needle has one per character.
        if (field.size() < asciiNeedle_.size()) return false;
        // ASCII bytes stand for themselves in UTF-8 and in Windows-1252, so a match of the
        // bytes is a match of the characters. Only a field with other characters can match
        // without one, through a character that lower-cases to ASCII (the Kelvin sign).
        if (MatchesAscii(field)) return true;
        return !bytesDecide_ && MatchesBeyondAscii(field);
    }

private:
    bool MatchesAscii(std::string_view field) const;
    // An ASCII needle against a field that did not hold its bytes.
    bool MatchesBeyondAscii(std::string_view field) const;
    // A needle with other characters, or a mode that matches nothing.
    bool MatchesOther(std::string_view field) const;
    bool MatchesUnicode(std::string_view field) const;

    int mode_;
    bool needleAscii_;
    // The needle is ASCII without an i or a k: the only letters that characters beyond ASCII
    // lower-case to (U+0130 to i, the Kelvin sign U+212A to k), so comparing bytes decides.
    bool bytesDecide_;
    std::string asciiNeedle_;      // lower-cased, when the needle is ASCII
    std::u32string foldedNeedle_;  // lower-cased code points
};

// The ASCII letters that some character beyond ASCII lower-cases to.
inline constexpr std::string_view kAsciiFoldTargets = "ik";

// The code points of catalogue bytes (UTF-8 or Windows-1252), lower-cased.
std::u32string FoldCatalogueText(std::string_view bytes);

}  // namespace karvio
