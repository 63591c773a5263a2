// Volume identities from the command line: "volume" in list --json and show cd, and locate,
// which says where a catalogued file is now or which disc to insert.
#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "CatalogueDetails.h"
#include "CliSupport.h"
#include "FileLocator.h"
#include "Output.h"
#include "TextOutput.h"
#include "VolumeOutput.h"

namespace karvio::cli {

namespace {

const char* MatchName(VolumeMatch match) {
    switch (match) {
        case VolumeMatch::Uuid: return "uuid";
        case VolumeMatch::LabelAndSize: return "label and size";
        case VolumeMatch::TypeSizeSource: return "type, size and source";
        case VolumeMatch::None: break;
    }
    return "none";
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

void IdentityMembers(JsonWriter& json, const VolumeIdentity& id) {
    json.Member("uuid", id.uuid);
    json.Member("label", id.label);
    json.Member("type", id.fsType);
    json.Member("size", ByteCount(id.size));
    json.Member("path", id.relativePath);
    json.Member("source", id.source);
}

// locate FILEID: exit status 0 with the path where the file is, 1 when it is not there now.
void RunLocate(int32_t fileId, bool json) {
    auto data = OpenCatalogueOrExit();
    if (!IsFileId(*data, fileId)) Fail("no file with id " + std::to_string(fileId));
    CatalogueFileTarget target;
    if (!ReadFileTarget(*data, fileId, target)) Fail("file " + std::to_string(fileId) + " belongs to no listed CD");
    std::string note;
    RecordedVolumes(*data, &note);
    if (!note.empty()) std::fprintf(stderr, "karvio-cli: note: %s\n", note.c_str());

    const FileWhereabouts where = LocateFile(target, MountedVolumeIdentities());
    const std::string stored = StoredFilePath(target.basePath, target.scannedFolder, target.fileFullName);
    std::string found;
    if (Exists(where.path)) {
        found = where.path;
    } else if (Exists(stored)) {
        found = stored;
    }
    const std::string cdName = Display(target.cdName);
    if (json) {
        JsonWriter out;
        out.BeginObject(JsonWriter::Lines);
        out.Member("file", fileId);
        out.Member("cd", target.cdId);
        out.Member("cd_name", cdName);
        out.Key("path");
        // JSON holds text: a name that is not UTF-8 is decoded there (the text output keeps the bytes).
        found.empty() ? out.Null() : out.String(DecodeCataloguePath(found, '/'));
        out.Member("expected_path", DecodeCataloguePath(where.path, '/'));
        out.Key("mounted_at");
        where.mounted ? out.String(where.mounted->volume.mount.mountPoint) : out.Null();
        out.Member("match", MatchName(where.mounted ? where.mounted->match : VolumeMatch::None));
        out.Key("volume");
        if (target.identity) {
            out.BeginObject();
            IdentityMembers(out, *target.identity);
            out.EndObject();
        } else {
            out.Null();
        }
        out.EndObject();
        WriteJson(out);
    } else if (!found.empty()) {
        Print("%s\n", found.c_str());
    } else if (where.mounted) {
        Print("not found: %s (its volume is mounted at %s)\n", where.path.c_str(),
              where.mounted->volume.mount.mountPoint.c_str());
    } else {
        const std::string described = target.identity ? DescribeVolume(*target.identity) : std::string();
        const std::string volume = described.empty() || described == cdName ? std::string() : " (" + described + ")";
        Print("insert \"%s\"%s: the file would be at %s\n", cdName.c_str(), volume.c_str(), where.path.c_str());
    }
    if (found.empty()) ExitStatus() = 1;
}

void AddVolumeCommands(CLI::App& app) {
    struct LocateArgs {
        int32_t id = 0;
        bool json = false;
    };
    auto args = std::make_shared<LocateArgs>();
    CLI::App* locate = app.add_subcommand("locate", "Where a catalogued file is now, or which disc to insert");
    locate->add_option("FILEID", args->id, "The file's record id")->required();
    locate->add_flag("--json", args->json, "Typed JSON instead of text");
    locate->callback([args] { RunLocate(args->id, args->json); });
}

const RegisterCommands registeredVolumeCommands(CommandGroup::Volume, AddVolumeCommands);

}  // namespace

CdVolumes::CdVolumes(classData& data) {
    std::string note;
    entries_ = RecordedVolumes(data, &note);
    if (!note.empty()) std::fprintf(stderr, "karvio-cli: note: %s\n", note.c_str());
    if (!entries_.empty()) mounted_ = MountedVolumeIdentities();
}

void CdVolumes::Member(JsonWriter& json, int32_t cdId) const {
    json.Key("volume");
    const auto it = entries_.find(cdId);
    if (it == entries_.end()) {
        json.Null();
        return;
    }
    const VolumeIdentity& id = it->second.identity;
    json.BeginObject();
    IdentityMembers(json, id);
    const std::optional<VolumeLocation> location = LocateVolume(id, mounted_);
    json.Key("mounted_at");
    location ? json.String(location->volume.mount.mountPoint) : json.Null();
    json.EndObject();
}

}  // namespace karvio::cli
