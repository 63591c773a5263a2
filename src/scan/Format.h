// Formatting of catalogue values for display and for reports: sizes grouped in thousands,
// attribute words, colours for HTML, one-line texts, and writing a line of text to a file.
// Stateless; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace karvio {

// The magnitude of a byte count (directory sizes are stored negated), grouped in thousands with
// the locale's group separator, no decimals, right-aligned in 16 characters.
std::string FormatSize(double value);

// `text` right-aligned in `width` characters; a longer text keeps only its last `width`.
std::string PadLeft(const std::string& text, int width);

// The attribute words of the bits 16, 2, 1, 4, 32 in that order, joined by "-", with one blank
// before and one after: " readonly-archive ".
std::string AttributesToText(int32_t attributes);
// The words of AttributesToText, in its order (marked for translation in context "Attributes").
std::vector<const char*> AttributeWords(int32_t attributes);

// "#RRGGBB" of a colour held with red in the low byte.
std::string ColorToHtml(int32_t colour);

// The text on one line: every carriage return becomes "_", every line feed is removed.
std::string FlattenLines(const std::string& text);

// Writes `text` and a carriage return and line feed to `path`. With `overwrite` the file is
// created or truncated and an empty text writes nothing; without it the line is appended (also
// when empty). False when the file cannot be written.
bool WriteTextFile(const std::string& path, const std::string& text, bool overwrite);

}  // namespace karvio
