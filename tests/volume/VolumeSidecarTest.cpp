// The volume identities: the older list's format read back and damaged, entries that no longer
// belong to their CD, the list taken over by the details database once, and their life with the
// catalogue: recorded by scans and rescans, carried to the new ids by compaction and backup,
// dropped with a removed CD.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/DetailsSupport.h"
#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueCopy.h"
#include "CatalogueDetails.h"
#include "Messages.h"
#include "MountTable.h"
#include "ProgramInfo.h"
#include "ScanEngine.h"
#include "TransferRecords.h"
#include "VolumeLocator.h"
#include "VolumeSidecar.h"

using namespace karvio;
using namespace karvio::testing;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

VolumeEntry Entry(int32_t cdId, std::string uuid, std::string label) {
    VolumeEntry e;
    e.cdId = cdId;
    e.lastScanned = 45000.5;
    e.files = 2;
    e.identity.uuid = std::move(uuid);
    e.identity.label = std::move(label);
    e.identity.fsType = "iso9660";
    e.identity.size = 734003200;
    e.identity.relativePath = "Photos/2001";
    e.identity.source = "/dev/sr0";
    return e;
}

TEST(SidecarFormat, OddTextsComeBackAsTheyWentAndDamageIsReportedWithoutLosingGoodLines) {
    VolumeEntries entries;
    entries[83] = Entry(83, "2026-12-07-08-04-32-00", "Tab\there\nand\\back\rslash");
    entries[500] = Entry(500, "", "Kesä 2020 自白");
    entries[500].identity.relativePath = "";
    entries[500].lastScanned = 46363.346134259256;
    const std::string text = EncodeVolumeSidecar(entries);
    const SidecarContents back = DecodeVolumeSidecar(text);
    EXPECT_EQ(back.state, SidecarState::Ok);
    ASSERT_EQ(back.entries.size(), 2u);
    EXPECT_EQ(back.entries.at(83).identity, entries[83].identity);
    EXPECT_EQ(back.entries.at(500).identity, entries[500].identity);
    EXPECT_EQ(back.entries.at(500).lastScanned, entries[500].lastScanned);

    // Not a sidecar at all, an unknown version, an empty file.
    for (const std::string bad : {"hello\n", "KarvioVolumes 2\n", ""}) {
        const SidecarContents damaged = DecodeVolumeSidecar(bad);
        EXPECT_EQ(damaged.state, SidecarState::Damaged) << bad;
        EXPECT_TRUE(damaged.entries.empty());
        EXPECT_FALSE(damaged.note.empty());
    }
    // A line with a field too few, a bad number, a bad escape, a repeated id, a line cut short.
    std::string mixed = text;
    mixed += "7\t1\t1\tu\tl\tt\t1\tp\n";
    mixed += "8\tx\t1\tu\tl\tt\t1\tp\ts\n";
    mixed += "9\t1\t1\tu\\q\tl\tt\t1\tp\ts\n";
    mixed += "83\t1\t1\tu\tl\tt\t1\tp\ts\n";
    mixed += "10\t1\t1\tu\tl\tt\t1\tp\ts";
    const SidecarContents partly = DecodeVolumeSidecar(mixed);
    EXPECT_EQ(partly.state, SidecarState::Damaged);
    EXPECT_EQ(partly.entries.size(), 2u);
    EXPECT_EQ(partly.entries.at(83).identity.uuid, "2026-12-07-08-04-32-00");
    EXPECT_NE(partly.note.find("5 lines"), std::string::npos) << partly.note;
}

class SidecarWithCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.File("Karvio.cd");
        DataFilePath = path_;
        previousSink_ = SetMessageSink([this](const std::string& text, const MsgButtonSet& set) {
            messages_.push_back(text);
            return set.buttons.size() > 1 ? vbYes : set.DefaultValue();
        });
        classData data(path_);
        a_ = AddSampleCd(data, "A", {SampleDir("", "\\", {SampleFile("a.txt", 1), SampleFile("b.txt", 2)})});
        gone_ = AddSampleCd(data, "Gone", {SampleDir("", "\\", {SampleFile("g.txt", 1)})});
        b_ = AddSampleCd(data, "B", {SampleDir("", "\\", {SampleFile("c.txt", 1), SampleFile("d.txt", 2)})});
        sidecar_ = VolumeSidecarPath(path_);
    }
    void TearDown() override {
        SetMessageSink(std::move(previousSink_));
        DataFilePath.clear();
    }
    // An entry that fits CD `id` of the sample catalogue.
    VolumeEntry Fitting(int32_t id, const std::string& uuid) {
        classData data(path_);
        VolumeEntry e = Entry(id, uuid, uuid + " label");
        e.files = data.GetCdGoto(id).GetCdNumOfFiles();
        e.lastScanned = data.GetCdGoto(id).GetCdLastScanned();
        return e;
    }
    std::map<std::string, std::string> LabelsByCdName(const std::string& dataFile) {
        classData data(dataFile);
        std::map<std::string, std::string> labels;
        for (const auto& [id, e] : RecordedVolumes(data)) labels[data.GetCdGoto(id).GetCdName()] = e.identity.uuid;
        return labels;
    }

    TempDir dir_;
    std::string path_, sidecar_;
    int32_t a_ = 0, gone_ = 0, b_ = 0;
    std::vector<std::string> messages_;
    MessageSink previousSink_;
};

TEST_F(SidecarWithCatalogue, OnlyEntriesThatStillFitTheirCdAreUsed) {
    VolumeEntries entries;
    entries[a_] = Fitting(a_, "UA");
    entries[b_] = Fitting(b_, "UB");
    entries[b_].lastScanned += 1;  // another CD now has this id
    entries[4242] = Fitting(a_, "stale");
    entries[4242].cdId = 4242;  // an id that names no listed CD (not even a record)
    // Read from an older list and, once taken over, from the database: the same answer.
    ASSERT_TRUE(WriteVolumeSidecarFile(sidecar_, entries));
    for (int pass = 0; pass < 2; ++pass) {
        classData data(path_);
        const VolumeEntries live = RecordedVolumes(data);
        ASSERT_EQ(live.size(), 1u);
        EXPECT_EQ(live.at(a_).identity.uuid, "UA");
        EXPECT_TRUE(RecordedVolumeOf(data, a_));
        EXPECT_FALSE(RecordedVolumeOf(data, b_));
        ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
        std::string note;
        EXPECT_TRUE(DetailsDatabase::OpenForWriting(data, &note)) << note;
        data.EndWrite();
    }
}

TEST_F(SidecarWithCatalogue, TheOlderListIsTakenOverOnceAndThenLeftAlone) {
    VolumeEntries entries;
    entries[a_] = Fitting(a_, "UA");
    entries[b_] = Fitting(b_, "UB");
    ASSERT_TRUE(WriteVolumeSidecarFile(sidecar_, entries));
    const std::string listed = ReadText(sidecar_);
    ASSERT_TRUE(DeleteCdById(gone_));  // a removal alone makes no database
    EXPECT_FALSE(std::filesystem::exists(DetailsDatabase::PathFor(path_)));
    ASSERT_TRUE(RecordVolumeForTest(path_, Fitting(b_, "UB2")));
    EXPECT_EQ(ReadText(sidecar_), listed) << "the older list is never written";
    // What the list says from now on no longer counts.
    ASSERT_TRUE(WriteVolumeSidecarFile(sidecar_, {{a_, Fitting(a_, "CHANGED")}}));
    EXPECT_EQ(LabelsByCdName(path_), (std::map<std::string, std::string>{{"A", "UA"}, {"B", "UB2"}}));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(SidecarWithCatalogue, ADamagedListOrDatabaseCostsOnlyIdentities) {
    classData data(path_);
    std::string note = "x";
    EXPECT_TRUE(RecordedVolumes(data, &note).empty());
    EXPECT_EQ(note, "");

    std::ofstream(sidecar_) << "garbage\x01\x02";
    EXPECT_TRUE(RecordedVolumes(data, &note).empty());
    EXPECT_NE(note.find(sidecar_), std::string::npos) << note;
    EXPECT_EQ(data.GetCdCount(), 3);

    // The database that takes over says what it could not read, and leaves the list as it was.
    ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForWriting(data, &note);
    data.EndWrite();
    ASSERT_TRUE(db);
    EXPECT_NE(note.find("could not be read"), std::string::npos) << note;
    EXPECT_EQ(ReadText(sidecar_), "garbage\x01\x02");
    db.reset();

    // A damaged database is named to readers, and set aside by the next writer.
    const std::string dbPath = DetailsDatabase::PathFor(path_);
    std::ofstream(dbPath, std::ios::trunc) << std::string(4096, 'Z');
    EXPECT_TRUE(RecordedVolumes(data, &note).empty());
    EXPECT_NE(note.find(dbPath), std::string::npos) << note;
    ASSERT_TRUE(RecordVolumeForTest(path_, Fitting(a_, "UA")));
    EXPECT_EQ(ReadText(dbPath + ".damaged"), std::string(4096, 'Z'));
    EXPECT_EQ(LabelsByCdName(path_), (std::map<std::string, std::string>{{"A", "UA"}}));
}

TEST_F(SidecarWithCatalogue, ARemovedCdTakesItsIdentityAndARescanReplacesIt) {
    ASSERT_TRUE(RecordVolumeForTest(path_, Fitting(a_, "UA")));
    ASSERT_TRUE(RecordVolumeForTest(path_, Fitting(gone_, "UG")));
    ASSERT_TRUE(DeleteCdById(gone_));
    classData data(path_);
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data);
    ASSERT_TRUE(db);
    EXPECT_FALSE(db->Cd(gone_));
    EXPECT_TRUE(db->Cd(a_));
}

TEST_F(SidecarWithCatalogue, CompactionMovesIdentitiesToTheNewIdsAndTheBakKeepsItsOwn) {
    ASSERT_TRUE(DeleteCdById(gone_));
    ASSERT_TRUE(RecordVolumeForTest(path_, Fitting(a_, "UA")));
    ASSERT_TRUE(RecordVolumeForTest(path_, Fitting(b_, "UB")));
    const MaintenanceResult result = CompactDataFiles({}, dir_.File("reports"));
    ASSERT_EQ(result.outcome, MaintenanceOutcome::Done) << result.error;
    EXPECT_EQ(result.error, "");
    const std::map<std::string, std::string> expected{{"A", "UA"}, {"B", "UB"}};
    EXPECT_EQ(LabelsByCdName(path_), expected);
    {
        classData data(path_);
        std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data);
        ASSERT_TRUE(db);
        EXPECT_FALSE(db->Cd(b_)) << "ids were not remapped";
    }
    EXPECT_EQ(LabelsByCdName(result.bakFile), expected);
}

TEST_F(SidecarWithCatalogue, CompactionTakesOverAnOlderList) {
    ASSERT_TRUE(WriteVolumeSidecarFile(sidecar_, {{b_, Fitting(b_, "UB")}}));
    const MaintenanceResult result = CompactDataFiles({}, dir_.File("reports"));
    ASSERT_EQ(result.outcome, MaintenanceOutcome::Done) << result.error;
    EXPECT_EQ(LabelsByCdName(path_), (std::map<std::string, std::string>{{"B", "UB"}}));
}

TEST_F(SidecarWithCatalogue, ABackupCarriesItsIdentitiesAndReplacesOnesLeftBesideTheTarget) {
    ASSERT_TRUE(DeleteCdById(gone_));
    const std::string target = dir_.File("backup.cd");
    // An older list and a database of an earlier, unrelated file of that name.
    VolumeEntries leftover;
    leftover[1] = Entry(1, "OLD", "OLD");
    ASSERT_TRUE(WriteVolumeSidecarFile(VolumeSidecarPath(target), leftover));
    std::ofstream(DetailsDatabase::PathFor(target)) << "old";

    const MaintenanceResult none = BackupDataFile(target);
    ASSERT_EQ(none.outcome, MaintenanceOutcome::Done) << none.error;
    EXPECT_FALSE(std::filesystem::exists(VolumeSidecarPath(target)));
    EXPECT_FALSE(std::filesystem::exists(DetailsDatabase::PathFor(target)));

    // From an older list not yet taken over, and from the database.
    ASSERT_TRUE(WriteVolumeSidecarFile(sidecar_, {{b_, Fitting(b_, "UB")}}));
    for (int pass = 0; pass < 2; ++pass) {
        const MaintenanceResult result = BackupDataFile(target);
        ASSERT_EQ(result.outcome, MaintenanceOutcome::Done) << result.error;
        EXPECT_EQ(LabelsByCdName(target), (std::map<std::string, std::string>{{"B", "UB"}}));
        EXPECT_EQ(LabelsByCdName(path_), (std::map<std::string, std::string>{{"B", "UB"}}));
        ASSERT_TRUE(RecordVolumeForTest(path_, Fitting(b_, "UB")));
    }
}

// The scan records the volume it walked; a rescan's new CD takes over from the old one.
TEST_F(SidecarWithCatalogue, ScansAndRescansRecordTheScannedVolume) {
    const std::string tree = dir_.File("disc");
    std::filesystem::create_directories(tree + "/Photos");
    std::ofstream(tree + "/Photos/beach.jpg") << "sand";
    std::filesystem::create_directories(dir_.File("uuid"));
    std::filesystem::create_directory_symlink("../../sr0", dir_.File("uuid/2026-12-07-10-00-00-00"));
    std::ofstream(dir_.File("mountinfo")) << "1 0 254:0 / / rw - ext4 /dev/vda rw\n"
                                          << "60 1 11:0 / " << tree << " ro - iso9660 /dev/sr0 ro\n";
    VolumeSources sources;
    sources.mountInfo = dir_.File("mountinfo");
    sources.labelDir = dir_.File("no-labels");
    sources.sysDevBlock = dir_.File("no-sys");
    sources.uuidDir = dir_.File("uuid");
    ScopedVolumeSources scoped(sources);
    ForgetVolumeProbes();

    ScanEngine engine;
    engine.SetVars(0, tree + "/Photos/", "Photos", "", "DISC", 0);
    int32_t first = 0;
    engine.ScanCd(first);
    ASSERT_GT(first, 0);
    {
        classData data(path_);
        const std::optional<VolumeIdentity> id = RecordedVolumeOf(data, first);
        ASSERT_TRUE(id);
        EXPECT_EQ(id->uuid, "2026-12-07-10-00-00-00");
        EXPECT_EQ(id->fsType, "iso9660");
        EXPECT_EQ(id->relativePath, "Photos");
    }
    engine.SetVars(first, tree + "/Photos/", "Photos", "", "DISC", 0);
    int32_t second = 0;
    engine.ScanCd(second);
    ASSERT_GT(second, 0);
    {
        classData data(path_);
        std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data);
        ASSERT_TRUE(db);
        EXPECT_FALSE(db->Cd(first));
        ASSERT_TRUE(db->Cd(second));
        EXPECT_EQ(db->Cd(second)->volume->uuid, "2026-12-07-10-00-00-00");
    }
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    ForgetVolumeProbes();
}

}  // namespace
