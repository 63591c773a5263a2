// Program-wide values of the engine: the program's version, where the program lives, where it
// keeps what it writes, and which catalogue data file every store object opens.
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

// Whether the program is a portable copy: a data file "Karvio.cd" already exists in the program
// directory. Only a portable copy keeps its data file, report pages and work files there; the
// program never creates a data file beside itself (a build folder or /usr/local/bin is no place
// for a user's catalogue).
bool IsPortableCopy();

// `$<xdgVariable>/Karvio`, or `$HOME/<homeFallback>/Karvio` when the variable is unset or not an
// absolute path (as the XDG base directory rules say), created when missing.
std::string UserDirectory(const char* xdgVariable, const char* homeFallback);

// The program directory of a portable copy; else UserDirectory(xdgVariable, homeFallback).
std::string ProgramOrUserDirectory(const char* xdgVariable, const char* homeFallback);

// The default data file: the portable copy's Karvio.cd beside the program, else
// $XDG_DATA_HOME/Karvio/Karvio.cd (~/.local/share/Karvio/), whose folder is created when missing.
std::string DefaultDataFilePath();

// The path of a resource shipped with the program (for example "images/nodeFolder.gif" or
// "Karvio.tip"): the program directory (where the build copies the resources) or else
// <prefix>/share/karvio beside an installed program, wherever it was installed; the program
// directory's path when neither exists.
std::string FindResource(const std::string& relative);

// The data file every store object opens: DataFilePath when set, else the default.
std::string GetDataFileName();

}  // namespace karvio
