// Lists the members of an archive (zip, 7z, tar with its compressions, ISO 9660, cab, rar, cpio,
// xar, lha) through libarchive, from headers only: no member is ever unpacked, nothing is written
// to disk. Formats with a directory (zip, 7z, ISO) are listed from it; a compressed tarball has
// none and is unpacked as a stream, up to a limit. Any thread; one call at a time per descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DetailsDatabase.h"

namespace karvio {

// How much one archive may cost. A listing that reaches a limit keeps what it found and says so.
struct ArchiveLimits {
    size_t maxMembers = 50000;                   // members listed per archive
    int64_t maxBytesRead = int64_t{256} << 20;   // bytes read of the archive file
    int64_t maxUnpackedBytes = int64_t{1} << 30; // bytes of a compressed stream unpacked to reach headers
};

struct ArchiveListing {
    bool recognised = false;  // libarchive read it as an archive
    std::vector<ArchiveMember> members;
    bool capped = false;      // the archive holds more than was listed
    std::string note;         // why the listing is incomplete or missing; empty when it is complete
};

// Lists the archive open at `fd` (read from its start with pread; the descriptor's offset is
// left alone).
ArchiveListing ListArchive(int fd, const ArchiveLimits& limits = {});

// A member path as it is kept: "/"-separated ("\" taken as a separator too), without a leading
// "/", without empty, "." and ".." parts (a ".." removes the part before it, never more than
// there are), so no path points outside its archive.
std::string CleanMemberPath(std::string_view raw);

}  // namespace karvio
