// Backup and compaction: what the copy keeps and renumbers, and that nothing (a cancel, a kill,
// a failing rename, a target that is the data file in disguise) ever loses the data file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <unordered_map>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueCheck.h"
#include "CatalogueCopy.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "TransferRecords.h"

using namespace karvio;
using karvio::testing::AddSampleCd;
using karvio::testing::ReadAllBytes;
using karvio::testing::SampleDir;
using karvio::testing::SampleFile;
using karvio::testing::TempDir;
namespace fs = std::filesystem;

namespace {

std::vector<SampleDir> Tree(int dirs, int files) {
    std::vector<SampleDir> tree;
    for (int d = 0; d < dirs; ++d) {
        SampleDir dir{d == 0 ? "" : "dir" + std::to_string(d), "\\", {}, d == 2 ? "dir notes" : ""};
        for (int f = 0; f < files; ++f) dir.files.push_back(SampleFile{"f" + std::to_string(f), 100.0 + f, ""});
        tree.push_back(std::move(dir));
    }
    return tree;
}

// Sets the header's time of last opening to 0, so that any store object that opens the file for
// writing (which stamps the time) changes its bytes, whatever the clock says.
void ClearOpenTime(const std::string& path) {
    std::vector<unsigned char> bytes = ReadAllBytes(path);
    std::fill(bytes.begin() + 42, bytes.begin() + 50, 0);
    karvio::testing::WriteAllBytes(path, bytes);
}

bool Contains(const std::vector<unsigned char>& bytes, const std::string& text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

class CatalogueCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.File("Karvio.cd");
        DataFilePath = path_;
        previousSink_ = SetMessageSink([this](const std::string& text, const MsgButtonSet& set) {
            messages_.push_back(text);
            return set.buttons.size() > 1 ? answer_ : set.DefaultValue();
        });
    }
    void TearDown() override {
        SetMessageSink(std::move(previousSink_));
        SetRenameFunction({});
        DataFilePath.clear();
    }

    // A catalogue with dead bytes: categories, CDs renamed and annotated, one CD removed.
    void BuildEdited() {
        classData data(path_);
        CatInfo music{0, "Music", "all of it", 0, 0};
        const int32_t musicId = AddCatInfo(data, music);
        CatInfo jazz{0, "Jazz", "", 7, musicId};
        const int32_t jazzId = AddCatInfo(data, jazz);
        a_ = AddSampleCd(data, "A", Tree(3, 4), jazzId, "notes of A");
        const int32_t gone = AddSampleCd(data, "Gone", Tree(2, 2));
        b_ = AddSampleCd(data, "B", Tree(4, 3), 0);
        data.GetCdGoto(a_).SetCdName("A one", true);
        data.GetCdGoto(a_).SetCdName("A two", true);
        data.GetCdGoto(a_).SetCdName("A three", true);
        data.GetCdDelete(gone);
    }

    // Whether a compaction left any work file in the folder.
    bool HasWorkFiles() const {
        for (const auto& entry : fs::directory_iterator(dir_.path())) {
            if (entry.path().filename().string().starts_with("~Temp_")) return true;
        }
        return false;
    }

    MaintenanceResult Compact(CopyCallbacks callbacks = {}) {
        return CompactDataFiles(callbacks, dir_.path().string());
    }

    TempDir dir_;
    std::string path_;
    std::vector<std::string> messages_;
    int answer_ = vbYes;
    MessageSink previousSink_;
    int32_t a_ = 0, b_ = 0;
};

TEST_F(CatalogueCopyTest, EmptyCatalogueCompactsTo82BytesKeepingABakCopy) {
    {
        classData data(path_);
        data.GetCatDelete(AddCatInfo(data, CatInfo{0, "temporary", "", 0, 0}));
    }
    const auto before = ReadAllBytes(path_);
    ASSERT_GT(before.size(), 82u);
    const MaintenanceResult result = Compact();
    EXPECT_EQ(result.outcome, MaintenanceOutcome::Done) << result.error;
    EXPECT_EQ(messages_, std::vector<std::string>{"Compact Data Files ??"});
    EXPECT_EQ(fs::file_size(path_), 82u);
    EXPECT_EQ(result.bakFile, dir_.File("Karvio.bak"));
    EXPECT_EQ(ReadAllBytes(result.bakFile), before);
    EXPECT_FALSE(HasWorkFiles());
}

TEST_F(CatalogueCopyTest, CompactionKeepsOnlyLiveRecordsInOrderAndChecksClean) {
    BuildEdited();
    const auto before = ReadAllBytes(path_);
    ASSERT_TRUE(Contains(before, "A one"));
    ASSERT_EQ(Compact().outcome, MaintenanceOutcome::Done);

    const auto after = ReadAllBytes(path_);
    EXPECT_FALSE(Contains(after, "A one"));
    EXPECT_FALSE(Contains(after, "A two"));
    EXPECT_FALSE(Contains(after, "Gone"));
    EXPECT_TRUE(Contains(after, "A three"));
    const CheckReport report = CheckCatalogue(path_);
    EXPECT_TRUE(report.Clean()) << (report.problems.empty() ? "" : report.problems.front());
    EXPECT_EQ(report.liveSpace, report.fileLength);
    EXPECT_EQ(report.liveSpace, report.headerSpaceUsed);
    EXPECT_EQ(report.files, 4 * 3 + 4 * 3);

    classData data(path_);
    std::vector<CdInfo> cds;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) cds.push_back(ReadCdInfo(data, cd->GetCdId()));
    ASSERT_EQ(cds.size(), 2u);
    EXPECT_EQ(cds[0].CdName, "A three");
    EXPECT_EQ(cds[0].CdNotes, "notes of A");
    EXPECT_EQ(cds[1].CdName, "B");
    EXPECT_EQ(cds[1].CdCategory, 0);  // the root stays the root
    const CatInfo jazz = ReadCatInfo(data, cds[0].CdCategory);
    EXPECT_EQ(jazz.CatName, "Jazz");
    EXPECT_EQ(jazz.CatImageId, 7);
    EXPECT_EQ(ReadCatInfo(data, jazz.CatParentId).CatName, "Music");
    EXPECT_EQ(ReadCatInfo(data, jazz.CatParentId).CatNotes, "all of it");
    // Directories keep their totals and notes, files their sizes, in the same order.
    classCd& cd = data.GetCdGoto(cds[0].CdId);
    std::vector<std::string> names;
    for (classDir* d = &cd.GetDirFirst(); !cd.GetDirEof(); d = &cd.GetDirNext()) {
        names.push_back(d->GetDirName() + "|" + d->GetDirNotes() + "|" + std::to_string(d->GetDirCountOfFilesDirect()));
        for (ClassFile* f = &d->GetFileFirst(); !d->GetFileEof(); f = &d->GetFileNext()) {
            names.push_back(f->GetFileName() + "=" + std::to_string(static_cast<int>(f->GetFileSize())));
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"||4", "f0=100", "f1=101", "f2=102", "f3=103",
                                               "dir1||4", "f0=100", "f1=101", "f2=102", "f3=103",
                                               "dir2|dir notes|4", "f0=100", "f1=101", "f2=102", "f3=103"}));
}

TEST_F(CatalogueCopyTest, ACategoryWhoseParentComesLaterKeepsItsParent) {
    {
        classData data(path_);
        const int32_t early = AddCatInfo(data, CatInfo{0, "Early", "", 0, 0});
        const int32_t late = AddCatInfo(data, CatInfo{0, "Late", "", 0, 0});
        const int32_t child = AddCatInfo(data, CatInfo{0, "Child", "", 0, early});
        data.GetCatGoto(early).SetCatParentId(late, true);  // Early now lies below Late
        AddSampleCd(data, "In child", {}, child);
    }
    ASSERT_EQ(Compact().outcome, MaintenanceOutcome::Done);
    classData data(path_);
    std::vector<CatInfo> cats;
    for (classCat* c = &data.GetCatFirst(); !data.GetCatEof(); c = &data.GetCatNext()) cats.push_back(ReadCatInfo(data, c->GetCatId()));
    ASSERT_EQ(cats.size(), 3u);
    EXPECT_EQ(cats[0].CatName, "Early");
    EXPECT_EQ(cats[0].CatParentId, cats[1].CatId);  // Late, copied after it
    EXPECT_EQ(cats[2].CatParentId, cats[0].CatId);
    EXPECT_EQ(data.GetKarvioBasePath(cats[2].CatId),
              "Root\\.Category" + std::to_string(cats[1].CatId) + "\\.Category" + std::to_string(cats[0].CatId) +
                  "\\.Category" + std::to_string(cats[2].CatId));
    EXPECT_EQ(data.GetCdFirst().GetCdCategory(), cats[2].CatId);
    EXPECT_TRUE(CheckCatalogue(path_).Clean());
}

TEST_F(CatalogueCopyTest, DeclinedCancelledAndFailedCompactionsLeaveTheDataFileAsItWas) {
    BuildEdited();
    ClearOpenTime(path_);
    std::ofstream(dir_.File("Karvio.bak")) << "the earlier bak";
    const auto data = ReadAllBytes(path_);
    const auto bak = ReadAllBytes(dir_.File("Karvio.bak"));
    auto unchanged = [&](const char* what) {
        EXPECT_EQ(ReadAllBytes(path_), data) << what;
        EXPECT_FALSE(HasWorkFiles()) << what;
    };

    answer_ = vbNo;
    EXPECT_EQ(Compact().outcome, MaintenanceOutcome::Declined);
    unchanged("declined");
    answer_ = vbYes;

    int files = 0;
    CopyCallbacks cancelMidway;
    cancelMidway.cancelRequested = [&] { return ++files == 10; };
    std::vector<std::string> labels;
    cancelMidway.showLabel = [&](const std::string& label) { labels.push_back(label); };
    EXPECT_EQ(Compact(cancelMidway).outcome, MaintenanceOutcome::Cancelled);
    unchanged("cancelled");
    EXPECT_EQ(ReadAllBytes(dir_.File("Karvio.bak")), bak);
    EXPECT_EQ(labels, std::vector<std::string>{"Processing : A three"});

    // The rename that swaps the copy in fails: the data file and the bak copy stay as they were.
    SetRenameFunction([](const std::string& from, const std::string& to) {
        if (to.ends_with("Karvio.cd")) return errno = EIO, -1;
        return ::rename(from.c_str(), to.c_str());
    });
    const MaintenanceResult failed = Compact();
    EXPECT_EQ(failed.outcome, MaintenanceOutcome::Failed);
    EXPECT_NE(failed.error.find("cannot rename"), std::string::npos);
    unchanged("failed swap");
    EXPECT_EQ(ReadAllBytes(dir_.File("Karvio.bak")), bak);
    EXPECT_FALSE(HasWorkFiles());

    // Once the copy is in place, a failing rename of the previous file only leaves it under its
    // work name, and says so.
    SetRenameFunction([](const std::string& from, const std::string& to) {
        if (to.ends_with("Karvio.bak")) return errno = EACCES, -1;
        return ::rename(from.c_str(), to.c_str());
    });
    const MaintenanceResult late = Compact();
    EXPECT_EQ(late.outcome, MaintenanceOutcome::Done);
    EXPECT_NE(late.error.find("kept as"), std::string::npos);
    EXPECT_TRUE(late.bakFile.starts_with(dir_.File("~Temp_bak.Karvio.cd.")));
    EXPECT_EQ(ReadAllBytes(late.bakFile), data);
    EXPECT_EQ(ReadAllBytes(dir_.File("Karvio.bak")), bak);
    EXPECT_TRUE(CheckCatalogue(path_).Clean());
}

// A process killed anywhere in a compaction (during the copy, or just before or after either
// rename) leaves a complete data file: the old one, or the compacted one.
TEST_F(CatalogueCopyTest, AKilledCompactionLeavesACompleteDataFile) {
    BuildEdited();
    ClearOpenTime(path_);
    const auto original = ReadAllBytes(path_);
    const CheckReport before = CheckCatalogue(path_);
    struct Point {
        int killAtFile;    // 0: not during the copy
        int killAtRename;  // 1 (copy over data file), 2 (previous to bak): before; -1, -2: after
    };
    for (const Point point : {Point{1, 0}, Point{15, 0}, Point{0, 1}, Point{0, -1}, Point{0, 2}, Point{0, -2}}) {
        const pid_t child = ::fork();
        if (child == 0) {
            int files = 0, renames = 0;
            CopyCallbacks callbacks;
            callbacks.cancelRequested = [&] {
                if (++files == point.killAtFile) ::kill(::getpid(), SIGKILL);
                return false;
            };
            SetRenameFunction([&](const std::string& from, const std::string& to) {
                ++renames;
                if (renames == point.killAtRename) ::kill(::getpid(), SIGKILL);
                const int result = ::rename(from.c_str(), to.c_str());
                if (renames == -point.killAtRename) ::kill(::getpid(), SIGKILL);
                return result;
            });
            CompactDataFiles(callbacks, dir_.path().string());
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << point.killAtFile << "/" << point.killAtRename;
        const CheckReport after = CheckCatalogue(path_);
        EXPECT_TRUE(after.Clean()) << point.killAtFile << "/" << point.killAtRename;
        EXPECT_EQ(after.files, before.files);
        if (point.killAtFile != 0 || point.killAtRename == 1) {
            EXPECT_EQ(ReadAllBytes(path_), original) << point.killAtFile << "/" << point.killAtRename;
        } else {
            EXPECT_EQ(after.liveSpace, after.fileLength);  // the compacted file is in place
        }
        // Put the original back for the next point.
        karvio::testing::WriteAllBytes(path_, original);
    }
}

TEST_F(CatalogueCopyTest, AStoreObjectOpenedAfterTheSwapSeesTheNewFile) {
    BuildEdited();
    classData holder(path_);  // keeps the old file open, with an append not yet on disk
    AddCatInfo(holder, CatInfo{0, "Pending", "", 0, 0});
    ASSERT_EQ(Compact().outcome, MaintenanceOutcome::Done);
    classData fresh(path_);
    EXPECT_EQ(fresh.DebugData().fileLength, static_cast<int64_t>(fs::file_size(path_)));
    EXPECT_EQ(fresh.GetCatCount(), 3);
    EXPECT_EQ(fresh.GetCdFirst().GetCdName(), "A three");
    // The previous file, under its bak name, holds the same catalogue with its dead bytes.
    const CheckReport bak = CheckCatalogue(dir_.File("Karvio.bak"));
    EXPECT_TRUE(bak.Clean());
    EXPECT_EQ(bak.categories, 3);
    EXPECT_LT(bak.liveSpace, bak.fileLength);
}

TEST_F(CatalogueCopyTest, CompactionDeletesOnlyTheProgramsReportPages) {
    BuildEdited();
    for (const char* name : {"cd_000003.tmp", "notes.tmp", "cd_3.tmp"}) std::ofstream(dir_.File(name)) << "x";
    ASSERT_EQ(Compact().outcome, MaintenanceOutcome::Done);
    EXPECT_FALSE(fs::exists(dir_.File("cd_000003.tmp")));
    EXPECT_TRUE(fs::exists(dir_.File("notes.tmp")));
    EXPECT_TRUE(fs::exists(dir_.File("cd_3.tmp")));
}

TEST_F(CatalogueCopyTest, ThroughASymbolicLinkTheFileItNamesIsCompacted) {
    BuildEdited();
    fs::create_directory(dir_.File("real"));
    fs::rename(path_, dir_.File("real/k.cd"));
    fs::create_symlink(dir_.File("real/k.cd"), path_);
    const MaintenanceResult result = Compact();
    ASSERT_EQ(result.outcome, MaintenanceOutcome::Done);
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(result.bakFile, dir_.File("real/k.bak"));
    EXPECT_EQ(CheckCatalogue(path_).liveSpace, static_cast<int64_t>(fs::file_size(dir_.File("real/k.cd"))));
}

TEST_F(CatalogueCopyTest, BackupRefusesTheDataFileUnderAnyName) {
    BuildEdited();
    ClearOpenTime(path_);
    const auto original = ReadAllBytes(path_);
    fs::create_symlink(path_, dir_.File("link.cd"));
    fs::create_hard_link(path_, dir_.File("hard.cd"));
    const fs::path cwd = fs::current_path();
    fs::current_path(dir_.path());
    fs::create_directory(dir_.File("sub"));
    for (const std::string& target : {path_, std::string("./Karvio.cd"), std::string("Karvio.cd"), dir_.File("link.cd"),
                                     dir_.File("hard.cd"), dir_.File("sub/../Karvio.cd")}) {
        messages_.clear();
        EXPECT_EQ(BackupDataFile(target).outcome, MaintenanceOutcome::Refused) << target;
        EXPECT_EQ(messages_, std::vector<std::string>{"Cannot backup to the current data file!!"});
        EXPECT_EQ(ReadAllBytes(path_), original) << target;
    }
    fs::current_path(cwd);
}

TEST_F(CatalogueCopyTest, BackupWritesACompactCopyAndACancelLeavesTheTargetAsItWas) {
    BuildEdited();
    ClearOpenTime(path_);
    const auto original = ReadAllBytes(path_);
    const std::string target = dir_.File("backup.cd");
    std::ofstream(target) << "an older backup";
    CopyCallbacks cancel;
    cancel.cancelRequested = [] { return true; };
    EXPECT_EQ(BackupDataFile(target, cancel).outcome, MaintenanceOutcome::Cancelled);
    std::ifstream in(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "an older backup");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 2);  // no leftovers

    EXPECT_EQ(BackupDataFile(target).outcome, MaintenanceOutcome::Done);
    EXPECT_EQ(ReadAllBytes(path_), original);
    const CheckReport copy = CheckCatalogue(target);
    EXPECT_TRUE(copy.Clean());
    EXPECT_EQ(copy.cds, 2);
    EXPECT_EQ(copy.liveSpace, copy.fileLength);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 2);
}

// The catalogue a copy through the store's own append operations makes, record by record: what
// the copy must write, byte for byte but for the times of writing.
void ReferenceCopy(const std::string& from, const std::string& to) {
    classData source(from), dest(to);
    std::unordered_map<int32_t, int32_t> newIds;
    std::vector<std::pair<int32_t, int32_t>> later;
    std::vector<int32_t> cats, cds;
    for (classCat* c = &source.GetCatFirst(); !source.GetCatEof(); c = &source.GetCatNext()) cats.push_back(c->GetCatId());
    for (const int32_t id : cats) {
        CatInfo info = ReadCatInfo(source, id);
        const int32_t parent = info.CatParentId;
        info.CatParentId = newIds.count(parent) ? newIds[parent] : 0;
        newIds[id] = AddCatInfo(dest, info);
        if (parent != 0 && info.CatParentId == 0) later.emplace_back(newIds[id], parent);
    }
    for (const auto& [id, parent] : later) {
        if (newIds.count(parent)) dest.GetCatGoto(id).SetCatParentId(newIds[parent], true);
    }
    for (classCd* c = &source.GetCdFirst(); !source.GetCdEof(); c = &source.GetCdNext()) cds.push_back(c->GetCdId());
    for (const int32_t id : cds) {
        CdInfo info = ReadCdInfo(source, id);
        info.CdCategory = newIds.count(info.CdCategory) ? newIds[info.CdCategory] : 0;
        const int32_t newCd = AddCdInfo(dest, info);
        classCd& cd = source.GetCdGoto(id);
        for (classDir* d = &cd.GetDirFirst(); !cd.GetDirEof(); d = &cd.GetDirNext()) {
            const DirInfo dir{0, 0, d->GetDirName(), d->GetDirPath(), d->GetDirSize(), d->GetDirDate(), d->GetDirNotes(),
                              d->GetDirAttr(), 0, 0, 0};
            classDir& added = dest.GetCdGoto(0).GetDirGoto(AddDirInfo(dest, dir));
            added.updateDirSize(d->GetDirSize(), d->GetDirCountOfDirs(), d->GetDirCountOfFiles(),
                                d->GetDirCountOfFilesDirect());
            added.GetFileAppendStart();
            for (ClassFile* f = &d->GetFileFirst(); !d->GetFileEof(); f = &d->GetFileNext()) {
                AddFileInfo(dest, FileInfo{0, 0, 0, f->GetFileName(), f->GetFileSize(), f->GetFileDate(),
                                           f->GetFileNotes(), f->getFileAttr()});
            }
            dest.GetCdGoto(0).GetDirGoto(0).GetFileAppendFinish();
        }
        dest.GetCdCommit(newCd);
    }
}

// The file's bytes with the times of writing (the header's two dates, each category's creation)
// and the count of writes blanked out.
std::vector<unsigned char> WithoutTimes(const std::string& path) {
    std::vector<unsigned char> bytes = ReadAllBytes(path);
    auto blank = [&](size_t at) { std::fill(bytes.begin() + at, bytes.begin() + at + 8, 0); };
    blank(10);  // dataCreated
    blank(42);  // dataLastOpened
    std::fill(bytes.begin() + 50, bytes.begin() + 58, 0);  // the change counter
    classData data(path);
    for (classCat* c = &data.GetCatFirst(); !data.GetCatEof(); c = &data.GetCatNext()) blank(c->GetCatId() - 1 + 13);
    return bytes;
}

TEST_F(CatalogueCopyTest, TheCopyIsWhatTheStoresOwnAppendOperationsWrite) {
    BuildEdited();
    {
        classData data(path_);
        const int32_t early = AddCatInfo(data, CatInfo{0, "Early \xC3\xA9", "n\r\notes", 3, 0});
        const int32_t late = AddCatInfo(data, CatInfo{0, "Late", "", 0, 0});
        data.GetCatGoto(early).SetCatParentId(late, true);
        AddSampleCd(data, "Empty", {}, early);
        AddSampleCd(data, "Wide", Tree(30, 50), late, "x");
        data.GetCdGoto(a_).SetCdNotes("", true);
        SetFileNotesById(data.GetCdGoto(b_).GetDirFirst().GetFileFirst().GetFileId(), "first file");
    }
    const std::string copy = dir_.File("copy.cd"), reference = dir_.File("reference.cd");
    ASSERT_EQ(CopyCatalogue(copy), path_);
    ReferenceCopy(path_, reference);
    EXPECT_EQ(WithoutTimes(copy), WithoutTimes(reference));
    const CheckReport report = CheckCatalogue(copy);
    EXPECT_TRUE(report.Clean());
    EXPECT_EQ(report.liveSpace, report.fileLength);
    EXPECT_EQ(report.files, CheckCatalogue(path_).files);
}

TEST_F(CatalogueCopyTest, AMissingDataFileIsReportedAndNotCreated) {
    std::string error;
    EXPECT_EQ(CopyCatalogue(dir_.File("copy.cd"), {}, &error), "");
    EXPECT_NE(error.find("Karvio.cd"), std::string::npos);
    EXPECT_FALSE(fs::exists(path_));
    EXPECT_EQ(Compact().outcome, MaintenanceOutcome::Failed);
    EXPECT_FALSE(fs::exists(path_));
}

TEST(BakName, ExtensionOfTheFileNameOnly) {
    EXPECT_EQ(BakPathOf("/d/Karvio.cd"), "/d/Karvio.bak");
    EXPECT_EQ(BakPathOf("/d/data"), "/d/data.bak");
    EXPECT_EQ(BakPathOf("/home/a.b/data"), "/home/a.b/data.bak");
    EXPECT_EQ(BakPathOf("/d/old.bak"), "/d/old.bak.bak");
    EXPECT_EQ(BakPathOf("k.x.cd"), "k.x.bak");
}

}  // namespace
