#include "VolumePresence.h"

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>

#include "CatalogueDetails.h"
#include "ProgramInfo.h"
#include "classData.h"

namespace karvio {

namespace {

constexpr auto kRecheckInterval = std::chrono::milliseconds(500);

struct Snapshot {
    bool valid = false;
    std::chrono::steady_clock::time_point checked;
    std::string dataFile;
    std::string mountTable;
    struct stat sidecar {};
    bool sidecarExists = false;
    std::map<int32_t, VolumeLocation> mounted;
};

Snapshot& State() {
    static Snapshot snapshot;
    return snapshot;
}

std::string ReadMountText() {
    std::ifstream in(GetVolumeSources().mountInfo, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool SameStat(const struct stat& a, const struct stat& b) {
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

void Refresh(Snapshot& s) {
    const auto now = std::chrono::steady_clock::now();
    if (s.valid && now - s.checked < kRecheckInterval) return;
    s.checked = now;
    const std::string dataFile = GetDataFileName();
    std::string table = ReadMountText();
    struct stat st {};
    // The identities live in the details database, or in the older list until one took it over.
    bool exists = ::stat(DetailsDatabase::PathFor(dataFile).c_str(), &st) == 0;
    if (!exists) exists = ::stat(VolumeSidecarPath(dataFile).c_str(), &st) == 0;
    if (s.valid && dataFile == s.dataFile && table == s.mountTable && exists == s.sidecarExists &&
        (!exists || SameStat(st, s.sidecar))) {
        return;
    }
    s.valid = true;
    s.dataFile = dataFile;
    s.mountTable = std::move(table);
    s.sidecar = st;
    s.sidecarExists = exists;
    s.mounted.clear();
    if (!exists) return;
    struct stat data {};
    if (::stat(dataFile.c_str(), &data) != 0) return;
    VolumeEntries entries;
    {
        classData catalogue(dataFile, classData::ForReading{});
        if (catalogue.GetError() != kErrorNone || !catalogue.IsOpen()) return;
        entries = RecordedVolumes(catalogue);
    }
    if (entries.empty()) return;
    const std::vector<MountedVolume> volumes = MountedVolumeIdentities();
    for (const auto& [id, entry] : entries) {
        if (std::optional<VolumeLocation> at = LocateVolume(entry.identity, volumes)) s.mounted.emplace(id, *at);
    }
}

}  // namespace

std::optional<VolumeLocation> WhereCdVolumeIsMounted(int32_t cdId) {
    Snapshot& s = State();
    Refresh(s);
    const auto it = s.mounted.find(cdId);
    if (it == s.mounted.end()) return std::nullopt;
    return it->second;
}

bool IsCdVolumeMounted(int32_t cdId) { return WhereCdVolumeIsMounted(cdId).has_value(); }

void ForgetVolumePresence() { State() = Snapshot{}; }

}  // namespace karvio
