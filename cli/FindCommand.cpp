// karvio-cli find: the quick-find query language on the command line, for scripts. Words match
// names (letter case ignored, any order), "exact phrases", the filters kind:, ext:, size:,
// date:, and the details filters artist:, album:, title:, camera:, taken:, duration:, width:,
// height:, in:archive and in:FILEID. Catalogue hits come first, best first, then the members of
// archives; a member's path is its archive's path followed by its path inside the archive.
#include <cstdio>
#include <optional>

#include "CliSupport.h"
#include "DetailsIndex.h"
#include "Interrupt.h"
#include "Output.h"
#include "ProgramInfo.h"
#include "QuickIndex.h"
#include "RecordOutput.h"
#include "TextOutput.h"
#include "TransferRecords.h"
#include "classData.h"

namespace karvio::cli {

namespace {

struct FindArgs {
    std::string query;
    bool whole = false, begin = false;
    bool json = false;
};

const char* KindName(const SearchHit& hit) {
    if (!hit.memberPath.empty()) return "member";
    switch (hit.kind) {
        case SearchHitKind::Cd:
            return "cd";
        case SearchHitKind::Directory:
            return "dir";
        default:
            return "file";
    }
}

// The hit's own full name below its volume, as the catalogue writes paths ("\"-separated).
std::string FullNameOf(const SearchHit& hit) {
    if (hit.kind == SearchHitKind::Directory) return JoinCataloguePath(hit.path, hit.name);
    std::string full = hit.path;
    if (full.empty() || full.back() != '\\') full += '\\';
    return full + hit.name;
}

// The hit's own place: a CD's base path, else its full name, native.
std::string PlaceOf(const SearchHit& hit) {
    return hit.kind == SearchHitKind::Cd ? NativeBasePath(hit.path)
                                         : NativeCataloguePath(FullNameOf(hit));
}

// The hit's date to the second. The index keeps only the day of a catalogue record's date, so
// the record tells the rest (`records`, the file the index was built from; null when another
// program has put another file in its place meanwhile); a member's date is its own.
double FullDate(classData* records, const SearchHit& hit) {
    if (!hit.memberPath.empty() || !records) return hit.date;
    switch (hit.kind) {
        case SearchHitKind::Cd: {
            const CdInfo cd = ReadCdInfo(*records, hit.id);
            return cd.CdId == hit.id ? cd.CdLastScanned : hit.date;
        }
        case SearchHitKind::Directory: {
            const DirInfo dir = ReadDirInfo(*records, hit.id);
            return dir.DirId == hit.id ? dir.DirDate : hit.date;
        }
        default: {
            const FileInfo file = ReadFileInfo(*records, hit.id);
            return file.FileId == hit.id ? file.FileDate : hit.date;
        }
    }
}

void PrintHit(const SearchHit& hit, bool json, JsonWriter& out, classData* records) {
    if (json) {
        out.BeginObject();
        out.Member("kind", KindName(hit));
        out.Member("id", hit.id);
        out.Key("name");
        out.CatalogueString(hit.name);
        out.Key("cd");
        out.CatalogueString(hit.cdName);
        out.Member("cd_id", hit.cdId);
        out.Key("path");
        out.CatalogueString(PlaceOf(hit));
        if (!hit.memberPath.empty()) {
            out.Key("member");
            out.CatalogueString(hit.memberPath);
        }
        DateMember(out, "date", FullDate(records, hit));
        out.Member("size", ByteCount(hit.size));
        out.EndObject();
        WriteJson(out);
        return;
    }
    std::string line = KindName(hit);
    line += '\t' + std::to_string(hit.id) + '\t';
    AppendEscaped(line, hit.cdName);
    line += '\t';
    if (hit.kind == SearchHitKind::Cd) {
        AppendEscaped(line, PlaceOf(hit));
    } else {
        AppendEscapedPath(line, FullNameOf(hit));
    }
    line += '\t' + std::to_string(ByteCount(hit.size)) + '\n';
    Write(line);
}

void RunFind(const FindArgs& args) {
    const FullQuery query = ParseFullQuery(QString::fromStdString(args.query));
    if (!query.Error().isEmpty()) UsageError(query.Error().toStdString());
    if (query.names.IsEmpty() && query.details.IsEmpty()) UsageError("nothing to find");
    const QuickMatchMode mode = args.whole   ? QuickMatchMode::WholeField
                                : args.begin ? QuickMatchMode::Beginning
                                             : QuickMatchMode::Anywhere;
    // The catalogue must be there (a reading command never creates one).
    OpenCatalogueOrExit();
    const std::string path = GetDataFileName();
    // The records give JSON its dates. Opened before the index is built: the path still naming
    // the file afterwards means the index was built from it.
    std::optional<classData> opened;
    if (args.json) opened.emplace(path, classData::ForReading{});
    QuickIndex index;
    std::string error;
    if (!index.Build(path, &error)) Fail(error);
    DetailsIndex details;
    std::string note;
    details.Build(path, index, &note);
    if (!note.empty()) std::fprintf(stderr, "karvio-cli: %s\n", note.c_str());

    classData* records =
        opened && opened->File() && opened->File()->StillAtPath() ? &*opened : nullptr;
    JsonWriter out;
    if (args.json) out.BeginArray(JsonWriter::Lines);
    if (query.details.IsEmpty()) {
        const QuickResult names = index.Find(query.names, mode, 0, {}, &StopFlag());
        for (int32_t row : names.rows) PrintHit(index.Hit(row), args.json, out, records);
    }
    for (const DetailsHit& hit : details.Find(index, query, mode, &StopFlag())) {
        PrintHit(details.Hit(index, hit), args.json, out, records);
    }
    if (args.json) {
        out.EndArray();
        WriteJson(out);
    }
    ExitIfStopped("find");
}

void AddFindCommand(CLI::App& app) {
    auto args = std::make_shared<FindArgs>();
    CLI::App* cmd = app.add_subcommand(
        "find",
        "Find as the find box does: words, \"phrases\", kind: ext: size: date:, and inside files "
        "artist: album: title: camera: taken: duration: width: height: in:archive in:FILEID");
    cmd->add_option("QUERY", args->query, "The query, quoted as one argument")->required();
    auto* whole = cmd->add_flag("--whole", args->whole, "A word is a whole name");
    auto* begin = cmd->add_flag("--begin", args->begin, "A name begins with the word");
    whole->excludes(begin);
    cmd->add_flag("--json", args->json, "A JSON array, one object per hit");
    cmd->callback([args] { RunFind(*args); });
}

const RegisterCommands registeredFindCommand(CommandGroup::Search, AddFindCommand);

}  // namespace

}  // namespace karvio::cli
