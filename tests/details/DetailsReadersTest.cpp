// What the readers find inside files made on the spot with the libraries' own writers, and what
// they make of damaged and hostile ones: a note, never a crash, a hang or a swollen scan.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QTransform>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/MediaFixtures.h"
#include "../support/TempDir.h"
#include "ArchiveReader.h"
#include "CatalogueDate.h"
#include "DetailsExtractor.h"
#include "MediaReader.h"
#include "Thumbnail.h"

using namespace karvio;
using namespace karvio::testing;

namespace {

class Fd {
public:
    explicit Fd(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<FixtureMember> SampleMembers() {
    return {{"docs/", ""},
            {"docs/report.pdf", std::string(3000, 'r')},
            {"photos/2019/beach.jpg", "jpeg bytes"},
            {"Kesä 自白.txt", "text"}};
}

TEST(DetailsKinds, NamesDecideTheKind) {
    const std::pair<const char*, DetailsKind> cases[] = {
        {"backup.zip", DetailsKind::Archive},
        {"BACKUP.ZIP", DetailsKind::Archive},
        {"x.tar.gz", DetailsKind::Archive},
        {"x.tar.ZST", DetailsKind::Archive},
        {"x.gz", DetailsKind::None},
        {"img_0001.JPG", DetailsKind::Picture},
        {"raw.CR2", DetailsKind::Picture},
        {"song.flac", DetailsKind::Audio},
        {"film.mkv", DetailsKind::Video},
        {".jpg", DetailsKind::None},
        {"notes.txt", DetailsKind::None},
        {"noextension", DetailsKind::None},
        {"archive.tar.gz.part", DetailsKind::None},
    };
    for (const auto& [name, kind] : cases) EXPECT_EQ(KindOfName(name), kind) << name;
    EXPECT_TRUE(KindWanted(DetailsKind::Picture, kScanThumbnails));
    EXPECT_FALSE(KindWanted(DetailsKind::Audio, kScanThumbnails | kScanArchives));
    EXPECT_FALSE(KindWanted(DetailsKind::Archive, kScanMedia));
}

TEST(DetailsArchives, MemberPathsNeverLeaveTheirArchive) {
    const std::pair<const char*, const char*> cases[] = {
        {"docs/report.pdf", "docs/report.pdf"},
        {"/etc/passwd", "etc/passwd"},
        {"../../etc/passwd", "etc/passwd"},
        {"a/../../b", "b"},
        {"a/./b//c/", "a/b/c"},
        {"win\\dir\\file.txt", "win/dir/file.txt"},
        {"..", ""},
        {"a/b/../c", "a/c"},
    };
    for (const auto& [raw, clean] : cases) EXPECT_EQ(CleanMemberPath(raw), clean) << raw;
}

TEST(DetailsArchives, EveryWrittenFormatListsItsMembersWithSizesAndDates) {
    TempDir dir;
    const std::pair<const char*, const char*> formats[] = {
        {"zip", ""},        {"7zip", ""},    {"pax", "gzip"}, {"pax", "xz"},
        {"ustar", "bzip2"}, {"iso9660", ""}, {"cpio", ""},
    };
    for (const auto& [format, filter] : formats) {
        SCOPED_TRACE(std::string(format) + " " + filter);
        const std::string path = dir.File(std::string("a.") + format + filter);
        ASSERT_TRUE(WriteArchive(path, format, filter, SampleMembers()));
        Fd fd(path);
        const ArchiveListing listing = ListArchive(fd.get());
        EXPECT_TRUE(listing.recognised);
        EXPECT_EQ(listing.note, "");
        EXPECT_FALSE(listing.capped);
        std::map<std::string, ArchiveMember> byPath;
        for (const ArchiveMember& m : listing.members) byPath[m.path] = m;
        ASSERT_EQ(byPath.count("docs/report.pdf"), 1u);
        EXPECT_EQ(byPath["docs/report.pdf"].size, 3000);
        EXPECT_EQ(byPath["docs/report.pdf"].date, DateFromTimeT(1563120000));
        EXPECT_EQ(byPath.count("photos/2019/beach.jpg"), 1u);
        EXPECT_EQ(byPath.count("Kesä 自白.txt"), 1u);
        if (byPath.count("docs")) {
            EXPECT_TRUE(byPath["docs"].isDir);
        }
    }
}

TEST(DetailsArchives, HostileArchivesAreCutShortWithANote) {
    TempDir dir;
    // More members than the cap.
    std::vector<FixtureMember> many;
    for (int i = 0; i < 120; ++i) many.push_back({"m" + std::to_string(i), "x"});
    ASSERT_TRUE(WriteArchive(dir.File("many.zip"), "zip", "", many));
    ArchiveLimits limits;
    limits.maxMembers = 100;
    {
        Fd fd(dir.File("many.zip"));
        const ArchiveListing listing = ListArchive(fd.get(), limits);
        EXPECT_EQ(listing.members.size(), 100u);
        EXPECT_TRUE(listing.capped);
        EXPECT_NE(listing.note.find("100 members"), std::string::npos) << listing.note;
    }
    // A compressed stream whose next header lies behind more unpacked data than allowed: a
    // bomb is never unpacked.
    ASSERT_TRUE(WriteArchive(
        dir.File("bomb.tar.gz"), "pax", "gzip",
        {{"first.txt", "x"}, {"zeros.bin", std::string(8 << 20, '\0')}, {"after.txt", "y"}}));
    limits = ArchiveLimits{};
    limits.maxUnpackedBytes = 1 << 20;
    {
        Fd fd(dir.File("bomb.tar.gz"));
        const ArchiveListing listing = ListArchive(fd.get(), limits);
        ASSERT_EQ(listing.members.size(), 2u);
        EXPECT_TRUE(listing.capped);
        EXPECT_NE(listing.note.find("compressed data"), std::string::npos) << listing.note;
    }
    // Reading stops at the byte limit: a stream that does not compress must be read through.
    std::string noise(512 * 1024, '\0');
    uint32_t seed = 12345;
    for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
    ASSERT_TRUE(WriteArchive(dir.File("noise.tar.gz"), "pax", "gzip",
                             {{"noise.bin", noise}, {"after.txt", "y"}}));
    limits = ArchiveLimits{};
    limits.maxBytesRead = 64 * 1024;
    {
        Fd fd(dir.File("noise.tar.gz"));
        const ArchiveListing listing = ListArchive(fd.get(), limits);
        EXPECT_EQ(listing.members.size(), 1u);
        EXPECT_TRUE(listing.capped);
        EXPECT_NE(listing.note.find("after reading"), std::string::npos) << listing.note;
    }
    // Paths that climb out of the archive stay inside it.
    ASSERT_TRUE(
        WriteArchive(dir.File("climb.tar"), "pax", "", {{"../../../etc/cron.d/evil", "x"}}));
    {
        Fd fd(dir.File("climb.tar"));
        const ArchiveListing listing = ListArchive(fd.get());
        ASSERT_EQ(listing.members.size(), 1u);
        EXPECT_EQ(listing.members[0].path, "etc/cron.d/evil");
    }
    // Encrypted members are listed by name, with a note.
    ASSERT_TRUE(WriteArchive(dir.File("secret.zip"), "zip", "", SampleMembers(), "pass"));
    {
        Fd fd(dir.File("secret.zip"));
        const ArchiveListing listing = ListArchive(fd.get());
        EXPECT_EQ(listing.members.size(), 4u);
        EXPECT_NE(listing.note.find("encrypted"), std::string::npos) << listing.note;
    }
}

TEST(DetailsArchives, DamagedArchivesGiveANoteAtEveryCut) {
    TempDir dir;
    ASSERT_TRUE(WriteArchive(dir.File("good.zip"), "zip", "", SampleMembers()));
    ASSERT_TRUE(WriteArchive(dir.File("good.7z"), "7zip", "", SampleMembers()));
    for (const std::string name : {"good.zip", "good.7z"}) {
        const std::string bytes = ReadAll(dir.File(name));
        for (size_t cut = 0; cut < bytes.size(); cut += std::max<size_t>(1, bytes.size() / 40)) {
            WriteAll(dir.File("cut"), bytes.substr(0, cut));
            Fd fd(dir.File("cut"));
            const ArchiveListing listing = ListArchive(fd.get());
            EXPECT_LE(listing.members.size(), 4u);
            if (listing.members.size() < 4) {
                EXPECT_FALSE(listing.note.empty()) << name << " cut at " << cut;
            }
        }
        std::string flipped = bytes;
        for (size_t i = 0; i < flipped.size(); i += 7)
            flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
        WriteAll(dir.File("flipped"), flipped);
        Fd fd(dir.File("flipped"));
        ListArchive(fd.get());
    }
    WriteAll(dir.File("text.zip"), "this is no archive at all\n");
    Fd fd(dir.File("text.zip"));
    const ArchiveListing listing = ListArchive(fd.get());
    EXPECT_TRUE(listing.members.empty());
    EXPECT_FALSE(listing.note.empty());
}

// Checks a photo's details as a scan reads them, and returns its thumbnail.
QImage PhotoThumbnail(const ExtractedDetails& d, const std::string& camera, double taken, int width,
                      int height, const std::string& title) {
    EXPECT_EQ(d.details.note, "");
    EXPECT_EQ(d.details.media.kind, MediaKind::Picture);
    EXPECT_EQ(d.details.media.camera, camera);
    EXPECT_EQ(d.details.media.taken, taken);
    EXPECT_EQ(d.details.media.width, width);
    EXPECT_EQ(d.details.media.height, height);
    EXPECT_EQ(d.details.media.title, title);
    EXPECT_TRUE(d.details.hasThumbnail);
    return QImage::fromData(reinterpret_cast<const uchar*>(d.thumbnail.data()),
                            static_cast<int>(d.thumbnail.size()));
}

TEST(DetailsMedia, PhotosGiveCameraDateSizeTitleAndAThumbnail) {
    TempDir dir;
    FixturePhoto photo;
    photo.width = 1200;
    photo.height = 800;
    photo.make = "Canon";
    photo.model = "Canon EOS 5D";
    photo.taken = "2019:07:14 18:02:55";
    photo.title = "Beach";
    ASSERT_TRUE(WritePhoto(dir.File("beach.jpg"), photo));
    Fd fd(dir.File("beach.jpg"));
    const ExtractedDetails d =
        ExtractDetails(fd.get(), DetailsKind::Picture, kScanMedia | kScanThumbnails);
    const QImage thumb = PhotoThumbnail(d, "Canon EOS 5D", DateFromFields({2019, 7, 14, 18, 2, 55}),
                                        1200, 800, "Beach");
    EXPECT_EQ(thumb.size(), QSize(128, 85));
    EXPECT_LT(d.thumbnail.size(), 12000u);

    // A picture the camera turned: the thumbnail stands upright.
    photo.orientation = 6;
    ASSERT_TRUE(WritePhoto(dir.File("turned.jpg"), photo));
    Fd turned(dir.File("turned.jpg"));
    const ThumbnailResult t = MakeThumbnail(turned.get());
    EXPECT_EQ(QImage::fromData(reinterpret_cast<const uchar*>(t.bytes.data()),
                               static_cast<int>(t.bytes.size()))
                  .size(),
              QSize(85, 128));

    // A transparent picture keeps its transparency.
    FixturePhoto logo;
    logo.alpha = true;
    ASSERT_TRUE(WritePhoto(dir.File("logo.png"), logo));
    Fd png(dir.File("logo.png"));
    const ThumbnailResult p = MakeThumbnail(png.get());
    EXPECT_EQ(p.bytes.substr(1, 3), "PNG");
}

// A 1600x1200 photo as `photo` says, with a camera preview of `previewSize` made from it and then
// marked red where the photo is blue (its lower left), so a thumbnail shows where it came from.
// The photo is turned by `turn` degrees, or cut to `crop`, after its preview was made, as an
// editing tool that leaves the preview alone would.
std::string CameraPhoto(const TempDir& dir, const std::string& name, FixturePhoto photo,
                        QSize previewSize = {160, 120}, int turn = 0, QRect crop = {}) {
    const std::string path = dir.File(name);
    photo.width = 1600;
    photo.height = 1200;
    if (!WritePhoto(path, photo)) return {};
    const QImage image(QString::fromStdString(path));
    QImage preview = image.scaled(previewSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter(&preview).fillRect(QRectF(0.1 * preview.width(), 0.7 * preview.height(),
                                       0.2 * preview.width(), 0.2 * preview.height()),
                                Qt::red);
    if (turn != 0 || !crop.isNull()) {
        const QImage changed =
            crop.isNull() ? image.transformed(QTransform().rotate(turn)) : image.copy(crop);
        if (!changed.save(QString::fromStdString(path), "JPEG", 90) || !TagPhoto(path, photo))
            return {};
    }
    return WriteCameraPreview(path, preview) ? path : std::string();
}

QImage ThumbnailOf(const std::string& path) {
    Fd fd(path);
    const ThumbnailResult t = MakeThumbnail(fd.get());
    EXPECT_EQ(t.note, "") << path;
    return QImage::fromData(reinterpret_cast<const uchar*>(t.bytes.data()),
                            static_cast<int>(t.bytes.size()));
}

bool RedAt(const QImage& thumb, double x, double y) {
    const QColor c =
        thumb.pixelColor(static_cast<int>(x * thumb.width()), static_cast<int>(y * thumb.height()));
    return c.red() > 180 && c.green() < 90 && c.blue() < 90;
}

TEST(DetailsMedia, ACameraPreviewMakesTheThumbnailOnlyWhileItStillShowsThePhoto) {
    TempDir dir;
    FixturePhoto asTaken;
    asTaken.make = "Canon";
    asTaken.taken = asTaken.changed = "2019:07:14 18:02:55";
    // As the camera wrote it: the preview is the thumbnail, the right way up.
    QImage thumb = ThumbnailOf(CameraPhoto(dir, "camera.jpg", asTaken));
    EXPECT_EQ(thumb.size(), QSize(128, 96));
    EXPECT_TRUE(RedAt(thumb, 0.2, 0.8));
    FixturePhoto turnedByCamera = asTaken;
    turnedByCamera.orientation = 6;
    thumb = ThumbnailOf(CameraPhoto(dir, "upright.jpg", turnedByCamera));
    EXPECT_EQ(thumb.size(), QSize(96, 128));
    EXPECT_TRUE(RedAt(thumb, 0.2, 0.2));

    // Whatever an editing tool may have changed, the photo itself is decoded.
    FixturePhoto edited = asTaken;
    edited.changed = "2020:01:02 10:00:00";
    FixturePhoto undated = asTaken;
    undated.changed.clear();
    const std::vector<std::pair<std::string, std::string>> decoded = {
        {"changed later", CameraPhoto(dir, "edited.jpg", edited)},
        {"no date of change", CameraPhoto(dir, "undated.jpg", undated)},
        {"turned by half", CameraPhoto(dir, "half.jpg", asTaken, {160, 120}, 180)},
        {"turned by a quarter", CameraPhoto(dir, "quarter.jpg", asTaken, {160, 120}, 90)},
        {"cut to 3:2",
         CameraPhoto(dir, "cut.jpg", asTaken, {160, 120}, 0, QRect(0, 0, 1600, 1067))},
        {"preview too small", CameraPhoto(dir, "small.jpg", asTaken, {80, 60})},
    };
    for (const auto& [why, path] : decoded) {
        ASSERT_FALSE(path.empty()) << why;
        thumb = ThumbnailOf(path);
        EXPECT_EQ(std::max(thumb.width(), thumb.height()), 128) << why;
        EXPECT_FALSE(thumb.isNull() || RedAt(thumb, 0.2, 0.8) || RedAt(thumb, 0.8, 0.2)) << why;
    }

    // A preview that is not a picture leaves the photo to be decoded, without a note.
    const std::string path = CameraPhoto(dir, "junk.jpg", asTaken);
    std::string bytes = ReadAll(path);
    const size_t start = bytes.find("\xFF\xD8", 2);
    ASSERT_NE(start, std::string::npos);
    for (size_t i = start + 2; i < start + 400; ++i) bytes[i] = static_cast<char>(i * 7);
    WriteAll(path, bytes);
    thumb = ThumbnailOf(path);
    EXPECT_EQ(thumb.size(), QSize(128, 96));
    EXPECT_FALSE(RedAt(thumb, 0.2, 0.8));
}

// Phones' HEIC photos: their details come through libheif, their thumbnail from their own
// thumbnail where it will do, else from the picture. AVIF pictures are left alone (their
// decoder lets a damaged one claim gigabytes).
TEST(DetailsMedia, HeifPhotosGiveTheirDetailsAndAThumbnail) {
    FixturePhoto photo;
    photo.width = 480;
    photo.height = 360;
    photo.make = "Apple";
    photo.model = "iPhone 12";
    photo.taken = "2021:05:01 10:00:00";
    photo.title = "Harbour";
    const QImage picture = FixturePicture(photo);
    // Its own thumbnail is marked red where the picture is blue.
    QImage marked = picture;
    QPainter(&marked).fillRect(QRectF(48, 252, 96, 72), Qt::red);
    TempDir dir;
    ASSERT_TRUE(WriteHeifPhoto(dir.File("phone.heic"), picture, photo, &marked));
    Fd fd(dir.File("phone.heic"));
    const ExtractedDetails d =
        ExtractDetails(fd.get(), DetailsKind::Picture, kScanMedia | kScanThumbnails);
    QImage thumb = PhotoThumbnail(d, "Apple iPhone 12", DateFromFields({2021, 5, 1, 10, 0, 0}), 480,
                                  360, "Harbour");
    EXPECT_EQ(thumb.size(), QSize(128, 96));
    EXPECT_TRUE(RedAt(thumb, 0.2, 0.8));

    // Without a thumbnail of its own, or with one too small to show: the picture itself.
    ASSERT_TRUE(WriteHeifPhoto(dir.File("plain.heic"), picture, FixturePhoto{}));
    ASSERT_TRUE(WriteHeifPhoto(dir.File("tiny.heic"), picture, FixturePhoto{}, &marked, 64));
    for (const std::string name : {"plain.heic", "tiny.heic"}) {
        thumb = ThumbnailOf(dir.File(name));
        EXPECT_EQ(thumb.size(), QSize(128, 96)) << name;
        EXPECT_FALSE(RedAt(thumb, 0.2, 0.8)) << name;
        EXPECT_TRUE(thumb.pixelColor(8, 8).red() > 180 && thumb.pixelColor(8, 8).blue() < 100)
            << name;
    }

    // Damaged or cut short anywhere: a note or less, never a crash.
    const std::string bytes = ReadAll(dir.File("phone.heic"));
    for (size_t cut = 0; cut < bytes.size(); cut += bytes.size() / 23 + 1) {
        WriteAll(dir.File("cut.heic"), bytes.substr(0, cut));
        Fd cutFd(dir.File("cut.heic"));
        const ExtractedDetails c =
            ExtractDetails(cutFd.get(), DetailsKind::Picture, kScanMedia | kScanThumbnails);
        EXPECT_TRUE(!c.details.note.empty() || c.details.hasThumbnail) << cut;
        std::string damaged = bytes;
        for (size_t i = cut; i < std::min(bytes.size(), cut + 24); ++i)
            damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
        WriteAll(dir.File("damaged.heic"), damaged);
        Fd damagedFd(dir.File("damaged.heic"));
        ExtractDetails(damagedFd.get(), DetailsKind::Picture, kScanMedia | kScanThumbnails);
    }

    // An AVIF picture is not decoded, even under a HEIF photo's name.
    ASSERT_TRUE(WriteHeifPhoto(dir.File("picture.avif"), picture, photo, &marked));
    std::filesystem::rename(dir.File("picture.avif"), dir.File("picture.heic"));
    Fd avif(dir.File("picture.heic"));
    EXPECT_FALSE(ExtractDetails(avif.get(), DetailsKind::Picture, kScanMedia | kScanThumbnails)
                     .details.hasThumbnail);
}

TEST(DetailsMedia, DamagedPicturesGiveANote) {
    TempDir dir;
    FixturePhoto photo;
    photo.make = "Nikon";
    photo.taken = "2019:07:14 18:02:55";
    ASSERT_TRUE(WritePhoto(dir.File("p.jpg"), photo));
    const std::string bytes = ReadAll(dir.File("p.jpg"));
    // The Exif block damaged byte by byte, and the file cut at every few hundred bytes.
    const size_t exif = bytes.find("Exif");
    ASSERT_NE(exif, std::string::npos);
    for (size_t i = exif; i < std::min(bytes.size(), exif + 200); ++i) {
        std::string damaged = bytes;
        damaged[i] = static_cast<char>(damaged[i] ^ 0xFF);
        WriteAll(dir.File("d.jpg"), damaged);
        Fd fd(dir.File("d.jpg"));
        ExtractDetails(fd.get(), DetailsKind::Picture, kScanMedia | kScanThumbnails);
    }
    for (size_t cut = 0; cut < bytes.size(); cut += 301) {
        WriteAll(dir.File("c.jpg"), bytes.substr(0, cut));
        Fd fd(dir.File("c.jpg"));
        const ExtractedDetails d =
            ExtractDetails(fd.get(), DetailsKind::Picture, kScanMedia | kScanThumbnails);
        if (cut < exif) {
            EXPECT_FALSE(d.details.note.empty()) << cut;
        }
    }
    // A film under a picture's name goes to the film reader's library only: Exiv2's own film
    // readers stop the process on damaged Matroska files.
    FixtureFilm film;
    film.format = "matroska";
    ASSERT_TRUE(WriteFilm(dir.File("film.jpg"), film));
    Fd filmFd(dir.File("film.jpg"));
    const ExtractedDetails asPicture =
        ExtractDetails(filmFd.get(), DetailsKind::Picture, kScanMedia);
    EXPECT_FALSE(asPicture.details.note.empty());
    EXPECT_EQ(asPicture.details.media.width, 0);
    WriteAll(
        dir.File("huge.png"),
        std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\x01\0\0\0\x01\0\0\x08\x06\0\0\0\0\0\0\0", 33));
    Fd huge(dir.File("huge.png"));
    EXPECT_TRUE(MakeThumbnail(huge.get()).bytes.empty());
}

TEST(DetailsMedia, SongsGiveArtistAlbumTitleAndLength) {
    TempDir dir;
    for (const std::string format : {"mp3", "flac", "ogg", "opus", "wav", "m4a"}) {
        SCOPED_TRACE(format);
        FixtureSong song;
        song.format = format;
        song.artist = "Kesä Band";
        song.album = "自白";
        song.title = "Opening";
        const std::string path = dir.File("song." + format);
        ASSERT_TRUE(WriteSong(path, song));
        Fd fd(path);
        const ExtractedDetails d = ExtractDetails(fd.get(), DetailsKind::Audio, kScanMedia);
        EXPECT_EQ(d.details.note, "");
        EXPECT_EQ(d.details.media.kind, MediaKind::Audio);
        EXPECT_EQ(d.details.media.artist, "Kesä Band");
        EXPECT_EQ(d.details.media.album, "自白");
        EXPECT_EQ(d.details.media.title, "Opening");
        EXPECT_NEAR(d.details.media.duration, 2.0, 0.2);
    }
}

TEST(DetailsMedia, FilmsGiveSizeLengthCodecAndTitle) {
    TempDir dir;
    for (const std::string format : {"mp4", "matroska", "avi"}) {
        SCOPED_TRACE(format);
        FixtureFilm film;
        film.format = format;
        film.seconds = 2;
        film.title = "Holiday";
        const std::string path = dir.File("film." + format);
        ASSERT_TRUE(WriteFilm(path, film));
        Fd fd(path);
        const ExtractedDetails d = ExtractDetails(fd.get(), DetailsKind::Video, kScanMedia);
        EXPECT_EQ(d.details.note, "");
        EXPECT_EQ(d.details.media.width, 320);
        EXPECT_EQ(d.details.media.height, 240);
        EXPECT_NEAR(d.details.media.duration, 2.0, 0.2);
        EXPECT_EQ(d.details.media.codecs, "mpeg4");
        EXPECT_EQ(d.details.media.title, "Holiday");
    }
}

TEST(DetailsMedia, DamagedSongsAndFilmsGiveANote) {
    TempDir dir;
    FixtureSong song;
    song.artist = "A";
    ASSERT_TRUE(WriteSong(dir.File("s.mp3"), song));
    FixtureFilm film;
    ASSERT_TRUE(WriteFilm(dir.File("f.mp4"), film));
    for (const auto& [name, kind] :
         {std::pair{"s.mp3", DetailsKind::Audio}, std::pair{"f.mp4", DetailsKind::Video}}) {
        const std::string bytes = ReadAll(dir.File(name));
        for (size_t cut = 0; cut < bytes.size(); cut += std::max<size_t>(1, bytes.size() / 30)) {
            WriteAll(dir.File("cut"), bytes.substr(0, cut));
            Fd fd(dir.File("cut"));
            ExtractDetails(fd.get(), kind, kScanMedia);
        }
        std::string flipped = bytes;
        for (size_t i = 0; i < std::min<size_t>(flipped.size(), 4096); i += 3)
            flipped[i] = static_cast<char>(~flipped[i]);
        WriteAll(dir.File("flipped"), flipped);
        Fd fd(dir.File("flipped"));
        ExtractDetails(fd.get(), kind, kScanMedia);
    }
    // An ID3 tag whose size claims more than the file holds, an MP4 atom claiming 4 GB.
    WriteAll(dir.File("id3"),
             std::string("ID3\x04\0\0\x7f\x7f\x7f\x7fTIT2\x7f\xff\xff\xff\0\0\0hello", 27));
    Fd id3(dir.File("id3"));
    ExtractDetails(id3.get(), DetailsKind::Audio, kScanMedia);
    WriteAll(dir.File("atom"), std::string("\xff\xff\xff\xff"
                                           "ftypisom\0\0\0\0\xff\xff\xff\xf0moov",
                                           24));
    Fd atom(dir.File("atom"));
    const ExtractedDetails d = ExtractDetails(atom.get(), DetailsKind::Video, kScanMedia);
    EXPECT_EQ(d.details.media.width, 0);
}

TEST(DetailsMedia, MetadataDatesAreReadInTheirForms) {
    EXPECT_EQ(DateOfMetadataText("2019:07:14 18:02:55"), DateFromFields({2019, 7, 14, 18, 2, 55}));
    EXPECT_EQ(DateOfMetadataText("2019-07-14"), DateFromFields({2019, 7, 14, 0, 0, 0}));
    EXPECT_EQ(DateOfMetadataText("2021-05-03T10:20:30.000000Z"), DateFromTimeT(1620037230));
    EXPECT_EQ(DateOfMetadataText("0000:00:00 00:00:00"), 0);
    EXPECT_EQ(DateOfMetadataText("garbage"), 0);
    EXPECT_EQ(DateOfMetadataText(""), 0);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
