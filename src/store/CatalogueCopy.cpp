#include "CatalogueCopy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "CatalogueDate.h"
#include "ProgramInfo.h"
#include "RecordLists.h"
#include "Progress.h"
#include "RecordIo.h"
#include "SequentialFile.h"
#include "classData.h"

namespace karvio {

namespace {

// The read-error numbers of the texts, the same the record getters use.
constexpr int kReadCdName = 2202, kReadCdBasepath = 2203, kReadCdNotes = 2204, kReadCdLabel = 2205;
constexpr int kReadCatName = 2207, kReadCatNotes = 2208;
constexpr int kReadDirName = 2112, kReadDirPath = 2113, kReadDirNotes = 2114;
constexpr int kReadFileName = 2116, kReadFileNotes = 2118;

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Writes a copy of a catalogue front to back into a new file, in the layout the store's own
// append operations give a catalogue built in list order: the header, each category with its
// name and notes, then each CD with its texts, each of its directories with its texts followed by
// its files with theirs. A record is appended as soon as its position is known and its links and
// totals patched once what follows it is written (almost always still in the write buffer). The
// source is walked with its own cursors and its texts taken from where its cache holds them.
class CatalogueCopier {
public:
    CatalogueCopier(classData& source, SequentialFile& out, const CopyCallbacks& callbacks, bool salvage)
        : source_(source),
          out_(out),
          callbacks_(callbacks),
          sourceFile_(source.File().get()),
          sourceLength_(sourceFile_->Length()),
          salvage_(salvage) {}

    const CopyCounts& Counts() const { return counts_; }

    // False when cancelled, or when the copy would grow past the largest position.
    bool Run() {
        header_.dataVersionMajor = kVersionMajor;
        header_.dataVersionMinor = kVersionMinor;
        header_.dataVersionRevision = kVersionRevision;
        header_.dataCreated = header_.dataLastOpened = DateNow();
        header_.dataSpaceUsed = static_cast<int32_t>(HeaderRecord::kSize);
        WriteHeader(false);
        ProgressStart(source_.GetCdCount() + source_.GetCatCount());
        CopyCategories();
        const bool complete = CopyCds();
        ProgressEnd();
        if (complete) WriteHeader(true);
        return complete && !tooLarge_;
    }

    bool TooLarge() const { return tooLarge_; }

private:
    void WriteHeader(bool patch) {
        uint8_t bytes[HeaderRecord::kSize];
        header_.Encode(bytes);
        if (patch) {
            out_.Patch(0, bytes, sizeof bytes);
        } else {
            out_.Append(bytes, sizeof bytes);
        }
    }

    // The 1-based position of the next appended byte.
    int32_t NextId() {
        const int64_t next = out_.Position() + 1;
        if (next > kMaxCatalogueLength) tooLarge_ = true;
        return static_cast<int32_t>(std::min<int64_t>(next, kMaxCatalogueLength));
    }

    template <typename Record>
    void AppendRecord(const Record& record) {
        uint8_t bytes[Record::kSize];
        record.Encode(bytes);
        out_.Append(bytes, sizeof bytes);
    }

    template <typename Record>
    void PatchRecord(const Record& record, int32_t id) {
        uint8_t bytes[Record::kSize];
        record.Encode(bytes);
        out_.Patch(id - 1, bytes, sizeof bytes);
    }

    // The length a text gets in the copy: 0 for an empty one, and for one whose slot lies outside
    // the source (only a salvage copies such a catalogue; the text is lost).
    int32_t Length(StringSlot slot) const { return slot.len > 0 && TextFits(slot, sourceLength_) ? slot.len : 0; }

    // The slot a text of `slot`'s length gets at `at`, and `at` moved past it.
    StringSlot Place(StringSlot slot, int64_t& at) const {
        if (Length(slot) == 0) return {};
        const StringSlot placed{static_cast<int32_t>(at), slot.len};
        at += slot.len;
        return placed;
    }

    void AppendText(StringSlot slot, int code) {
        if (Length(slot) == 0) return;
        const std::string_view text = ReadTextView(sourceFile_, slot, buffer_, code);
        out_.Append(text.data(), text.size());
    }

    void CopyCategories() {
        std::vector<CatRecord> cats;
        for (classCat* cat = &source_.GetCatFirst(); !source_.GetCatEof(); cat = &source_.GetCatNext()) {
            cats.push_back(cat->Record());
        }
        counts_.categories = static_cast<int64_t>(cats.size());
        // Every category's new id is known before the first is written, so a parent that comes
        // later in the list is translated like any other.
        int64_t at = out_.Position() + 1;
        std::vector<int32_t> ids;
        for (const CatRecord& c : cats) {
            ids.push_back(static_cast<int32_t>(at));
            newCategoryIds_.emplace(c.CatId, static_cast<int32_t>(at));
            at += static_cast<int64_t>(CatRecord::kSize) + Length(c.CatName) + Length(c.CatNotes);
        }
        if (at > kMaxCatalogueLength) tooLarge_ = true;
        const double created = DateNow();
        for (size_t k = 0; k < cats.size(); ++k) {
            ProgressStep();
            const CatRecord& c = cats[k];
            CatRecord r;
            r.CatId = ids[k];
            r.CatNext = k + 1 < cats.size() ? ids[k + 1] : 0;
            r.CatPrev = k > 0 ? ids[k - 1] : 0;
            r.CatCreated = created;
            int64_t text = r.CatId + static_cast<int64_t>(CatRecord::kSize);
            r.CatName = Place(c.CatName, text);
            r.CatNotes = Place(c.CatNotes, text);
            r.CatImageId = c.CatImageId;
            // A parent that is not in the list at all leaves the category at the top level: its
            // old id would name some other record of the copy.
            r.CatParentId = Translate(c.CatParentId);
            r.CatSpaceUsed = static_cast<int32_t>(CatRecord::kSize) + Length(c.CatName) + Length(c.CatNotes);
            AppendRecord(r);
            AppendText(c.CatName, kReadCatName);
            AppendText(c.CatNotes, kReadCatNotes);
            header_.dataSpaceUsed += r.CatSpaceUsed;
            if (callbacks_.categoryCopied) callbacks_.categoryCopied(c.CatId, r.CatId);
        }
        header_.dataNumOfCats = static_cast<int32_t>(cats.size());
        header_.dataCatFirstRecord = ids.empty() ? 0 : ids.front();
        header_.dataCatLastRecord = ids.empty() ? 0 : ids.back();
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
        CdRecord previous;
        for (const int32_t oldId : ids) {
            ProgressStep();
            classCd& cd = source_.GetCdGoto(oldId);
            if (callbacks_.showLabel) callbacks_.showLabel("Processing : " + cd.GetCdName());
            const CdRecord s = cd.Record();
            CdRecord r = s;
            r.CdId = NextId();
            r.NextRecord = 0;
            r.PrevRecord = previous.CdId;
            r.DirFirst = r.DirLast = 0;
            r.CdCategory = Translate(s.CdCategory);
            r.CdReserved[0] = r.CdReserved[1] = 0;
            // Texts in the order the store appends them: name, label, base path, notes.
            int64_t text = r.CdId + static_cast<int64_t>(CdRecord::kSize);
            r.CdName = Place(s.CdName, text);
            r.CdLabel = Place(s.CdLabel, text);
            r.CdBasepath = Place(s.CdBasepath, text);
            r.CdNotes = Place(s.CdNotes, text);
            AppendRecord(r);
            AppendText(s.CdName, kReadCdName);
            AppendText(s.CdLabel, kReadCdLabel);
            AppendText(s.CdBasepath, kReadCdBasepath);
            AppendText(s.CdNotes, kReadCdNotes);
            r.CdSpaceUsed = static_cast<int32_t>(text - r.CdId);
            if (!CopyDirectories(oldId, r)) return false;
            PatchRecord(r, r.CdId);
            ++counts_.cds;
            if (callbacks_.cdCopied) callbacks_.cdCopied(oldId, r.CdId);
            if (previous.CdId != 0) {
                previous.NextRecord = r.CdId;
                PatchRecord(previous, previous.CdId);
            }
            if (header_.dataCdFirstRecord == 0) header_.dataCdFirstRecord = r.CdId;
            header_.dataCdLastRecord = r.CdId;
            header_.dataNumOfCds += 1;
            header_.dataSpaceUsed += r.CdSpaceUsed;
            previous = r;
        }
        return true;
    }

    // Copies the CD's directories with their files below the new CD `cd`, and sets its list
    // ends and space.
    bool CopyDirectories(int32_t oldCdId, CdRecord& cd) {
        classCd& source = source_.GetCdGoto(oldCdId);
        DirRecord previous, root;
        const int64_t filesBefore = counts_.files;
        int64_t dirs = 0;
        double bytes = 0;
        for (classDir* dir = &source.GetDirFirst(); !source.GetDirEof(); dir = &source.GetDirNext()) {
            const DirRecord s = dir->Record();
            DirRecord r = s;
            r.DirId = NextId();
            r.DirCdId = cd.CdId;
            r.DirNext = r.FileFirst = r.FileLast = 0;
            r.DirReserved = r.DirReserved2 = 0;
            // Texts in the order the store appends them: name, path, notes.
            int64_t text = r.DirId + static_cast<int64_t>(DirRecord::kSize);
            r.DirName = Place(s.DirName, text);
            r.DirPath = Place(s.DirPath, text);
            r.DirNotes = Place(s.DirNotes, text);
            AppendRecord(r);
            AppendText(s.DirName, kReadDirName);
            AppendText(s.DirPath, kReadDirPath);
            AppendText(s.DirNotes, kReadDirNotes);
            int32_t files = 0;
            if (!CopyFiles(*dir, cd.CdId, r, files, bytes)) return false;
            if (salvage_) r.DirCountOfFilesDirect = files;
            ++dirs;
            ++counts_.directories;
            // The next directory follows this one's files; the last one's link is reset below.
            r.DirNext = NextId();
            PatchRecord(r, r.DirId);
            cd.CdSpaceUsed += static_cast<int32_t>(r.DirNext - r.DirId);
            if (cd.DirFirst == 0) cd.DirFirst = r.DirId;
            cd.DirLast = r.DirId;
            if (root.DirId == 0) root = r;
            previous = r;
            if (Cancelled()) return false;
        }
        if (previous.DirId != 0) {
            previous.DirNext = 0;
            PatchRecord(previous, previous.DirId);
            if (previous.DirId == root.DirId) root = previous;
        }
        if (salvage_) {
            // What was read of a damaged CD agrees with itself: the CD and its top directory
            // count what the copy holds.
            const int64_t files = counts_.files - filesBefore;
            cd.CdNumOfFiles = static_cast<int32_t>(files);
            cd.CdNumOfSubdirs = static_cast<int32_t>(std::max<int64_t>(dirs - 1, 0));
            if (root.DirId != 0) {
                root.DirCountOfFiles = cd.CdNumOfFiles;
                root.DirCountOfDirs = cd.CdNumOfSubdirs;
                root.DirSize = -bytes;
                cd.CdTotalSize = bytes;
                PatchRecord(root, root.DirId);
            }
        }
        return true;
    }

    // Copies the directory's files behind the new directory `dir` and sets its list ends.
    bool CopyFiles(classDir& source, int32_t cdId, DirRecord& dir, int32_t& files, double& bytes) {
        FileRecord r;
        for (ClassFile* file = &source.GetFileFirst(); !source.GetFileEof(); file = &source.GetFileNext()) {
            const FileRecord& s = file->Record();
            r.FileId = NextId();
            r.FileCdId = cdId;
            r.FileDirId = dir.DirId;
            int64_t text = r.FileId + static_cast<int64_t>(FileRecord::kSize);
            r.FileName = Place(s.FileName, text);
            r.FileNotes = Place(s.FileNotes, text);
            // The next file follows this one's texts; the last one's link is reset below.
            r.FileNext = static_cast<int32_t>(std::min<int64_t>(text, kMaxCatalogueLength));
            r.FileSize = s.FileSize;
            r.FileDate = s.FileDate;
            r.FileAttr = s.FileAttr;
            AppendRecord(r);
            AppendText(s.FileName, kReadFileName);
            AppendText(s.FileNotes, kReadFileNotes);
            if (callbacks_.fileCopied) callbacks_.fileCopied(s.FileId, r.FileId);
            if (dir.FileFirst == 0) dir.FileFirst = r.FileId;
            dir.FileLast = r.FileId;
            ++files;
            ++counts_.files;
            bytes += s.FileSize;
            if (Cancelled()) return false;
        }
        if (r.FileId != 0) {
            r.FileNext = 0;
            PatchRecord(r, r.FileId);
        }
        return true;
    }

    bool Cancelled() {
        YieldIfDue();
        return callbacks_.cancelRequested && callbacks_.cancelRequested();
    }

    classData& source_;
    SequentialFile& out_;
    const CopyCallbacks& callbacks_;
    CatalogueFile* sourceFile_;
    int64_t sourceLength_;
    bool salvage_;
    CopyCounts counts_;
    HeaderRecord header_;
    std::unordered_map<int32_t, int32_t> newCategoryIds_;
    std::string buffer_;  // a text the source's cache does not hold in one piece
    bool tooLarge_ = false;
};

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

}  // namespace

std::string CopyCatalogue(const std::string& target, const CopyCallbacks& callbacks, std::string* error,
                          const CopyOptions& options) {
    SetError(error, {});
    const std::string sourcePath = GetDataFileName();
    if (SameFile(target, sourcePath)) {
        SetError(error, target + " is the data file itself");
        return {};
    }
    ::unlink(target.c_str());
    std::unique_ptr<classData> opened =
        options.salvage ? std::make_unique<classData>(sourcePath, classData::ForSalvage{})
                        : std::make_unique<classData>(sourcePath, classData::ForReading{});
    classData& source = *opened;
    if (const int16_t code = source.GetError(); code != kErrorNone) {
        SetError(error, source.OpenFailureText(code));
        return {};
    }
    // Appends of other store objects on the same file must be on disk before anything copies or
    // renames it.
    source.Flush();
    SequentialFile out;
    if (!out.Create(target)) {
        SetError(error, out.Error());
        return {};
    }
    CatalogueCopier copier(source, out, callbacks, options.salvage);
    const bool complete = copier.Run();
    const bool written = out.Finish();
    if (options.counts) *options.counts = copier.Counts();
    if (copier.TooLarge()) {
        SetError(error, target + ": the copy would be larger than a catalogue can be");
        return {};
    }
    if (!complete) return {};
    if (!written) {
        SetError(error, target + ": " + out.Error());
        return {};
    }
    return sourcePath;
}

}  // namespace karvio
