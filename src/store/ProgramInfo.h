// Program-wide values of the engine: the program's version, where the program lives, and which
// catalogue data file every store object opens.
#pragma once

#include <string>

namespace karvio {

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRevision = 5;
inline constexpr const char* kVersionText = "1.1.5";

// The default data file's name.
inline constexpr const char* kDataFileName = "Karvio.cd";

// Path of the data file named on the command line; empty for the default data file.
extern std::string DataFilePath;

// The directory of the running executable, without a trailing "/".
std::string ProgramDirectory();

// Whether the current user may create files in `dir`.
bool IsDirectoryWritable(const std::string& dir);

// The program directory when the user may write there; else `$<xdgVariable>/Karvio` (or
// `~/<homeFallback>/Karvio` when the variable is unset), created when missing. Where the program
// keeps what it writes: the default data file, report pages.
std::string ProgramOrUserDirectory(const char* xdgVariable, const char* homeFallback);

// The default data file: Karvio.cd in the program directory when that directory is writable,
// else in $XDG_DATA_HOME/Karvio/ (~/.local/share/Karvio/), which is created when missing.
std::string DefaultDataFilePath();

// The path of a resource shipped with the program (for example "images/nodeFolder.gif" or
// "Karvio.tip"): the first that exists of the program directory, <prefix>/share/karvio beside an
// installed program, the install data directory, and the source tree's resources folder (for
// programs run from the build tree). The program directory's path when none exists.
std::string FindResource(const std::string& relative);

// The data file every store object opens: DataFilePath when set, else the default.
std::string GetDataFileName();

}  // namespace karvio
