#include "MountTable.h"

#include <blkid/blkid.h>
#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

namespace karvio {

namespace {

VolumeSources& Sources() {
    static VolumeSources sources;
    return sources;
}

// mountinfo writes space, tab, newline and backslash in paths as \ooo.
std::string DecodeOctalEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const char a = text[i + 1], b = text[i + 2], c = text[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool ParseInt(std::string_view text, unsigned& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

bool ParseLine(std::string_view line, MountEntry& entry) {
    // id parent major:minor root mountpoint options [optional fields...] - fstype source super
    const std::vector<std::string_view> f = SplitFields(line);
    if (f.size() < 10) return false;
    size_t dash = 6;
    while (dash < f.size() && f[dash] != "-") ++dash;
    if (dash + 2 >= f.size()) return false;
    unsigned id = 0, parent = 0;
    const size_t colon = f[2].find(':');
    if (!ParseInt(f[0], id) || !ParseInt(f[1], parent) || colon == std::string_view::npos ||
        !ParseInt(f[2].substr(0, colon), entry.major) || !ParseInt(f[2].substr(colon + 1), entry.minor)) {
        return false;
    }
    if (f[4].empty() || f[4][0] != '/') return false;
    entry.mountId = static_cast<int>(id);
    entry.parentId = static_cast<int>(parent);
    entry.root = DecodeOctalEscapes(f[3]);
    entry.mountPoint = DecodeOctalEscapes(f[4]);
    entry.fsType = DecodeOctalEscapes(f[dash + 1]);
    entry.source = DecodeOctalEscapes(f[dash + 2]);
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return true;
}

bool StartsWithDir(const std::string& path, const std::string& dir) {
    if (dir == "/") return true;
    return path.compare(0, dir.size(), dir) == 0 && (path.size() == dir.size() || path[dir.size()] == '/');
}

std::string Basename(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The device file a mount source names, links resolved, when it is an absolute path.
std::string ResolvedSource(const std::string& source) {
    if (source.empty() || source[0] != '/') return {};
    char resolved[PATH_MAX];
    if (::realpath(source.c_str(), resolved)) return resolved;
    return source;
}

std::string TrimBlanks(std::string text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

const VolumeSources& GetVolumeSources() { return Sources(); }

VolumeSources SetVolumeSources(VolumeSources sources) {
    VolumeSources previous = std::move(Sources());
    Sources() = std::move(sources);
    return previous;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        MountEntry entry;
        if (ParseLine(text.substr(start, end - start), entry)) mounts.push_back(std::move(entry));
        start = end + 1;
    }
    return mounts;
}

std::vector<MountEntry> ReadMountTable() {
    std::string text;
    if (!ReadWholeFile(Sources().mountInfo, text)) return {};
    return ParseMountInfo(text);
}

std::string NormalizePath(const std::string& path) {
    std::string absolute = path;
    if (absolute.empty() || absolute[0] != '/') {
        char cwd[PATH_MAX];
        const std::string base = ::getcwd(cwd, sizeof cwd) ? cwd : "/";
        absolute = base + "/" + absolute;
    }
    std::vector<std::string_view> parts;
    std::string_view rest(absolute);
    size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && rest[i] == '/') ++i;
        const size_t start = i;
        while (i < rest.size() && rest[i] != '/') ++i;
        const std::string_view part = rest.substr(start, i - start);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (std::string_view part : parts) {
        out += '/';
        out += part;
    }
    return out.empty() ? "/" : out;
}

const MountEntry* FindMount(const std::vector<MountEntry>& mounts, const std::string& path) {
    const MountEntry* best = nullptr;
    for (const MountEntry& m : mounts) {
        if (!StartsWithDir(path, m.mountPoint)) continue;
        if (!best || m.mountPoint.size() >= best->mountPoint.size()) best = &m;
    }
    return best;
}

std::string VolumeRootOf(const std::string& path) {
    const std::string normal = NormalizePath(path);
    const std::vector<MountEntry> mounts = ReadMountTable();
    const MountEntry* mount = FindMount(mounts, normal);
    return mount ? mount->mountPoint : std::string("/");
}

bool IsVolumeRoot(const std::string& path) {
    const std::string normal = NormalizePath(path);
    return normal == VolumeRootOf(normal);
}

std::vector<MountEntry> MountedVolumes() {
    static constexpr std::string_view kKernelTypes[] = {
        "proc",      "sysfs",     "cgroup",   "cgroup2",    "devpts",     "devtmpfs", "mqueue",
        "debugfs",   "tracefs",   "securityfs", "pstore",   "bpf",        "configfs", "fusectl",
        "hugetlbfs", "autofs",    "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",    "selinuxfs",
        "nfsd",      "ramfs"};
    static constexpr std::string_view kSystemDirs[] = {"/proc", "/sys", "/dev", "/run", "/snap",
                                                       "/var/lib/snapd", "/boot/efi"};
    std::vector<MountEntry> volumes;
    for (MountEntry& m : ReadMountTable()) {
        bool keep = m.mountPoint == "/";
        if (!keep) {
            keep = true;
            for (std::string_view type : kKernelTypes) {
                if (m.fsType == type) keep = false;
            }
            for (std::string_view dir : kSystemDirs) {
                if (StartsWithDir(m.mountPoint, std::string(dir))) keep = false;
            }
            if (StartsWithDir(m.mountPoint, "/run/media") && m.mountPoint != "/run/media") keep = true;
        }
        if (!keep) continue;
        // A later mount on the same point hides the earlier one; the point keeps its place.
        bool replaced = false;
        for (MountEntry& v : volumes) {
            if (v.mountPoint == m.mountPoint) {
                v = m;
                replaced = true;
            }
        }
        if (!replaced) volumes.push_back(std::move(m));
    }
    return volumes;
}

std::string DecodeUdevName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int hi = hex(name[i + 2]);
            const int lo = hex(name[i + 3]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 3;
                continue;
            }
        }
        out += name[i];
    }
    return out;
}

std::string ReadLabelFromDevice(const std::string& path) {
    struct ProbeDeleter {
        void operator()(blkid_struct_probe* p) const { blkid_free_probe(p); }
    };
    std::unique_ptr<blkid_struct_probe, ProbeDeleter> probe(blkid_new_probe_from_filename(path.c_str()));
    if (!probe) return {};
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_LABEL);
    if (blkid_do_safeprobe(probe.get()) != 0) return {};
    const char* label = nullptr;
    if (blkid_probe_lookup_value(probe.get(), "LABEL", &label, nullptr) != 0 || !label) return {};
    return TrimBlanks(label);
}

std::string ResolvedMountSource(const std::string& source) { return ResolvedSource(source); }

std::string UdevLinkNameFor(const std::string& dirPath, const std::string& device) {
    if (device.empty()) return {};
    DIR* dir = ::opendir(dirPath.c_str());
    if (!dir) return {};
    std::string found;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        char target[PATH_MAX];
        const ssize_t n = ::readlink((dirPath + "/" + name).c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        if (Basename(target) == Basename(device)) {
            found = DecodeUdevName(name);
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::string LabelOfMount(const MountEntry& mount) {
    const std::string device = ResolvedSource(mount.source);
    if (device.empty()) return {};
    if (std::string label = UdevLinkNameFor(Sources().labelDir, device); !label.empty()) return label;
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) return ReadLabelFromDevice(device);
    return {};
}

}  // namespace karvio
