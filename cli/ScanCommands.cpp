// Commands that scan: scan (add a drive or folder as a new CD), rescan (scan a CD again, keeping
// its notes) and tree (a CD's directories and files as stored). On a terminal Ctrl-C during a
// scan asks whether to cancel, as the progress window's Cancel button does; without one, and for
// SIGTERM, the scan stops at once. A stopped scan links nothing into the catalogue.
#include <signal.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "CliSupport.h"
#include "DetailsDatabase.h"
#include "Interrupt.h"
#include "Messages.h"
#include "Output.h"
#include "PathServices.h"
#include "Progress.h"
#include "RecordOutput.h"
#include "ScanEngine.h"
#include "TextOutput.h"
#include "VolumeServices.h"

namespace karvio::cli {

namespace {

constexpr const char* kNotReady = "No CD Found to Scan or CD Not Ready";

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
        std::string shown;
        AppendEscapedPath(shown, path);
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

// Runs a scan prepared with SetVars: the progress bar when stderr is a terminal; a stop signal
// stops the walk, and on a terminal Ctrl-C asks first. Returns the new CD id, 0 when the scan was
// stopped; `interrupted` tells whether Ctrl-C or a signal was behind it.
int32_t RunScan(ScanEngine& engine, bool& interrupted) {
    TerminalProgress bar;
    const bool showBar = ::isatty(STDERR_FILENO);
    if (showBar) engine.SetProgress(&bar);
    interrupted = false;

    std::optional<InterruptQuestion> question;
    if (::isatty(STDIN_FILENO) && !Options().yes) question.emplace();
    YieldHook previousHook = SetYieldHook([&] {
        if (!StopFlag().load() && question && question->TakePress()) {
            bar.Clear();
            interrupted = true;
            engine.Cancel();
        }
        if (StopFlag().load()) {
            bar.Clear();
            interrupted = true;
            engine.Stop();
        }
    });

    int32_t newId = 0;
    engine.ScanCd(newId);

    SetYieldHook(std::move(previousHook));
    question.reset();
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

// A folder the scan can walk, or the command ends saying what is wrong with the path.
void RequireDirectory(const std::string& path, const char* hint = "") {
    struct stat st {};
    if (path.empty()) UsageError("no path given");
    if (::stat(path.c_str(), &st) != 0) Fail(PathError(path, errno) + hint);
    if (!S_ISDIR(st.st_mode)) Fail(PathError(path, ENOTDIR));
    if (::access(path.c_str(), R_OK | X_OK) != 0) Fail(PathError(path, errno));
}

// The exit status of a scan or rescan that catalogued the CD without some folders or files it
// could not read.
constexpr int kExitIncomplete = 3;

void FinishScan(const ScanEngine& engine, int32_t newId, bool interrupted) {
    if (newId == 0) {
        FlushOutputQuietly();
        if (engine.WasTooLarge()) {
            ExitStatus() = 1;
            return;
        }
        if (StopSignal() != 0) {
            std::fprintf(stderr, "karvio-cli: scan stopped by %s; the catalogue is as it was\n", StopSignalName());
            std::exit(StopStatus());
        }
        std::fprintf(stderr, "karvio-cli: scan cancelled; the catalogue is as it was\n");
        ExitStatus() = interrupted ? 128 + SIGINT : 1;
        return;
    }
    Print("%d\n", newId);
    if (engine.SkippedCount() > 0) {
        const int64_t count = engine.SkippedCount();
        std::fprintf(stderr, "karvio-cli: %lld %s could not be read; CD %d was catalogued without %s:\n",
                     static_cast<long long>(count), count == 1 ? "folder or file" : "folders or files", newId,
                     count == 1 ? "it" : "them");
        for (const ScanSkip& skip : engine.Skipped()) {
            std::fprintf(stderr, "  %s: %s\n", Escaped(skip.path).c_str(), skip.reason.c_str());
        }
        if (count > static_cast<int64_t>(engine.Skipped().size())) {
            std::fprintf(stderr, "  and %lld more\n", static_cast<long long>(count) - static_cast<long long>(engine.Skipped().size()));
        }
        ExitStatus() = kExitIncomplete;
    }
}

struct ScanArgs {
    std::string path, name, notes;
    int32_t category = 0;
    int32_t cdId = 0;
    bool nameGiven = false;
    bool json = false;
    bool archives = false, media = false, thumbnails = false, details = false, hashes = false;

    // The options given on the command line; none given is nullopt (a rescan then reads what the
    // CD was scanned with).
    std::optional<uint32_t> Options() const {
        const uint32_t options = (archives ? uint32_t{kScanArchives} : 0u) | (media ? uint32_t{kScanMedia} : 0u) |
                                 (thumbnails ? uint32_t{kScanThumbnails} : 0u) |
                                 (details ? uint32_t{kScanAllDetails} : 0u) | (hashes ? uint32_t{kScanHashes} : 0u);
        if (options == 0) return std::nullopt;
        return options;
    }
};

// The options that look inside files, for scan and rescan.
void AddDetailOptions(CLI::App* command, ScanArgs& args) {
    command->add_flag("--archives", args.archives, "List the members of archives (zip, 7z, tar, iso, ...)");
    command->add_flag("--media", args.media, "Read the details of pictures, songs and films");
    command->add_flag("--thumbnails", args.thumbnails, "Make small pictures of pictures");
    command->add_flag("--details", args.details, "All three: --archives --media --thumbnails");
    command->add_flag("--hashes", args.hashes,
                      "Record the content hash (XXH3-128) of every file, for duplicates by content and verify");
}

void RunScanCommand(const ScanArgs& args) {
    RequireDirectory(args.path);
    {
        auto data = OpenCatalogueOrExit(true);
        if (args.category != 0 && !IsCategoryId(*data, args.category)) {
            Fail("no category with id " + std::to_string(args.category));
        }
    }
    const std::string label = ReadyVolumeLabel(args.path);
    const std::string name = args.nameGiven ? args.name : ProposedDiscName(args.path, label);
    ScanEngine engine;
    engine.SetVars(0, AddBackslash(args.path), name, args.notes, label, args.category);
    engine.SetScanOptions(args.Options().value_or(0));
    bool interrupted = false;
    const int32_t newId = RunScan(engine, interrupted);
    FinishScan(engine, newId, interrupted);
}

void RunRescanCommand(const ScanArgs& args) {
    CdInfo cd;
    {
        auto data = OpenCatalogueOrExit(true);
        if (!IsCdId(*data, args.cdId)) Fail("no CD with id " + std::to_string(args.cdId));
        cd = ReadCdInfo(*data, args.cdId);
    }
    const std::string path = args.path.empty() ? cd.CdBasepath : args.path;
    RequireDirectory(path, args.path.empty() ? " (give the CD's present place as PATH)" : "");
    const std::string label = ReadyVolumeLabel(path);
    ScanEngine engine;
    engine.SetVars(args.cdId, AddBackslash(path), cd.CdName, cd.CdNotes, label, cd.CdCategory);
    if (const std::optional<uint32_t> options = args.Options()) engine.SetScanOptions(*options);
    bool interrupted = false;
    const int32_t newId = RunScan(engine, interrupted);
    FinishScan(engine, newId, interrupted);
}

// The text line of a directory or file: kind, id, full name, size, date, attribute word, notes.
// `pathPrefix` is written before `name` as it is; `name` is escaped (as a path when `isPath`).
void PutTreeLine(std::string& line, char kind, int32_t id, std::string_view pathPrefix, std::string_view name,
                 bool isPath, double size, double date, int32_t attributes, std::string_view notes) {
    const size_t bound = 3 * kNumberBound + kDateBound + 16 + pathPrefix.size() + EscapedBound(name) +
                         EscapedBound(notes);
    if (line.size() < bound) line.resize(bound);
    char* const start = line.data();
    char* p = start;
    *p++ = kind;
    *p++ = ' ';
    p = PutInt(p, id);
    *p++ = '\t';
    p = PutText(p, pathPrefix);
    p = isPath ? PutEscapedPath(p, name) : PutEscaped(p, name);
    *p++ = '\t';
    p = PutInt(p, ByteCount(size));
    *p++ = '\t';
    p = PutIsoDate(p, date);
    *p++ = '\t';
    p = PutInt(p, attributes);
    *p++ = '\t';
    p = PutEscaped(p, notes);
    *p++ = '\n';
    Write(std::string_view(start, static_cast<size_t>(p - start)));
}

// Walks the CD's directories in stored order, each followed by its files, writing every record
// as it is read: neither the listing nor the list of ids is held in memory.
void RunTree(int32_t cdId, bool json) {
    auto data = OpenCatalogueOrExit();
    if (!IsCdId(*data, cdId)) Fail("no CD with id " + std::to_string(cdId));
    classCd& cd = data->GetCdGoto(cdId);
    JsonWriter out;
    FileObjectWriter fileObjects;
    std::string line, name, notes;
    if (json) out.BeginArray(JsonWriter::Lines);
    // The JSON goes out in pieces of about this size rather than a call per record.
    constexpr size_t kJsonPiece = 64 * 1024;
    for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        std::string prefix;
        if (json) {
            const DirInfo info = ReadDirInfo(*dir);
            // Every file's full name begins with it: escaped once for all of them.
            const std::string native = NativeCataloguePath(JoinCataloguePath(info.DirPath, info.DirName));
            fileObjects.SetPathPrefix(JsonWriter::EscapedJson(FilePathPrefix(native)));
            out.BeginObject();
            DirMembers(out, info);
            out.Member("full_name", native);
            out.Key("file_list");
            out.BeginArray(JsonWriter::Lines);
        } else {
            const std::string fullName = dir->GetDirFullName();
            std::string escaped;
            AppendEscapedPath(escaped, fullName);
            prefix = FilePathPrefix(escaped);
            PutTreeLine(line, 'D', dir->GetDirId(), {}, fullName, true, dir->GetDirSize(), dir->GetDirDate(),
                        dir->GetDirAttr(), dir->GetDirNotes());
        }
        for (ClassFile* file = &dir->GetFileFirst(); !dir->GetFileEof(); file = &dir->GetFileNext()) {
            const FileFields fields = FileFieldsOf(*data, *file, name, notes);
            if (json) {
                fileObjects.Write(out, fields);
                if (out.Text().size() >= kJsonPiece) WriteJson(out);
            } else {
                PutTreeLine(line, 'F', fields.id, prefix, fields.name, false, fields.size, fields.date,
                            fields.attributes, fields.notes);
            }
            ExitIfStopped("tree");
        }
        if (json) {
            out.EndArray();
            out.EndObject();
        }
        ExitIfStopped("tree");
    }
    if (json) {
        out.EndArray();
        WriteJson(out);
    }
}

void AddScanCommands(CLI::App& app) {
    auto args = std::make_shared<ScanArgs>();

    CLI::App* scan = app.add_subcommand("scan", "Scan a drive or folder as a new CD; prints its id (exit status 3: "
                                                  "catalogued, but some folders or files could not be read)");
    scan->add_option("PATH", args->path, "The folder or volume to scan")->required();
    scan->add_option("--name", args->name, "The CD's name (default: the volume label, or the folder's name when the volume has none)")
        ->each([args](const std::string&) { args->nameGiven = true; });
    scan->add_option("--notes", args->notes, "The CD's notes");
    scan->add_option("--category", args->category, "Category id (0: the root)");
    AddDetailOptions(scan, *args);
    scan->callback([args] { RunScanCommand(*args); });

    CLI::App* rescan = app.add_subcommand("rescan", "Scan a CD again, keeping its notes (and reading inside files as it "
                                                    "was scanned); prints the new id (exit status 3 as for scan)");
    rescan->add_option("CDID", args->cdId)->required();
    rescan->add_option("PATH", args->path, "Where the CD is now (default: its stored base path)");
    AddDetailOptions(rescan, *args);
    rescan->callback([args] { RunRescanCommand(*args); });

    CLI::App* tree = app.add_subcommand("tree", "A CD's directories in stored order with their files");
    tree->add_option("CDID", args->cdId)->required();
    tree->add_flag("--json", args->json, "A JSON array of the directories, each with its files");
    tree->callback([args] { RunTree(args->cdId, args->json); });
}

const RegisterCommands registeredScanCommands(CommandGroup::Scan, AddScanCommands);

}  // namespace

}  // namespace karvio::cli
