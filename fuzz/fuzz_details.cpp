// Runs each of the readers a scan uses inside files over arbitrary bytes: the archive lister, the
// picture, song and film readers and the thumbnail maker. The first byte picks the reader, the
// rest is the file (held in memory behind a descriptor, as a scan hands over an open file). Any
// crash, hang or unbounded allocation is a finding; a note is the expected outcome.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "ArchiveReader.h"
#include "DetailsExtractor.h"
#include "MediaReader.h"
#include "Thumbnail.h"

using namespace karvio;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int fd = ::memfd_create("fuzz-details", MFD_CLOEXEC);
    if (fd < 0) return 0;
    for (size_t done = 1; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    DetailsLimits limits;
    limits.archive.maxMembers = 2000;
    limits.archive.maxBytesRead = 8 << 20;
    limits.archive.maxUnpackedBytes = 64 << 20;
    switch (data[0] % 5) {
        case 0: ListArchive(fd, limits.archive); break;
        case 1: ReadPictureDetails(fd); break;
        case 2: ReadAudioDetails(fd); break;
        case 3: ReadVideoDetails(fd, limits.maxFilmBytesRead); break;
        default: MakeThumbnail(fd); break;
    }
    ::close(fd);
    return 0;
}
