// Reads the details of media files from their headers: pictures through Exiv2 (Exif, IPTC, XMP
// of JPEG, TIFF, PNG, WebP, HEIF and camera raw files), songs through TagLib (MP3, FLAC, Ogg,
// Opus, M4A, WMA, WAV, ...), films through libavformat (container duration, picture size,
// codecs). Malformed headers give a note, never a crash. Any thread; the libraries' own start-up
// runs once, and their messages to the terminal are silenced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DetailsDatabase.h"

namespace karvio {

struct MediaResult {
    MediaFields fields;  // kind None when nothing could be read
    std::string note;    // why it could not be read (or only partly)
};

// Each reads the file open at `fd` (the descriptor's offset may move).
MediaResult ReadPictureDetails(int fd);
MediaResult ReadAudioDetails(int fd);
// Films: at most `maxBytesRead` bytes of the file are read.
MediaResult ReadVideoDetails(int fd, int64_t maxBytesRead = int64_t{16} << 20);

// The preview a camera writes into a JPEG photo's Exif (a small JPEG or TIFF picture), as its
// bytes, when the photo still stands as it was taken: its Exif date of change is its date taken.
// Empty when the photo has no preview, was changed since, or cannot be read.
std::string ReadCameraPreview(int fd);

// Whether the file open at `fd` is a HEIF picture (the HEIC photos of phones) that libheif reads,
// by its first bytes. Its details come from libheif, and its thumbnail too.
bool IsHeifPicture(int fd);

struct HeifPixels {
    int width = 0, height = 0;  // 0 when nothing could be decoded
    bool alpha = false;
    std::vector<unsigned char> pixels;  // rows of RGB, or RGBA with alpha, without padding
    std::string note;                   // why not
};
// The HEIF picture open at `fd` decoded for a thumbnail, turned as it is shown: the smallest of
// its own thumbnails that is at least `longSide` on its long side and has the picture's
// proportions, else the picture itself. Nothing is decoded of more than `maxPixels`.
HeifPixels DecodeHeifForThumbnail(int fd, int longSide, int64_t maxPixels);

// The catalogue date of an Exif-style "2019:07:14 18:02:55" (also "2019-07-14T18:02:55", a date
// alone, or an ISO date with a zone, read as local time); 0 when it is none.
double DateOfMetadataText(std::string_view text);

}  // namespace karvio
