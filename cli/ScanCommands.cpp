// Commands that scan: scan (add a drive or folder as a new CD), rescan (scan a CD again, keeping
// its notes) and tree (a CD's directories and files as stored). Ctrl-C during a scan asks whether
// to cancel, as the progress window's Cancel button does.
#include <signal.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include "CatalogueDate.h"
#include "CliSupport.h"
#include "Format.h"
#include "Messages.h"
#include "PathServices.h"
#include "Progress.h"
#include "ScanEngine.h"
#include "VolumeServices.h"

namespace karvio::cli {

namespace {

constexpr const char* kNotReady = "No CD Found to Scan or CD Not Ready";

// Ctrl-C presses not yet answered. Three unanswered presses end the program the ordinary way,
// so a scan whose question cannot be asked can still be interrupted; nothing is linked into the
// catalogue before a scan completes, so that loses nothing.
volatile sig_atomic_t gInterrupts = 0;

void OnInterrupt(int) {
    gInterrupts = gInterrupts + 1;
    if (gInterrupts >= 3) {
        ::signal(SIGINT, SIG_DFL);
        ::raise(SIGINT);
    }
}

// A one-line progress bar on stderr, redrawn at most ten times a second.
class TerminalProgress : public ScanProgress {
public:
    void DirectoryStarted(std::string_view path, const ScanCounts& soFar) override { Draw(path, soFar); }
    void FileAdded(std::string_view dirPath, std::string_view, const ScanCounts& soFar) override {
        Draw(dirPath, soFar);
    }
    void Clear() {
        if (shown_) std::fputs("\r\x1b[K", stderr);
        shown_ = false;
    }

private:
    void Draw(std::string_view path, const ScanCounts& soFar) {
        const auto now = std::chrono::steady_clock::now();
        if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        winsize ws{};
        const int width = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 ? ws.ws_col : 80;
        char counts[96];
        std::snprintf(counts, sizeof counts, "%d dirs, %d files  ", soFar.directories, soFar.files);
        std::string line = counts;
        std::string shown = FlattenLines(Display(std::string(path)));
        for (char& c : shown) {
            if (c == '\n' || c == '\t') c = ' ';
        }
        const size_t room = static_cast<size_t>(width) > line.size() + 1 ? width - line.size() - 1 : 0;
        if (shown.size() > room) shown = room > 3 ? "..." + shown.substr(shown.size() - (room - 3)) : "";
        line += shown;
        std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
        std::fflush(stderr);
        shown_ = true;
    }

    bool shown_ = false;
    std::chrono::steady_clock::time_point last_{};
};

// Runs a scan prepared with SetVars: the progress bar when stderr is a terminal, Ctrl-C turned
// into the cancel question. Returns the new CD id, 0 when the scan was stopped.
int32_t RunScan(ScanEngine& engine) {
    TerminalProgress bar;
    const bool showBar = ::isatty(STDERR_FILENO);
    if (showBar) engine.SetProgress(&bar);

    struct sigaction action {}, previous {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // a question being read on the terminal goes on reading
    gInterrupts = 0;
    ::sigaction(SIGINT, &action, &previous);
    YieldHook previousHook = SetYieldHook([&engine, &bar] {
        if (gInterrupts == 0) return;
        bar.Clear();
        engine.Cancel();
        gInterrupts = 0;
    });

    int32_t newId = 0;
    engine.ScanCd(newId);

    SetYieldHook(std::move(previousHook));
    ::sigaction(SIGINT, &previous, nullptr);
    bar.Clear();
    engine.SetProgress(nullptr);
    return newId;
}

// The label of the volume that holds `path`; ends the command when no medium is there.
std::string ReadyVolumeLabel(const std::string& path) {
    const std::string label = GetVolumeLabel(path);
    if (::strcasecmp(label.c_str(), kDiskNotReady) == 0) {
        ShowMessage(kNotReady, vbOKOnly);
        std::exit(1);
    }
    return label;
}

void RequireDirectory(const std::string& path) {
    struct stat st {};
    if (path.empty()) Fail("no path given");
    if (::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) Fail(path + ": not a directory");
}

void FinishScan(int32_t newId) {
    if (newId == 0) {
        std::fprintf(stderr, "karvio-cli: scan cancelled; the catalogue is as it was\n");
        ExitStatus() = 1;
        return;
    }
    std::printf("%d\n", newId);
}

struct ScanArgs {
    std::string path, name, notes;
    int32_t category = 0;
    int32_t cdId = 0;
    bool nameGiven = false;
    bool json = false;
};

void RunScanCommand(const ScanArgs& args) {
    RequireDirectory(args.path);
    {
        auto data = OpenCatalogueOrExit(true);
        if (args.category != 0 && !IsCategoryId(*data, args.category)) {
            Fail("no category with id " + std::to_string(args.category));
        }
    }
    const std::string label = ReadyVolumeLabel(args.path);
    ScanEngine engine;
    engine.SetVars(0, AddBackslash(args.path), args.nameGiven ? args.name : label, args.notes, label,
                   args.category);
    FinishScan(RunScan(engine));
}

void RunRescanCommand(const ScanArgs& args) {
    CdInfo cd;
    {
        auto data = OpenCatalogueOrExit(true);
        if (!IsCdId(*data, args.cdId)) Fail("no CD with id " + std::to_string(args.cdId));
        cd = ReadCdInfo(*data, args.cdId);
    }
    const std::string path = args.path.empty() ? cd.CdBasepath : args.path;
    RequireDirectory(path);
    const std::string label = ReadyVolumeLabel(path);
    ScanEngine engine;
    engine.SetVars(args.cdId, AddBackslash(path), cd.CdName, cd.CdNotes, label, cd.CdCategory);
    FinishScan(RunScan(engine));
}

// Names and notes on one line of text output: line breaks and tabs written as \n, \r, \t.
std::string OneField(const std::string& bytes) {
    std::string out;
    for (char c : Display(bytes)) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out;
}

void RunTree(int32_t cdId, bool json) {
    auto data = OpenCatalogueOrExit();
    if (!IsCdId(*data, cdId)) Fail("no CD with id " + std::to_string(cdId));
    std::vector<int32_t> dirIds;
    classCd& cd = data->GetCdGoto(cdId);
    for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        dirIds.push_back(dir->GetDirId());
    }
    Json all = Json::array();
    for (int32_t dirId : dirIds) {
        const DirInfo dir = ReadDirInfo(*data, dirId);
        classDir& cursor = data->GetCdGoto(cdId).GetDirGoto(dirId);
        const std::string fullName = cursor.GetDirFullName();
        std::vector<int32_t> fileIds;
        for (ClassFile* file = &cursor.GetFileFirst(); !cursor.GetFileEof(); file = &cursor.GetFileNext()) {
            fileIds.push_back(file->GetFileId());
        }
        Json dirJson;
        if (json) {
            dirJson = DirJson(dir);
            dirJson["full_name"] = Display(fullName);
            dirJson["file_list"] = Json::array();
        } else {
            std::printf("D %d\t%s\t%.0f\t%s\t%d\t%s\n", dir.DirId, OneField(fullName).c_str(), dir.DirSize,
                        DateToIso(dir.DirDate).c_str(), dir.DirAttr, OneField(dir.DirNotes).c_str());
        }
        for (int32_t fileId : fileIds) {
            const FileInfo file = ReadFileInfo(*data, fileId);
            const std::string fileFull = JoinCataloguePath(fullName, file.FileName);
            if (json) {
                Json f = FileJson(file);
                f["full_name"] = Display(fileFull);
                dirJson["file_list"].push_back(std::move(f));
            } else {
                std::printf("F %d\t%s\t%.0f\t%s\t%d\t%s\n", file.FileId, OneField(fileFull).c_str(),
                            file.FileSize, DateToIso(file.FileDate).c_str(), file.FileAttr,
                            OneField(file.FileNotes).c_str());
            }
        }
        if (json) all.push_back(std::move(dirJson));
    }
    if (json) PrintJson(all);
}

void AddScanCommands(CLI::App& app) {
    auto args = std::make_shared<ScanArgs>();

    CLI::App* scan = app.add_subcommand("scan", "Scan a drive or folder as a new CD; prints its id");
    scan->add_option("PATH", args->path, "The folder or volume to scan")->required();
    scan->add_option("--name", args->name, "The CD's name (default: the volume label)")
        ->each([args](const std::string&) { args->nameGiven = true; });
    scan->add_option("--notes", args->notes, "The CD's notes");
    scan->add_option("--category", args->category, "Category id (0: the root)");
    scan->callback([args] { RunScanCommand(*args); });

    CLI::App* rescan = app.add_subcommand("rescan", "Scan a CD again, keeping its notes; prints the new id");
    rescan->add_option("CDID", args->cdId)->required();
    rescan->add_option("PATH", args->path, "Where the CD is now (default: its stored base path)");
    rescan->callback([args] { RunRescanCommand(*args); });

    CLI::App* tree = app.add_subcommand("tree", "A CD's directories in stored order with their files");
    tree->add_option("CDID", args->cdId)->required();
    tree->add_flag("--json", args->json);
    tree->callback([args] { RunTree(args->cdId, args->json); });
}

const RegisterCommands registered(AddScanCommands);

}  // namespace

}  // namespace karvio::cli
