// Which CDs of the program's data file have their volume mounted right now, for views that ask
// per row while they paint. Answers come from a snapshot of the recorded identities and the
// mounted volumes, taken again when the mount table or the identities file has changed, and
// looked at no more often than every half second. User-interface thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "VolumeLocator.h"

namespace karvio {

// Where the volume of CD `cdId` is mounted now; none when it is not mounted or not known.
std::optional<VolumeLocation> WhereCdVolumeIsMounted(int32_t cdId);
bool IsCdVolumeMounted(int32_t cdId);

// Makes the next question take a fresh snapshot (after a scan, or in tests).
void ForgetVolumePresence();

}  // namespace karvio
