// karvio-cli search: the catalogue search over every CD in list order, one line or JSON object
// per hit, in list order; the CDs are searched by a few threads at once. Paths are native ("/"), in
// the output and in the text looked for in directory paths.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "CatalogueSearch.h"
#include "CliSupport.h"
#include "DateText.h"
#include "Format.h"
#include "Interrupt.h"
#include "Messages.h"
#include "OrderedOutput.h"
#include "Output.h"
#include "RecordOutput.h"
#include "TextOutput.h"

namespace karvio::cli {

namespace {

struct SearchArgs {
    std::string text;
    bool whole = false, begin = false, anywhere = false;
    bool cdNames = false, paths = false, files = false, notes = false;
    bool json = false;
    bool locale = false;
    unsigned threads = 0;  // 0: as many as the processor has, for a large catalogue
};

constexpr unsigned kMostThreads = 8;

const char* KindName(SearchHitKind kind) {
    switch (kind) {
        case SearchHitKind::Cd:
            return "cd";
        case SearchHitKind::Directory:
            return "dir";
        default:
            return "file";
    }
}

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    const size_t last = s.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

// Writes hits as they come, reusing one line of text: to stdout, or held for a writing thread.
class HitPrinter {
public:
    explicit HitPrinter(const SearchArgs& args) : json_(args.json), locale_(args.locale) {
        if (json_) json_out_.BeginArray(JsonWriter::Lines);
    }
    // A printer of some of the hits, whose text goes to `held` for the writing thread's printer
    // to write with Elements.
    HitPrinter(const SearchArgs& args, std::string* held)
        : json_(args.json), locale_(args.locale), held_(held) {
        if (json_) json_out_.ContinueArray(JsonWriter::Lines);
    }

    // Text a printer of some of the hits made, written in its place.
    void Elements(std::string_view text) {
        if (!json_) {
            Write(text);
            return;
        }
        const std::string_view elements = json_out_.Elements(text);
        WriteJson(json_out_);
        Write(elements);
    }

    void operator()(const SearchHit& hit) {
        if (json_) {
            Json(hit);
        } else {
            Text(hit);
        }
    }

    void Finish() {
        if (!json_) return;
        json_out_.EndArray();
        WriteJson(json_out_);
    }

private:
    void Emit(std::string_view text) {
        if (held_) {
            held_->append(text);
        } else {
            Write(text);
        }
    }
    void EmitJson(JsonWriter& json) {
        Emit(json.Text());
        json.Clear();
    }

    // One line: kind, id, name, CD, path, date, size, attribute words, notes; tab-separated.
    void Text(const SearchHit& hit) {
        if (locale_) {
            LocaleText(hit);
            return;
        }
        const size_t bound = 3 * kNumberBound + kDateBound + kAttributeWordsBound + 16 +
                             EscapedBound(hit.name) + EscapedBound(hit.cdName) +
                             EscapedBound(hit.path) + EscapedBound(hit.notes);
        if (line_.size() < bound) line_.resize(bound);
        char* const start = line_.data();
        char* p = start;
        const char* kind = KindName(hit.kind);
        const size_t kindLength = std::strlen(kind);
        std::memcpy(p, kind, kindLength);
        p += kindLength;
        *p++ = '\t';
        p = PutInt(p, hit.id);
        *p++ = '\t';
        p = PutEscaped(p, hit.name);
        *p++ = '\t';
        p = PutPlace(p, hit);
        *p++ = '\t';
        p = PutIsoDate(p, hit.date);
        *p++ = '\t';
        p = PutInt(p, ByteCount(hit.size));
        *p++ = '\t';
        p = PutAttributeWords(p, hit.attributes);
        *p++ = '\t';
        p = PutEscaped(p, hit.notes);
        *p++ = '\n';
        Emit(std::string_view(start, static_cast<size_t>(p - start)));
    }

    // The CD name and the path, tab-separated. The file hits of one directory share them, so
    // they are escaped once for all of them.
    char* PutPlace(char* p, const SearchHit& hit) {
        if (hit.kind != SearchHitKind::File) return PutCdAndPath(p, hit);
        if (hit.cdId != placeCdId_ || hit.dirId != placeDirId_) {
            place_.resize(1 + EscapedBound(hit.cdName) + EscapedBound(hit.path));
            place_.resize(static_cast<size_t>(PutCdAndPath(place_.data(), hit) - place_.data()));
            placeCdId_ = hit.cdId;
            placeDirId_ = hit.dirId;
        }
        std::memcpy(p, place_.data(), place_.size());
        return p + place_.size();
    }

    static char* PutCdAndPath(char* p, const SearchHit& hit) {
        p = PutEscaped(p, hit.cdName);
        *p++ = '\t';
        return hit.kind == SearchHitKind::Cd ? PutEscaped(p, NativeBasePath(hit.path))
                                             : PutEscapedPath(p, hit.path);
    }

    // The same line with the date and size as the locale writes them (as the search window does).
    void LocaleText(const SearchHit& hit) {
        std::string line = KindName(hit.kind);
        line += '\t' + std::to_string(hit.id) + '\t';
        AppendEscaped(line, hit.name);
        line += '\t';
        AppendEscaped(line, hit.cdName);
        line += '\t';
        if (hit.kind == SearchHitKind::Cd) {
            AppendEscaped(line, NativeBasePath(hit.path));
        } else {
            AppendEscapedPath(line, hit.path);
        }
        line += '\t' + hit.dateText + '\t' + Trimmed(FormatSize(hit.size)) + '\t';
        AppendAttributeWords(line, hit.attributes);
        line += '\t';
        AppendEscaped(line, hit.notes);
        line += '\n';
        Emit(line);
    }

    void Json(const SearchHit& hit) {
        if (hit.kind == SearchHitKind::File) {
            JsonFile(hit);
            return;
        }
        JsonWriter& out = json_out_;
        out.BeginObject();
        out.Member("kind", KindName(hit.kind));
        out.Member("id", hit.id);
        out.Key("name");
        out.CatalogueString(hit.name);
        out.Key("cd");
        out.CatalogueString(hit.cdName);
        out.Member("cd_id", hit.cdId);
        if (hit.kind == SearchHitKind::File) out.Member("dir", hit.dirId);
        out.Member("path", hit.kind == SearchHitKind::Cd ? NativeBasePath(hit.path)
                                                         : NativeCataloguePath(hit.path));
        DateMember(out, "date", hit.date);
        out.Member("size", ByteCount(hit.size));
        AttributeMembers(out, hit.attributes);
        out.Key("notes");
        out.CatalogueString(hit.notes);
        out.EndObject();
        EmitJson(out);
    }

    // A file hit's object, written whole as the members above would write it. What the file
    // hits of one directory share (the CD, the ids, the path) is escaped once for all of them.
    void JsonFile(const SearchHit& hit) {
        if (jsonPlace_.empty() || hit.cdId != jsonPlaceCdId_ || hit.dirId != jsonPlaceDirId_) {
            const std::string path = NativeCataloguePath(hit.path);
            jsonPlace_.resize(64 + 2 * kNumberBound + EscapedBound(hit.cdName) +
                              EscapedBound(path));
            char* p = jsonPlace_.data();
            p = PutLiteral(p, "\",\"cd\":\"");
            p = JsonWriter::PutCatalogueText(p, hit.cdName);
            p = PutLiteral(p, "\",\"cd_id\":");
            p = PutInt(p, hit.cdId);
            p = PutLiteral(p, ",\"dir\":");
            p = PutInt(p, hit.dirId);
            p = PutLiteral(p, ",\"path\":\"");
            p = JsonWriter::PutCatalogueText(p, path);  // UTF-8 already: escaped as it is
            p = PutLiteral(p, "\",\"date\":");
            jsonPlace_.resize(static_cast<size_t>(p - jsonPlace_.data()));
            jsonPlaceCdId_ = hit.cdId;
            jsonPlaceDirId_ = hit.dirId;
        }
        const std::string& attributes = AttributeArray(hit.attributes);
        // The literals below come to under 100 characters.
        const size_t bound = 128 + 3 * kNumberBound + kDateBound + jsonPlace_.size() +
                             attributes.size() + EscapedBound(hit.name) + EscapedBound(hit.notes);
        char* p = json_out_.BeginRawValue(bound);
        p = PutLiteral(p, "{\"kind\":\"file\",\"id\":");
        p = PutInt(p, hit.id);
        p = PutLiteral(p, ",\"name\":\"");
        p = JsonWriter::PutCatalogueText(p, hit.name);
        p = PutText(p, jsonPlace_);
        if (hit.date == 0) {
            p = PutLiteral(p, "null");
        } else {
            *p++ = '"';
            p = PutIsoDateWithOffset(p, hit.date);
            *p++ = '"';
        }
        p = PutLiteral(p, ",\"size\":");
        p = PutInt(p, ByteCount(hit.size));
        p = PutLiteral(p, ",\"attributes\":");
        p = PutText(p, attributes);
        p = PutLiteral(p, ",\"attribute_word\":");
        p = PutInt(p, hit.attributes);
        p = PutLiteral(p, ",\"notes\":\"");
        p = JsonWriter::PutCatalogueText(p, hit.notes);
        p = PutLiteral(p, "\"}");
        json_out_.EndRawValue(p);
        EmitJson(json_out_);
    }

    bool json_;
    bool locale_;
    std::string* held_ = nullptr;
    JsonWriter json_out_;
    std::string line_;
    std::string place_;  // PutPlace's text, of the file hits of directory placeDirId_
    int32_t placeCdId_ = 0, placeDirId_ = 0;
    std::string
        jsonPlace_;  // JsonFile's shared members, of the file hits of directory jsonPlaceDirId_
    int32_t jsonPlaceCdId_ = 0, jsonPlaceDirId_ = 0;
};

// The CDs searched by a few workers at once, each over store objects of its own (they belong to
// the thread that made them), a CD at a time; each CD's output is written by this thread in list
// order, the first CD's as it is found. Returns false, having written nothing, when a worker could
// not open the file this thread reads (another program swapped another in meanwhile).
bool SearchOnWorkers(const SearchArgs& args, const SearchCriteria& criteria, classData& data,
                     const std::vector<int32_t>& cds, unsigned workers, HitPrinter& printer,
                     SearchOutcome& total) {
    const std::string path = data.GetOpenPath();
    const auto identity = data.File()->DeviceAndInode();
    OrderedOutput output(cds.size());
    std::atomic<size_t> next{0};
    std::atomic<int64_t> hits{0};
    std::atomic<bool> stopped{false};
    // Every worker opens the file first; the search starts only when all have the same one.
    std::mutex mutex;
    std::condition_variable decided;
    unsigned opened = 0;
    bool same = true, go = false;
    auto work = [&] {
        classData own(path, classData::ForReading{});
        const bool ok =
            own.GetError() == kErrorNone && own.File() && own.File()->DeviceAndInode() == identity;
        {
            std::unique_lock lock(mutex);
            ++opened;
            same = same && ok;
            decided.notify_all();
            decided.wait(lock, [&] { return go || (opened == workers && !same); });
            if (!go) return;
        }
        std::string held;
        HitPrinter pieces(args, &held);
        constexpr size_t kHandOver = 64 * 1024;
        for (size_t piece = next++; piece < cds.size() && !stopped; piece = next++) {
            const SearchOutcome outcome = SearchCatalogue(
                own, {cds[piece]}, criteria,
                [&](const SearchHit& hit) {
                    pieces(hit);
                    if (held.size() >= kHandOver) output.Append(piece, held), held.clear();
                },
                &StopFlag());
            // Every hit counted is handed over before its piece ends, so a stopped search says
            // how many it wrote.
            output.Append(piece, held);
            held.clear();
            output.End(piece);
            hits += outcome.hits;
            if (outcome.stopped) stopped = true;
        }
    };
    // The last worker to finish ends the pieces no worker took (after a stop).
    std::atomic<unsigned> running{workers};
    auto workThenLeave = [&] {
        work();
        if (--running == 0) output.EndAll();
    };
    std::vector<std::thread> threads;
    SetWorkersRunning(true);
    for (unsigned i = 0; i < workers; ++i) threads.emplace_back(workThenLeave);
    {
        std::unique_lock lock(mutex);
        decided.wait(lock, [&] { return opened == workers; });
        go = same;
    }
    decided.notify_all();
    if (go) output.WriteAll([&](std::string_view text) { printer.Elements(text); });
    for (std::thread& thread : threads) thread.join();
    SetWorkersRunning(false);
    total.hits = hits;
    total.stopped = stopped;
    return go;
}

void RunSearch(const SearchArgs& args) {
    SearchCriteria criteria;
    criteria.text = args.text;
    criteria.pathText = CataloguePathQuery(args.text);
    criteria.dateTexts = args.locale;
    criteria.mode = args.whole ? kMatchWhole : args.begin ? kMatchBeginning : kMatchAnywhere;
    if (args.cdNames || args.paths || args.files || args.notes) {
        criteria.searchCdNames = args.cdNames;
        criteria.searchPathNames = args.paths;
        criteria.searchFileNames = args.files;
        criteria.searchComments = args.notes;
    }
    // Nothing to look for is a usage error; the check says so in the program's words.
    if (!CheckSearchCriteria(criteria)) std::exit(2);
    auto data = OpenCatalogueOrExit();
    const std::vector<int32_t> cds = AllCdIds(*data);
    HitPrinter printer(args);
    // A small catalogue is searched before threads would have started.
    constexpr int64_t kLargeCatalogue = 4 * 1024 * 1024;
    const unsigned threads = args.threads > 0 ? args.threads
                             : data->File()->Length() >= kLargeCatalogue
                                 ? std::thread::hardware_concurrency()
                                 : 1;
    const unsigned workers =
        static_cast<unsigned>(std::min<size_t>({threads, kMostThreads, cds.size()}));
    SearchOutcome outcome;
    if (workers < 2 || !SearchOnWorkers(args, criteria, *data, cds, workers, printer, outcome)) {
        outcome = SearchCatalogue(
            *data, cds, criteria, [&](const SearchHit& hit) { printer(hit); }, &StopFlag());
    }
    printer.Finish();
    if (outcome.stopped) ExitStopped("search (after " + std::to_string(outcome.hits) + " hits)");
}

void AddSearchCommand(CLI::App& app) {
    auto args = std::make_shared<SearchArgs>();
    CLI::App* cmd = app.add_subcommand("search",
                                       "Search CD names, paths, file names and notes (without "
                                       "field flags: paths, file names and notes)");
    cmd->add_option("TEXT", args->text,
                    "Text to look for, letter case ignored; \"*\" is dropped; in paths \"/\" "
                    "separates the names")
        ->required();
    auto* whole = cmd->add_flag("--whole", args->whole, "The whole field is the text");
    auto* begin = cmd->add_flag("--begin", args->begin, "The field begins with the text");
    auto* anywhere =
        cmd->add_flag("--anywhere", args->anywhere, "The field contains the text (default)");
    whole->excludes(begin)->excludes(anywhere);
    begin->excludes(anywhere);
    cmd->add_flag("--cd-names", args->cdNames, "Search CD names");
    cmd->add_flag("--paths", args->paths,
                  "Search path names (CD base paths, directory paths such as usr/share)");
    cmd->add_flag("--files", args->files, "Search file and directory names");
    cmd->add_flag("--notes", args->notes, "Search notes");
    cmd->add_flag("--json", args->json, "A JSON array, one object per hit");
    cmd->add_flag("--locale", args->locale,
                  "Dates and sizes as the user's locale writes them (text output)");
    cmd->add_option("--threads", args->threads,
                    "CDs searched at once (default: one per processor for a large catalogue); the "
                    "output is the same")
        ->check(CLI::Range(1u, kMostThreads))
        ->option_text("N");
    cmd->callback([args] { RunSearch(*args); });
}

const RegisterCommands registeredSearchCommand(CommandGroup::Search, AddSearchCommand);

}  // namespace

}  // namespace karvio::cli
