// The system's mount table and the files around it that tell what a volume is: every mount of
// /proc/self/mountinfo, the label and UUID links of /dev/disk/by-label and by-uuid and the
// block devices of /sys/dev/block. All of them are read through VolumeSources, which tests point at fixture files.
// Stateless apart from that one setting; user-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace karvio {

// One mount as the kernel lists it, texts with their octal escapes (\040 and the like) decoded.
struct MountEntry {
    int mountId = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;        // the directory of the file system mounted here
    std::string mountPoint;  // where it is mounted, an absolute path
    std::string fsType;      // "ext4", "iso9660", "fuse.fuseiso", ...
    std::string source;      // "/dev/sr0", "server:/export", "tmpfs", ...
};

// Where the system's volume information is read. Tests point these at fixture files.
struct VolumeSources {
    std::string mountInfo = "/proc/self/mountinfo";
    std::string labelDir = "/dev/disk/by-label";
    std::string sysDevBlock = "/sys/dev/block";
    std::string uuidDir = "/dev/disk/by-uuid";
    std::string procDir = "/proc";  // where the FUSE daemons' command lines are read
};

const VolumeSources& GetVolumeSources();
// Replaces the sources and returns the previous ones.
VolumeSources SetVolumeSources(VolumeSources sources);

// For its lifetime, volume information is read from `sources`.
class ScopedVolumeSources {
public:
    explicit ScopedVolumeSources(VolumeSources sources) : previous_(SetVolumeSources(std::move(sources))) {}
    ~ScopedVolumeSources() { SetVolumeSources(std::move(previous_)); }
    ScopedVolumeSources(const ScopedVolumeSources&) = delete;
    ScopedVolumeSources& operator=(const ScopedVolumeSources&) = delete;

private:
    VolumeSources previous_;
};

// The mounts of a mountinfo text in its order; lines that do not parse are left out.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The mounts of the current mount table; empty when it cannot be read.
std::vector<MountEntry> ReadMountTable();

// `path` made absolute (against the working directory) with ".", ".." and repeated "/" resolved
// by text alone; symbolic links are not followed.
std::string NormalizePath(const std::string& path);

// The mount that holds the absolute normalized `path`: the longest mount point that is `path`
// or one of its ancestors, the later of two mounts on one point. Null when none matches.
const MountEntry* FindMount(const std::vector<MountEntry>& mounts, const std::string& path);

// The volume root of `path`: the mount point that holds it, "/" when the table cannot tell.
std::string VolumeRootOf(const std::string& path);

// Whether `path` names a volume root itself (a mount point, or "/").
bool IsVolumeRoot(const std::string& path);

// The mounted volumes a user would pick from, in mount order: "/" and every mount that holds
// files, leaving out the kernel's own file systems (proc, sysfs, cgroups, ...) and the mounts
// below /proc, /sys, /dev and /run (apart from /run/media, where removable media go).
std::vector<MountEntry> MountedVolumes();

// The label of a mount from the label directory, then from the device itself where it can be
// read; empty when it has none.
std::string LabelOfMount(const MountEntry& mount);

// The label of the file system in the block device or image file at `path`; empty when there is
// none or the file cannot be read.
std::string ReadLabelFromDevice(const std::string& path);

// The device file a mount source names, symbolic links resolved; empty when the source is not an
// absolute path ("tmpfs", "fuseiso", "server:/export").
std::string ResolvedMountSource(const std::string& source);

// The entry of a udev link folder (by-label, by-uuid) that points at `device`, decoded; empty
// when none does or the folder cannot be read.
std::string UdevLinkNameFor(const std::string& linkDir, const std::string& device);

// Decodes the \xNN escapes udev writes into the names of /dev/disk/by-label.
std::string DecodeUdevName(std::string_view name);

}  // namespace karvio
