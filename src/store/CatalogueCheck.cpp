#include "CatalogueCheck.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <unordered_set>

#include "CatalogueFile.h"
#include "ProgramInfo.h"
#include "RecordLists.h"
#include "Records.h"
#include "classData.h"

namespace karvio {

namespace {

template <typename Record>
bool ReadRecord(CatalogueFile& file, int32_t id, Record& record) {
    uint8_t bytes[Record::kSize];
    if (id < 1 || !file.ReadAt(id - 1, bytes, sizeof bytes)) return false;
    record.Decode(bytes);
    return true;
}

bool EndsFit(const CdRecord& cd, int64_t length) {
    const auto fits = [length](int32_t id, size_t size) { return id == 0 || RecordFits(id, size, length); };
    return TextFits(cd.CdName, length) && TextFits(cd.CdNotes, length) && TextFits(cd.CdLabel, length) &&
           TextFits(cd.CdBasepath, length) && fits(cd.DirFirst, DirRecord::kSize) &&
           fits(cd.DirLast, DirRecord::kSize);
}

bool EndsFit(const CatRecord& cat, int64_t length) {
    return TextFits(cat.CatName, length) && TextFits(cat.CatNotes, length);
}

// The header's view of one doubly linked list (the CDs' or the categories'): its first and last
// records and its count agree with each other and with what lies at the two ends.
template <typename Record>
void CheckListEnds(CatalogueFile& file, int64_t length, const std::string& kind, int32_t first, int32_t last,
                   int32_t count, std::vector<std::string>& problems) {
    using Links = ListLinks<Record>;
    const std::string list = "the header's " + kind + " list";
    if (count < 0 || count > length / static_cast<int64_t>(Record::kSize)) {
        problems.push_back(list + " counts " + std::to_string(count) + " records, more than the file holds");
        return;
    }
    if ((first == 0) != (last == 0) || (first == 0) != (count == 0) || (count == 1 && first != last)) {
        problems.push_back(list + ": first " + std::to_string(first) + ", last " + std::to_string(last) +
                           " and count " + std::to_string(count) + " do not agree");
        return;
    }
    if (first == 0) return;
    Record head, tail;
    for (const int32_t id : {first, last}) {
        if (!RecordFits(id, Record::kSize, length)) {
            problems.push_back(list + " names record " + std::to_string(id) + ", which lies outside the file");
            return;
        }
    }
    if (!ReadRecord(file, first, head) || Links::Id(head) != first || Links::Prev(head) != 0) {
        problems.push_back(list + " begins at " + std::to_string(first) + ", which is not a first " + kind);
    }
    if (!ReadRecord(file, last, tail) || Links::Id(tail) != last) {
        problems.push_back(list + " ends at " + std::to_string(last) + ", which is not a " + kind + " record");
        return;
    }
    // The last record's texts and heads lie near the file's end: a file cut short loses them first.
    if (!EndsFit(tail, length)) {
        problems.push_back("the last " + kind + " " + std::to_string(last) +
                           " names texts or records outside the file (the file is cut short)");
    }
    const int32_t next = Links::Next(tail);
    if (next == 0) return;
    // A program stopped between linking a complete record behind the last one and counting it
    // leaves that record linked: the next change counts it.
    Record after;
    if (!RecordFits(next, Record::kSize, length) || !ReadRecord(file, next, after) || Links::Id(after) != next ||
        Links::Prev(after) != last || Links::Next(after) != 0) {
        problems.push_back(list + " ends at " + std::to_string(last) + ", which links on to " + std::to_string(next));
    }
}

class Checker {
public:
    Checker(CatalogueFile& file, CheckReport& report)
        : file_(file), report_(report), length_(file.Length()) {}

    void Run();

private:
    template <typename Record>
    bool Read(int32_t id, Record& rec) {
        uint8_t bytes[Record::kSize];
        if (id < 1 || !file_.ReadAt(id - 1, bytes, sizeof bytes)) return false;
        rec.Decode(bytes);
        return true;
    }

    // The length of a readable text, 0 when the slot is broken (and reported).
    // `kind`, `id` and `field` name the text in the problem ("file 912 name"); the name is made
    // only for a problem, as most records of a large catalogue have none.
    int64_t Text(StringSlot slot, const char* kind, int32_t id, const char* field) {
        if (slot.len <= 0) return 0;
        if (!TextFits(slot, length_)) {
            ++report_.lostTexts;
            Problem(std::string(kind) + " " + std::to_string(id) + " " + field + ": text slot (" +
                    std::to_string(slot.pos) + ", " + std::to_string(slot.len) + ") lies outside the file");
            return 0;
        }
        return slot.len;
    }

    void Problem(std::string text) { report_.problems.push_back(std::move(text)); }

    // Reports a list that ended on damage: where, and how.
    template <typename Record>
    void ListDamage(const std::string& list, const ListWalk<Record>& walk, int32_t last) {
        if (!walk.Damaged()) return;
        Problem(list + " breaks off " + (last == 0 ? std::string("at its start") : "after " + std::to_string(last)) +
                ": " + ListEndText(walk.End()));
    }

    void CheckCategories();
    void CheckCds();
    // Walks one CD's directories and files; returns the CD's recomputed space (without its own
    // record and texts).
    int64_t CheckDirectories(const CdRecord& cd, const std::string& name);
    int64_t CheckFiles(const CdRecord& cd, const DirRecord& dir, const std::string& name);

    CatalogueFile& file_;
    CheckReport& report_;
    int64_t length_;
    HeaderRecord header_;
    std::set<int32_t> categoryIds_;
};

void Checker::Run() {
    uint8_t bytes[HeaderRecord::kSize];
    if (length_ < static_cast<int64_t>(HeaderRecord::kSize) || !file_.ReadAt(0, bytes, sizeof bytes)) {
        Problem("the file is shorter than the 82-byte header");
        return;
    }
    header_.Decode(bytes);
    // As at an opening: the length after the header, which another program may have appended to.
    file_.Refresh();
    length_ = file_.Length();
    report_.fileLength = length_;
    if (std::memcmp(header_.dataSignature, "VELK", 4) != 0) {
        Problem("the signature is not VELK");
        return;
    }
    if (header_.dataVersionMajor != kVersionMajor || header_.dataVersionMinor != kVersionMinor) {
        Problem("version " + std::to_string(header_.dataVersionMajor) + "." +
                std::to_string(header_.dataVersionMinor) + " is not this program's " +
                std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor));
        return;
    }
    if (const PendingEditRecord pending = PendingEditOf(header_); pending.kind != PendingEdit::None) {
        // Another program is in the middle of an edit, or one stopped there: the next program
        // to open the catalogue for writing completes it; until then the lists may disagree.
        Problem("an edit of record " + std::to_string(pending.a) +
                " is not complete (another program is writing, or one stopped; opening the catalogue completes it)");
    }
    report_.headerSpaceUsed = header_.dataSpaceUsed;
    report_.liveSpace = static_cast<int64_t>(HeaderRecord::kSize);
    for (std::string& problem : CheckStructure(file_, header_)) Problem(std::move(problem));
    CheckCategories();
    CheckCds();

    if (report_.liveSpace > length_) {
        Problem("live space " + std::to_string(report_.liveSpace) + " exceeds the file length " +
                std::to_string(length_));
    }
    if (report_.liveSpace != header_.dataSpaceUsed) {
        // Renames and notes edits change a record's space without the header's running total.
        report_.notes.push_back("the header's space used " + std::to_string(header_.dataSpaceUsed) +
                                " differs from the recomputed live space " +
                                std::to_string(report_.liveSpace) + " (edits since the last compaction)");
    }
    report_.notes.push_back(std::to_string(length_ - report_.liveSpace) +
                            " bytes are dead (reclaimed by compaction)");
}

void Checker::CheckCategories() {
    std::map<int32_t, int32_t> parents;  // category id -> parent id
    int32_t prev = 0;
    ListWalk<CatRecord> walk(header_.dataCatFirstRecord, 0, length_);
    for (CatRecord cat; walk.Want() != 0; walk.Advance(cat)) {
        const int32_t id = walk.Want();
        if (!Read(id, cat)) {
            walk.Unreadable();
            break;
        }
        if (!walk.Take(cat)) break;
        const std::string what = "category " + std::to_string(id);
        if (cat.CatKind != CatRecord::kKind) Problem(what + ": kind byte is " + std::to_string(cat.CatKind));
        if (prev == 0 && cat.CatPrev != 0) {
            Problem(what + ": back link " + std::to_string(cat.CatPrev) + ", expected 0");
        }
        const int64_t space = static_cast<int64_t>(CatRecord::kSize) + Text(cat.CatName, "category", id, "name") +
                              Text(cat.CatNotes, "category", id, "notes");
        if (space != cat.CatSpaceUsed) {
            Problem(what + ": space used " + std::to_string(cat.CatSpaceUsed) + ", recomputed " +
                    std::to_string(space));
        }
        report_.liveSpace += space;
        parents[id] = cat.CatParentId;
        prev = id;
    }
    ListDamage("category list", walk, prev);
    if (header_.dataCatLastRecord != prev) {
        Problem("header names category " + std::to_string(header_.dataCatLastRecord) +
                " as the last, the list ends at " + std::to_string(prev));
    }
    report_.categories = static_cast<int32_t>(parents.size());
    report_.lostCategories = std::max<int64_t>(0, int64_t{header_.dataNumOfCats} - report_.categories);
    if (header_.dataNumOfCats != report_.categories) {
        Problem("header counts " + std::to_string(header_.dataNumOfCats) + " categories, the list holds " +
                std::to_string(report_.categories));
    }
    for (const auto& [cat, parent] : parents) {
        categoryIds_.insert(cat);
        std::unordered_set<int32_t> passed{cat};
        for (int32_t p = parent; p != 0; p = parents.at(p)) {
            if (!parents.count(p)) {
                Problem("category " + std::to_string(cat) + ": parent " + std::to_string(p) +
                        " is not in the category list");
                break;
            }
            if (!passed.insert(p).second) {
                Problem("category " + std::to_string(cat) + ": its parents form a loop");
                break;
            }
        }
    }
}

void Checker::CheckCds() {
    std::unordered_set<int32_t> seen;
    int32_t prev = 0, beforeLast = 0;
    ListWalk<CdRecord> walk(header_.dataCdFirstRecord, 0, length_);
    for (CdRecord cd; walk.Want() != 0; walk.Advance(cd)) {
        const int32_t id = walk.Want();
        if (!Read(id, cd)) {
            walk.Unreadable();
            break;
        }
        if (!walk.Take(cd)) break;
        seen.insert(id);
        const std::string what = "CD " + std::to_string(id);
        if (prev == 0 && cd.PrevRecord != 0) {
            Problem(what + ": back link " + std::to_string(cd.PrevRecord) + ", expected 0");
        }
        if (cd.CdCategory != 0 && !categoryIds_.count(cd.CdCategory)) {
            Problem(what + ": category " + std::to_string(cd.CdCategory) + " is not in the category list");
        }
        int64_t space = static_cast<int64_t>(CdRecord::kSize) + Text(cd.CdName, "CD", id, "name") +
                        Text(cd.CdNotes, "CD", id, "notes") + Text(cd.CdLabel, "CD", id, "label") +
                        Text(cd.CdBasepath, "CD", id, "base path");
        space += CheckDirectories(cd, what);
        if (space != cd.CdSpaceUsed) {
            Problem(what + ": space used " + std::to_string(cd.CdSpaceUsed) + ", recomputed " +
                    std::to_string(space));
        }
        report_.liveSpace += space;
        beforeLast = prev;
        prev = id;
    }
    ListDamage("CD list", walk, prev);
    report_.cds = static_cast<int32_t>(seen.size());
    report_.lostCds = std::max<int64_t>(0, int64_t{header_.dataNumOfCds} - report_.cds);
    if (header_.dataCdLastRecord != prev && header_.dataCdLastRecord == beforeLast && beforeLast != 0 &&
        header_.dataNumOfCds == report_.cds - 1) {
        // The program stopped between linking a complete CD and counting it in the header; the
        // next change mends the header.
        report_.notes.push_back("CD " + std::to_string(prev) +
                                " is linked but not yet counted in the header (an interrupted commit)");
        return;
    }
    if (header_.dataCdLastRecord != prev) {
        Problem("header names CD " + std::to_string(header_.dataCdLastRecord) +
                " as the last, the list ends at " + std::to_string(prev));
    }
    if (header_.dataNumOfCds != report_.cds) {
        Problem("header counts " + std::to_string(header_.dataNumOfCds) + " CDs, the list holds " +
                std::to_string(report_.cds));
    }
}

int64_t Checker::CheckDirectories(const CdRecord& cd, const std::string& cdName) {
    int64_t space = 0;
    int64_t dirs = 0;
    int32_t last = 0;
    const int64_t filesBefore = report_.files, lostBefore = report_.lostFiles;
    DirRecord root;
    ListWalk<DirRecord> walk(cd.DirFirst, cd.CdId, length_);
    for (DirRecord dir; walk.Want() != 0; walk.Advance(dir)) {
        const int32_t id = walk.Want();
        if (!Read(id, dir)) {
            walk.Unreadable();
            break;
        }
        if (!walk.Take(dir)) break;
        const std::string what = "directory " + std::to_string(id);
        if (dirs == 0) root = dir;
        space += static_cast<int64_t>(DirRecord::kSize) + Text(dir.DirPath, "directory", id, "path") +
                 Text(dir.DirName, "directory", id, "name") + Text(dir.DirNotes, "directory", id, "notes");
        space += CheckFiles(cd, dir, what);
        ++dirs;
        last = id;
    }
    ListDamage(cdName + ": directory list", walk, last);
    if (cd.DirLast != last) {
        Problem(cdName + ": last directory is " + std::to_string(cd.DirLast) + ", the list ends at " +
                std::to_string(last));
    }
    report_.directories += dirs;
    const int64_t files = report_.files - filesBefore;
    // A CD with nothing below it has no directory record at all.
    const bool holdsAny = dirs > 0 || cd.CdNumOfSubdirs > 0 || cd.CdNumOfFiles > 0;
    report_.lostDirectories += std::max<int64_t>(0, (holdsAny ? int64_t{cd.CdNumOfSubdirs} + 1 : 0) - dirs);
    // The CD's own count, or its directories' where those say more.
    report_.lostFiles = lostBefore + std::max(report_.lostFiles - lostBefore, int64_t{cd.CdNumOfFiles} - files);
    if (dirs == 0 && (cd.CdNumOfSubdirs != 0 || cd.CdNumOfFiles != 0)) {
        Problem(cdName + ": counts " + std::to_string(cd.CdNumOfSubdirs) + " subdirectories and " +
                std::to_string(cd.CdNumOfFiles) + " files, holds no directory");
    }
    if (dirs > 0 && files != cd.CdNumOfFiles) {
        Problem(cdName + ": counts " + std::to_string(cd.CdNumOfFiles) + " files, its directories hold " +
                std::to_string(files));
    }
    if (dirs > 0) {
        if (root.DirCountOfDirs != cd.CdNumOfSubdirs || dirs != int64_t{cd.CdNumOfSubdirs} + 1) {
            Problem(cdName + ": counts " + std::to_string(cd.CdNumOfSubdirs) + " subdirectories, holds " +
                    std::to_string(dirs - 1) + ", its top directory counts " +
                    std::to_string(root.DirCountOfDirs));
        }
        if (root.DirCountOfFiles != cd.CdNumOfFiles) {
            Problem(cdName + ": counts " + std::to_string(cd.CdNumOfFiles) +
                    " files, its top directory " + std::to_string(root.DirCountOfFiles));
        }
        if (-root.DirSize != cd.CdTotalSize) {
            Problem(cdName + ": total size " + std::to_string(cd.CdTotalSize) +
                    " differs from its top directory's " + std::to_string(-root.DirSize));
        }
    }
    return space;
}

int64_t Checker::CheckFiles(const CdRecord& cd, const DirRecord& dir, const std::string& dirName) {
    int64_t space = 0;
    int64_t count = 0;
    int32_t last = 0;
    ListWalk<FileRecord> walk(dir.FileFirst, dir.DirId, length_);
    for (FileRecord file; walk.Want() != 0; walk.Advance(file)) {
        const int32_t id = walk.Want();
        if (!Read(id, file)) {
            walk.Unreadable();
            break;
        }
        if (!walk.Take(file)) break;
        if (file.FileCdId != cd.CdId) {
            Problem("file " + std::to_string(id) + ": belongs to CD " + std::to_string(file.FileCdId) +
                    ", listed under " + dirName);
        }
        space += static_cast<int64_t>(FileRecord::kSize) + Text(file.FilePath, "file", id, "path") +
                 Text(file.FileName, "file", id, "name") + Text(file.FileNotes, "file", id, "notes");
        ++count;
        last = id;
    }
    if (walk.Damaged()) ListDamage(dirName + ": file list", walk, last);
    if (dir.FileLast != last) {
        Problem(dirName + ": last file is " + std::to_string(dir.FileLast) + ", the list ends at " +
                std::to_string(last));
    }
    if (count != dir.DirCountOfFilesDirect) {
        Problem(dirName + ": counts " + std::to_string(dir.DirCountOfFilesDirect) +
                " files of its own, holds " + std::to_string(count));
    }
    report_.files += count;
    report_.lostFiles += std::max<int64_t>(0, dir.DirCountOfFilesDirect - count);
    return space;
}

}  // namespace

std::vector<std::string> CheckStructure(CatalogueFile& file, const HeaderRecord& header) {
    std::vector<std::string> problems;
    const int64_t length = file.Length();
    if (header.dataSpaceUsed > length) {
        // Every byte counted live was appended to the file; nothing but compaction shrinks it.
        problems.push_back("the header counts " + std::to_string(header.dataSpaceUsed) +
                           " live bytes, more than the file's " + std::to_string(length));
    }
    CheckListEnds<CatRecord>(file, length, "category", header.dataCatFirstRecord, header.dataCatLastRecord,
                             header.dataNumOfCats, problems);
    CheckListEnds<CdRecord>(file, length, "CD", header.dataCdFirstRecord, header.dataCdLastRecord,
                            header.dataNumOfCds, problems);
    return problems;
}

std::string SalvageLossText(const CheckReport& report) {
    std::vector<std::string> parts;
    const auto add = [&parts](int64_t n, const char* one, const char* many, const std::string& tail = {}) {
        if (n > 0) parts.push_back(std::to_string(n) + " " + (n == 1 ? one : many) + tail);
    };
    add(report.lostCds, "CD", "CDs", " of " + std::to_string(report.cds + report.lostCds));
    add(report.lostCategories, "category", "categories");
    add(report.lostDirectories, "directory", "directories", " of the CDs that remain");
    add(report.lostFiles, "file", "files", " of the CDs that remain");
    add(report.lostTexts, "name or note that lies outside the file (copied empty)",
        "names or notes that lie outside the file (copied empty)");
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += i + 1 == parts.size() ? " and " : ", ";
        text += parts[i];
    }
    return text;
}

std::string ProblemSummary(const CheckReport& report, size_t shown) {
    std::string text;
    for (size_t i = 0; i < report.problems.size() && i < shown; ++i) text += report.problems[i] + "\n";
    if (report.problems.size() > shown) {
        text += "and " + std::to_string(report.problems.size() - shown) + " more\n";
    }
    return text;
}

CheckReport CheckCatalogue(const std::string& path) {
    CheckReport report;
    CatalogueFileOpenResult opened = OpenCatalogueFile(path, /*create=*/false);
    if (!opened.file) {
        report.problems.push_back("cannot open " + path + ": " + opened.error);
        return report;
    }
    opened.file->Refresh();
    report.fileLength = opened.file->Length();
    Checker(*opened.file, report).Run();
    return report;
}

}  // namespace karvio
