// Path and file services of the scan and of the windows: native path normalisation (the native
// separator "/"), catalogue paths ("\"-separated, relative to the volume root), attribute words,
// file dates, existence and renaming. None of them reports an error: a failing system call gives
// the fallback value each one names. Stateless; user-interface thread only.
#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

namespace karvio {

// Attribute word bits as the catalogue stores them. On Linux only these three are ever set.
inline constexpr int32_t kAttrReadOnly = 1;   // the owner has no write permission
inline constexpr int32_t kAttrHidden = 2;     // the name begins with "."
inline constexpr int32_t kAttrDirectory = 16;

// The attribute word of an entry of mode `mode` named `name`.
int32_t AttributesOf(mode_t mode, const char* name);

// The attribute word of the directory `path` (a volume root included); 0 when it names no
// directory.
int32_t GetDirAttributes(const std::string& path);

// The catalogue date of the directory `path` (its last modification; a trailing "/" and a volume
// root are fine); 0 when it names no directory. The scanned folder's own record takes its date
// from here, so it shows the folder's real date rather than the zero date.
double GetFolderDate(const std::string& path);

// The catalogue date, in local time and whole seconds, of an instant given in seconds since
// 1970-01-01 UTC; the current date and time when the instant has no local time.
double FileTimeToDate(int64_t seconds);

// FileTimeToDate for the many dates of a walk: remembers the local time offset of each hour it
// has seen, so that most dates cost a division instead of a time zone lookup. Gives exactly what
// FileTimeToDate gives. Not shared between threads.
class FileDateConverter {
public:
    double operator()(int64_t seconds);

private:
    struct Slot {
        int64_t hour = INT64_MIN;
        long offset = 0;
    };
    std::array<Slot, 256> slots_{};
};

// The path as it is spelled on disk: symbolic links resolved and every component in the
// letter case the directory holds; a volume root without its trailing "/" ("/" stays "/"), any
// other path keeping a trailing "/" it was given. Empty when the path is empty or names nothing.
std::string GetTruePathCase(const std::string& path);

// Runs of "/" collapsed to one, and exactly one "/" at the end.
std::string AddBackslash(const std::string& path);

// Without its trailing "/", except that "/" stays "/".
std::string StripBackslash(const std::string& path);

// The catalogue path of `path` relative to its volume root: "\"-separated, without leading or
// trailing "\"; "\" for the volume root itself and for the empty text.
std::string GetRelativeDirPath(const std::string& path);

// The text up to its first NUL character, without leading and trailing blanks.
std::string TrimAtNull(const std::string& text);

// Whether a regular file (links followed) of that name exists; any error counts as no.
bool FileExists(const std::string& path);

// `name` with the extension after its last "." replaced (or added) by `extension`.
std::string ChangeExtension(const std::string& name, const std::string& extension);

// Renames or moves a file; True when it worked.
bool RenameFile(const std::string& oldPath, const std::string& newPath);

}  // namespace karvio
