// The readers of what is inside files live in a module of their own (libkarvio_readers.so),
// loaded the first time a scan looks inside a file: libavformat, Exiv2, TagLib and libarchive
// bring some hundred libraries with them, which no program should load at every start for
// scans that never use them. This is the module's table of entry points and its loader.
#pragma once

#include <cstdint>
#include <string>

#include "ArchiveReader.h"
#include "MediaReader.h"
#include "Thumbnail.h"

namespace karvio {

struct DetailsReaders {
    ArchiveListing (*listArchive)(int fd, const ArchiveLimits& limits);
    MediaResult (*readPicture)(int fd);
    MediaResult (*readAudio)(int fd);
    MediaResult (*readVideo)(int fd, int64_t maxBytesRead);
    ThumbnailResult (*makeThumbnail)(int fd, int longSide);
};

// The module's entry point: its table.
extern "C" const DetailsReaders* KarvioDetailsReaders();

// The readers, loading the module on first use (beside the program, else where it is installed);
// null when it cannot be loaded, with `why` saying so. Any thread.
const DetailsReaders* LoadDetailsReaders(std::string* why = nullptr);

}  // namespace karvio
