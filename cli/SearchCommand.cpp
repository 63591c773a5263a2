// karvio-cli search: the catalogue search over every CD in list order, one line or JSON object
// per hit.
#include <cmath>
#include <cstdio>

#include "CatalogueDate.h"
#include "CatalogueSearch.h"
#include "CliSupport.h"
#include "Format.h"
#include "Interrupt.h"

namespace karvio::cli {

namespace {

struct SearchArgs {
    std::string text;
    bool whole = false, begin = false, anywhere = false;
    bool cdNames = false, paths = false, files = false, notes = false;
    bool json = false;
};

const char* KindName(SearchHitKind kind) {
    switch (kind) {
        case SearchHitKind::Cd: return "cd";
        case SearchHitKind::Directory: return "dir";
        default: return "file";
    }
}

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    const size_t last = s.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

void PrintHit(const SearchHit& hit, bool json, bool first) {
    if (json) {
        const Json object{{"kind", KindName(hit.kind)},
                          {"id", hit.id},
                          {"name", Display(hit.name)},
                          {"cd", Display(hit.cdName)},
                          {"path", Display(hit.path)},
                          {"date", DateToIso(hit.date)},
                          {"size", std::fabs(hit.size)},
                          {"attributes", hit.attributes},
                          {"notes", Display(hit.notes)}};
        std::printf("%s  %s", first ? "[\n" : ",\n", object.dump().c_str());
        return;
    }
    std::printf("%s\t%d\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", KindName(hit.kind), hit.id, Display(hit.name).c_str(),
                Display(hit.cdName).c_str(), Display(hit.path).c_str(), hit.dateText.c_str(),
                Trimmed(FormatSize(hit.size)).c_str(), Trimmed(AttributesToText(hit.attributes)).c_str(),
                Display(FlattenLines(hit.notes)).c_str());
}

void RunSearch(const SearchArgs& args) {
    SearchCriteria criteria;
    criteria.text = args.text;
    criteria.mode = args.whole ? kMatchWhole : args.begin ? kMatchBeginning : kMatchAnywhere;
    if (args.cdNames || args.paths || args.files || args.notes) {
        criteria.searchCdNames = args.cdNames;
        criteria.searchPathNames = args.paths;
        criteria.searchFileNames = args.files;
        criteria.searchComments = args.notes;
    }
    if (!CheckSearchCriteria(criteria)) {
        ExitStatus() = 1;
        return;
    }
    auto data = OpenCatalogueOrExit();
    const std::vector<int32_t> cds = AllCdIds(*data);
    ScopedInterrupt interrupt;
    bool first = true;
    const SearchOutcome outcome = SearchCatalogue(
        *data, cds, criteria,
        [&](const SearchHit& hit) {
            PrintHit(hit, args.json, first);
            first = false;
        },
        &ScopedInterrupt::Flag());
    if (args.json) std::printf("%s", first ? "[]\n" : "\n]\n");
    if (outcome.stopped) {
        std::fflush(stdout);
        std::fprintf(stderr, "karvio-cli: search stopped after %lld hits\n", static_cast<long long>(outcome.hits));
        ExitStatus() = 130;
    }
}

void AddSearchCommand(CLI::App& app) {
    auto args = std::make_shared<SearchArgs>();
    CLI::App* cmd = app.add_subcommand(
        "search", "Search CD names, paths, file names and notes (without field flags: paths, file names and notes)");
    cmd->add_option("TEXT", args->text, "Text to look for, letter case ignored; \"*\" is dropped")->required();
    auto* whole = cmd->add_flag("--whole", args->whole, "The whole field is the text");
    auto* begin = cmd->add_flag("--begin", args->begin, "The field begins with the text");
    auto* anywhere = cmd->add_flag("--anywhere", args->anywhere, "The field contains the text (default)");
    whole->excludes(begin)->excludes(anywhere);
    begin->excludes(anywhere);
    cmd->add_flag("--cd-names", args->cdNames, "Search CD names");
    cmd->add_flag("--paths", args->paths, "Search path names (CD base paths, directory paths)");
    cmd->add_flag("--files", args->files, "Search file and directory names");
    cmd->add_flag("--notes", args->notes, "Search notes");
    cmd->add_flag("--json", args->json, "One JSON object per hit");
    cmd->callback([args] { RunSearch(*args); });
}

const RegisterCommands registered(AddSearchCommand);

}  // namespace

}  // namespace karvio::cli
