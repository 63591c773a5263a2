// Every change the windows and karvio-cli make to categories, CDs, directories and files goes
// through CatalogueEdits. Each edit opens the catalogue, takes the write lock, confirms that the
// records it names are still the ones the caller showed, checks the rules once, and writes in an
// order that a program stopped at any write leaves done or undone (classData's PendingEdit).
// The result says what happened: the windows turn a refusal into their messages, karvio-cli into
// its text and exit status; neither keeps a copy of a rule. One thread (the UI thread, or the
// CLI's).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "TransferRecords.h"
#include "classData.h"

namespace karvio {

enum class RecordKind { Cd, Directory, File, Category };

// What a caller holds of a record: its kind and id, and what it showed of it. Each field that
// is set must still match the record at the id when an edit is made through it, or the edit is
// refused as Stale. With only the kind and id set, a record of that kind must start at the id
// and be in its list.
struct HeldRecord {
    RecordKind kind = RecordKind::Cd;
    int32_t id = 0;
    std::optional<std::string> name;  // the CD's, directory's, file's or category's name
    std::optional<double> date;       // a CD's scan date, a category's creation date
    std::optional<int32_t> owner;     // a directory's CD, a file's directory
    std::optional<std::string> path;  // the path of the directory that holds a directory

    static HeldRecord Of(RecordKind kind, int32_t id) { return HeldRecord{kind, id, {}, {}, {}, {}}; }
    // Kind, id and the name a view shows for it (a tree node's or list row's caption).
    static HeldRecord Named(RecordKind kind, int32_t id, std::string name) {
        return HeldRecord{kind, id, std::move(name), {}, {}, {}};
    }
    // Kind, id, name, and the CD's scan date.
    static HeldRecord Of(const CdInfo& cd);
    // Kind, id, name, path and CD.
    static HeldRecord Of(const DirInfo& dir);
    // Kind, id, name and directory.
    static HeldRecord Of(const FileInfo& file);
    // Kind, id and name.
    static HeldRecord Of(const CatInfo& cat);
};

enum class EditStatus {
    Done,
    Declined,         // the user did not answer Yes to the question
    NotWritable,      // no write lock: another program is writing, read-only, cannot open (detail)
    Stale,            // the record is gone or is not the one the caller showed any more
    HoldsCategories,  // a category to remove still holds sub-categories
    HoldsCds,         // a category to remove still holds CDs
    MoveIntoItself,   // a category would go under itself or one of its own sub-categories
    NoSuchCategory,   // the category to file a CD in, or to move or add a category under, is gone
    NoSuchPicture,    // a category picture the program does not ship
};

struct EditResult {
    EditStatus status = EditStatus::Done;
    std::string detail;  // why the catalogue could not be written (NotWritable)
    int32_t id = 0;      // AddCategory: the new category's id
    bool Done() const { return status == EditStatus::Done; }
};

// What a stale edit tells the user.
inline constexpr const char* kCatalogueChangedText = KARVIO_TRANSLATE_NOOP(
    "Messages", "The catalogue was changed by another program, so this change was not saved.");

// One sentence on why an edit was not made (karvio-cli prints it; the windows show their own
// texts for the rules and this one for the rest); empty for Done.
std::string EditResultText(const EditResult& result);

class CatalogueEdits {
public:
    // Edits the catalogue at `dataFile` (the program's data file when empty).
    explicit CatalogueEdits(std::string dataFile = {});

    // Adds a category under info.CatParentId (0: the root); the result's id is the new one.
    EditResult AddCategory(const CatInfo& info);
    EditResult RenameCategory(const HeldRecord& category, const std::string& name);
    EditResult MoveCategory(const HeldRecord& category, int32_t parentId);
    // Notes and picture in one write; a picture is one the program ships or the one it has.
    EditResult AnnotateCategory(const HeldRecord& category, const std::string& notes, int32_t image);
    EditResult SetCategoryNotes(const HeldRecord& category, const std::string& notes);
    EditResult SetCategoryImage(const HeldRecord& category, int32_t image);
    // Removes a category that holds neither sub-categories nor CDs.
    EditResult RemoveCategory(const HeldRecord& category);
    // The rules RemoveCategory keeps, asked without writing (before the question to the user).
    EditResult MayRemoveCategory(const HeldRecord& category);

    EditResult RenameCd(const HeldRecord& cd, const std::string& name);
    EditResult AnnotateCd(const HeldRecord& cd, const std::string& notes);
    // Files a CD under a category (0: the root).
    EditResult FileCd(const HeldRecord& cd, int32_t categoryId);
    // Name, label, base path, notes, media type and category of the edit details dialog.
    EditResult UpdateCdDetails(const HeldRecord& cd, const CdInfo& details);
    // Unlinks the CD and drops its details (disc identity, archive members, media details).
    EditResult RemoveCd(const HeldRecord& cd);
    // Asks "Remove Cd" with the title; on Yes removes the CD and says "CD removed".
    EditResult AskAndRemoveCd(const HeldRecord& cd, const std::string& title);

    EditResult AnnotateDirectory(const HeldRecord& dir, const std::string& notes);
    EditResult AnnotateFile(const HeldRecord& file, const std::string& notes);

    // Whether the record is still the one `ref` names, without writing anything.
    EditResult Confirm(const HeldRecord& ref);

    // Under a write lock `data` already holds: whether `ref` names the record at its id.
    static bool IsCurrent(classData& data, const HeldRecord& ref);

private:
    template <typename Edit>
    EditResult Run(Edit&& edit);
    std::string path_;
};

}  // namespace karvio
