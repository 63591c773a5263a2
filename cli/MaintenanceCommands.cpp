// karvio-cli backup and compact: a compacted copy of the catalogue to a chosen file, and the
// compaction of the data file itself (keeping the previous file as its "bak" copy). A stop
// signal cancels either cleanly.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "CatalogueCopy.h"
#include "CliSupport.h"
#include "Interrupt.h"
#include "Output.h"
#include "TextOutput.h"
#include "ProgramInfo.h"

namespace karvio::cli {

namespace {

long long FileLength(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

CopyCallbacks TerminalCallbacks() {
    CopyCallbacks callbacks;
    callbacks.cancelRequested = [] { return StopFlag().load(); };
    if (::isatty(STDERR_FILENO)) {
        callbacks.showLabel = [](const std::string& label) {
            std::fprintf(stderr, "\r\033[K%s", Escaped(label).c_str());
            std::fflush(stderr);
        };
    }
    return callbacks;
}

void EndLabel() {
    if (::isatty(STDERR_FILENO)) std::fprintf(stderr, "\r\033[K");
}

// Prints what went wrong and sets the exit status; true when the command did its work.
bool Report(const MaintenanceResult& result) {
    EndLabel();
    switch (result.outcome) {
        case MaintenanceOutcome::Done:
            if (!result.error.empty()) std::fprintf(stderr, "karvio-cli: note: %s\n", result.error.c_str());
            return true;
        case MaintenanceOutcome::Damaged: {
            std::string problems = ProblemSummary(result.damage);
            for (size_t at = 0; (at = problems.find('\n', at)) != std::string::npos && at + 1 < problems.size();) {
                problems.insert(at + 1, "  ");
                at += 3;
            }
            const std::string loss = SalvageLossText(result.damage);
            std::fprintf(stderr,
                         "karvio-cli: %s is damaged; nothing was changed:\n  %s"
                         "karvio-cli: --salvage copies what can be read%s%s\n",
                         Escaped(GetDataFileName()).c_str(), Escaped(problems).c_str(),
                         loss.empty() ? "" : ", leaving out ", Escaped(loss).c_str());
            break;
        }
        case MaintenanceOutcome::Declined: std::fprintf(stderr, "karvio-cli: not compacted\n"); break;
        case MaintenanceOutcome::Refused: break;  // the message said why
        case MaintenanceOutcome::Cancelled:
            if (StopSignal() != 0) {
                std::fprintf(stderr, "karvio-cli: stopped by %s; nothing changed\n", StopSignalName());
                std::exit(StopStatus());
            }
            std::fprintf(stderr, "karvio-cli: cancelled; nothing changed\n");
            break;
        case MaintenanceOutcome::Failed:
            std::fprintf(stderr, "karvio-cli: %s; the data file is unchanged\n", result.error.c_str());
            break;
    }
    ExitStatus() = 1;
    return false;
}

void AddMaintenanceCommands(CLI::App& app) {
    auto target = std::make_shared<std::string>();
    auto salvage = std::make_shared<bool>(false);
    const char* salvageHelp =
        "Copy what can be read of a damaged catalogue, leaving out what cannot (a compaction keeps the "
        "damaged file under a new dated name)";
    CLI::App* backup = app.add_subcommand("backup", "Write a compacted copy of the catalogue to FILE");
    backup->add_option("FILE", *target)->required();
    backup->add_flag("--salvage", *salvage, salvageHelp);
    backup->callback([target, salvage] {
        ExistingCatalogueOrExit();
        const MaintenanceResult result = BackupDataFile(*target, TerminalCallbacks(), *salvage);
        if (Report(result)) {
            Print("%s: %lld bytes%s\n", Escaped(*target).c_str(), FileLength(*target),
                  result.salvaged ? " (salvaged from a damaged catalogue)" : "");
        }
    });

    CLI::App* compact = app.add_subcommand(
        "compact", "Rewrite the data file without dead bytes (asks first); the previous file is kept as .bak");
    compact->add_flag("--yes,-y", Options().yes, "Answer Yes to the question");
    compact->add_flag("--salvage", *salvage, salvageHelp);
    compact->callback([salvage] {
        ExistingCatalogueOrExit();
        const long long before = FileLength(GetDataFileName());
        const MaintenanceResult result = CompactDataFiles(TerminalCallbacks(), {}, true, *salvage);
        if (Report(result)) {
            Print("%s: %lld -> %lld bytes; the %s file is %s\n", Escaped(result.dataFile).c_str(), before,
                  FileLength(result.dataFile), result.salvaged ? "damaged" : "previous",
                  Escaped(result.bakFile).c_str());
        }
    });
}

const RegisterCommands registeredMaintenanceCommands(CommandGroup::Maintenance, AddMaintenanceCommands);

}  // namespace

}  // namespace karvio::cli
