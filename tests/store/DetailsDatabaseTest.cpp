// The details database beside a catalogue: rows read back as written, a file that is not the
// catalogue's own (another catalogue's, damaged, not a regular file) never used and set aside by
// the next writer, and the upkeep: removal, compaction (also killed half way), backup and check.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueCheck.h"
#include "CatalogueCopy.h"
#include "CatalogueDetails.h"
#include "DetailsDatabase.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "Records.h"
#include "TransferRecords.h"

using namespace karvio;
using namespace karvio::testing;
namespace fs = std::filesystem;

namespace {

// Details that tell their file apart: the title is the file's name.
FileDetails DetailsOf(int32_t fileId, int32_t cdId, const std::string& name, double size, double date) {
    FileDetails d;
    d.fileId = fileId;
    d.cdId = cdId;
    d.nameHash = DetailsNameHash(name);
    d.size = size;
    d.date = date;
    d.media.kind = MediaKind::Audio;
    d.media.title = name;
    d.media.artist = "Kesä 自白";
    d.media.duration = 187.5;
    if (!name.ends_with(".zip")) d.hash = HashBytes(name);
    if (name.ends_with(".zip")) {
        d.isArchive = true;
        d.memberCount = 2;
    }
    return d;
}

std::vector<ArchiveMember> MembersOf(const std::string& name) {
    if (!name.ends_with(".zip")) return {};
    return {{"docs/", 0, 0, true}, {"docs/" + name + ".txt", 12, 45000.5, false}};
}

class DetailsTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.File("Karvio.cd");
        DataFilePath = path_;
        previousSink_ = SetMessageSink([this](const std::string& text, const MsgButtonSet& set) {
            messages_.push_back(text);
            return set.buttons.size() > 1 ? vbYes : set.DefaultValue();
        });
        classData data(path_);
        a_ = AddSampleCd(data, "A", {{"", "\\", {{"one.mp3", 10}, {"two.zip", 20}}}, {"Sub", "\\", {{"three.mp3", 3}}}});
        gone_ = AddSampleCd(data, "Gone", {{"", "\\", {{"gone.mp3", 1}}}});
        b_ = AddSampleCd(data, "B", {{"", "\\", {{"four.zip", 4}, {"plain.txt", 5}}}});
    }
    void TearDown() override {
        SetMessageSink(std::move(previousSink_));
        SetRenameFunction({});
        DataFilePath.clear();
    }

    // The files of a catalogue by name.
    std::map<std::string, FileInfo> Files(const std::string& dataFile) {
        classData data(dataFile);
        std::vector<int32_t> cds;
        for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) cds.push_back(cd->GetCdId());
        std::map<std::string, FileInfo> files;
        for (int32_t id : cds) {
            classCd& cd = data.GetCdGoto(id);
            for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
                for (ClassFile* f = &dir->GetFileFirst(); !dir->GetFileEof(); f = &dir->GetFileNext()) {
                    files[f->GetFileName()] = ReadFileInfo(data, f->GetFileId());
                }
            }
        }
        return files;
    }
    static FileDetails DetailsOf(const FileInfo& f) {
        return ::DetailsOf(f.FileId, f.FileCdId, f.FileName, f.FileSize, f.FileDate);
    }

    // Records every file of the catalogue except plain.txt, as a scan with details would.
    void RecordAll() {
        classData data(path_);
        ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
        std::string note;
        std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForWriting(data, &note);
        ASSERT_TRUE(db) << note;
        ASSERT_TRUE(db->Begin());
        for (int32_t cd : {a_, gone_, b_}) {
            const CdInfo info = ReadCdInfo(data, cd);
            DetailsCd row{cd, info.CdLastScanned, info.CdNumOfFiles, kScanAllDetails, std::nullopt};
            ASSERT_TRUE(db->PutCd(row));
        }
        for (const auto& [name, file] : Files(path_)) {
            if (name == "plain.txt") continue;
            ASSERT_TRUE(db->PutFile(DetailsOf(file), MembersOf(name), "thumb of " + name));
        }
        ASSERT_TRUE(db->Commit());
        data.EndWrite();
    }

    // The details every file of the catalogue shows now, by name; a file showing another file's
    // details fails the test.
    std::map<std::string, FileDetails> Shown(const std::string& dataFile) {
        std::map<std::string, FileDetails> shown;
        classData data(dataFile);
        std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data);
        if (!db) return shown;
        for (const auto& [name, file] : Files(dataFile)) {
            std::optional<FileDetails> d = RecordedFileDetails(*db, data, file);
            if (!d) continue;
            EXPECT_EQ(d->media.title, name);
            if (d->hash) {
                EXPECT_EQ(*d->hash, HashBytes(name)) << name;
            }
            EXPECT_EQ(db->Members(file.FileId), MembersOf(name)) << name;
            EXPECT_EQ(db->Thumbnail(file.FileId), "thumb of " + name);
            shown[name] = *d;
        }
        return shown;
    }

    CheckReport Check(const std::string& dataFile) {
        CheckReport report = CheckCatalogue(dataFile);
        if (report.Clean()) CheckCatalogueDetails(dataFile, report);
        return report;
    }

    TempDir dir_;
    std::string path_;
    int32_t a_ = 0, gone_ = 0, b_ = 0;
    std::vector<std::string> messages_;
    MessageSink previousSink_;
};

TEST_F(DetailsTest, RowsComeBackAsWrittenAndCopyDropAndLeftoversWork) {
    RecordAll();
    const auto files = Files(path_);
    const auto shown = Shown(path_);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown.at("one.mp3").media, DetailsOf(files.at("one.mp3")).media);
    EXPECT_TRUE(shown.at("two.zip").isArchive);

    classData data(path_);
    ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
    std::string note;
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForWriting(data, &note);
    ASSERT_TRUE(db);
    EXPECT_EQ(note, "");
    // A rescan's unchanged file takes its details to its new id.
    const int32_t fresh = static_cast<int32_t>(data.File()->Length()) + 500;
    ASSERT_TRUE(db->CopyFiles({{files.at("two.zip").FileId, fresh}}, 77));
    ASSERT_TRUE(db->File(fresh));
    EXPECT_EQ(db->File(fresh)->cdId, 77);
    EXPECT_EQ(db->Members(fresh), MembersOf("two.zip"));
    EXPECT_EQ(db->Thumbnail(fresh), "thumb of two.zip");
    // Rows beyond the end of the file are leftovers of space given back; the members and
    // thumbnail the leftover shared stay with their own file.
    ASSERT_TRUE(db->DropBeyond(data.File()->Length()));
    EXPECT_FALSE(db->File(fresh));
    EXPECT_TRUE(db->File(files.at("two.zip").FileId));
    EXPECT_EQ(db->Members(files.at("two.zip").FileId), MembersOf("two.zip"));
    EXPECT_EQ(db->CountMembers(), 4);
    // A CD's details go with it, but what a file of another CD shares stays with that file.
    const int32_t copy = files.at("plain.txt").FileId;
    ASSERT_TRUE(db->CopyFiles({{files.at("two.zip").FileId, copy}}, b_));
    ASSERT_TRUE(db->DropCd(a_));
    EXPECT_FALSE(db->Cd(a_));
    EXPECT_TRUE(db->FileIdsOfCd(a_).empty());
    EXPECT_EQ(db->FileIds().size(), 3u);
    EXPECT_EQ(db->Members(copy), MembersOf("two.zip"));
    EXPECT_EQ(db->Thumbnail(copy), "thumb of two.zip");
    EXPECT_EQ(db->FileIdsOfCdBetween(b_, copy, copy, true), std::vector<int32_t>{copy});
    std::vector<int32_t> listed;
    db->ForEachMember(b_, [&](int32_t fileId, const ArchiveMember&) {
        listed.push_back(fileId);
        return true;
    });
    EXPECT_EQ(std::count(listed.begin(), listed.end(), copy), 2);
    EXPECT_EQ(listed.size(), 4u);
    // Dropped by its last CD, nothing of it is left.
    ASSERT_TRUE(db->DropCd(b_));
    EXPECT_EQ(db->CountMembers(), 0);
    EXPECT_EQ(db->CountThumbnails(), 1) << "gone.mp3's";
    data.EndWrite();
}

TEST_F(DetailsTest, ADatabaseOfTheFirstSchemaIsReadAsItIsAndItsFirstWriterBringsItUpToDate) {
    RecordAll();
    const std::string db = DetailsDatabase::PathFor(path_);
    {
        // What the first schema wrote: the same rows without content hashes, each file keeping
        // its own members and thumbnail, found by CD.
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(db.c_str(), &raw), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(raw,
                               "DROP INDEX files_by_origin; ALTER TABLE files DROP COLUMN origin_id; "
                               "ALTER TABLE files DROP COLUMN hash; CREATE INDEX members_by_cd ON members(cd_id); "
                               "CREATE INDEX thumbnails_by_cd ON thumbnails(cd_id); PRAGMA user_version=1",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK)
            << sqlite3_errmsg(raw);
        sqlite3_close(raw);
    }
    const std::vector<unsigned char> older = ReadAllBytes(db);
    auto shown = Shown(path_);
    EXPECT_EQ(shown.size(), 5u);
    for (const auto& [name, d] : shown) EXPECT_FALSE(d.hash) << name;
    EXPECT_EQ(ReadAllBytes(db), older) << "readers change nothing";
    EXPECT_TRUE(Check(path_).Clean());

    // A backup taken from it carries every row.
    const std::string copy = dir_.File("copy.cd");
    const MaintenanceResult backup = BackupDataFile(copy);
    ASSERT_EQ(backup.outcome, MaintenanceOutcome::Done) << backup.error;
    EXPECT_EQ(Shown(copy).size(), 5u);

    {
        classData data(path_);
        ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
        std::string note;
        std::unique_ptr<DetailsDatabase> writer = DetailsDatabase::OpenForWriting(data, &note);
        ASSERT_TRUE(writer) << note;
        EXPECT_EQ(note, "");
        FileInfo one = Files(path_).at("one.mp3");
        FileDetails d = DetailsOf(one);
        ASSERT_TRUE(writer->PutFile(d, {}, "thumb of one.mp3")) << writer->Error();
        data.EndWrite();
    }
    shown = Shown(path_);
    EXPECT_EQ(shown.size(), 5u) << "no row lost";
    EXPECT_EQ(shown.at("one.mp3").hash, HashBytes("one.mp3"));
    EXPECT_FALSE(shown.at("three.mp3").hash);
    EXPECT_FALSE(fs::exists(db + ".damaged"));
    EXPECT_TRUE(Check(path_).Clean());
    // Each upgraded file is the origin of its own members: removing a CD takes exactly its own.
    classData data(path_);
    ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
    std::string note;
    std::unique_ptr<DetailsDatabase> writer = DetailsDatabase::OpenForWriting(data, &note);
    ASSERT_TRUE(writer) << note;
    ASSERT_TRUE(writer->DropCd(a_));
    EXPECT_EQ(writer->CountMembers(), 2);
    EXPECT_EQ(writer->Members(Files(path_).at("four.zip").FileId), MembersOf("four.zip"));
    data.EndWrite();
}

TEST_F(DetailsTest, ARowCountsOnlyWhileItsCdIsAsItWasRecorded) {
    RecordAll();
    {
        classData data(path_);
        CdInfo a = ReadCdInfo(data, a_);
        a.CdLastScanned += 1;  // scanned again by a program that knows nothing of the details
        UpdateCdInfo(data, a);
    }
    const auto shown = Shown(path_);
    EXPECT_EQ(shown.count("one.mp3"), 0u);
    EXPECT_EQ(shown.count("four.zip"), 1u);
}

TEST_F(DetailsTest, AnotherCatalogueFilesDatabaseIsNeverUsedAndIsSetAside) {
    RecordAll();
    const std::string db = DetailsDatabase::PathFor(path_);
    // The catalogue made anew under the same name.
    fs::remove(path_);
    {
        classData data(path_);
        AddSampleCd(data, "New", {{"", "\\", {{"one.mp3", 10}}}});
    }
    // Made at another time than the first one (the test runs within a second).
    {
        std::vector<unsigned char> bytes = ReadAllBytes(path_);
        HeaderRecord header;
        header.Decode(bytes.data());
        header.dataCreated += 1;
        header.Encode(bytes.data());
        WriteAllBytes(path_, bytes);
    }
    std::string note;
    {
        classData data(path_);
        EXPECT_FALSE(DetailsDatabase::OpenForReading(data, &note));
        EXPECT_NE(note.find("another catalogue"), std::string::npos) << note;
        EXPECT_TRUE(Shown(path_).empty());
        ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
        ASSERT_TRUE(DetailsDatabase::OpenForWriting(data, &note));
        data.EndWrite();
    }
    EXPECT_NE(note.find(".damaged"), std::string::npos) << note;
    EXPECT_TRUE(fs::exists(db + ".damaged"));
    EXPECT_TRUE(Check(path_).Clean());
}

TEST_F(DetailsTest, OnlyARegularFileIsOpenedAndNothingWaitsOnAPipe) {
    RecordAll();
    const std::string db = DetailsDatabase::PathFor(path_);
    fs::rename(db, dir_.File("real.db"));
    // A link to a real database is not followed; a pipe is not opened.
    fs::create_symlink(dir_.File("real.db"), db);
    EXPECT_TRUE(Shown(path_).empty());
    fs::remove(db);
    ASSERT_EQ(::mkfifo(db.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    std::string note;
    {
        classData data(path_);
        EXPECT_FALSE(DetailsDatabase::OpenForReading(data, &note));
        EXPECT_NE(note.find("not a regular file"), std::string::npos) << note;
        const CheckReport report = Check(path_);
        EXPECT_FALSE(report.Clean());
        // The next writer puts the pipe aside and starts anew.
        ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
        EXPECT_TRUE(DetailsDatabase::OpenForWriting(data, &note));
        data.EndWrite();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    struct stat st {};
    ASSERT_EQ(::lstat((db + ".damaged").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::lstat(db.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST_F(DetailsTest, RemovalCompactionAndBackupKeepTheDetailsInStep) {
    RecordAll();
    ASSERT_TRUE(DeleteCdById(gone_));
    auto expected = Shown(path_);
    ASSERT_EQ(expected.count("gone.mp3"), 0u);
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_TRUE(Check(path_).Clean());

    const MaintenanceResult compacted = CompactDataFiles({}, dir_.path().string());
    ASSERT_EQ(compacted.outcome, MaintenanceOutcome::Done) << compacted.error;
    EXPECT_EQ(compacted.error, "");
    EXPECT_NE(Files(path_).at("four.zip").FileId, Files(compacted.bakFile).at("four.zip").FileId) << "the ids moved";
    EXPECT_EQ(Shown(path_).size(), 4u);
    EXPECT_EQ(Shown(compacted.bakFile).size(), 4u);
    const CheckReport report = Check(path_);
    EXPECT_TRUE(report.Clean()) << report.problems.front();
    EXPECT_FALSE(fs::exists(DetailsDatabase::PathFor(path_) + "-journal"));
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("~Temp_")) << entry.path();
    }

    const std::string target = dir_.File("copy.cd");
    const MaintenanceResult backup = BackupDataFile(target);
    ASSERT_EQ(backup.outcome, MaintenanceOutcome::Done) << backup.error;
    const auto copied = Shown(target);
    EXPECT_EQ(copied.size(), 4u);
    EXPECT_EQ(copied.at("one.mp3").hash, HashBytes("one.mp3")) << "content hashes go with their files";
    EXPECT_TRUE(Check(target).Clean());
}

TEST_F(DetailsTest, CheckNamesRowsThatBelongToNoFile) {
    RecordAll();
    {
        classData data(path_);
        ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
        std::string note;
        std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForWriting(data, &note);
        FileDetails stray = ::DetailsOf(b_ + 1, b_, "stray.mp3", 1, 1);  // the id of a directory, not a file
        ASSERT_TRUE(db->PutFile(stray, {}, {}));
        FileDetails lying = DetailsOf(Files(path_).at("four.zip"));
        lying.memberCount = 9;
        ASSERT_TRUE(db->PutFile(lying, MembersOf("four.zip"), "x"));
        data.EndWrite();
    }
    const CheckReport report = Check(path_);
    ASSERT_EQ(report.problems.size(), 2u);
    EXPECT_NE(report.problems[0].find("counts 9 members, 2 are recorded"), std::string::npos) << report.problems[0];
    EXPECT_NE(report.problems[1].find("name no file"), std::string::npos) << report.problems[1];

    // A damaged file is a problem of the check; a missing one only a note.
    std::ofstream(DetailsDatabase::PathFor(path_), std::ios::trunc) << std::string(8192, '\1');
    EXPECT_FALSE(Check(path_).Clean());
    fs::remove(DetailsDatabase::PathFor(path_));
    EXPECT_TRUE(Check(path_).Clean());
}

// A compaction killed anywhere leaves a complete data file whose files show their own details,
// never another file's and none lost, also after the next compaction: killed after its copy took
// the data file's name, the copy's details wait under the copy's work name, where readers find
// them and the next writer puts them back.
TEST_F(DetailsTest, AKilledCompactionNeverShowsAFileAnotherFilesDetails) {
    RecordAll();
    ASSERT_TRUE(DeleteCdById(gone_));
    const auto original = ReadAllBytes(path_);
    const std::string db = DetailsDatabase::PathFor(path_);
    std::ifstream in(db, std::ios::binary);
    const std::string originalDb((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    struct Point {
        int killAtFile;
        int killAtRename;  // as in the catalogue's own test: > 0 before that rename, < 0 after it
    };
    for (const Point point : {Point{2, 0}, Point{0, 1}, Point{0, -1}, Point{0, 2}, Point{0, -2}}) {
        SCOPED_TRACE(std::to_string(point.killAtFile) + "/" + std::to_string(point.killAtRename));
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
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_TRUE(Check(path_).Clean());
        EXPECT_EQ(Shown(path_).size(), 4u);  // fails on any file that shows another's details
        const MaintenanceResult again = CompactDataFiles({}, dir_.path().string());
        ASSERT_EQ(again.outcome, MaintenanceOutcome::Done) << again.error;
        EXPECT_EQ(again.error, "");
        EXPECT_EQ(Shown(path_).size(), 4u);
        EXPECT_TRUE(Check(path_).Clean());

        WriteAllBytes(path_, original);
        std::ofstream(db, std::ios::binary | std::ios::trunc) << originalDb;
        fs::remove(db + ".damaged");
    }
}

}  // namespace

// A writer killed inside a transaction leaves its journal beside the database: the next reader
// puts the pages back and sees what was there before, and the check stays clean.
TEST_F(DetailsTest, AWriterKilledInsideATransactionLeavesTheDetailsAsTheyWere) {
    RecordAll();
    const auto before = Shown(path_);
    ASSERT_FALSE(before.empty());
    const std::string journal = DetailsDatabase::PathFor(path_) + "-journal";
    const pid_t child = ::fork();
    if (child == 0) {
        classData data(path_);
        if (data.BeginWrite() != WriteAccess::Granted) ::_exit(2);
        std::string note;
        std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForWriting(data, &note);
        if (!db || !db->Begin()) ::_exit(3);
        // More than the connection's page cache holds, so pages reach the file before the end.
        const std::string big(256 * 1024, 'x');
        for (const auto& [name, file] : Files(path_)) {
            FileDetails changed = DetailsOf(file);
            changed.media.title = "changed";
            if (!db->PutFile(changed, {}, big)) ::_exit(4);
        }
        for (int32_t k = 1; k <= 40; ++k) {
            if (!db->PutFile(::DetailsOf(1000000 + k, a_, "filler", 1, 1), {}, big)) ::_exit(5);
        }
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended with " << WEXITSTATUS(status);
    ASSERT_TRUE(fs::exists(journal)) << "the killed writer left no journal";
    const auto after = Shown(path_);
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [name, details] : after) EXPECT_EQ(details.media.title, name);
    EXPECT_FALSE(fs::exists(journal));
    const CheckReport report = Check(path_);
    EXPECT_TRUE(report.Clean()) << (report.problems.empty() ? "" : report.problems.front());
}
