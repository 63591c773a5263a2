// Who a mounted file system is and where a catalogued volume is mounted now. A mount's identity
// comes from udev's by-uuid and by-label links where they exist, else from libblkid probing the
// device (or the image file a loop or FUSE mount shows), and its size from statvfs; probing is
// done once per mount and remembered while the mount stays. All sources are read through
// VolumeSources (MountTable.h), which tests point at fixtures. User-interface thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "MountTable.h"
#include "VolumeSidecar.h"

namespace karvio {

// A mounted file system and who it is; identity.relativePath is the directory of the file
// system that is mounted there (empty for its root).
struct MountedVolume {
    MountEntry mount;
    VolumeIdentity identity;
};

// How surely a mounted volume is the recorded one, weakest first.
enum class VolumeMatch {
    None,
    TypeSizeSource,  // neither has a UUID or label: the same type, size and mount source
    LabelAndSize,    // the same label, type and size (one of them has no UUID)
    Uuid,            // the same file system UUID
};

// Where a recorded volume is mounted now.
struct VolumeLocation {
    MountedVolume volume;
    std::string folderPath;  // the scanned folder's native path on that mount, no trailing "/"
    VolumeMatch match = VolumeMatch::None;
};

// The identity of one mount, probed at most once while it stays mounted.
VolumeIdentity IdentityOfMount(const MountEntry& mount);

// The mounted volumes a user would pick from (MountedVolumes order), each with its identity.
std::vector<MountedVolume> MountedVolumeIdentities();

// The identity of the volume that holds the folder at `path`, with the folder's path relative
// to the file system's root; none when no mount holds the path.
std::optional<VolumeIdentity> IdentityOfFolder(const std::string& path);

// How `mounted` matches `recorded`.
VolumeMatch MatchVolume(const VolumeIdentity& recorded, const VolumeIdentity& mounted);

// The best match for `recorded` among `mounted` whose mounted directory holds the recorded
// folder; on equal matches the earlier mount.
std::optional<VolumeLocation> LocateVolume(const VolumeIdentity& recorded, const std::vector<MountedVolume>& mounted);
std::optional<VolumeLocation> LocateVolume(const VolumeIdentity& recorded);

// A short text naming a volume for the user: its label, else its type and size.
std::string DescribeVolume(const VolumeIdentity& identity);

// Forgets the remembered probes (tests that rebuild fixtures under the same names).
void ForgetVolumeProbes();

}  // namespace karvio
