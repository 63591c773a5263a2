// Shared plumbing of karvio-cli's commands: the global options, command registration, opening
// the catalogue, and turning catalogue records into text and JSON.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "TransferRecords.h"
#include "classData.h"

namespace karvio::cli {

using Json = nlohmann::ordered_json;

struct CliOptions {
    std::string dataFile;  // --data
    bool yes = false;      // --yes
};
CliOptions& Options();

// The exit status main returns; commands set it.
int& ExitStatus();

// Each command file registers a function that adds its subcommands to the application.
using CommandRegistrar = std::function<void(CLI::App& app)>;
struct RegisterCommands {
    explicit RegisterCommands(CommandRegistrar registrar);
};
void AddRegisteredCommands(CLI::App& app);

// Opens the catalogue the options name. When it is refused, prints why and ends with status 1.
// A command that only reads never creates a catalogue: a path that names none is an error. A
// command that writes (`forWriting`) takes the catalogue's write lock first and keeps it until
// the program ends, so that its checks and its changes see no other program's write in between;
// when another program is changing the catalogue, or it is read-only, it ends with status 1 and
// changes nothing.
std::unique_ptr<classData> OpenCatalogueOrExit(bool forWriting = false);

// Ends the command with a message on stderr and status 1.
[[noreturn]] void Fail(const std::string& message);

// Catalogue bytes as UTF-8 for output.
std::string Display(const std::string& bytes);

void PrintJson(const Json& value);

// The JSON of a record (texts decoded, dates in ISO 8601 local time).
Json CdJson(const CdInfo& cd);
Json DirJson(const DirInfo& dir);
Json FileJson(const FileInfo& file);
Json CategoryJson(classData& data, const CatInfo& cat);

// Whether `id` names a record of that kind that is in its list. Ids from the command line are
// checked before the store follows them: the store takes any position it is given as a record.
bool IsCdId(classData& data, int32_t id);
bool IsDirId(classData& data, int32_t id);
bool IsFileId(classData& data, int32_t id);
bool IsCategoryId(classData& data, int32_t id);

}  // namespace karvio::cli
