// karvio-cli report: the HTML page of a CD or a directory, written with the images it refers to
// beside it; prints the page's path. The page is "cd_<id>.html" or "dir_<id>.html" in the current
// folder unless -o names a file or a folder.
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "CliSupport.h"
#include "HtmlReport.h"
#include "Output.h"
#include "TextOutput.h"
#include "ReportTree.h"

namespace karvio::cli {

namespace {

struct ReportArgs {
    std::string kind;
    int32_t id = 0;
    std::string output;
    bool fromRoot = false;
    ReportOptions options;
};

void RunReport(ReportArgs& args) {
    auto data = OpenCatalogueOrExit();
    int32_t cdId = args.id;
    if (args.kind == "cd") {
        if (!IsCdId(*data, args.id)) Fail("no CD with id " + std::to_string(args.id));
    } else {
        if (!IsDirId(*data, args.id)) Fail("no directory with id " + std::to_string(args.id));
        cdId = data->GetCdGoto(0).GetDirGoto(args.id).GetDirCdId();
    }
    // The files are listed from the catalogue, so the tree needs only the directories.
    const ReportTree tree = BuildCdReportTree(*data, cdId, false);
    int start = 0;
    if (args.kind == "dir" && !args.fromRoot) {
        // The CD's root directory has no node of its own: the CD's node stands for it.
        start = std::max(0, tree.FindDirectory(args.id));
    }

    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string defaultName = args.kind + "_" + std::to_string(args.id) + ".html";
    fs::path page = fs::absolute(args.output.empty() ? fs::path(defaultName) : fs::path(args.output), ec);
    if (ec) Fail(PathError(args.output.empty() ? defaultName : args.output, ec.value()));
    if (fs::is_directory(page, ec)) page /= defaultName;
    std::string error;
    if (!WriteHtmlReport(*data, tree, start, args.options, page.string(), &error)) {
        ::unlink(page.c_str());
        Fail(error);
    }
    for (const std::string& image : ProvideReportImages(page.parent_path().string())) {
        std::fprintf(stderr, "karvio-cli: warning: %s is missing beside the page\n", image.c_str());
    }
    Print("%s\n", Escaped(page.string()).c_str());
}

void AddReportCommand(CLI::App& app) {
    auto args = std::make_shared<ReportArgs>();
    CLI::App* cmd = app.add_subcommand("report", "Write the HTML report of a CD or a directory; prints its path");
    cmd->add_option("KIND", args->kind, "cd or dir")->required()->check(CLI::IsMember({"cd", "dir"}));
    cmd->add_option("ID", args->id, "The CD's or directory's id")->required();
    cmd->add_option("-o,--output", args->output,
                    "Page file, or a folder for the default name (default: cd_ID.html or dir_ID.html here)");
    cmd->add_flag("--from-root", args->fromRoot, "For a directory: report its whole CD");
    // Each option of the report as a flag that turns its default round.
    ReportOptions& o = args->options;
    auto turnOff = [cmd](const char* name, bool& option, const char* help) {
        cmd->add_flag_callback(name, [&option] { option = false; }, help);
    };
    auto turnOn = [cmd](const char* name, bool& option, const char* help) {
        cmd->add_flag_callback(name, [&option] { option = true; }, help);
    };
    turnOff("--no-dir-size", o.chkDirSize, "Hide directory sizes");
    turnOn("--dir-date", o.chkDirDate, "Show directory update dates");
    turnOn("--dir-attributes", o.chkDirAttrib, "Kept as an option; puts nothing on the page");
    turnOff("--no-dir-notes", o.chkDirNotes, "Hide directory notes");
    turnOff("--no-files", o.chkDirFiles, "List no files");
    turnOff("--no-file-sizes", o.chkFileSizes, "Hide file sizes");
    turnOn("--file-dates", o.chkFileDates, "Show file update dates");
    turnOn("--file-attributes", o.chkFileAttrib, "Kept as an option; puts nothing on the page");
    turnOff("--no-file-notes", o.chkFileNotes, "Hide file notes");
    cmd->callback([args] { RunReport(*args); });
}

const RegisterCommands registeredReportCommand(CommandGroup::Report, AddReportCommand);

}  // namespace

}  // namespace karvio::cli
