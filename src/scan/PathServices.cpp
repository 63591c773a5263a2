#include "PathServices.h"

#include <dirent.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "CatalogueDate.h"
#include "MountTable.h"

namespace karvio {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kSecondsPerHour = 3600;
// Days from the catalogue's day 0 (1899-12-30) to 1970-01-01.
constexpr int64_t kUnixEpochDay = 25569;

std::string LastComponent(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool LocalOffset(int64_t seconds, long& offset) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return false;
    offset = tm.tm_gmtoff;
    return true;
}

// The name the directory `dir` holds for `name`: `name` itself when it is there, else the
// entry that matches it ignoring ASCII letter case (file systems such as FAT find names either
// way), else `name`.
std::string SpellingOnDisk(const std::string& dir, const std::string& name) {
    DIR* stream = ::opendir(dir.c_str());
    if (!stream) return name;
    std::string match;
    while (dirent* entry = ::readdir(stream)) {
        if (name == entry->d_name) {
            match = name;
            break;
        }
        if (match.empty() && ::strcasecmp(name.c_str(), entry->d_name) == 0) match = entry->d_name;
    }
    ::closedir(stream);
    return match.empty() ? name : match;
}

}  // namespace

int32_t AttributesOf(mode_t mode, const char* name) {
    int32_t attr = 0;
    if (S_ISDIR(mode)) attr |= kAttrDirectory;
    if ((mode & S_IWUSR) == 0) attr |= kAttrReadOnly;
    if (name[0] == '.') attr |= kAttrHidden;
    return attr;
}

int32_t GetDirAttributes(const std::string& path) {
    if (path.empty()) return 0;
    const std::string stripped = StripBackslash(path);
    struct stat st {};
    if (::stat(stripped.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return 0;
    return AttributesOf(st.st_mode, LastComponent(stripped).c_str());
}

double GetFolderDate(const std::string& path) {
    if (path.empty()) return 0;
    struct stat st {};
    if (::stat(StripBackslash(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return 0;
    return FileTimeToDate(st.st_mtim.tv_sec);
}

double FileTimeToDate(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (static_cast<int64_t>(t) != seconds || !localtime_r(&t, &tm)) return DateNow();
    return DateFromFields({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                           tm.tm_sec});
}

double FileDateConverter::operator()(int64_t seconds) {
    // Offsets change at most once within an hour; an hour whose two ends share an offset has it
    // throughout. Dates before 1970 and hours with a change take the general road.
    if (seconds < 0) return FileTimeToDate(seconds);
    const int64_t hour = seconds / kSecondsPerHour;
    Slot& slot = slots_[static_cast<size_t>(hour) % slots_.size()];
    if (slot.hour != hour) {
        long first = 0, last = 0;
        if (!LocalOffset(hour * kSecondsPerHour, first) ||
            !LocalOffset(hour * kSecondsPerHour + kSecondsPerHour - 1, last) || first != last) {
            return FileTimeToDate(seconds);
        }
        slot.hour = hour;
        slot.offset = first;
    }
    const int64_t local = seconds + slot.offset + kUnixEpochDay * kSecondsPerDay;
    if (local < 0) return FileTimeToDate(seconds);
    const int64_t day = local / kSecondsPerDay;
    const int64_t secondOfDay = local - day * kSecondsPerDay;
    return static_cast<double>(day) + static_cast<double>(secondOfDay) / static_cast<double>(kSecondsPerDay);
}

std::string GetTruePathCase(const std::string& path) {
    if (path.empty()) return {};
    std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path.c_str(), nullptr), &::free);
    if (!resolved) return {};
    const std::string real = resolved.get();

    std::string spelled;
    size_t i = 1;
    while (i <= real.size()) {
        size_t end = real.find('/', i);
        if (end == std::string::npos) end = real.size();
        if (end > i) {
            const std::string parent = spelled.empty() ? "/" : spelled;
            spelled += '/';
            spelled += SpellingOnDisk(parent, real.substr(i, end - i));
        }
        i = end + 1;
    }
    if (spelled.empty()) spelled.assign(1, '/');
    if (spelled == "/" || IsVolumeRoot(spelled)) return spelled;
    if (path.back() == '/') spelled += '/';
    return spelled;
}

std::string AddBackslash(const std::string& path) {
    std::string out;
    out.reserve(path.size() + 1);
    for (char c : path) {
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out += c;
    }
    if (out.empty() || out.back() != '/') out += '/';
    return out;
}

std::string StripBackslash(const std::string& path) {
    if (path.empty() || path.back() != '/') return path;
    std::string out = path.substr(0, path.size() - 1);
    return out.empty() ? std::string("/") : out;
}

std::string GetRelativeDirPath(const std::string& path) {
    if (path.empty()) return "\\";
    std::string rest;
    if (path[0] == '/') {
        const std::string normal = NormalizePath(path);
        const std::string root = VolumeRootOf(normal);
        rest = root == "/" ? normal : normal.substr(root.size());
    } else {
        rest = path;
    }
    if (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    if (rest.empty()) return "\\";
    for (char& c : rest) {
        if (c == '/') c = '\\';
    }
    return rest;
}

std::string TrimAtNull(const std::string& text) {
    const std::string cut = text.substr(0, text.find('\0'));
    const size_t first = cut.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return cut.substr(first, cut.find_last_not_of(' ') - first + 1);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ChangeExtension(const std::string& name, const std::string& extension) {
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return name + "." + extension;
    return name.substr(0, dot + 1) + extension;
}

bool RenameFile(const std::string& oldPath, const std::string& newPath) {
    return std::rename(oldPath.c_str(), newPath.c_str()) == 0;
}

}  // namespace karvio
