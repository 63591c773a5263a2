// Test data made on the spot with the libraries' own writers: archives (libarchive), photos with
// Exif (Qt's JPEG writer, then Exiv2), songs with tags (libavcodec's encoders, libavformat's
// muxers, then TagLib) and films (libavcodec and libavformat). Nothing is downloaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QImage;

namespace karvio::testing {

struct FixtureMember {
    std::string path;  // as the archive names it; ending in "/" for a directory
    std::string content;
    int64_t mtime = 1563120000;  // 2019-07-14
};

// `format`: "zip", "7zip", "pax", "ustar", "iso9660", "cpio"; `filter`: "", "gzip", "bzip2", "xz".
// Returns false when the writer refused (the reason on stderr).
bool WriteArchive(const std::string& path, const std::string& format, const std::string& filter,
                  const std::vector<FixtureMember>& members, const std::string& passphrase = {});

struct FixturePhoto {
    int width = 640, height = 480;
    std::string make, model;        // Exif.Image.Make / Model; none when empty
    std::string taken;              // Exif.Photo.DateTimeOriginal, "2019:07:14 18:02:55"
    std::string title;              // Xmp.dc.title
    int orientation = 0;            // Exif.Image.Orientation; none when 0
    bool alpha = false;             // written as PNG with transparency instead of JPEG
    std::string changed = {};       // Exif.Image.DateTime; cameras write the date taken
};
bool WritePhoto(const std::string& path, const FixturePhoto& photo);
// The picture WritePhoto writes for `photo`: blue, yellow at the top left, green at the bottom right.
QImage FixturePicture(const FixturePhoto& photo);
// A HEIF photo (as phones write HEIC) of `picture` (through libheif's HEVC encoder, or its AV1
// one for a path ending in ".avif"), with
// `photo`'s make, model and date taken in its Exif and its title in its XMP, and `thumbnail`, when
// it is not null, scaled into `thumbnailBox` pixels as the picture's thumbnail.
bool WriteHeifPhoto(const std::string& path, const QImage& picture, const FixturePhoto& photo,
                    const QImage* thumbnail = nullptr, int thumbnailBox = 160);
// Writes `photo`'s metadata (not its size) into the picture already at `path`.
bool TagPhoto(const std::string& path, const FixturePhoto& photo);
// Writes `preview` into the Exif of the JPEG photo at `path` as its camera preview.
bool WriteCameraPreview(const std::string& path, const QImage& preview);

struct FixtureSong {
    std::string format = "mp3";     // "mp3", "flac", "ogg" (Vorbis), "opus", "wav", "m4a"
    double seconds = 2;
    std::string artist, album, title;
};
bool WriteSong(const std::string& path, const FixtureSong& song);

struct FixtureFilm {
    std::string format = "mp4";     // "mp4", "matroska", "avi"
    int width = 320, height = 240;
    double seconds = 1;
    std::string title;
};
bool WriteFilm(const std::string& path, const FixtureFilm& film);

}  // namespace karvio::testing
