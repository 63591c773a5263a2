// What the scan asks about the volume that holds a path: its label, its free space and its kind
// of medium, answered from the mount table (MountTable.h) and the system's volume calls. None of
// them reports an error: a volume that cannot be queried gives the fallback value each one names.
// Stateless; user-interface thread only.
#pragma once

#include <cstdint>
#include <string>

#include "MountTable.h"

namespace karvio {

// Media types, numbered as the catalogue stores them.
inline constexpr int32_t kMediaUnknown = 0;
inline constexpr int32_t kMediaNoRoot = 1;     // the path does not exist
inline constexpr int32_t kMediaRemovable = 2;  // USB sticks, card readers
inline constexpr int32_t kMediaFixed = 3;      // any other mounted file system
inline constexpr int32_t kMediaRemote = 4;     // network file systems
inline constexpr int32_t kMediaCdRom = 5;      // optical discs and ISO 9660/UDF images
inline constexpr int32_t kMediaRamDisk = 6;    // tmpfs, ramfs

// The texts GetVolumeLabel gives for a volume without a label and for one that cannot be read.
inline constexpr const char* kNoLabel = "(no label)";
inline constexpr const char* kDiskNotReady = "..Disk Not Ready..";

// The label of the volume that holds `path`: "..Disk Not Ready.." when the path does not exist
// or the volume root cannot be read, "(no label)" when the volume has no label.
std::string GetVolumeLabel(const std::string& path);

// The name a new scan of `path` proposes for its disc: the volume's `label`, or, when the volume
// has no label ("(no label)"), the scanned folder's own name; the root "/" keeps the label.
std::string ProposedDiscName(const std::string& path, const std::string& label);

// Bytes available to the user on the volume that holds `path`; 0 when it cannot be queried.
double GetDiskFreeBytes(const std::string& path);

// The media type of the volume that holds `path`: 1 when the path does not exist, 0 when it is
// empty or no mount holds it.
int32_t GetMediaType(const std::string& path);

// The media type of a mount.
int32_t MediaTypeOfMount(const MountEntry& mount);

}  // namespace karvio
