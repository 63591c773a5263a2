#include "VolumeLocator.h"

#include <blkid/blkid.h>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

namespace karvio {

namespace {

constexpr size_t kMaxRememberedProbes = 256;

struct ProbeDeleter {
    void operator()(blkid_struct_probe* p) const { blkid_free_probe(p); }
};

std::string Trimmed(const char* text) {
    std::string s = text ? text : "";
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// UUID, label and type of the file system in a device or image file, where it can be read.
void ProbeFileSystem(const std::string& path, VolumeIdentity& id) {
    std::unique_ptr<blkid_struct_probe, ProbeDeleter> probe(blkid_new_probe_from_filename(path.c_str()));
    if (!probe) return;
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_UUID | BLKID_SUBLKS_LABEL | BLKID_SUBLKS_TYPE);
    if (blkid_do_safeprobe(probe.get()) != 0) return;
    const char* value = nullptr;
    if (id.uuid.empty() && blkid_probe_lookup_value(probe.get(), "UUID", &value, nullptr) == 0) {
        id.uuid = Trimmed(value);
    }
    if (id.label.empty() && blkid_probe_lookup_value(probe.get(), "LABEL", &value, nullptr) == 0) {
        id.label = Trimmed(value);
    }
}

std::string Strip(std::string path) {
    while (!path.empty() && path.front() == '/') path.erase(0, 1);
    while (!path.empty() && path.back() == '/') path.pop_back();
    return path;
}

std::string Join(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + "/" + b;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> ReadArguments(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> args;
    if (!in) return args;
    std::ostringstream text;
    text << in.rdbuf();
    const std::string line = text.str();
    for (size_t start = 0; start < line.size();) {
        size_t end = line.find('\0', start);
        if (end == std::string::npos) end = line.size();
        args.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return args;
}

// Whether a daemon's argument names `path`. Daemons move to "/" once they run, so a relative
// argument is taken as naming the end of the path.
bool ArgumentNames(const std::string& arg, const std::string& path) {
    if (arg.empty() || arg[0] == '-') return false;
    if (arg[0] == '/') return NormalizePath(arg) == path;
    const std::string tail = NormalizePath("/" + arg);
    return tail != "/" && path.size() > tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
}

// A FUSE mount such as fuseiso names no device: the image is the file its daemon holds open
// and was started with, the daemon being the one whose arguments name the mount point.
std::string FuseImageOf(const MountEntry& mount) {
    const std::string& procDir = GetVolumeSources().procDir;
    DIR* dir = ::opendir(procDir.c_str());
    if (!dir) return {};
    std::string image;
    while (image.empty()) {
        const dirent* entry = ::readdir(dir);
        if (!entry) break;
        const std::string name = entry->d_name;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string process = procDir + "/" + name;
        const std::vector<std::string> args = ReadArguments(process + "/cmdline");
        bool serves = false;
        for (size_t k = 1; k < args.size() && !serves; ++k) serves = ArgumentNames(args[k], mount.mountPoint);
        if (!serves) continue;
        DIR* fds = ::opendir((process + "/fd").c_str());
        if (!fds) continue;
        // Only a FUSE daemon holds /dev/fuse; any other program may name the mount point too.
        bool daemon = false;
        std::string candidate;
        while (const dirent* fd = ::readdir(fds)) {
            char target[4096];
            const ssize_t n = ::readlink((process + "/fd/" + fd->d_name).c_str(), target, sizeof target - 1);
            if (n <= 0) continue;
            const std::string open(target, static_cast<size_t>(n));
            if (open == "/dev/fuse") daemon = true;
            if (!candidate.empty() || open.empty() || open[0] != '/' || !IsRegularFile(open)) continue;
            for (size_t k = 1; k < args.size() && candidate.empty(); ++k) {
                if (ArgumentNames(args[k], open)) candidate = open;
            }
        }
        ::closedir(fds);
        if (daemon) image = candidate;
    }
    ::closedir(dir);
    return image;
}

VolumeIdentity ProbeMount(const MountEntry& mount) {
    VolumeIdentity id;
    id.fsType = mount.fsType;
    id.source = mount.source;
    id.relativePath = Strip(mount.root);
    struct statvfs vfs {};
    if (::statvfs(mount.mountPoint.c_str(), &vfs) == 0) {
        id.size = static_cast<double>(vfs.f_blocks) * static_cast<double>(vfs.f_frsize);
    }
    const std::string device = ResolvedMountSource(mount.source);
    struct stat st {};
    const bool exists = !device.empty() && ::stat(device.c_str(), &st) == 0;
    if (!device.empty()) {
        // udev's links need no right to read the device itself.
        id.uuid = UdevLinkNameFor(GetVolumeSources().uuidDir, device);
        id.label = UdevLinkNameFor(GetVolumeSources().labelDir, device);
    }
    std::string probeFile;
    if (exists && (S_ISBLK(st.st_mode) || S_ISREG(st.st_mode))) {
        probeFile = device;
    } else if (mount.fsType.rfind("fuse", 0) == 0) {
        probeFile = FuseImageOf(mount);
        if (!probeFile.empty()) id.source = probeFile;
    }
    if (!probeFile.empty() && (id.uuid.empty() || id.label.empty())) ProbeFileSystem(probeFile, id);
    // FUSE file systems may report no size; an image's own size is as steady.
    struct stat image {};
    if (id.size == 0 && !probeFile.empty() && ::stat(probeFile.c_str(), &image) == 0 && S_ISREG(image.st_mode)) {
        id.size = static_cast<double>(image.st_size);
    }
    return id;
}

std::map<std::string, VolumeIdentity>& Probes() {
    static std::map<std::string, VolumeIdentity> probes;
    return probes;
}

// A mount is the same mount while its id, device, source, point and type stay.
std::string ProbeKey(const MountEntry& m) {
    return GetVolumeSources().mountInfo + '\n' + std::to_string(m.mountId) + '\n' + std::to_string(m.major) +
           ':' + std::to_string(m.minor) + '\n' + m.source + '\n' + m.mountPoint + '\n' + m.fsType + '\n' + m.root;
}

// The recorded folder's path on `mounted`, when the directory mounted there holds it.
std::optional<std::string> FolderOn(const VolumeIdentity& recorded, const MountedVolume& mounted) {
    const std::string& root = mounted.identity.relativePath;
    const std::string& folder = recorded.relativePath;
    std::string rest;
    if (root.empty()) {
        rest = folder;
    } else if (folder == root) {
        rest.clear();
    } else if (folder.size() > root.size() && folder.compare(0, root.size(), root) == 0 && folder[root.size()] == '/') {
        rest = folder.substr(root.size() + 1);
    } else {
        return std::nullopt;
    }
    const std::string& point = mounted.mount.mountPoint;
    if (rest.empty()) return point;
    return point == "/" ? "/" + rest : point + "/" + rest;
}

}  // namespace

VolumeIdentity IdentityOfMount(const MountEntry& mount) {
    std::map<std::string, VolumeIdentity>& probes = Probes();
    const std::string key = ProbeKey(mount);
    if (const auto it = probes.find(key); it != probes.end()) return it->second;
    if (probes.size() >= kMaxRememberedProbes) probes.clear();
    VolumeIdentity id = ProbeMount(mount);
    probes.emplace(key, id);
    return id;
}

void ForgetVolumeProbes() { Probes().clear(); }

std::vector<MountedVolume> MountedVolumeIdentities() {
    std::vector<MountedVolume> volumes;
    for (MountEntry& mount : MountedVolumes()) {
        VolumeIdentity id = IdentityOfMount(mount);
        volumes.push_back(MountedVolume{std::move(mount), std::move(id)});
    }
    return volumes;
}

std::optional<VolumeIdentity> IdentityOfFolder(const std::string& path) {
    const std::string normal = NormalizePath(path);
    const std::vector<MountEntry> mounts = ReadMountTable();
    const MountEntry* mount = FindMount(mounts, normal);
    if (!mount) return std::nullopt;
    VolumeIdentity id = IdentityOfMount(*mount);
    const std::string below = mount->mountPoint == "/" ? normal : normal.substr(mount->mountPoint.size());
    id.relativePath = Join(id.relativePath, Strip(below));
    return id;
}

VolumeMatch MatchVolume(const VolumeIdentity& recorded, const VolumeIdentity& mounted) {
    if (!recorded.uuid.empty() && !mounted.uuid.empty()) {
        return recorded.uuid == mounted.uuid ? VolumeMatch::Uuid : VolumeMatch::None;
    }
    const bool sameSize = recorded.size > 0 && recorded.size == mounted.size;
    const bool sameType = recorded.fsType == mounted.fsType;
    if (!recorded.label.empty() || !mounted.label.empty()) {
        return recorded.label == mounted.label && sameSize && sameType ? VolumeMatch::LabelAndSize : VolumeMatch::None;
    }
    return sameType && sameSize && !recorded.source.empty() && recorded.source == mounted.source
               ? VolumeMatch::TypeSizeSource
               : VolumeMatch::None;
}

std::optional<VolumeLocation> LocateVolume(const VolumeIdentity& recorded, const std::vector<MountedVolume>& mounted) {
    if (recorded.Empty()) return std::nullopt;
    std::optional<VolumeLocation> best;
    for (const MountedVolume& volume : mounted) {
        const VolumeMatch match = MatchVolume(recorded, volume.identity);
        if (match == VolumeMatch::None || (best && match <= best->match)) continue;
        std::optional<std::string> folder = FolderOn(recorded, volume);
        if (!folder) continue;
        best = VolumeLocation{volume, std::move(*folder), match};
    }
    return best;
}

std::optional<VolumeLocation> LocateVolume(const VolumeIdentity& recorded) {
    return LocateVolume(recorded, MountedVolumeIdentities());
}

std::string DescribeVolume(const VolumeIdentity& identity) {
    if (!identity.label.empty()) return identity.label;
    std::string text = identity.fsType.empty() ? std::string("a volume") : identity.fsType;
    if (identity.size > 0) {
        static const char* const kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
        double size = identity.size;
        int unit = 0;
        while (size >= 1024 && unit < 4) {
            size /= 1024;
            ++unit;
        }
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, unit == 0 ? " of %.0f %s" : " of %.1f %s", size, kUnits[unit]);
        text += buffer;
    }
    return text;
}

}  // namespace karvio
