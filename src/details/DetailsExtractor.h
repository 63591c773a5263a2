// Reads everything a scan's options ask of one file, choosing the reader by the file's kind:
// an archive's members, a picture's, song's or film's details, a picture's thumbnail. Whatever
// cannot be read leaves a note instead; nothing it meets in a file ends the scan. Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ArchiveReader.h"
#include "DetailsDatabase.h"
#include "DetailsKinds.h"

namespace karvio {

// How much one file may cost (documented in the user guide).
struct DetailsLimits {
    ArchiveLimits archive;
    int64_t maxFilmBytesRead = int64_t{16} << 20;
};

struct ExtractedDetails {
    FileDetails details;  // fileId, cdId and the file's stamp are the caller's to set
    std::vector<ArchiveMember> members;
    std::string thumbnail;
};

// Reads the file open at `fd` as a file of `kind`, as far as `options` (ScanOption bits) ask.
ExtractedDetails ExtractDetails(int fd, DetailsKind kind, uint32_t options, const DetailsLimits& limits = {});

}  // namespace karvio
