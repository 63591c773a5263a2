// Shared plumbing of karvio-cli's commands: the global options, command registration, opening
// the catalogue, and turning catalogue records into text and JSON.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "JsonWriter.h"
#include "TransferRecords.h"
#include "classData.h"

namespace karvio::cli {

struct CliOptions {
    std::string dataFile;  // --data
    bool yes = false;      // --yes
};
CliOptions& Options();

// The exit status main returns; commands set it.
int& ExitStatus();

// Each command file registers a function that adds its subcommands to the application; the help
// lists the groups in this order.
using CommandRegistrar = std::function<void(CLI::App& app)>;
enum class CommandGroup { Maintenance, Report, Scan, Search, Store, Volume };
struct RegisterCommands {
    RegisterCommands(CommandGroup group, CommandRegistrar registrar);
};
void AddRegisteredCommands(CLI::App& app);

// Opens the catalogue the options name. When it is refused, prints why and ends with status 1.
// A command that only reads never creates a catalogue: a path that names none is an error. A
// command that writes (`forWriting`) takes the catalogue's write lock first and keeps it until
// the program ends, so that its checks and its changes see no other program's write in between;
// when another program is changing the catalogue, or it is read-only, it ends with status 1 and
// changes nothing.
std::unique_ptr<classData> OpenCatalogueOrExit(bool forWriting = false);
// Ends the program, as OpenCatalogueOrExit does, when the data file is missing or refused; a
// damaged one is let through, for the commands that check it themselves (backup, compact).
void ExistingCatalogueOrExit();

// Ends the command with a message on stderr and status 1 (or, when a stop signal came first, the
// stopped status).
[[noreturn]] void Fail(const std::string& message);

// Ends the command with a message on stderr and status 2: the command line asks for something
// that cannot be done as asked.
[[noreturn]] void UsageError(const std::string& message);

// "<path>: <the system's text of errno>": an error that names the file and the cause.
std::string PathError(const std::string& path, int error);

// Catalogue bytes as UTF-8 for output.
std::string Display(const std::string& bytes);

// Writes what the writer holds to stdout and empties it.
void WriteJson(JsonWriter& json);

// Whether `id` names a record of that kind that is in its list. Ids from the command line are
// checked before the store follows them: the store takes any position it is given as a record.
bool IsCdId(classData& data, int32_t id);
bool IsDirId(classData& data, int32_t id);
bool IsFileId(classData& data, int32_t id);
bool IsCategoryId(classData& data, int32_t id);

}  // namespace karvio::cli
