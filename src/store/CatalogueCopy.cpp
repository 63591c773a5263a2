#include "CatalogueCopy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "ProgramInfo.h"
#include "Progress.h"
#include "RecordIo.h"
#include "TransferRecords.h"
#include "classData.h"

namespace karvio {

namespace {

constexpr int kReadDirName = 2112, kReadDirPath = 2113, kReadDirNotes = 2114;
constexpr int kReadFileName = 2116, kReadFileNotes = 2118;

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Copies one catalogue into another that is new and empty. The source is walked with its own
// cursors and its texts read into buffers that are reused, so no record is read twice and the
// walk allocates nothing per file.
class CatalogueCopier {
public:
    CatalogueCopier(classData& source, classData& dest, const CopyCallbacks& callbacks)
        : source_(source), dest_(dest), callbacks_(callbacks), sourceFile_(source.File().get()) {}

    // False when cancelled.
    bool Run() {
        ProgressStart(source_.GetCdCount() + source_.GetCatCount());
        CopyCategories();
        const bool complete = CopyCds();
        ProgressEnd();
        return complete;
    }

private:
    void CopyCategories() {
        std::vector<int32_t> ids;
        for (classCat* cat = &source_.GetCatFirst(); !source_.GetCatEof(); cat = &source_.GetCatNext()) {
            ids.push_back(cat->GetCatId());
        }
        // A category moved under one created after it names a parent not copied yet: its
        // parent is set once every category has its new id.
        std::vector<std::pair<int32_t, int32_t>> laterParents;  // new id, old parent id
        for (const int32_t oldId : ids) {
            ProgressStep();
            CatInfo info = ReadCatInfo(source_, oldId);
            const int32_t oldParent = info.CatParentId;
            info.CatParentId = Translate(oldParent);
            const int32_t newId = AddCatInfo(dest_, info);
            if (oldParent != 0 && info.CatParentId == 0) laterParents.emplace_back(newId, oldParent);
            newCategoryIds_.emplace(oldId, newId);
        }
        for (const auto& [newId, oldParent] : laterParents) {
            // A parent that is not in the list at all leaves the category at the top level: its
            // old id would name some other record of the copy.
            if (const int32_t parent = Translate(oldParent); parent != 0) {
                dest_.GetCatGoto(newId).SetCatParentId(parent, true);
            }
        }
    }

    // The new id of a category; 0 (the root) for 0 and for a category that is not in the list.
    int32_t Translate(int32_t oldId) const {
        const auto it = newCategoryIds_.find(oldId);
        return it == newCategoryIds_.end() ? 0 : it->second;
    }

    bool CopyCds() {
        std::vector<int32_t> ids;
        for (classCd* cd = &source_.GetCdFirst(); !source_.GetCdEof(); cd = &source_.GetCdNext()) {
            ids.push_back(cd->GetCdId());
        }
        for (const int32_t oldId : ids) {
            ProgressStep();
            CdInfo info = ReadCdInfo(source_, oldId);
            if (callbacks_.showLabel) callbacks_.showLabel("Processing : " + info.CdName);
            info.CdCategory = Translate(info.CdCategory);
            const int32_t newId = AddCdInfo(dest_, info);
            if (!CopyDirectories(oldId)) return false;
            dest_.GetCdCommit(newId);
        }
        return true;
    }

    bool CopyDirectories(int32_t oldCdId) {
        classCd& cd = source_.GetCdGoto(oldCdId);
        for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
            const DirRecord& r = dir->Record();
            ReadTextInto(sourceFile_, r.DirName, dirInfo_.DirName, kReadDirName);
            ReadTextInto(sourceFile_, r.DirPath, dirInfo_.DirPath, kReadDirPath);
            if (dirInfo_.DirPath.empty()) dirInfo_.DirPath = "\\";
            ReadTextInto(sourceFile_, r.DirNotes, dirInfo_.DirNotes, kReadDirNotes);
            dirInfo_.DirSize = r.DirSize;
            dirInfo_.DirDate = r.DirDate;
            dirInfo_.DirAttr = r.DirAttr;
            const int32_t newDirId = AddDirInfo(dest_, dirInfo_);
            classDir& newDir = dest_.GetCdGoto(0).GetDirGoto(newDirId);
            newDir.updateDirSize(r.DirSize, r.DirCountOfDirs, r.DirCountOfFiles, r.DirCountOfFilesDirect);
            newDir.GetFileAppendStart();
            for (ClassFile* file = &dir->GetFileFirst(); !dir->GetFileEof(); file = &dir->GetFileNext()) {
                const FileRecord& f = file->Record();
                ReadTextInto(sourceFile_, f.FileName, fileInfo_.FileName, kReadFileName);
                ReadTextInto(sourceFile_, f.FileNotes, fileInfo_.FileNotes, kReadFileNotes);
                fileInfo_.FileSize = f.FileSize;
                fileInfo_.FileDate = f.FileDate;
                fileInfo_.FileAttr = f.FileAttr;
                AddFileInfo(dest_, fileInfo_);
                if (Cancelled()) return false;
            }
            dest_.GetCdGoto(0).GetDirGoto(0).GetFileAppendFinish();
            if (Cancelled()) return false;
        }
        return true;
    }

    bool Cancelled() {
        YieldIfDue();
        return callbacks_.cancelRequested && callbacks_.cancelRequested();
    }

    classData& source_;
    classData& dest_;
    const CopyCallbacks& callbacks_;
    CatalogueFile* sourceFile_;
    std::unordered_map<int32_t, int32_t> newCategoryIds_;
    DirInfo dirInfo_;
    FileInfo fileInfo_;
};

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

}  // namespace

std::string CopyCatalogue(const std::string& target, const CopyCallbacks& callbacks, std::string* error) {
    SetError(error, {});
    const std::string sourcePath = GetDataFileName();
    if (SameFile(target, sourcePath)) {
        SetError(error, target + " is the data file itself");
        return {};
    }
    ::unlink(target.c_str());
    classData source(sourcePath);
    if (const int16_t code = source.GetError(); code != kErrorNone) {
        SetError(error, sourcePath + ": " + DataFileErrorText(code, source.GetOpenErrorText()));
        return {};
    }
    // Appends of other store objects on the same file must be on disk before anything copies or
    // renames it.
    source.Flush();
    classData dest(target);
    if (const int16_t code = dest.GetError(); code != kErrorNone) {
        SetError(error, target + ": " + DataFileErrorText(code, dest.GetOpenErrorText()));
        return {};
    }
    if (!CatalogueCopier(source, dest, callbacks).Run()) return {};
    if (!dest.Flush()) {
        SetError(error, target + ": " + std::strerror(errno));
        return {};
    }
    return sourcePath;
}

}  // namespace karvio
