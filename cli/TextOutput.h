// How karvio-cli writes catalogue values: texts decoded to UTF-8 with control characters escaped
// in text output, catalogue paths (stored with "\" relative to the volume root) as native paths
// from the volume root ("/usr/share/doc"), sizes as whole byte counts, attributes as words, dates
// in ISO 8601. None of it depends on the locale. Stateless apart from a cache of time-zone
// offsets; one thread.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "CatalogueText.h"

namespace karvio::cli {

// The Put functions write at `p`, which must have room for the bound given, and return the end
// of what they wrote: for lines written by the million, with no check of room per character.

// Room PutEscaped and PutEscapedPath may take for `bytes`.
inline size_t EscapedBound(std::string_view bytes) { return 6 * bytes.size() + 8; }
// Room PutInt, PutIsoDate and PutAttributeWords take at most.
inline constexpr size_t kNumberBound = 24;
inline constexpr size_t kDateBound = 40;
inline constexpr size_t kAttributeWordsBound = 40;

// `text` as it is (room: its size).
inline char* PutText(char* p, std::string_view text) {
    // An empty text may have no storage at all: memcpy must not be given its null pointer.
    if (!text.empty()) std::memcpy(p, text.data(), text.size());
    return p + text.size();
}
char* PutEscaped(char* p, std::string_view bytes);
char* PutEscapedPath(char* p, std::string_view cataloguePath);
char* PutInt(char* p, int64_t value);
char* PutIsoDate(char* p, double date);
char* PutIsoDateWithOffset(char* p, double date);
char* PutAttributeWords(char* p, int32_t attributes);

// Appends catalogue bytes decoded as DecodeCatalogueText does (UTF-8 as it is, else
// Windows-1252), without copying valid UTF-8 first.
void AppendDecoded(std::string& out, std::string_view bytes);

// Appends catalogue bytes decoded, with every control character escaped so that one field stays
// one field of one line: "\n", "\r", "\t", "\\" for a backslash, "\xHH" for the other C0 controls
// and DEL, "\u0080" to "\u009F" for the C1 controls.
void AppendEscaped(std::string& out, std::string_view bytes);
std::string Escaped(std::string_view bytes);

// Appends a catalogue path as a native path from the volume root, escaped as AppendEscaped does
// (every "\" is a separator there): "usr\share" -> "/usr/share"; "" and "\" -> "/".
void AppendEscapedPath(std::string& out, std::string_view cataloguePath);

// What the full names of a directory's files begin with: its native path (from
// NativeCataloguePath of CatalogueText.h, escaped or not) and "/" when it does not end with one.
inline std::string FilePathPrefix(std::string nativeDirectory) {
    if (nativeDirectory.empty() || nativeDirectory.back() != '/') nativeDirectory += '/';
    return nativeDirectory;
}

// A native path as typed by the user, in the form directory paths are stored and matched: "/"
// becomes "\", and a leading separator is dropped (stored paths begin with their first name) unless
// the text is nothing else. "icons/Adwaita" -> "icons\Adwaita", "/usr/share" -> "usr\share".
std::string CataloguePathQuery(std::string_view native);

// The attribute words of the bits 16, 2, 1, 4, 32 in that order: directory, hidden, readonly,
// system, archive; `words` receives them. Other bits have no word.
inline constexpr int kAttributeWordCount = 5;
int AttributeWords(int32_t attributes, const char* (&words)[kAttributeWordCount]);

// The magnitude of a stored size (a directory's is stored negated) as a whole number of bytes;
// 0 for a value that is not a finite number.
int64_t ByteCount(double size);

void AppendInt(std::string& out, int64_t value);

// The words joined by "-" ("readonly-archive"); empty when none.
void AppendAttributeWords(std::string& out, int32_t attributes);

// "2024-03-01T14:05:09": a catalogue date (local time) in ISO 8601 without a zone.
void AppendIsoDate(std::string& out, double date);

// "2024-03-01T14:05:09+01:00": with the local time zone's offset at that date and time, which
// makes the instant unambiguous.
void AppendIsoDateWithOffset(std::string& out, double date);
std::string IsoDateWithOffset(double date);

}  // namespace karvio::cli
