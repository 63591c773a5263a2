// Damage is found before it spreads: opening refuses a catalogue whose header and list ends are
// damaged, and says so with its name; backup and compaction check all they copy and refuse a
// damaged catalogue without changing anything, unless asked to salvage, which keeps the damaged
// file under a new name and the "bak" copy as it was; the opening check, the copy and the full
// check agree. Tested on real catalogue files with bytes zeroed, flipped and cut.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueCheck.h"
#include "CatalogueCopy.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "TransferRecords.h"
#include "classData.h"

using namespace karvio;
using karvio::testing::BuildSampleCatalogue;
using karvio::testing::ReadAllBytes;
using karvio::testing::TempDir;
using karvio::testing::WriteAllBytes;

namespace {

using Bytes = std::vector<unsigned char>;

void PutLong(Bytes& bytes, size_t at, int32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

// Everything a user sees of a catalogue, without its ids: categories with their parents' names,
// CDs in order with their category's name, each directory and file with its texts and figures.
std::string Contents(const std::string& path) {
    classData data(path, classData::ForSalvage{});
    std::ostringstream out;
    std::map<int32_t, std::string> names;
    std::vector<CatInfo> cats;
    for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext()) {
        cats.push_back(ReadCatInfo(data, cat->GetCatId()));
        names[cats.back().CatId] = cats.back().CatName;
    }
    for (const CatInfo& c : cats) {
        out << "cat " << c.CatName << "|" << c.CatNotes << "|" << c.CatImageId << "|" << names[c.CatParentId] << "\n";
    }
    std::vector<int32_t> cds;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) cds.push_back(cd->GetCdId());
    for (const int32_t id : cds) {
        const CdInfo cd = ReadCdInfo(data, id);
        out << "cd " << cd.CdName << "|" << cd.CdNotes << "|" << cd.CdLabel << "|" << cd.CdBasepath << "|"
            << names[cd.CdCategory] << "|" << cd.CdTotalSize << "|" << cd.CdNumOfFiles << "\n";
        classCd& c = data.GetCdGoto(id);
        for (classDir* dir = &c.GetDirFirst(); !c.GetDirEof(); dir = &c.GetDirNext()) {
            out << " dir " << dir->GetDirFullName() << "|" << dir->GetDirNotes() << "|" << dir->GetDirSize() << "\n";
            for (ClassFile* file = &dir->GetFileFirst(); !dir->GetFileEof(); file = &dir->GetFileNext()) {
                out << "  file " << file->GetFileName() << "|" << file->GetFileNotes() << "|" << file->GetFileSize()
                    << "\n";
            }
        }
    }
    return out.str();
}

class DamageTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.File("Karvio.cd");
        DataFilePath = path_;
        {
            classData data(path_);
            BuildSampleCatalogue(data);
        }
        clean_ = ReadAllBytes(path_);
        previousSink_ = SetMessageSink([](const std::string&, const MsgButtonSet&) { return int{vbYes}; });
    }
    void TearDown() override {
        SetMessageSink(previousSink_);
        DataFilePath.clear();
    }

    // The header's field at `offset` set to `value` in the data file.
    void DamageHeader(size_t offset, int32_t value) {
        Bytes bytes = clean_;
        PutLong(bytes, offset, value);
        WriteAllBytes(path_, bytes);
    }

    TempDir dir_;
    std::string path_;
    Bytes clean_;
    MessageSink previousSink_;
};

TEST_F(DamageTest, OpeningRefusesADamagedCatalogueByNameAndTheCheckAgrees) {
    HeaderRecord header;
    header.Decode(clean_.data());
    const int64_t length = static_cast<int64_t>(clean_.size());
    struct Case {
        const char* what;
        size_t offset;
        int32_t value;
    };
    const Case cases[] = {
        {"CD list's last outside the file", 22, static_cast<int32_t>(length + 10)},
        {"CD list's first is not a CD", 18, header.dataCatFirstRecord},
        {"CD count past what the file holds", 34, 1 << 30},
        {"CD count without a list", 34, 0},
        {"category list's last zeroed", 30, 0},
        {"category list's first in the middle of a record", 26, header.dataCatFirstRecord + 4},
        {"live space past the file's end", 66, static_cast<int32_t>(length + 1)},
    };
    for (const Case& c : cases) {
        DamageHeader(c.offset, c.value);
        const Bytes before = ReadAllBytes(path_);
        classData data(path_);
        EXPECT_FALSE(data.IsOpen()) << c.what;
        EXPECT_EQ(data.GetError(), kErrorDamaged) << c.what;
        EXPECT_NE(DataFileErrorText(kErrorDamaged, data.GetOpenErrorText()).find(path_), std::string::npos) << c.what;
        EXPECT_NE(DataFileErrorText(kErrorDamaged, data.GetOpenErrorText()).find("damaged"), std::string::npos);
        EXPECT_FALSE(CheckCatalogue(path_).Clean()) << c.what;
        EXPECT_EQ(ReadAllBytes(path_), before) << c.what;
    }
    // A file cut short anywhere after its header.
    for (const size_t cut : {clean_.size() - 1, clean_.size() / 2, size_t{90}}) {
        WriteAllBytes(path_, Bytes(clean_.begin(), clean_.begin() + static_cast<ptrdiff_t>(cut)));
        classData data(path_);
        EXPECT_EQ(data.GetError(), kErrorDamaged) << cut;
        EXPECT_FALSE(CheckCatalogue(path_).Clean()) << cut;
    }
    // The sound file opens, and opening it writes nothing at all.
    WriteAllBytes(path_, clean_);
    { classData data(path_); EXPECT_TRUE(data.IsOpen()); }
    EXPECT_EQ(ReadAllBytes(path_), clean_);
}

TEST_F(DamageTest, CompactionAndBackupRefuseDamageAndSalvageOnlyWhenAsked) {
    // A good "bak" copy from an earlier compaction of the sound file.
    ASSERT_EQ(CompactDataFiles({}, dir_.path().string()).outcome, MaintenanceOutcome::Done);
    const std::string bak = BakPathOf(path_);
    const Bytes goodBak = ReadAllBytes(bak);
    const Bytes sound = ReadAllBytes(path_);
    const std::string before = Contents(path_);

    // The second category's back link zeroed: its walk breaks off, and with it Jazz, Alpha's
    // category.
    HeaderRecord header;
    header.Decode(sound.data());
    Bytes damaged = sound;
    PutLong(damaged, static_cast<size_t>(header.dataCatLastRecord - 1 + 9), 0);
    WriteAllBytes(path_, damaged);
    ASSERT_FALSE(CheckCatalogue(path_).Clean());

    // The copy runs beside the check: a refusal leaves no copy, work file or details behind.
    const auto names = [this] {
        std::set<std::string> listed;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
            listed.insert(entry.path().filename().string());
        }
        return listed;
    };
    const std::set<std::string> namesBefore = names();
    const std::string target = dir_.File("backup.cd");
    MaintenanceResult backup = BackupDataFile(target);
    EXPECT_EQ(backup.outcome, MaintenanceOutcome::Damaged);
    EXPECT_FALSE(backup.damage.problems.empty());
    EXPECT_FALSE(std::filesystem::exists(target));
    MaintenanceResult compact = CompactDataFiles({}, dir_.path().string());
    EXPECT_EQ(compact.outcome, MaintenanceOutcome::Damaged);
    EXPECT_EQ(ReadAllBytes(path_), damaged);
    EXPECT_EQ(ReadAllBytes(bak), goodBak);
    EXPECT_EQ(SalvageLossText(compact.damage), "1 category");
    EXPECT_EQ(names(), namesBefore);

    // Asked to salvage: what can be read makes a sound catalogue; the damaged file keeps a
    // dated name of its own and the "bak" copy is left alone.
    backup = BackupDataFile(target, {}, true);
    ASSERT_EQ(backup.outcome, MaintenanceOutcome::Done) << backup.error;
    EXPECT_TRUE(backup.salvaged);
    EXPECT_TRUE(CheckCatalogue(target).Clean());
    EXPECT_EQ(BackupDataFile(target, {}, true).outcome, MaintenanceOutcome::Failed);  // never over a file
    compact = CompactDataFiles({}, dir_.path().string(), true, true);
    ASSERT_EQ(compact.outcome, MaintenanceOutcome::Done) << compact.error;
    EXPECT_TRUE(compact.salvaged);
    EXPECT_NE(compact.bakFile, bak);
    EXPECT_NE(compact.bakFile.find("Karvio.damaged-"), std::string::npos);
    EXPECT_EQ(ReadAllBytes(compact.bakFile), damaged);
    EXPECT_EQ(ReadAllBytes(bak), goodBak);
    const CheckReport report = CheckCatalogue(path_);
    EXPECT_TRUE(report.Clean());
    EXPECT_EQ(report.categories, 1);
    EXPECT_EQ(report.cds, 3);
    EXPECT_EQ(report.files, 6);
    EXPECT_NE(Contents(path_), before);  // Alpha lost its category: said, not hidden
}

TEST_F(DamageTest, ASweepOfDamagedFilesNeverLosesDataQuietly) {
    // Every fourth byte position zeroed or flipped, and the file cut at a few places: whatever
    // the check calls sound is copied whole, and whatever it calls damaged is refused unchanged.
    const std::string target = dir_.File("sweep-backup.cd");
    const std::string contents = Contents(path_);
    int refused = 0, copied = 0;
    const auto attempt = [&](const Bytes& bytes, const std::string& what) {
        WriteAllBytes(path_, bytes);
        std::filesystem::remove(target);
        const bool clean = CheckCatalogue(path_).Clean();
        const MaintenanceResult result = BackupDataFile(target);
        if (result.outcome == MaintenanceOutcome::Done) {
            ++copied;
            EXPECT_TRUE(clean) << what;
            EXPECT_EQ(Contents(target), Contents(path_)) << what;
            EXPECT_TRUE(CheckCatalogue(target).Clean()) << what;
        } else {
            ++refused;
            EXPECT_FALSE(clean) << what << ": " << result.error;
            EXPECT_EQ(result.outcome, MaintenanceOutcome::Damaged) << what << ": " << result.error;
            EXPECT_FALSE(std::filesystem::exists(target)) << what;
        }
        EXPECT_EQ(ReadAllBytes(path_), bytes) << what;
    };
    for (size_t at = HeaderRecord::kSize; at + 4 <= clean_.size(); at += 12) {
        Bytes zeroed = clean_;
        PutLong(zeroed, at, 0);
        attempt(zeroed, "zeroed at " + std::to_string(at));
        Bytes flipped = clean_;
        flipped[at + 1] ^= 0x40;
        attempt(flipped, "flipped at " + std::to_string(at + 1));
    }
    for (size_t cut = HeaderRecord::kSize; cut < clean_.size(); cut += clean_.size() / 7) {
        attempt(Bytes(clean_.begin(), clean_.begin() + static_cast<ptrdiff_t>(cut)), "cut at " + std::to_string(cut));
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(copied, 0);
    WriteAllBytes(path_, clean_);
    EXPECT_EQ(Contents(path_), contents);
}

TEST_F(DamageTest, ABackupThroughALinkPlantedAtItsNameReplacesTheLinkNotItsTarget) {
    const std::string victim = dir_.File("victim.txt");
    WriteAllBytes(victim, Bytes{'m', 'i', 'n', 'e'});
    const std::string planted = dir_.File("backup.cd");
    std::filesystem::create_symlink(victim, planted);
    ASSERT_EQ(BackupDataFile(planted).outcome, MaintenanceOutcome::Done);
    EXPECT_EQ(ReadAllBytes(victim), (Bytes{'m', 'i', 'n', 'e'}));
    EXPECT_FALSE(std::filesystem::is_symlink(planted));
    EXPECT_TRUE(CheckCatalogue(planted).Clean());
}

}  // namespace
