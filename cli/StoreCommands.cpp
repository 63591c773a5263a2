// Commands over the store itself: info, check, list, categories, show, and the editing commands
// for categories, CDs, directories and files.
#include <cstdio>
#include <optional>
#include <nlohmann/json.hpp>

#include "CatalogueCheck.h"
#include "CatalogueDetails.h"
#include "CatalogueEdits.h"
#include "CategoryPictures.h"
#include "CliSupport.h"
#include "Interrupt.h"
#include "Output.h"
#include "ProgramInfo.h"
#include "RecordOutput.h"
#include "TextOutput.h"
#include "TransferRecords.h"
#include "VolumeOutput.h"

namespace karvio::cli {

namespace {

void PrintField(const char* name, const std::string& value) { Print("%-16s %s\n", name, value.c_str()); }

void RunInfo(bool json) {
    auto data = OpenCatalogueOrExit();
    const HeaderRecord h = data->Header();
    const DebugDataResult debug = data->DebugData();
    const std::string version = std::to_string(h.dataVersionMajor) + "." +
                                std::to_string(h.dataVersionMinor) + "." +
                                std::to_string(h.dataVersionRevision);
    const std::string signature(h.dataSignature, 4);
    if (json) {
        JsonWriter out;
        out.BeginObject(JsonWriter::Lines);
        out.Key("file");
        out.CatalogueString(data->GetOpenPath());
        out.Key("signature");
        out.CatalogueString(signature);
        out.Member("version", version);
        DateMember(out, "created", h.dataCreated);
        DateMember(out, "last_opened", h.dataLastOpened);
        out.Member("cd_first", h.dataCdFirstRecord);
        out.Member("cd_last", h.dataCdLastRecord);
        out.Member("category_first", h.dataCatFirstRecord);
        out.Member("category_last", h.dataCatLastRecord);
        out.Member("cds", static_cast<int32_t>(h.dataNumOfCds));
        out.Member("categories", static_cast<int32_t>(h.dataNumOfCats));
        out.Member("space_used", static_cast<int64_t>(h.dataSpaceUsed));
        out.Member("live_space", static_cast<int64_t>(debug.liveSpace));
        out.Member("file_length", static_cast<int64_t>(debug.fileLength));
        out.EndObject();
        WriteJson(out);
        return;
    }
    PrintField("File", Escaped(data->GetOpenPath()));
    PrintField("Signature", Escaped(signature));
    PrintField("Version", version);
    PrintField("Created", IsoDateWithOffset(h.dataCreated));
    PrintField("Last opened", IsoDateWithOffset(h.dataLastOpened));
    PrintField("CDs", std::to_string(h.dataNumOfCds) + " (first " + std::to_string(h.dataCdFirstRecord) +
                          ", last " + std::to_string(h.dataCdLastRecord) + ")");
    PrintField("Categories", std::to_string(h.dataNumOfCats) + " (first " +
                                 std::to_string(h.dataCatFirstRecord) + ", last " +
                                 std::to_string(h.dataCatLastRecord) + ")");
    PrintField("Space used", std::to_string(h.dataSpaceUsed));
    PrintField("Live space", std::to_string(debug.liveSpace));
    PrintField("File length", std::to_string(debug.fileLength));
}

void RunCheck(bool json) {
    const std::string path = GetDataFileName();
    // As every opening does, this first completes an edit a stopped program left half done.
    classData::CompleteInterruptedEdits(path);
    CheckReport report = CheckCatalogue(path);
    if (report.Clean()) CheckCatalogueDetails(path, report);
    if (json) {
        JsonWriter out;
        out.BeginObject(JsonWriter::Lines);
        out.Key("file");
        out.CatalogueString(path);
        out.Member("clean", report.Clean());
        for (const auto& [key, texts] : {std::pair{"problems", &report.problems}, std::pair{"notes", &report.notes}}) {
            out.Key(key);
            out.BeginArray(JsonWriter::Lines);
            for (const std::string& text : *texts) out.CatalogueString(text);
            out.EndArray();
        }
        out.Member("cds", static_cast<int32_t>(report.cds));
        out.Member("categories", static_cast<int32_t>(report.categories));
        out.Member("directories", static_cast<int64_t>(report.directories));
        out.Member("files", static_cast<int64_t>(report.files));
        out.Member("file_length", static_cast<int64_t>(report.fileLength));
        out.Member("live_space", static_cast<int64_t>(report.liveSpace));
        out.Member("space_used", static_cast<int64_t>(report.headerSpaceUsed));
        out.EndObject();
        WriteJson(out);
    } else {
        for (const std::string& p : report.problems) Print("problem: %s\n", Escaped(p).c_str());
        for (const std::string& n : report.notes) Print("note: %s\n", Escaped(n).c_str());
        Print("%s: %s; %d CDs, %d categories, %lld directories, %lld files; live space %lld of %lld bytes\n",
              Escaped(path).c_str(), report.Clean() ? "clean" : "NOT clean", report.cds, report.categories,
              static_cast<long long>(report.directories), static_cast<long long>(report.files),
              static_cast<long long>(report.liveSpace), static_cast<long long>(report.fileLength));
    }
    if (!report.Clean()) ExitStatus() = 1;
}

void RunList(bool json) {
    auto data = OpenCatalogueOrExit();
    std::vector<int32_t> ids;
    for (classCd* cd = &data->GetCdFirst(); !data->GetCdEof(); cd = &data->GetCdNext()) {
        ids.push_back(cd->GetCdId());
    }
    std::optional<CdVolumes> volumes;
    if (json) volumes.emplace(*data);
    JsonWriter out;
    if (json) out.BeginArray(JsonWriter::Lines);
    for (int32_t id : ids) {
        const CdInfo cd = ReadCdInfo(*data, id);
        if (json) {
            out.BeginObject();
            CdMembers(out, cd);
            volumes->Member(out, cd.CdId);
            out.EndObject();
            WriteJson(out);
        } else {
            std::string line = std::to_string(cd.CdId) + '\t';
            AppendEscaped(line, cd.CdName);
            line += '\t';
            line += Escaped(NativeBasePath(cd.CdBasepath));
            line += '\t' + std::to_string(cd.CdNumOfFiles) + " files\t";
            AppendIsoDate(line, cd.CdLastScanned);
            line += '\n';
            Write(line);
        }
        ExitIfStopped();
    }
    if (json) {
        out.EndArray();
        WriteJson(out);
    }
}

void RunCategories(bool json) {
    auto data = OpenCatalogueOrExit();
    std::vector<int32_t> ids;
    for (classCat* cat = &data->GetCatFirst(); !data->GetCatEof(); cat = &data->GetCatNext()) {
        ids.push_back(cat->GetCatId());
    }
    JsonWriter out;
    if (json) out.BeginArray(JsonWriter::Lines);
    for (int32_t id : ids) {
        const CatInfo cat = ReadCatInfo(*data, id);
        if (json) {
            out.BeginObject();
            CategoryMembers(out, *data, cat);
            out.EndObject();
            WriteJson(out);
        } else {
            std::string line = std::to_string(cat.CatId) + "\tparent " + std::to_string(cat.CatParentId) + '\t';
            AppendEscaped(line, cat.CatName);
            line += "\timage " + std::to_string(cat.CatImageId) + '\t';
            AppendIsoDate(line, data->GetCatGoto(id).GetCatCreated());
            line += '\t';
            AppendEscaped(line, data->GetKarvioBasePath(id));
            line += '\n';
            Write(line);
        }
    }
    if (json) {
        out.EndArray();
        WriteJson(out);
    }
}

// One record: its JSON object, or as text one "key value" line per member (the same members).
void PrintRecord(JsonWriter& record, bool json) {
    if (json) {
        WriteJson(record);
        return;
    }
    const nlohmann::ordered_json parsed = nlohmann::ordered_json::parse(record.Text());
    for (const auto& [key, value] : parsed.items()) {
        std::string text;
        if (value.is_string()) {
            text = Escaped(value.get<std::string>());
        } else if (value.is_array()) {
            for (const auto& word : value) text += (text.empty() ? "" : "-") + word.get<std::string>();
        } else {
            text = value.dump();
        }
        PrintField(key.c_str(), text);
    }
}

void RunShow(const std::string& kind, int32_t id, bool json) {
    auto data = OpenCatalogueOrExit();
    JsonWriter record;
    record.BeginObject(JsonWriter::Lines);
    if (kind == "cd") {
        if (!IsCdId(*data, id)) Fail("no CD with id " + std::to_string(id));
        const CdInfo cd = ReadCdInfo(*data, id);
        CdMembers(record, cd);
        record.Member("category_key", cd.CdCategoryKey);
        record.Member("space_used", data->GetCdGoto(id).GetSpaceUsed());
        CdVolumes(*data).Member(record, id);
    } else if (kind == "dir") {
        if (!IsDirId(*data, id)) Fail("no directory with id " + std::to_string(id));
        DirMembers(record, ReadDirInfo(*data, id));
        record.Member("full_name", NativeCataloguePath(data->GetCdGoto(0).GetDirGoto(id).GetDirFullName()));
    } else {
        if (!IsFileId(*data, id)) Fail("no file with id " + std::to_string(id));
        const FileInfo file = ReadFileInfo(*data, id);
        FileMembers(record, file);
        // The directory's native path and the name as it is: a "\" in a file's name is part of
        // the name, not a separator.
        const std::string dirPath = data->GetCdGoto(0).GetDirGoto(file.FileDirId).GetDirFullName();
        record.Key("full_name");
        record.CatalogueString(FilePathPrefix(NativeCataloguePath(dirPath)), file.FileName);
    }
    record.EndObject();
    PrintRecord(record, json);
}

const char* KindName(RecordKind kind) {
    switch (kind) {
        case RecordKind::Cd: return "CD";
        case RecordKind::Directory: return "directory";
        case RecordKind::File: return "file";
        case RecordKind::Category: return "category";
    }
    return "record";
}

// Ends the command with the reason when the edit was not made. The rules live in the edit
// service; this only words its answer.
void Apply(const EditResult& result, const HeldRecord& ref, int32_t category = 0) {
    switch (result.status) {
        case EditStatus::Done:
            return;
        case EditStatus::Stale:
            Fail(std::string("no ") + KindName(ref.kind) + " with id " + std::to_string(ref.id));
        case EditStatus::NoSuchCategory:
            Fail("no category with id " + std::to_string(category));
        case EditStatus::HoldsCategories:
        case EditStatus::HoldsCds:
            Fail("category " + std::to_string(ref.id) + ": " + EditResultText(result));
        default:
            Fail(EditResultText(result));
    }
}

// Every editing command holds the write lock from its checks to its change (and, for a removal,
// across its question).
CatalogueEdits EditsOrExit() {
    auto data = OpenCatalogueOrExit(true);
    return CatalogueEdits(data->GetOpenPath());
}

void AddCategoryCommands(CLI::App& app) {
    CLI::App* category = app.add_subcommand("category", "Add, rename, move, annotate or remove a category");
    category->require_subcommand(1);

    struct AddArgs {
        std::string name, notes;
        int32_t parent = 0, icon = kDefaultCategoryImage;
    };
    auto add = std::make_shared<AddArgs>();
    CLI::App* addCmd = category->add_subcommand("add", "Add a category; prints its id");
    addCmd->add_option("NAME", add->name)->required();
    addCmd->add_option("--parent", add->parent, "Parent category id (0: the root)");
    addCmd->add_option("--notes", add->notes);
    addCmd->add_option("--icon", add->icon, "Image number (6 the default picture, 7 to 18 the others)");
    addCmd->callback([add] {
        CatInfo info;
        info.CatName = add->name;
        info.CatNotes = add->notes;
        info.CatImageId = add->icon;
        info.CatParentId = add->parent;
        const EditResult result = EditsOrExit().AddCategory(info);
        Apply(result, HeldRecord::Of(RecordKind::Category, 0), add->parent);
        Print("%d\n", result.id);
    });

    struct EditArgs {
        int32_t id = 0, number = 0;
        std::string text;
    };
    auto edit = std::make_shared<EditArgs>();
    auto ref = [edit] { return HeldRecord::Of(RecordKind::Category, edit->id); };
    CLI::App* rename = category->add_subcommand("rename", "Rename a category");
    rename->add_option("ID", edit->id)->required();
    rename->add_option("NAME", edit->text)->required();
    rename->callback([edit, ref] { Apply(EditsOrExit().RenameCategory(ref(), edit->text), ref()); });

    CLI::App* move = category->add_subcommand("move", "Move a category under another (0: the root)");
    move->add_option("ID", edit->id)->required();
    move->add_option("PARENT", edit->number)->required();
    move->callback([edit, ref] { Apply(EditsOrExit().MoveCategory(ref(), edit->number), ref(), edit->number); });

    CLI::App* notes = category->add_subcommand("notes", "Set a category's notes");
    notes->add_option("ID", edit->id)->required();
    notes->add_option("TEXT", edit->text)->required();
    notes->callback([edit, ref] { Apply(EditsOrExit().SetCategoryNotes(ref(), edit->text), ref()); });

    CLI::App* icon = category->add_subcommand("icon", "Set a category's image number");
    icon->add_option("ID", edit->id)->required();
    icon->add_option("N", edit->number, "6 the default picture, 7 to 18 the others")->required();
    icon->callback([edit, ref] { Apply(EditsOrExit().SetCategoryImage(ref(), edit->number), ref()); });

    CLI::App* remove = category->add_subcommand("remove", "Remove a category that holds no sub-categories and no CDs");
    remove->add_option("ID", edit->id)->required();
    remove->callback([edit, ref] { Apply(EditsOrExit().RemoveCategory(ref()), ref()); });
}

void AddCdCommands(CLI::App& app) {
    CLI::App* cd = app.add_subcommand("cd", "Rename, annotate, file or remove a CD");
    cd->require_subcommand(1);
    struct Args {
        int32_t id = 0, category = 0;
        std::string text;
    };
    auto args = std::make_shared<Args>();
    auto ref = [args] { return HeldRecord::Of(RecordKind::Cd, args->id); };

    CLI::App* rename = cd->add_subcommand("rename", "Rename a CD");
    rename->add_option("ID", args->id)->required();
    rename->add_option("NAME", args->text)->required();
    rename->callback([args, ref] { Apply(EditsOrExit().RenameCd(ref(), args->text), ref()); });

    CLI::App* notes = cd->add_subcommand("notes", "Set a CD's notes");
    notes->add_option("ID", args->id)->required();
    notes->add_option("TEXT", args->text)->required();
    notes->callback([args, ref] { Apply(EditsOrExit().AnnotateCd(ref(), args->text), ref()); });

    CLI::App* category = cd->add_subcommand("category", "File a CD under a category (0: the root)");
    category->add_option("ID", args->id)->required();
    category->add_option("CATEGORY", args->category)->required();
    category->callback([args, ref] { Apply(EditsOrExit().FileCd(ref(), args->category), ref(), args->category); });

    CLI::App* remove = cd->add_subcommand("remove", "Remove a CD (asks first)");
    remove->add_option("ID", args->id)->required();
    remove->callback([args, ref] {
        CatalogueEdits edits = EditsOrExit();
        Apply(edits.Confirm(ref()), ref());
        std::string title;
        {
            classData data(GetDataFileName());
            title = data.GetCdGoto(args->id).GetCdName();
        }
        const EditResult result = edits.AskAndRemoveCd(ref(), title);
        if (result.status == EditStatus::Declined) {
            ExitStatus() = 1;
            return;
        }
        Apply(result, ref());
    });
}

void AddNotesCommand(CLI::App& app, const char* name, const char* what, bool isDir) {
    CLI::App* cmd = app.add_subcommand(name, std::string("Set a ") + what + "'s notes");
    cmd->require_subcommand(1);
    struct Args {
        int32_t id = 0;
        std::string text;
    };
    auto args = std::make_shared<Args>();
    CLI::App* notes = cmd->add_subcommand("notes", std::string("Set a ") + what + "'s notes");
    notes->add_option("ID", args->id)->required();
    notes->add_option("TEXT", args->text)->required();
    notes->callback([args, isDir] {
        CatalogueEdits edits = EditsOrExit();
        const HeldRecord ref = HeldRecord::Of(isDir ? RecordKind::Directory : RecordKind::File, args->id);
        Apply(isDir ? edits.AnnotateDirectory(ref, args->text) : edits.AnnotateFile(ref, args->text), ref);
    });
}

void AddStoreCommands(CLI::App& app) {
    auto json = std::make_shared<bool>(false);
    CLI::App* info = app.add_subcommand("info", "Header fields, counts, length and live space");
    info->add_flag("--json", *json, "Typed JSON instead of text");
    info->callback([json] { RunInfo(*json); });

    CLI::App* check = app.add_subcommand("check", "Walk the whole catalogue and report every inconsistency");
    check->add_flag("--json", *json, "Typed JSON instead of text");
    check->callback([json] { RunCheck(*json); });

    CLI::App* list = app.add_subcommand("list", "The CDs in list order");
    list->add_flag("--json", *json, "Typed JSON instead of text");
    list->callback([json] { RunList(*json); });

    CLI::App* categories = app.add_subcommand("categories", "The categories in list order");
    categories->add_flag("--json", *json, "Typed JSON instead of text");
    categories->callback([json] { RunCategories(*json); });

    struct ShowArgs {
        std::string kind;
        int32_t id = 0;
    };
    auto show = std::make_shared<ShowArgs>();
    CLI::App* showCmd = app.add_subcommand("show", "One record with all its fields");
    showCmd->add_option("KIND", show->kind)->required()->check(CLI::IsMember({"cd", "dir", "file"}));
    showCmd->add_option("ID", show->id)->required();
    showCmd->add_flag("--json", *json, "Typed JSON instead of text");
    showCmd->callback([show, json] { RunShow(show->kind, show->id, *json); });

    AddCategoryCommands(app);
    AddCdCommands(app);
    AddNotesCommand(app, "dir", "directory", true);
    AddNotesCommand(app, "file", "file", false);
}

const RegisterCommands registeredStoreCommands(CommandGroup::Store, AddStoreCommands);

}  // namespace

}  // namespace karvio::cli
