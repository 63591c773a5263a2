// karvio-cli search: the catalogue search over every CD in list order, one line or JSON object
// per hit, each written as soon as it is found. Paths are native ("/"), in the output and in the
// text looked for in directory paths.
#include <cstdio>
#include <cstring>

#include "CatalogueSearch.h"
#include "CliSupport.h"
#include "DateText.h"
#include "Format.h"
#include "Interrupt.h"
#include "Messages.h"
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

// Writes hits as they come, reusing one line of text.
class HitPrinter {
public:
    explicit HitPrinter(const SearchArgs& args) : json_(args.json), locale_(args.locale) {
        if (json_) json_out_.BeginArray(JsonWriter::Lines);
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
    // One line: kind, id, name, CD, path, date, size, attribute words, notes; tab-separated.
    void Text(const SearchHit& hit) {
        if (locale_) {
            LocaleText(hit);
            return;
        }
        const size_t bound = 3 * kNumberBound + kDateBound + kAttributeWordsBound + 16 + EscapedBound(hit.name) +
                             EscapedBound(hit.cdName) + EscapedBound(hit.path) + EscapedBound(hit.notes);
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
        Write(std::string_view(start, static_cast<size_t>(p - start)));
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
        return hit.kind == SearchHitKind::Cd ? PutEscaped(p, NativeBasePath(hit.path)) : PutEscapedPath(p, hit.path);
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
        Write(line);
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
        out.Member("path", hit.kind == SearchHitKind::Cd ? NativeBasePath(hit.path) : NativeCataloguePath(hit.path));
        DateMember(out, "date", hit.date);
        out.Member("size", ByteCount(hit.size));
        AttributeMembers(out, hit.attributes);
        out.Key("notes");
        out.CatalogueString(hit.notes);
        out.EndObject();
        WriteJson(out);
    }

    // A file hit's object, written whole as the members above would write it. What the file
    // hits of one directory share (the CD, the ids, the path) is escaped once for all of them.
    void JsonFile(const SearchHit& hit) {
        if (jsonPlace_.empty() || hit.cdId != jsonPlaceCdId_ || hit.dirId != jsonPlaceDirId_) {
            const std::string path = NativeCataloguePath(hit.path);
            jsonPlace_.resize(64 + 2 * kNumberBound + EscapedBound(hit.cdName) + EscapedBound(path));
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
        const size_t bound = 128 + 3 * kNumberBound + kDateBound + jsonPlace_.size() + attributes.size() +
                             EscapedBound(hit.name) + EscapedBound(hit.notes);
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
        WriteJson(json_out_);
    }

    bool json_;
    bool locale_;
    JsonWriter json_out_;
    std::string line_;
    std::string place_;  // PutPlace's text, of the file hits of directory placeDirId_
    int32_t placeCdId_ = 0, placeDirId_ = 0;
    std::string jsonPlace_;  // JsonFile's shared members, of the file hits of directory jsonPlaceDirId_
    int32_t jsonPlaceCdId_ = 0, jsonPlaceDirId_ = 0;
};

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
    const SearchOutcome outcome =
        SearchCatalogue(*data, cds, criteria, [&](const SearchHit& hit) { printer(hit); }, &StopFlag());
    printer.Finish();
    if (outcome.stopped) ExitStopped("search (after " + std::to_string(outcome.hits) + " hits)");
}

void AddSearchCommand(CLI::App& app) {
    auto args = std::make_shared<SearchArgs>();
    CLI::App* cmd = app.add_subcommand(
        "search", "Search CD names, paths, file names and notes (without field flags: paths, file names and notes)");
    cmd->add_option("TEXT", args->text,
                    "Text to look for, letter case ignored; \"*\" is dropped; in paths \"/\" separates the names")
        ->required();
    auto* whole = cmd->add_flag("--whole", args->whole, "The whole field is the text");
    auto* begin = cmd->add_flag("--begin", args->begin, "The field begins with the text");
    auto* anywhere = cmd->add_flag("--anywhere", args->anywhere, "The field contains the text (default)");
    whole->excludes(begin)->excludes(anywhere);
    begin->excludes(anywhere);
    cmd->add_flag("--cd-names", args->cdNames, "Search CD names");
    cmd->add_flag("--paths", args->paths, "Search path names (CD base paths, directory paths such as usr/share)");
    cmd->add_flag("--files", args->files, "Search file and directory names");
    cmd->add_flag("--notes", args->notes, "Search notes");
    cmd->add_flag("--json", args->json, "A JSON array, one object per hit");
    cmd->add_flag("--locale", args->locale, "Dates and sizes as the user's locale writes them (text output)");
    cmd->callback([args] { RunSearch(*args); });
}

const RegisterCommands registeredSearchCommand(CommandGroup::Search, AddSearchCommand);

}  // namespace

}  // namespace karvio::cli
