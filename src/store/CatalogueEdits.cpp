#include "CatalogueEdits.h"

#include <utility>

#include "CatalogueDetails.h"
#include "CatalogueText.h"
#include "CategoryPictures.h"
#include "Messages.h"
#include "ProgramInfo.h"

namespace karvio {

namespace {

EditResult Refused(EditStatus status, std::string detail = {}) { return EditResult{status, std::move(detail), 0}; }

// Names compare as the windows show them: a name the window decoded from Windows-1252 bytes
// names the same record as those bytes.
bool SameText(const std::string& stored, const std::optional<std::string>& shown) {
    return !shown || stored == *shown || DecodeCatalogueText(stored) == DecodeCatalogueText(*shown);
}

bool SameValue(double stored, const std::optional<double>& shown) { return !shown || stored == *shown; }
bool SameValue(int32_t stored, const std::optional<int32_t>& shown) { return !shown || stored == *shown; }

// Whether directory `id` is in the directory list of its CD, which is in the CD list; the
// cursor is left on it.
bool IsListedDirectory(classData& data, int32_t id) {
    DirRecord raw;
    uint8_t bytes[DirRecord::kSize];
    if (id < 1 || !data.File()->ReadAt(id - 1, bytes, sizeof bytes)) return false;
    raw.Decode(bytes);
    if (raw.DirId != id || !data.IsListedCd(raw.DirCdId)) return false;
    classCd& cd = data.GetCdGoto(raw.DirCdId);
    for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        if (dir->GetDirId() == id) return true;
        if (dir->GetDirId() > id) break;  // directories are listed in the order they were appended
    }
    return false;
}

bool IsListedFile(classData& data, int32_t id) {
    FileRecord raw;
    uint8_t bytes[FileRecord::kSize];
    if (id < 1 || !data.File()->ReadAt(id - 1, bytes, sizeof bytes)) return false;
    raw.Decode(bytes);
    if (raw.FileId != id || !IsListedDirectory(data, raw.FileDirId)) return false;
    classDir& dir = data.GetCdGoto(raw.FileCdId).GetDirGoto(raw.FileDirId);
    for (ClassFile* file = &dir.GetFileFirst(); !dir.GetFileEof(); file = &dir.GetFileNext()) {
        if (file->GetFileId() == id) return true;
        if (file->GetFileId() > id) break;
    }
    return false;
}

bool CategoryExists(classData& data, int32_t id) { return id == 0 || data.IsListedCategory(id); }

// Whether `parentId` is `id` itself or lies below it.
bool IsAtOrBelow(classData& data, int32_t parentId, int32_t id) {
    const int32_t limit = data.GetCatCount() + 1;
    for (int32_t p = parentId, steps = 0; p > 0; p = data.GetCatGoto(p).GetCatParentId(), ++steps) {
        if (p == id || steps > limit) return true;  // a parent chain that loops counts as below
        if (!data.IsListedCategory(p)) return false;
    }
    return false;
}

bool HoldsCategories(classData& data, int32_t id) {
    for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext()) {
        if (cat->GetCatParentId() == id && cat->GetCatId() != id) return true;
    }
    return false;
}

bool HoldsCds(classData& data, int32_t id) {
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
        if (cd->GetCdCategory() == id) return true;
    }
    return false;
}

// Why the category cannot go, or Done.
EditResult RemovalRules(classData& data, const HeldRecord& category) {
    if (!CatalogueEdits::IsCurrent(data, category)) return Refused(EditStatus::Stale);
    if (HoldsCategories(data, category.id)) return Refused(EditStatus::HoldsCategories);
    if (HoldsCds(data, category.id)) return Refused(EditStatus::HoldsCds);
    return {};
}

bool PictureAllowed(classData& data, int32_t id, int32_t image) {
    return IsShippedCategoryImage(image) || data.GetCatGoto(id).GetCatImageId() == image;
}

}  // namespace

HeldRecord HeldRecord::Of(const CdInfo& cd) {
    HeldRecord ref = Of(RecordKind::Cd, cd.CdId);
    ref.name = cd.CdName;
    ref.date = cd.CdLastScanned;
    return ref;
}

HeldRecord HeldRecord::Of(const DirInfo& dir) {
    HeldRecord ref = Of(RecordKind::Directory, dir.DirId);
    ref.name = dir.DirName;
    ref.path = dir.DirPath;
    ref.owner = dir.DirCdId;
    return ref;
}

HeldRecord HeldRecord::Of(const FileInfo& file) {
    HeldRecord ref = Of(RecordKind::File, file.FileId);
    ref.name = file.FileName;
    ref.owner = file.FileDirId;
    return ref;
}

HeldRecord HeldRecord::Of(const CatInfo& cat) {
    HeldRecord ref = Of(RecordKind::Category, cat.CatId);
    ref.name = cat.CatName;
    return ref;
}

std::string EditResultText(const EditResult& result) {
    switch (result.status) {
        case EditStatus::Done:
            return {};
        case EditStatus::Declined:
            return KARVIO_TRANSLATE_NOOP("Messages", "nothing was changed");
        case EditStatus::NotWritable:
            return "the change cannot be saved: " + result.detail;
        case EditStatus::Stale:
            return KARVIO_TRANSLATE_NOOP("Messages",
                                         "the record is not in the catalogue any more (another "
                                         "program changed it); nothing was changed");
        case EditStatus::HoldsCategories:
            return KARVIO_TRANSLATE_NOOP(
                "Messages", "the category has sub-categories; remove or move them first");
        case EditStatus::HoldsCds:
            return KARVIO_TRANSLATE_NOOP(
                "Messages", "the category holds CDs; remove them or file them elsewhere first");
        case EditStatus::MoveIntoItself:
            return KARVIO_TRANSLATE_NOOP(
                "Messages",
                "a category cannot be moved under itself or one of its own sub-categories");
        case EditStatus::NoSuchCategory:
            return KARVIO_TRANSLATE_NOOP("Messages", "no such category");
        case EditStatus::NoSuchPicture:
            return "no such category picture; the pictures are " + std::to_string(kDefaultCategoryImage) +
                   " (the default) to " + std::to_string(kLastCategoryImage);
    }
    return {};
}

CatalogueEdits::CatalogueEdits(std::string dataFile)
    : path_(dataFile.empty() ? GetDataFileName() : std::move(dataFile)) {}

bool CatalogueEdits::IsCurrent(classData& data, const HeldRecord& ref) {
    switch (ref.kind) {
        case RecordKind::Cd: {
            if (!data.IsListedCd(ref.id)) return false;
            classCd& cd = data.GetCdGoto(ref.id);
            return SameValue(cd.GetCdLastScanned(), ref.date) && SameText(cd.GetCdName(), ref.name);
        }
        case RecordKind::Category: {
            if (!data.IsListedCategory(ref.id)) return false;
            classCat& cat = data.GetCatGoto(ref.id);
            return SameValue(cat.GetCatCreated(), ref.date) && SameText(cat.GetCatName(), ref.name);
        }
        case RecordKind::Directory: {
            if (!IsListedDirectory(data, ref.id)) return false;
            classDir& dir = data.GetCdGoto(0).GetDirGoto(ref.id);
            return SameValue(dir.GetDirCdId(), ref.owner) && SameText(dir.GetDirName(), ref.name) &&
                   SameText(dir.GetDirPath(), ref.path);
        }
        case RecordKind::File: {
            if (!IsListedFile(data, ref.id)) return false;
            ClassFile& file = data.GetCdGoto(0).GetDirGoto(0).GetFileGoto(ref.id);
            return SameValue(file.getFileDirId(), ref.owner) && SameText(file.GetFileName(), ref.name);
        }
    }
    return false;
}

template <typename Edit>
EditResult CatalogueEdits::Run(Edit&& edit) {
    classData data(path_);
    if (const int16_t error = data.GetError(); error != kErrorNone) {
        return Refused(EditStatus::NotWritable, data.OpenFailureText(error));
    }
    // A catalogue another program compacted meanwhile is opened again: the records the caller
    // named are then confirmed (or found stale) in the file that now has the name.
    const WriteAccess access = data.BeginWrite(WriteLockWait(), true);
    if (access != WriteAccess::Granted) return Refused(EditStatus::NotWritable, classData::WriteAccessText(access));
    struct EndWrite {
        classData& data;
        ~EndWrite() { data.EndWrite(); }
    } endWrite{data};
    return edit(data);
}

EditResult CatalogueEdits::Confirm(const HeldRecord& ref) {
    return Run([&](classData& data) {
        return IsCurrent(data, ref) ? EditResult{} : Refused(EditStatus::Stale);
    });
}

EditResult CatalogueEdits::AddCategory(const CatInfo& info) {
    return Run([&](classData& data) {
        if (!CategoryExists(data, info.CatParentId)) return Refused(EditStatus::NoSuchCategory);
        if (!IsShippedCategoryImage(info.CatImageId)) return Refused(EditStatus::NoSuchPicture);
        EditResult done;
        done.id = AddCatInfo(data, info);
        return done;
    });
}

EditResult CatalogueEdits::RenameCategory(const HeldRecord& category, const std::string& name) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, category)) return Refused(EditStatus::Stale);
        data.GetCatGoto(category.id).SetCatName(name, true);
        return EditResult{};
    });
}

EditResult CatalogueEdits::MoveCategory(const HeldRecord& category, int32_t parentId) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, category)) return Refused(EditStatus::Stale);
        if (!CategoryExists(data, parentId)) return Refused(EditStatus::NoSuchCategory);
        if (IsAtOrBelow(data, parentId, category.id)) return Refused(EditStatus::MoveIntoItself);
        data.GetCatGoto(category.id).SetCatParentId(parentId, true);
        return EditResult{};
    });
}

EditResult CatalogueEdits::AnnotateCategory(const HeldRecord& category, const std::string& notes, int32_t image) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, category)) return Refused(EditStatus::Stale);
        if (!PictureAllowed(data, category.id, image)) return Refused(EditStatus::NoSuchPicture);
        classCat& cat = data.GetCatGoto(category.id);
        cat.SetCatNotes(notes);
        cat.SetCatImageId(image);
        cat.recordUpdate();
        return EditResult{};
    });
}

EditResult CatalogueEdits::SetCategoryNotes(const HeldRecord& category, const std::string& notes) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, category)) return Refused(EditStatus::Stale);
        classCat& cat = data.GetCatGoto(category.id);
        cat.SetCatNotes(notes);
        cat.recordUpdate();
        return EditResult{};
    });
}

EditResult CatalogueEdits::SetCategoryImage(const HeldRecord& category, int32_t image) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, category)) return Refused(EditStatus::Stale);
        if (!PictureAllowed(data, category.id, image)) return Refused(EditStatus::NoSuchPicture);
        classCat& cat = data.GetCatGoto(category.id);
        cat.SetCatImageId(image);
        cat.recordUpdate();
        return EditResult{};
    });
}

EditResult CatalogueEdits::RemoveCategory(const HeldRecord& category) {
    return Run([&](classData& data) {
        EditResult result = RemovalRules(data, category);
        if (result.Done()) data.GetCatDelete(category.id);
        return result;
    });
}

EditResult CatalogueEdits::MayRemoveCategory(const HeldRecord& category) {
    return Run([&](classData& data) { return RemovalRules(data, category); });
}

EditResult CatalogueEdits::RenameCd(const HeldRecord& cd, const std::string& name) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, cd)) return Refused(EditStatus::Stale);
        data.GetCdGoto(cd.id).SetCdName(name, true);
        return EditResult{};
    });
}

EditResult CatalogueEdits::AnnotateCd(const HeldRecord& cd, const std::string& notes) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, cd)) return Refused(EditStatus::Stale);
        data.GetCdGoto(cd.id).SetCdNotes(notes, true);
        return EditResult{};
    });
}

EditResult CatalogueEdits::FileCd(const HeldRecord& cd, int32_t categoryId) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, cd)) return Refused(EditStatus::Stale);
        if (!CategoryExists(data, categoryId)) return Refused(EditStatus::NoSuchCategory);
        data.GetCdGoto(cd.id).setCdCategory(categoryId, true);
        return EditResult{};
    });
}

EditResult CatalogueEdits::UpdateCdDetails(const HeldRecord& cd, const CdInfo& details) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, cd)) return Refused(EditStatus::Stale);
        if (!CategoryExists(data, details.CdCategory)) return Refused(EditStatus::NoSuchCategory);
        // The texts are appended first and the one record write makes them the CD's.
        CdInfo info = ReadCdInfo(data, cd.id);
        info.CdName = details.CdName;
        info.CdLabel = details.CdLabel;
        info.CdBasepath = details.CdBasepath;
        info.CdNotes = details.CdNotes;
        info.CdMediaType = details.CdMediaType;
        info.CdCategory = details.CdCategory;
        UpdateCdInfo(data, info);
        return EditResult{};
    });
}

EditResult CatalogueEdits::RemoveCd(const HeldRecord& cd) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, cd)) return Refused(EditStatus::Stale);
        data.GetCdDelete(cd.id);
        // The CD is gone whatever becomes of its details: leftover rows no longer match it.
        std::string error;
        if (!DropCdDetails(data, cd.id, &error) || !error.empty()) ShowMessage(error, vbOKOnly);
        return EditResult{};
    });
}

EditResult CatalogueEdits::AskAndRemoveCd(const HeldRecord& cd, const std::string& title) {
    if (cd.id == 0) return Refused(EditStatus::Declined);
    if (ShowMessage(
            KARVIO_TRANSLATE_NOOP("Messages", "Remove Cd") + std::string("\r\n[") + title + "]",
            vbYesNoCancel) != vbYes)
        return Refused(EditStatus::Declined);
    EditResult result = RemoveCd(cd);
    if (result.Done()) ShowMessage(KARVIO_TRANSLATE_NOOP("Messages", "CD removed"), vbOKOnly);
    return result;
}

EditResult CatalogueEdits::AnnotateDirectory(const HeldRecord& dir, const std::string& notes) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, dir)) return Refused(EditStatus::Stale);
        const int32_t cdId = data.GetCdGoto(0).GetDirGoto(dir.id).GetDirCdId();
        // Two records change: until both are written the header names the CD whose space the
        // next writer recounts.
        data.SetPendingEdit(PendingEdit::RecountCd, cdId);
        const int32_t change = data.GetCdGoto(cdId).GetDirGoto(dir.id).SetDirNotes(notes, true);
        data.GetCdGoto(cdId).UpdateSpaceUsed(change);
        data.SetPendingEdit(PendingEdit::None);
        return EditResult{};
    });
}

EditResult CatalogueEdits::AnnotateFile(const HeldRecord& file, const std::string& notes) {
    return Run([&](classData& data) {
        if (!IsCurrent(data, file)) return Refused(EditStatus::Stale);
        const int32_t cdId = data.GetCdGoto(0).GetDirGoto(0).GetFileGoto(file.id).GetFileCdId();
        data.SetPendingEdit(PendingEdit::RecountCd, cdId);
        data.GetCdGoto(cdId);
        const int32_t change = data.GetCdGoto(0).GetDirGoto(0).GetFileGoto(file.id).SetFileNotes(notes, true);
        data.GetCdGoto(cdId).UpdateSpaceUsed(change);
        data.SetPendingEdit(PendingEdit::None);
        return EditResult{};
    });
}

}  // namespace karvio
