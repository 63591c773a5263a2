// The volume identities of CDs as karvio-cli shows them: "volume" in the JSON of a CD (null when
// none is recorded) with where that volume is mounted now, read once per command.
#pragma once

#include <cstdint>
#include <vector>

#include "JsonWriter.h"
#include "VolumeLocator.h"
#include "VolumeSidecar.h"
#include "classData.h"

namespace karvio::cli {

// The recorded identities of the catalogue and the volumes mounted now; a damaged sidecar's
// note goes to stderr once.
class CdVolumes {
public:
    explicit CdVolumes(classData& data);
    // "volume": the CD's identity and "mounted_at", or null.
    void Member(JsonWriter& json, int32_t cdId) const;

private:
    VolumeEntries entries_;
    std::vector<MountedVolume> mounted_;
};

}  // namespace karvio::cli
