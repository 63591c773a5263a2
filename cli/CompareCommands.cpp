// Commands that compare what the catalogue holds: duplicates (and the files on one disc only),
// compare (a CD against a CD or a folder as it is now), verify (a disc read again against its
// catalogue) and export (a CD's tree or search hits as CSV or JSON). The lists of the first
// three are written as text, or with --csv / --json as export writes them. Like diff, compare
// and verify end with status 0 when they found no difference, 1 when they did, 2 when the
// command line asks for something they cannot do.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

#include "CatalogueDetails.h"
#include "CatalogueListing.h"
#include "CatalogueSearch.h"
#include "CliSupport.h"
#include "DiscVerify.h"
#include "Duplicates.h"
#include "FileLocator.h"
#include "Interrupt.h"
#include "ListExports.h"
#include "ListWriter.h"
#include "Output.h"
#include "TextOutput.h"
#include "TreeComparison.h"
#include "VolumeLocator.h"

namespace karvio::cli {

namespace {

// Where a list goes: standard output, or the file of -o, created without following a link.
class ListOutput {
public:
    explicit ListOutput(const std::string& path) : path_(path) {
        if (path_.empty() || path_ == "-") return;
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ < 0) Fail(PathError(path_, errno));
    }
    ~ListOutput() {
        if (fd_ >= 0) ::close(fd_);
    }
    ListOutput(const ListOutput&) = delete;
    ListOutput& operator=(const ListOutput&) = delete;

    void operator()(std::string_view text) {
        if (fd_ < 0) {
            Write(text);
            return;
        }
        while (!text.empty()) {
            const ssize_t n = ::write(fd_, text.data(), text.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) Fail(PathError(path_, n < 0 ? errno : ENOSPC));
            text.remove_prefix(static_cast<size_t>(n));
        }
    }
    // Closes the file, checking that it was written whole.
    void Close() {
        if (fd_ < 0) return;
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) Fail(PathError(path_, errno));
    }

private:
    std::string path_;
    int fd_ = -1;
};

struct ListArgs {
    bool json = false, csv = false;
    std::string output;
    std::optional<ListFormat> Format() const {
        if (csv) return ListFormat::Csv;
        if (json) return ListFormat::Json;
        return std::nullopt;
    }
};

void AddListOptions(CLI::App* cmd, ListArgs& args, bool outputFile) {
    auto* json = cmd->add_flag("--json", args.json, "A JSON array of objects, one per row");
    auto* csv = cmd->add_flag("--csv", args.csv, "CSV (RFC 4180, UTF-8) with a header line");
    json->excludes(csv);
    if (outputFile) cmd->add_option("-o,--output", args.output, "Write the list to FILE instead of standard output");
}

std::string Human(int64_t bytes) {
    std::string digits = std::to_string(bytes);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<size_t>(i), ",");
    return digits;
}

// The native path of a file on its disc, from the volume root.
std::string PathOf(const ListedCd& cd, uint32_t entry) { return cd.listing.VolumePath(entry); }

// ---- duplicates ---------------------------------------------------------------------------

struct DuplicatesArgs {
    std::string by = "name-size";
    int64_t minSize = 0;
    bool single = false;
    std::vector<int32_t> cds;
    std::vector<int32_t> categories;
    std::string sort = "spare";
    ListArgs list;
};

void RunDuplicates(const DuplicatesArgs& args) {
    const DuplicateKey key = args.by == "hash" ? DuplicateKey::Hash : DuplicateKey::NameAndSize;
    if (!args.single && (!args.cds.empty() || !args.categories.empty()))
        UsageError("--cd and --category choose the files of --single");
    auto data = OpenCatalogueOrExit();
    for (int32_t id : args.cds) {
        if (!IsCdId(*data, id)) UsageError("no CD with id " + std::to_string(id));
    }
    for (int32_t id : args.categories) {
        if (!IsCategoryId(*data, id)) UsageError("no category with id " + std::to_string(id));
    }
    const std::vector<ListedCd> cds = ReadCatalogueListing(*data);
    ExitIfStopped("duplicates");
    HashLookup hashes;
    if (key == DuplicateKey::Hash) {
        std::vector<const ListedCd*> all;
        for (const ListedCd& cd : cds) all.push_back(&cd);
        size_t count = 0;
        std::string note;
        hashes = RecordedHashes(*data, all, &count, &note);
        if (!note.empty()) std::fprintf(stderr, "karvio-cli: %s\n", Escaped(note).c_str());
        if (count == 0) {
            std::fprintf(stderr, "karvio-cli: no content hashes are recorded: scan or rescan the discs with --hashes\n");
        }
    }
    ListOutput out(args.list.output);
    const std::optional<ListFormat> format = args.list.Format();

    if (args.single) {
        std::vector<uint32_t> among;
        for (uint32_t c = 0; c < cds.size(); ++c) {
            const bool byCd = std::find(args.cds.begin(), args.cds.end(), cds[c].cdId) != args.cds.end();
            const bool byCategory =
                std::find(args.categories.begin(), args.categories.end(), cds[c].category) != args.categories.end();
            if (byCd || byCategory) among.push_back(c);
        }
        if (among.empty() && (!args.cds.empty() || !args.categories.empty())) return;
        const std::vector<FileRef> singles = FindSingleCopies(cds, key, args.minSize, among, hashes);
        int64_t bytes = 0;
        if (format) {
            ListWriter writer(*format, kSingleListColumns, [&](std::string_view t) { out(t); });
            for (const FileRef& r : singles) {
                WriteSingleRow(writer, cds, r);
                bytes += cds[r.cd].listing[r.entry].size;
            }
        } else {
            for (const FileRef& r : singles) {
                const ListedCd& cd = cds[r.cd];
                const ListingEntry& e = cd.listing[r.entry];
                std::string line = std::to_string(e.id) + '\t';
                AppendEscaped(line, cd.name);
                line += '\t';
                AppendEscaped(line, cd.categoryName);
                line += '\t';
                AppendEscaped(line, PathOf(cd, r.entry));
                line += '\t' + std::to_string(e.size) + '\n';
                out(line);
                bytes += e.size;
            }
        }
        out.Close();
        std::fprintf(stderr, "%zu files on one disc only, %s bytes\n", singles.size(), Human(bytes).c_str());
        return;
    }

    const DuplicateOrder order = args.sort == "size"     ? DuplicateOrder::Size
                                 : args.sort == "copies" ? DuplicateOrder::Copies
                                 : args.sort == "name"   ? DuplicateOrder::Name
                                                         : DuplicateOrder::Spare;
    const std::vector<DuplicateGroup> groups = FindDuplicates(cds, key, args.minSize, order, hashes);
    int64_t spare = 0, files = 0;
    std::optional<ListWriter> writer;
    if (format) writer.emplace(*format, kDuplicateListColumns, [&](std::string_view t) { out(t); });
    int64_t number = 0;
    for (const DuplicateGroup& g : groups) {
        ++number;
        spare += g.Spare();
        files += static_cast<int64_t>(g.copies.size());
        const ListedCd& firstCd = cds[g.copies[0].cd];
        if (!writer) {
            std::string line = std::to_string(g.copies.size()) + " copies of ";
            AppendEscaped(line, firstCd.listing.Name(g.copies[0].entry));
            line += ", " + Human(g.size) + " bytes each, " + Human(g.Space()) + " in all, " + Human(g.Spare()) +
                    " spare";
            if (g.hash) line += ", " + g.hash->Hex();
            line += '\n';
            for (const FileRef& r : g.copies) {
                const ListedCd& cd = cds[r.cd];
                line += '\t' + std::to_string(cd.listing[r.entry].id) + '\t';
                AppendEscaped(line, cd.name);
                line += '\t';
                AppendEscaped(line, cd.categoryName);
                line += '\t';
                AppendEscaped(line, PathOf(cd, r.entry));
                line += '\n';
            }
            out(line);
            continue;
        }
        WriteDuplicateRows(*writer, cds, g, number);
    }
    if (writer) writer->Finish();
    out.Close();
    std::fprintf(stderr, "%zu groups of duplicates, %lld files, %s bytes spare\n", groups.size(),
                 static_cast<long long>(files), Human(spare).c_str());
}

// ---- compare ------------------------------------------------------------------------------

struct CompareArgs {
    int32_t first = 0;
    std::string second;
    bool same = false;
    ListArgs list;
};

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

void RunCompare(const CompareArgs& args) {
    auto data = OpenCatalogueOrExit();
    if (!IsCdId(*data, args.first)) UsageError("no CD with id " + std::to_string(args.first));
    const ListedCd first = ReadListedCd(*data, args.first);
    ListedCd second;
    std::string secondName;
    // A number names a CD; anything else (or a number that is an existing folder given as
    // "./123") a folder as it is now.
    struct stat st {};
    if (AllDigits(args.second) && ::stat(args.second.c_str(), &st) != 0) {
        const int32_t id = std::stoi(args.second);
        if (!IsCdId(*data, id)) UsageError("no CD with id " + args.second);
        second = ReadListedCd(*data, id);
        secondName = Display(second.name);
    } else {
        if (::stat(args.second.c_str(), &st) != 0) UsageError(PathError(args.second, errno));
        if (!S_ISDIR(st.st_mode)) UsageError(args.second + ": not a folder");
        const WalkReport walk = WalkFolder(args.second, second.listing, &StopFlag());
        ExitIfStopped("compare");
        for (const std::string& problem : walk.problems) {
            std::fprintf(stderr, "karvio-cli: %s\n", Escaped(problem).c_str());
        }
        if (walk.ioError) std::fprintf(stderr, "karvio-cli: the folder could not be read whole: the comparison is partial\n");
        secondName = args.second;
    }
    // Recorded content hashes tell changed contents apart where both sides have them; a folder
    // as it is now has none.
    const HashLookup firstHashes = RecordedHashes(*data, {&first});
    const HashLookup secondHashes = second.cdId != 0 ? RecordedHashes(*data, {&second}) : HashLookup{};
    const TreeComparison result = CompareListings(first.listing, second.listing, firstHashes, secondHashes);
    ListOutput out(args.list.output);
    if (const std::optional<ListFormat> format = args.list.Format()) {
        ListWriter writer(*format, kCompareListColumns, [&](std::string_view t) { out(t); });
        for (const ComparedEntry& e : result.entries) {
            if (e.difference == Difference::Same && !args.same) continue;
            WriteComparisonRow(writer, first.listing, second.listing, e);
        }
    } else {
        for (const ComparedEntry& e : result.entries) {
            if (e.difference == Difference::Same && !args.same) continue;
            const char mark = e.difference == Difference::OnlyFirst    ? '-'
                              : e.difference == Difference::OnlySecond ? '+'
                              : e.difference == Difference::Changed    ? '~'
                                                                       : '=';
            std::string line(1, mark);
            line += ' ';
            AppendEscaped(line, DecodePath(e.path));
            if (e.directory) line += '/';
            if (e.difference == Difference::Changed) line += "\t(" + ChangeNames(e.changes) + ")";
            line += '\n';
            out(line);
        }
    }
    out.Close();
    std::fprintf(stderr, "%s against %s: %lld only in the first, %lld only in the second, %lld changed, %lld the same\n",
                 Escaped(first.name).c_str(), Escaped(secondName).c_str(), static_cast<long long>(result.onlyFirst),
                 static_cast<long long>(result.onlySecond), static_cast<long long>(result.changed),
                 static_cast<long long>(result.same));
    if (result.Differs()) ExitStatus() = 1;
}

// ---- verify -------------------------------------------------------------------------------

struct VerifyArgs {
    int32_t cd = 0;
    std::string path;
    ListArgs list;
};

void RunVerify(const VerifyArgs& args) {
    auto data = OpenCatalogueOrExit();
    if (!IsCdId(*data, args.cd)) UsageError("no CD with id " + std::to_string(args.cd));
    std::string folder = args.path;
    if (folder.empty()) {
        folder = CurrentFolderOfCd(*data, args.cd);
        if (folder.empty()) {
            Fail("\"" + Display(data->GetCdGoto(args.cd).GetCdName()) +
                 "\" is not mounted: insert it, or name the folder it is in");
        }
    } else {
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0) UsageError(PathError(folder, errno));
        if (!S_ISDIR(st.st_mode)) UsageError(folder + ": not a folder");
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    }
    const ListedCd cd = ReadListedCd(*data, args.cd);
    const HashLookup hashes = RecordedHashes(*data, {&cd});

    const bool bar = ::isatty(STDERR_FILENO) != 0;
    auto lastShown = std::chrono::steady_clock::now();
    const VerifyReport report = VerifyDisc(cd.listing, folder, hashes, &StopFlag(), [&](const VerifyProgress& p) {
        if (!bar) return;
        const auto now = std::chrono::steady_clock::now();
        if (!p.path.empty() && now - lastShown < std::chrono::milliseconds(200)) return;
        lastShown = now;
        const int percent = p.bytesTotal > 0 ? static_cast<int>(100 * p.bytesDone / p.bytesTotal) : 100;
        std::fprintf(stderr, "\r\033[K%3d%%  %lld of %lld files", percent, static_cast<long long>(p.filesDone),
                     static_cast<long long>(p.filesTotal));
        std::fflush(stderr);
    });
    if (bar) std::fprintf(stderr, "\r\033[K");

    ListOutput out(args.list.output);
    if (const std::optional<ListFormat> format = args.list.Format()) {
        if (*format == ListFormat::Json) {
            std::string head = "{\"folder\": \"" + JsonWriter::EscapedJson(report.folder) + "\", \"partial\": ";
            head += report.Partial() ? "true" : "false";
            head += ", \"stopped\": " + std::string(report.stopped ? "true" : "false");
            head += ", \"io_error\": " + std::string(report.ioError ? "true" : "false");
            head += ", \"files_checked\": " + std::to_string(report.filesChecked);
            head += ", \"files_read\": " + std::to_string(report.filesRead);
            head += ", \"bytes_read\": " + std::to_string(report.bytesRead);
            head += ", \"files_hashed\": " + std::to_string(report.filesHashed);
            head += ", \"findings\": ";
            out(head);
        }
        {
            ListWriter writer(*format, kVerifyListColumns, [&](std::string_view t) { out(t); });
            for (const VerifyFinding& f : report.findings) WriteVerifyRow(writer, f);
        }
        if (*format == ListFormat::Json) out("}\n");
    } else {
        for (const VerifyFinding& f : report.findings) {
            std::string line = VerifyStatusName(f.status);
            line += '\t';
            AppendEscaped(line, DecodePath(f.path));
            if (f.directory) line += '/';
            if (!f.detail.empty()) {
                line += '\t';
                AppendEscaped(line, f.detail);
            }
            line += '\n';
            out(line);
        }
    }
    out.Close();
    std::fprintf(stderr, "%s at %s: %zu differences; %lld of %lld files read (%s bytes), %lld compared by content\n",
                 Escaped(cd.name).c_str(), Escaped(report.folder).c_str(), report.findings.size(),
                 static_cast<long long>(report.filesRead), static_cast<long long>(report.filesChecked),
                 Human(report.bytesRead).c_str(), static_cast<long long>(report.filesHashed));
    if (report.ioError) std::fprintf(stderr, "karvio-cli: the disc failed to read: this result is partial\n");
    if (report.stopped) ExitStopped("verify (the result above is partial)");
    if (report.Differs() || report.Partial()) ExitStatus() = 1;
}

// ---- export -------------------------------------------------------------------------------

struct ExportArgs {
    int32_t cd = 0;
    std::string query;
    ListArgs list;
};

void RunExport(const ExportArgs& args, bool cdGiven, bool queryGiven) {
    if (cdGiven == queryGiven) UsageError("export takes a CD id or --search QUERY");
    const std::optional<ListFormat> format = args.list.Format();
    if (!format) UsageError("export needs --csv or --json");
    auto data = OpenCatalogueOrExit();
    ListOutput out(args.list.output);
    ListWriter writer(*format, kCatalogueListColumns, [&](std::string_view t) { out(t); });
    if (cdGiven) {
        if (!IsCdId(*data, args.cd)) UsageError("no CD with id " + std::to_string(args.cd));
        const ListedCd cd = ReadListedCd(*data, args.cd);
        if (!WriteCdTreeRows(writer, *data, cd, &StopFlag())) ExitStopped("export");
    } else {
        SearchCriteria criteria;
        criteria.text = args.query;
        criteria.pathText = CataloguePathQuery(args.query);
        criteria.mode = kMatchAnywhere;
        if (!CheckSearchCriteria(criteria)) std::exit(2);
        const SearchOutcome outcome = SearchCatalogue(
            *data, AllCdIds(*data), criteria,
            [&](const SearchHit& hit) {
                const char* kind = hit.kind == SearchHitKind::Cd          ? "cd"
                                   : hit.kind == SearchHitKind::Directory ? "dir"
                                                                          : "file";
                const std::string path = CatalogueRowPath(kind, hit.path, hit.name);
                WriteCatalogueRow(writer, {kind, hit.id, hit.cdId, hit.cdName, path, hit.name, ByteCount(hit.size),
                                           hit.date, hit.attributes, hit.notes});
            },
            &StopFlag());
        if (outcome.stopped) ExitStopped("export");
    }
    writer.Finish();
    out.Close();
}

void AddCompareCommands(CLI::App& app) {
    auto dup = std::make_shared<DuplicatesArgs>();
    CLI::App* duplicates =
        app.add_subcommand("duplicates", "Files that exist more than once (or, with --single, on one disc only)");
    duplicates->add_option("--by", dup->by, "What makes files the same: name-size, or hash (recorded content hashes)")
        ->check(CLI::IsMember({"name-size", "hash"}));
    duplicates->add_option("--min-size", dup->minSize, "Only files of at least N bytes")->check(CLI::NonNegativeNumber);
    duplicates->add_flag("--single", dup->single, "Files that no other disc holds a copy of");
    duplicates->add_option("--cd", dup->cds, "With --single: the files of this CD (may be repeated)");
    duplicates->add_option("--category", dup->categories,
                           "With --single: the files of the CDs in this category (may be repeated)");
    duplicates->add_option("--sort", dup->sort, "Order of the groups: spare (default), size, copies or name")
        ->check(CLI::IsMember({"spare", "size", "copies", "name"}));
    AddListOptions(duplicates, dup->list, true);
    duplicates->callback([dup] { RunDuplicates(*dup); });

    auto cmp = std::make_shared<CompareArgs>();
    CLI::App* compare = app.add_subcommand(
        "compare", "What differs between a CD and another CD or a folder as it is now (exit status 1 when anything does)");
    compare->add_option("CDID", cmp->first, "The first CD")->required();
    compare->add_option("SECOND", cmp->second, "The second CD's id, or a folder")->required();
    compare->add_flag("--same", cmp->same, "List the entries that are the same too");
    AddListOptions(compare, cmp->list, true);
    compare->callback([cmp] { RunCompare(*cmp); });

    auto ver = std::make_shared<VerifyArgs>();
    CLI::App* verify = app.add_subcommand(
        "verify", "Read a disc again against its catalogue (exit status 1 when anything differs or cannot be read)");
    verify->add_option("CDID", ver->cd, "The CD")->required();
    verify->add_option("PATH", ver->path, "Where the disc is (default: where its volume is mounted now)");
    AddListOptions(verify, ver->list, true);
    verify->callback([ver] { RunVerify(*ver); });

    auto exp = std::make_shared<ExportArgs>();
    CLI::App* exportCmd = app.add_subcommand("export", "A CD's tree or search hits as CSV or JSON");
    auto* cdOption = exportCmd->add_option("CDID", exp->cd, "The CD whose directories and files to export");
    auto* searchOption = exportCmd->add_option("--search", exp->query, "Export the hits of this search instead");
    AddListOptions(exportCmd, exp->list, true);
    exportCmd->callback([exp, cdOption, searchOption] {
        RunExport(*exp, cdOption->count() > 0, searchOption->count() > 0);
    });
}

const RegisterCommands registeredCompareCommands(CommandGroup::Search, AddCompareCommands);

}  // namespace

}  // namespace karvio::cli
