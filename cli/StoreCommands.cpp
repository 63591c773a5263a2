// Commands over the store itself: info, check, list, categories, show, and the editing commands
// for categories, CDs, directories and files.
#include <cstdio>
#include <optional>
#include <nlohmann/json.hpp>

#include "CatalogueCheck.h"
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
    const CheckReport report = CheckCatalogue(path);
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

// Whether making `parent` the parent of `id` would make `id` its own ancestor.
bool WouldLoop(classData& data, int32_t id, int32_t parent) {
    for (int32_t p = parent, steps = 0; p != 0; p = data.GetCatGoto(p).GetCatParentId(), ++steps) {
        if (p == id || steps > data.GetCatCount()) return true;
    }
    return false;
}

void RequireCategory(classData& data, int32_t id, bool allowRoot) {
    if (allowRoot && id == 0) return;
    if (!IsCategoryId(data, id)) Fail("no category with id " + std::to_string(id));
}

// A category with a picture number the program does not ship would show no picture at all.
void RequireShippedImage(int32_t image) {
    if (!IsShippedCategoryImage(image)) {
        Fail("no category picture " + std::to_string(image) + "; the pictures are " +
             std::to_string(kDefaultCategoryImage) + " (the default) to " + std::to_string(kLastCategoryImage));
    }
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
        RequireShippedImage(add->icon);
        auto data = OpenCatalogueOrExit(true);
        RequireCategory(*data, add->parent, true);
        CatInfo info;
        info.CatName = add->name;
        info.CatNotes = add->notes;
        info.CatImageId = add->icon;
        info.CatParentId = add->parent;
        Print("%d\n", AddCatInfo(*data, info));
    });

    struct EditArgs {
        int32_t id = 0, number = 0;
        std::string text;
    };
    auto edit = std::make_shared<EditArgs>();
    CLI::App* rename = category->add_subcommand("rename", "Rename a category");
    rename->add_option("ID", edit->id)->required();
    rename->add_option("NAME", edit->text)->required();
    rename->callback([edit] {
        auto data = OpenCatalogueOrExit(true);
        RequireCategory(*data, edit->id, false);
        data->GetCatGoto(edit->id).SetCatName(edit->text, true);
    });

    CLI::App* move = category->add_subcommand("move", "Move a category under another (0: the root)");
    move->add_option("ID", edit->id)->required();
    move->add_option("PARENT", edit->number)->required();
    move->callback([edit] {
        auto data = OpenCatalogueOrExit(true);
        RequireCategory(*data, edit->id, false);
        RequireCategory(*data, edit->number, true);
        if (WouldLoop(*data, edit->id, edit->number)) {
            Fail("a category cannot be moved under itself or one of its own sub-categories");
        }
        data->GetCatGoto(edit->id).SetCatParentId(edit->number, true);
    });

    CLI::App* notes = category->add_subcommand("notes", "Set a category's notes");
    notes->add_option("ID", edit->id)->required();
    notes->add_option("TEXT", edit->text)->required();
    notes->callback([edit] {
        auto data = OpenCatalogueOrExit(true);
        RequireCategory(*data, edit->id, false);
        classCat& cat = data->GetCatGoto(edit->id);
        cat.SetCatNotes(edit->text);
        cat.recordUpdate();
    });

    CLI::App* icon = category->add_subcommand("icon", "Set a category's image number");
    icon->add_option("ID", edit->id)->required();
    icon->add_option("N", edit->number, "6 the default picture, 7 to 18 the others")->required();
    icon->callback([edit] {
        RequireShippedImage(edit->number);
        auto data = OpenCatalogueOrExit(true);
        RequireCategory(*data, edit->id, false);
        classCat& cat = data->GetCatGoto(edit->id);
        cat.SetCatImageId(edit->number);
        cat.recordUpdate();
    });

    CLI::App* remove = category->add_subcommand("remove", "Remove a category without sub-categories");
    remove->add_option("ID", edit->id)->required();
    remove->callback([edit] {
        auto data = OpenCatalogueOrExit(true);
        RequireCategory(*data, edit->id, false);
        for (classCat* cat = &data->GetCatFirst(); !data->GetCatEof(); cat = &data->GetCatNext()) {
            if (cat->GetCatParentId() == edit->id) {
                Fail("category " + std::to_string(edit->id) + " has sub-categories; remove or move them first");
            }
        }
        data->GetCatDelete(edit->id);
    });
}

void AddCdCommands(CLI::App& app) {
    CLI::App* cd = app.add_subcommand("cd", "Rename, annotate, file or remove a CD");
    cd->require_subcommand(1);
    struct Args {
        int32_t id = 0, category = 0;
        std::string text;
    };
    auto args = std::make_shared<Args>();
    auto requireCd = [](classData& data, int32_t id) {
        if (!IsCdId(data, id)) Fail("no CD with id " + std::to_string(id));
    };

    CLI::App* rename = cd->add_subcommand("rename", "Rename a CD");
    rename->add_option("ID", args->id)->required();
    rename->add_option("NAME", args->text)->required();
    rename->callback([args, requireCd] {
        auto data = OpenCatalogueOrExit(true);
        requireCd(*data, args->id);
        data->GetCdGoto(args->id).SetCdName(args->text, true);
    });

    CLI::App* notes = cd->add_subcommand("notes", "Set a CD's notes");
    notes->add_option("ID", args->id)->required();
    notes->add_option("TEXT", args->text)->required();
    notes->callback([args, requireCd] {
        {
            auto data = OpenCatalogueOrExit(true);
            requireCd(*data, args->id);
        }
        SetCdNotesById(args->id, args->text);
    });

    CLI::App* category = cd->add_subcommand("category", "File a CD under a category (0: the root)");
    category->add_option("ID", args->id)->required();
    category->add_option("CATEGORY", args->category)->required();
    category->callback([args, requireCd] {
        auto data = OpenCatalogueOrExit(true);
        requireCd(*data, args->id);
        RequireCategory(*data, args->category, true);
        data->GetCdGoto(args->id).setCdCategory(args->category, true);
    });

    CLI::App* remove = cd->add_subcommand("remove", "Remove a CD (asks first)");
    remove->add_option("ID", args->id)->required();
    remove->callback([args, requireCd] {
        std::string title;
        {
            auto data = OpenCatalogueOrExit(true);
            requireCd(*data, args->id);
            title = data->GetCdGoto(args->id).GetCdName();
        }
        if (!RemoveCd(args->id, title)) ExitStatus() = 1;
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
    notes->callback([args, isDir, what] {
        {
            auto data = OpenCatalogueOrExit(true);
            if (!(isDir ? IsDirId(*data, args->id) : IsFileId(*data, args->id))) {
                Fail(std::string("no ") + what + " with id " + std::to_string(args->id));
            }
        }
        if (isDir) {
            SetDirNotesById(args->id, args->text);
        } else {
            SetFileNotesById(args->id, args->text);
        }
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
