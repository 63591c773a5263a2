// karvio-cli's answer to a command line it cannot parse: help and version go to stdout with
// status 0; anything else is a usage error with status 2, said in one line with a hint, and a
// mistyped command gets the nearest command's name as a suggestion.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace karvio::cli {

// Prints what `error` calls for; returns the exit status.
int ReportParseError(CLI::App& app, const CLI::ParseError& error, int argc, char** argv);

// The closest of `names` to `typed` by edit distance (a prefix counts as close), or empty when
// none is close enough to be what was meant.
std::string NearestName(const std::string& typed, const std::vector<std::string>& names);

}  // namespace karvio::cli
