// Where the program's report pages live and how they are named: "cd_" and a six-digit counter
// with the extension ".tmp", in the user's cache directory (beside the program only for a
// portable copy). The report writer picks names here; compaction removes the leftovers.
#pragma once

#include <string>
#include <string_view>

namespace karvio {

// $XDG_CACHE_HOME/Karvio (~/.cache/Karvio), created when missing; the program directory when it
// is writable and holds the data file "Karvio.cd" (a portable copy).
std::string ReportPageDirectory();

// Whether `fileName` (no directory) is one of the program's report pages: "cd_" + six digits +
// ".tmp".
bool IsReportPageName(std::string_view fileName);

// The page path in `dir` with the smallest counter, from 0 upward, that names no file yet.
std::string NextReportPagePath(const std::string& dir);

// Deletes the program's report pages in `dir` and nothing else; returns how many went.
int DeleteReportPages(const std::string& dir);

}  // namespace karvio
