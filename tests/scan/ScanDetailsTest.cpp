// A scan with details: what it records of photos from two cameras, an album and archives; a
// rescan that carries unchanged files' details over without reading them; a scan without options
// that records nothing more; a stopped or killed scan that leaves no wrong details behind.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>

#include "../support/KillingCatalogueFile.h"
#include "../support/MediaFixtures.h"
#include "CatalogueCheck.h"
#include "CatalogueDetails.h"
#include "DetailsDatabase.h"
#include "ScanFixture.h"

using namespace karvio;
using namespace karvio::testing;
namespace fs = std::filesystem;

namespace {

class ScanDetailsTest : public ScanTest {
protected:
    // The folder a new user would try: photos from two cameras, an album, a few archives, a film.
    void MakeLibrary() {
        MakeDir(Path("Photos"));
        MakeDir(Path("Music"));
        MakeDir(Path("Backups"));
        FixturePhoto canon{1600, 1200, "Canon", "Canon EOS 5D", "2019:07:14 18:02:55", "Beach"};
        FixturePhoto nikon{1200, 1600, "NIKON CORPORATION", "NIKON D750", "2021:01:02 10:00:00", ""};
        ASSERT_TRUE(WritePhoto(Path("Photos/beach.jpg"), canon));
        ASSERT_TRUE(WritePhoto(Path("Photos/snow.jpg"), nikon));
        for (int track = 1; track <= 3; ++track) {
            FixtureSong song{"mp3", 2, "The Band", "First Album", "Track " + std::to_string(track)};
            ASSERT_TRUE(WriteSong(Path("Music/0" + std::to_string(track) + ".mp3"), song));
        }
        ASSERT_TRUE(WriteArchive(Path("Backups/backup.zip"), "zip", "",
                                 {{"docs/", ""}, {"docs/report.pdf", "pdf"}, {"docs/notes.txt", "n"}}));
        ASSERT_TRUE(WriteArchive(Path("Backups/old.tar.gz"), "pax", "gzip", {{"old/report.pdf", "old"}}));
        FixtureFilm film{"mp4", 320, 240, 2, "Holiday"};
        ASSERT_TRUE(WriteFilm(Path("holiday.mp4"), film));
        MakeFile(Path("readme.txt"), 10);
    }

    // What the catalogue shows of each file's details now, by file name.
    std::map<std::string, FileDetails> Shown(int32_t cdId) {
        std::map<std::string, FileDetails> shown;
        classData data;
        std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data);
        if (!db) return shown;
        for (const StoredDir& dir : ReadTree(cdId)) {
            for (const StoredFile& f : dir.files) {
                FileInfo info;
                info.FileId = f.id;
                info.FileCdId = cdId;
                info.FileName = f.name;
                info.FileSize = f.size;
                info.FileDate = f.date;
                if (std::optional<FileDetails> d = RecordedFileDetails(*db, data, info)) shown[f.name] = *d;
            }
        }
        return shown;
    }

    std::vector<ArchiveMember> MembersOf(int32_t cdId, const std::string& name) {
        for (const StoredDir& dir : ReadTree(cdId)) {
            if (const StoredFile* f = FindFile(dir, name)) {
                classData data;
                return DetailsDatabase::OpenForReading(data)->Members(f->id);
            }
        }
        return {};
    }
};

TEST_F(ScanDetailsTest, AScanWithDetailsRecordsWhatIsInsideTheFiles) {
    MakeLibrary();
    const int32_t cd = Scan(Root() + "/", 0, nullptr, nullptr, kScanAllDetails);
    ASSERT_GT(cd, 0);
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    const auto shown = Shown(cd);
    ASSERT_EQ(shown.count("readme.txt"), 0u);
    EXPECT_EQ(shown.at("beach.jpg").media.camera, "Canon EOS 5D");
    EXPECT_EQ(shown.at("snow.jpg").media.camera, "NIKON D750");
    EXPECT_TRUE(shown.at("beach.jpg").hasThumbnail);
    EXPECT_EQ(shown.at("02.mp3").media.title, "Track 2");
    EXPECT_EQ(shown.at("02.mp3").media.album, "First Album");
    EXPECT_EQ(shown.at("holiday.mp4").media.width, 320);
    EXPECT_TRUE(shown.at("backup.zip").isArchive);
    EXPECT_EQ(shown.at("backup.zip").memberCount, 3);
    const std::vector<ArchiveMember> members = MembersOf(cd, "backup.zip");
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[1].path, "docs/report.pdf");
    EXPECT_EQ(ScanEngine::OptionsScannedWith(cd), uint32_t{kScanAllDetails});

    CheckReport report = CheckCatalogue(Catalogue());
    CheckCatalogueDetails(Catalogue(), report);
    EXPECT_TRUE(report.Clean()) << report.problems.front();
}

TEST_F(ScanDetailsTest, OptionsPickWhatIsReadAndAPlainScanRecordsNothingMore) {
    MakeLibrary();
    const int32_t plain = Scan(Root() + "/");
    ASSERT_GT(plain, 0);
    EXPECT_TRUE(Shown(plain).empty());
    EXPECT_EQ(ScanEngine::OptionsScannedWith(plain), 0u);

    const int32_t archives = Scan(Root() + "/", 0, nullptr, nullptr, kScanArchives);
    const auto shown = Shown(archives);
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown.at("old.tar.gz").isArchive);
    EXPECT_EQ(MembersOf(archives, "old.tar.gz").at(0).path, "old/report.pdf");

    const int32_t thumbs = Scan(Root() + "/", 0, nullptr, nullptr, kScanThumbnails);
    const auto pictures = Shown(thumbs);
    EXPECT_EQ(pictures.size(), 2u);
    EXPECT_TRUE(pictures.at("beach.jpg").hasThumbnail);
    EXPECT_EQ(pictures.at("beach.jpg").media.kind, MediaKind::None);
}

TEST_F(ScanDetailsTest, ARescanKeepsItsOptionsAndCarriesUnchangedFilesOver) {
    MakeLibrary();
    const int32_t first = Scan(Root() + "/", 0, nullptr, nullptr, kScanMedia | kScanArchives);
    ASSERT_GT(first, 0);
    // A song changed in place without its size or date changing: an unchanged file by every
    // measure the rescan has, so its old details are carried over rather than read again.
    struct stat before {};
    ASSERT_EQ(::stat(Path("Music/01.mp3").c_str(), &before), 0);
    FixtureSong changed{"mp3", 2, "Someone Else", "First Album", "Track 1"};
    ASSERT_TRUE(WriteSong(Path("Music/01.mp3"), changed));
    ASSERT_EQ(::truncate(Path("Music/01.mp3").c_str(), before.st_size), 0);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, Path("Music/01.mp3").c_str(), times, 0), 0);
    // A new photo is read.
    FixturePhoto fresh{800, 600, "Canon", "Canon EOS R", "2022:02:02 02:02:02", ""};
    ASSERT_TRUE(WritePhoto(Path("Photos/new.jpg"), fresh));

    const int32_t second = Scan(Root() + "/", first);
    ASSERT_GT(second, 0);
    EXPECT_EQ(ScanEngine::OptionsScannedWith(second), uint32_t{kScanMedia | kScanArchives});
    const auto shown = Shown(second);
    EXPECT_EQ(shown.at("01.mp3").media.artist, "The Band") << "carried over, not read again";
    EXPECT_EQ(shown.at("new.jpg").media.camera, "Canon EOS R");
    EXPECT_EQ(MembersOf(second, "backup.zip").size(), 3u);
    EXPECT_FALSE(shown.at("beach.jpg").hasThumbnail);
    EXPECT_TRUE(Shown(first).empty()) << "the old CD's details went with it";

    // Asking for more than the CD was scanned with reads again the files it concerns, and only
    // those: the pictures get thumbnails, the songs are carried over as they were.
    const int32_t third = Scan(Root() + "/", second, nullptr, nullptr, kScanAllDetails);
    const auto again = Shown(third);
    EXPECT_TRUE(again.at("beach.jpg").hasThumbnail);
    EXPECT_EQ(again.at("beach.jpg").media.camera, "Canon EOS 5D");
    EXPECT_EQ(again.at("01.mp3").media.artist, "The Band");
}

TEST_F(ScanDetailsTest, AStoppedScanLeavesNoDetailsBehind) {
    MakeLibrary();
    ScanEngine engine;
    int files = 0;
    struct Stopper : ScanProgress {
        ScanEngine* engine;
        int* files;
        void DirectoryStarted(std::string_view, const ScanCounts&) override {}
        void FileAdded(std::string_view, std::string_view, const ScanCounts&) override {
            if (++*files == 6) engine->Stop();
        }
    } stopper;
    stopper.engine = &engine;
    stopper.files = &files;
    EXPECT_EQ(Scan(Root() + "/", 0, &stopper, &engine, kScanAllDetails), 0);
    classData data;
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data);
    ASSERT_TRUE(db);
    EXPECT_EQ(db->CountFiles(), 0);
    EXPECT_EQ(db->CountMembers(), 0);
    // The next scan appends where the stopped one did, and gets only its own details.
    const int32_t cd = Scan(Root() + "/", 0, nullptr, nullptr, kScanArchives);
    EXPECT_EQ(Shown(cd).size(), 2u);
}

TEST_F(ScanDetailsTest, AScanKilledAnywhereLeavesNoWrongDetails) {
    MakeLibrary();
    ASSERT_GT(Scan(Root() + "/", 0, nullptr, nullptr, kScanAllDetails), 0);
    const std::vector<unsigned char> original = ReadAllBytes(Catalogue());
    int total = 0;
    {
        ScopedKillingFiles counting(0, KillingCatalogueFile::Mode::Kill);
        ASSERT_GT(Scan(Root() + "/", 0, nullptr, nullptr, kScanAllDetails), 0);
        total = counting.Writes();
    }
    for (int at = 1; at <= total; at += std::max(1, total / 12)) {
        SCOPED_TRACE("killed at write " + std::to_string(at) + " of " + std::to_string(total));
        WriteAllBytes(Catalogue(), original);
        const pid_t child = ::fork();
        if (child == 0) {
            ScopedKillingFiles killing(at, KillingCatalogueFile::Mode::Kill);
            Scan(Root() + "/", 0, nullptr, nullptr, kScanAllDetails);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
        // Every CD shows its own files' details or none; the next scan records its own.
        std::vector<int32_t> cds;
        {
            classData data;
            for (classCd* c = &data.GetCdFirst(); !data.GetCdEof(); c = &data.GetCdNext()) cds.push_back(c->GetCdId());
        }
        for (int32_t id : cds) {
            for (const auto& [name, d] : Shown(id)) {
                if (name.ends_with(".mp3")) {
                    EXPECT_EQ(d.media.album, "First Album") << name;
                }
                if (name == "backup.zip") {
                    EXPECT_EQ(d.memberCount, 3);
                }
            }
        }
        const int32_t next = Scan(Root() + "/", 0, nullptr, nullptr, kScanArchives);
        ASSERT_GT(next, 0);
        EXPECT_EQ(Shown(next).size(), 2u);
    }
}

}  // namespace
