// A scan with details: what it records of photos from two cameras, an album and archives; a
// rescan that carries unchanged files' details over without reading them; a scan without options
// that records nothing more; a stopped or killed scan that leaves no wrong details behind; a
// rescan killed or failing at any write of the details that keeps archives and pictures whole; content
// hashes recorded, carried over by a rescan, and killed or failed writes of them that cost the
// catalogue nothing.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>

#include "../support/KillingCatalogueFile.h"
#include "../support/KillingDetailsWrites.h"
#include "../support/MediaFixtures.h"
#include "CatalogueCheck.h"
#include "CatalogueDetails.h"
#include "ContentHash.h"
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
    std::string ThumbnailOf(int32_t cdId, const std::string& name) {
        for (const StoredDir& dir : ReadTree(cdId)) {
            if (const StoredFile* f = FindFile(dir, name)) {
                classData data;
                return DetailsDatabase::OpenForReading(data)->Thumbnail(f->id);
            }
        }
        return {};
    }
    static std::vector<int32_t> ListedCds() {
        std::vector<int32_t> ids;
        classData data;
        for (classCd* c = &data.GetCdFirst(); !data.GetCdEof(); c = &data.GetCdNext()) ids.push_back(c->GetCdId());
        return ids;
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

TEST_F(ScanDetailsTest, ARescanKilledOrFailedAtAnyWriteOfTheDetailsKeepsEveryArchiveAndPictureWhole) {
    MakeLibrary();
    const int32_t kept = Scan(Root() + "/", 0, nullptr, nullptr, kScanAllDetails);
    ASSERT_GT(kept, 0);
    // One song changed: the rescan reads it again and carries the archives and pictures over,
    // sharing their members and thumbnails with the old CD until that is dropped.
    ASSERT_TRUE(WriteSong(Path("Music/01.mp3"), FixtureSong{"mp3", 3, "The Band", "First Album", "Live"}));
    const std::vector<unsigned char> catalogue = ReadAllBytes(Catalogue());
    const std::string db = DetailsDatabase::PathFor(Catalogue());
    const std::vector<unsigned char> details = ReadAllBytes(db);
    int total = 0;
    {
        ScopedKillingDetailsWrites counting(0, ScopedKillingDetailsWrites::Mode::Kill);
        ASSERT_GT(Scan(Root() + "/", kept), 0);
        total = counting.Writes();
    }
    ASSERT_GT(total, 2);
    // Whatever a CD shows of an archive or a picture is whole.
    auto wholeWhereShown = [&](int32_t cd) {
        const auto shown = Shown(cd);
        if (shown.count("backup.zip")) {
            EXPECT_EQ(MembersOf(cd, "backup.zip").size(), 3u);
        }
        if (shown.count("beach.jpg")) {
            EXPECT_FALSE(ThumbnailOf(cd, "beach.jpg").empty());
        }
        return shown.size();
    };
    for (int at = 1; at <= total; at += std::max(1, total / 10)) {
        for (const auto mode : {ScopedKillingDetailsWrites::Mode::Kill, ScopedKillingDetailsWrites::Mode::Fail}) {
            const bool kill = mode == ScopedKillingDetailsWrites::Mode::Kill;
            SCOPED_TRACE(std::string(kill ? "killed" : "failed") + " at write " + std::to_string(at) + " of " +
                         std::to_string(total));
            WriteAllBytes(Catalogue(), catalogue);
            WriteAllBytes(db, details);
            ::unlink((db + "-journal").c_str());
            if (kill) {
                const pid_t child = ::fork();
                if (child == 0) {
                    ScopedKillingDetailsWrites killing(at, mode);
                    Scan(Root() + "/", kept);
                    ::_exit(0);
                }
                int status = 0;
                ::waitpid(child, &status, 0);
            } else {
                ScopedKillingDetailsWrites failing(at, mode);
                EXPECT_GT(Scan(Root() + "/", kept), 0);
            }
            CheckReport report = CheckCatalogue(Catalogue());
            ASSERT_TRUE(report.Clean());
            CheckCatalogueDetails(Catalogue(), report);
            EXPECT_TRUE(report.problems.empty()) << report.problems.front();
            const std::vector<int32_t> listed = ListedCds();
            ASSERT_EQ(listed.size(), 1u);
            wholeWhereShown(listed[0]);
            // The next rescan shows everything, read or carried over, and stores each archive's
            // members and each thumbnail once.
            const int32_t next = Scan(Root() + "/", listed[0], nullptr, nullptr, kScanAllDetails);
            ASSERT_GT(next, 0);
            EXPECT_EQ(wholeWhereShown(next), 8u);
            EXPECT_EQ(Shown(next).at("01.mp3").media.title, "Live");
            classData data;
            std::unique_ptr<DetailsDatabase> reader = DetailsDatabase::OpenForReading(data);
            ASSERT_TRUE(reader);
            EXPECT_EQ(reader->CountMembers(), 4);
            EXPECT_EQ(reader->CountThumbnails(), 2);
        }
    }
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

// A tree of plain files, some with the same contents, hashed by a scan.
class ScanHashesTest : public ScanDetailsTest {
protected:
    void MakeFiles() {
        MakeDir(Path("Docs"));
        WriteText(Path("Docs/a.txt"), "same contents");
        WriteText(Path("b.txt"), "same contents");
        WriteText(Path("c.txt"), std::string(3 << 20, 'c'));  // more than one read's piece
        WriteText(Path("empty"), "");
    }
    static void WriteText(const std::string& path, const std::string& text) {
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    // Every recorded hash that is shown must be that of the file's bytes now (the tests change
    // nothing behind a scan's back unless they say so); returns how many files show one.
    size_t CheckHashes(int32_t cd) {
        size_t hashed = 0;
        for (const auto& [name, d] : Shown(cd)) {
            if (!d.hash) continue;
            ++hashed;
            std::string bytes;
            for (const std::string& place : {Path(name), Path("Docs/" + name)}) {
                if (FILE* f = std::fopen(place.c_str(), "rb")) {
                    char buffer[65536];
                    while (size_t n = std::fread(buffer, 1, sizeof buffer, f)) bytes.append(buffer, n);
                    std::fclose(f);
                    break;
                }
            }
            EXPECT_EQ(d.hash->Hex(), HashBytes(bytes).Hex()) << name;
        }
        return hashed;
    }
};

TEST_F(ScanHashesTest, EveryFileIsHashedAndARescanCarriesUnchangedFilesOver) {
    MakeFiles();
    const int32_t first = Scan(Root() + "/", 0, nullptr, nullptr, kScanHashes);
    ASSERT_GT(first, 0);
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    EXPECT_EQ(CheckHashes(first), 4u);
    auto shown = Shown(first);
    EXPECT_EQ(shown.at("a.txt").hash, shown.at("b.txt").hash);
    EXPECT_EQ(shown.at("empty").hash->Hex(), HashBytes("").Hex());
    EXPECT_EQ(ScanEngine::OptionsScannedWith(first), uint32_t{kScanHashes});

    // b.txt rewritten with other bytes of the same size and date: the rescan has no way to see
    // it, and keeps the hash it had; c.txt grows and is hashed again.
    struct stat before {};
    ASSERT_EQ(::stat(Path("b.txt").c_str(), &before), 0);
    WriteText(Path("b.txt"), "SAME CONTENTS");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, Path("b.txt").c_str(), times, 0), 0);
    WriteText(Path("c.txt"), std::string(3 << 20, 'C') + "more");
    const int32_t second = Scan(Root() + "/", first);
    ASSERT_GT(second, 0);
    shown = Shown(second);
    EXPECT_EQ(shown.at("b.txt").hash, shown.at("a.txt").hash) << "carried over, not read again";
    EXPECT_EQ(shown.at("c.txt").hash->Hex(), HashBytes(std::string(3 << 20, 'C') + "more").Hex());
    EXPECT_TRUE(Shown(first).empty()) << "the old CD's details went with it";

    // Hashes asked of a CD scanned with details only: every file is read again.
    const int32_t plain = Scan(Root() + "/", 0, nullptr, nullptr, kScanArchives);
    const int32_t rehashed = Scan(Root() + "/", plain, nullptr, nullptr, kScanHashes | kScanArchives);
    EXPECT_EQ(CheckHashes(rehashed), 4u);
    EXPECT_NE(Shown(rehashed).at("b.txt").hash, Shown(rehashed).at("a.txt").hash);
}

TEST_F(ScanHashesTest, KilledOrFailedWritesOfTheHashesCostTheCatalogueNothing) {
    MakeFiles();
    const int32_t kept = Scan(Root() + "/", 0, nullptr, nullptr, kScanHashes);
    ASSERT_GT(kept, 0);
    const std::vector<unsigned char> catalogue = ReadAllBytes(Catalogue());
    const std::string db = DetailsDatabase::PathFor(Catalogue());
    const std::vector<unsigned char> details = ReadAllBytes(db);
    int total = 0;
    {
        ScopedKillingDetailsWrites counting(0, ScopedKillingDetailsWrites::Mode::Kill);
        ASSERT_GT(Scan(Root() + "/", kept, nullptr, nullptr, kScanHashes | kScanArchives), 0);
        total = counting.Writes();
    }
    ASSERT_GT(total, 2);
    auto restore = [&] {
        WriteAllBytes(Catalogue(), catalogue);
        WriteAllBytes(db, details);
        ::unlink((db + "-journal").c_str());
    };
    auto cds = [] {
        std::vector<int32_t> ids;
        classData data;
        for (classCd* c = &data.GetCdFirst(); !data.GetCdEof(); c = &data.GetCdNext()) ids.push_back(c->GetCdId());
        return ids;
    };
    int told = 0;  // failed writes the user heard of
    for (int at = 1; at <= total; at += std::max(1, total / 10)) {
        for (const auto mode : {ScopedKillingDetailsWrites::Mode::Kill, ScopedKillingDetailsWrites::Mode::Fail}) {
            const bool kill = mode == ScopedKillingDetailsWrites::Mode::Kill;
            SCOPED_TRACE(std::string(kill ? "killed" : "failed") + " at write " + std::to_string(at) + " of " +
                         std::to_string(total));
            restore();
            messages_.clear();
            if (kill) {
                const pid_t child = ::fork();
                if (child == 0) {
                    ScopedKillingDetailsWrites killing(at, mode);
                    Scan(Root() + "/", kept, nullptr, nullptr, kScanHashes | kScanArchives);
                    ::_exit(0);
                }
                int status = 0;
                ::waitpid(child, &status, 0);
            } else {
                ScopedKillingDetailsWrites failing(at, mode);
                // A failed write of the details never keeps the CD out of the catalogue.
                EXPECT_GT(Scan(Root() + "/", kept, nullptr, nullptr, kScanHashes | kScanArchives), 0);
                if (!messages_.empty()) ++told;
            }
            EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
            // The old CD or its rescan is there, whole; what hashes show are right.
            const std::vector<int32_t> listed = cds();
            ASSERT_EQ(listed.size(), 1u);
            EXPECT_EQ(ReadTree(listed[0]).size(), 2u);
            CheckHashes(listed[0]);
            // The next scan records its hashes whatever was left.
            const int32_t next = Scan(Root() + "/", listed[0], nullptr, nullptr, kScanHashes);
            ASSERT_GT(next, 0);
            EXPECT_EQ(CheckHashes(next), 4u);
        }
    }
    EXPECT_GT(told, 0);
}

}  // namespace
