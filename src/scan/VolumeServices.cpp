#include "VolumeServices.h"

#include "VolumeLocator.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <fstream>
#include <string_view>

#include "PathServices.h"

namespace karvio {

namespace {

constexpr unsigned kScsiCdRomMajor = 11;

bool IsOneOf(const std::string& value, std::initializer_list<std::string_view> list) {
    for (std::string_view item : list) {
        if (value == item) return true;
    }
    return false;
}

bool FileSaysOne(const std::string& path) {
    std::ifstream in(path);
    char c = 0;
    return in.get(c) && c == '1';
}

// Whether the block device of a mount is removable: its own "removable" flag, the flag of the
// disk a partition belongs to, or a place below a USB controller.
bool IsRemovableDevice(const MountEntry& mount) {
    const std::string link =
        GetVolumeSources().sysDevBlock + "/" + std::to_string(mount.major) + ":" + std::to_string(mount.minor);
    char resolved[PATH_MAX];
    if (!::realpath(link.c_str(), resolved)) return false;
    const std::string device = resolved;
    if (FileSaysOne(device + "/removable") || FileSaysOne(device + "/../removable")) return true;
    return device.find("/usb") != std::string::npos;
}

const MountEntry* MountOf(const std::vector<MountEntry>& mounts, const std::string& path) {
    return FindMount(mounts, NormalizePath(path));
}

}  // namespace

int32_t MediaTypeOfMount(const MountEntry& mount) {
    const std::string& type = mount.fsType;
    const bool opticalDevice = mount.source.compare(0, 7, "/dev/sr") == 0 || mount.major == kScsiCdRomMajor;
    if (IsOneOf(type, {"iso9660", "udf", "fuse.fuseiso"}) || opticalDevice) return kMediaCdRom;
    if (IsOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "davfs",
                       "fuse.davfs2", "ncpfs", "afs", "ceph", "fuse.ceph", "glusterfs",
                       "fuse.glusterfs", "fuse.rclone", "fuse.s3fs", "lustre"})) {
        return kMediaRemote;
    }
    if (IsOneOf(type, {"tmpfs", "ramfs"})) return kMediaRamDisk;
    if (mount.major != 0 && IsRemovableDevice(mount)) return kMediaRemovable;
    return kMediaFixed;
}

std::string GetVolumeLabel(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return kDiskNotReady;
    const std::vector<MountEntry> mounts = ReadMountTable();
    const MountEntry* mount = MountOf(mounts, path);
    const std::string root = mount ? mount->mountPoint : std::string("/");
    DIR* dir = ::opendir(root.c_str());
    if (!dir) return kDiskNotReady;
    ::closedir(dir);
    std::string label = mount ? TrimAtNull(LabelOfMount(*mount)) : std::string();
    // A disc image mounted through FUSE shows no device; its identity reads the label from the image.
    if (label.empty() && mount) label = TrimAtNull(IdentityOfMount(*mount).label);
    return label.empty() ? kNoLabel : label;
}

std::string ProposedDiscName(const std::string& path, const std::string& label) {
    if (label != kNoLabel) return label;
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const size_t slash = folder.rfind('/');
    std::string name = slash == std::string::npos ? folder : folder.substr(slash + 1);
    return name.empty() ? label : name;
}

double GetDiskFreeBytes(const std::string& path) {
    struct statvfs vfs {};
    if (path.empty() || ::statvfs(path.c_str(), &vfs) != 0) return 0;
    return static_cast<double>(vfs.f_bavail) * static_cast<double>(vfs.f_frsize);
}

int32_t GetMediaType(const std::string& path) {
    if (path.empty()) return kMediaUnknown;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return kMediaNoRoot;
    const std::vector<MountEntry> mounts = ReadMountTable();
    const MountEntry* mount = MountOf(mounts, path);
    return mount ? MediaTypeOfMount(*mount) : kMediaUnknown;
}

}  // namespace karvio
