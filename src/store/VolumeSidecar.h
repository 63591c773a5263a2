// The volume identities of a catalogue's CDs: which file system each CD was scanned from (UUID,
// label, type, size) and where on it the scanned folder lies, so a disc or drive is recognised
// wherever it is mounted later. They live in a small text file beside the data file
// ("<data file>.volumes"), keyed by CD id, so the catalogue file itself keeps its format. Every
// write replaces the whole file through a temporary file and a rename; writers hold the
// catalogue's write lock. A missing or damaged file costs only the identities. std + POSIX only.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace karvio {

class classData;

// Who a scanned volume is. Fields the system could not tell are empty (or 0).
struct VolumeIdentity {
    std::string uuid;          // the file system's UUID as blkid spells it
    std::string label;         // the file system's label
    std::string fsType;        // "ext4", "iso9660", "fuse.fuseiso", ...
    double size = 0;           // the file system's size in bytes
    std::string relativePath;  // the scanned folder below the file system's root, "/"-separated,
                               // no leading or trailing "/"; empty for the root itself
    std::string source;        // the mount source the scan saw ("/dev/sr0", an image file, ...)

    bool operator==(const VolumeIdentity&) const = default;
    bool Empty() const { return uuid.empty() && label.empty() && fsType.empty() && size == 0; }
};

// One CD's entry. `lastScanned` and `files` repeat the CD record's last-scanned date and file
// count: an entry whose CD id now names another CD (a file replaced or ids reused) does not
// match them and is ignored.
struct VolumeEntry {
    int32_t cdId = 0;
    double lastScanned = 0;
    int32_t files = 0;
    VolumeIdentity identity;
};

using VolumeEntries = std::map<int32_t, VolumeEntry>;

enum class SidecarState {
    Missing,  // no identities recorded yet
    Ok,
    Damaged,  // some or all lines could not be read; what could be read is in `entries`
};

struct SidecarContents {
    SidecarState state = SidecarState::Missing;
    VolumeEntries entries;
    std::string note;  // for Damaged: what is wrong, for the user
};

// Where the identities of the catalogue at `dataFile` are kept: beside the file itself (symbolic
// links resolved), its name with ".volumes" added.
std::string VolumeSidecarPath(const std::string& dataFile);

// Reads a sidecar file. Never fails: a missing file is Missing, a file that is not one, or whose
// lines do not parse, is Damaged with a note.
SidecarContents ReadVolumeSidecarFile(const std::string& path);
// Writes `entries` to `path` atomically (a temporary file beside it, synced, renamed over it);
// no entries remove the file. False with `error` set when it could not be written; the previous
// file is then as it was.
bool WriteVolumeSidecarFile(const std::string& path, const VolumeEntries& entries, std::string* error = nullptr);

// The sidecar's text format, for the reader above and for tests that damage it.
std::string EncodeVolumeSidecar(const VolumeEntries& entries);
SidecarContents DecodeVolumeSidecar(const std::string& text);

// The operations the store's commands run, each under the caller's write lock. A damaged file
// about to be replaced is kept under "<sidecar>.damaged" first, so nothing that could still be
// read by hand is lost. Each returns False with `error` set when the file could not be written.

// Records `entry` for its CD and forgets `replacedCdId` (the CD a rescan replaced; 0 for none).
bool RecordVolumeEntry(const std::string& dataFile, const VolumeEntry& entry, int32_t replacedCdId = 0,
                       std::string* error = nullptr);
// Forgets the identity of a removed CD; no file, or no entry for it, is nothing to do.
bool DropVolumeEntry(const std::string& dataFile, int32_t cdId, std::string* error = nullptr);
// Writes the identities of `fromDataFile` beside `toDataFile` with every CD id translated through
// `newIds` (old id -> new id; CDs that are not in it are left out): for a compacted catalogue and
// for a backup. No identities at the source remove a sidecar left beside the target.
bool CarryVolumeEntries(const std::string& fromDataFile, const std::string& toDataFile,
                        const std::map<int32_t, int32_t>& newIds, std::string* error = nullptr);

// The identity recorded for CD `cdId` of the catalogue `data` has open, when there is one and it
// still belongs to that CD (its last-scanned date and file count match the CD record).
std::optional<VolumeIdentity> RecordedVolumeOf(classData& data, int32_t cdId);
// Every identity of the catalogue that still belongs to its CD, with a note when the sidecar is
// damaged (empty otherwise).
VolumeEntries RecordedVolumes(classData& data, std::string* note = nullptr);

}  // namespace karvio
