// The volume identities of a catalogue's CDs: which file system each CD was scanned from (UUID,
// label, type, size) and where on it the scanned folder lies, so a disc or drive is recognised
// wherever it is mounted later. They are kept in the details database (CatalogueDetails.h);
// older versions kept them in a small text file beside the data file ("<data file>.volumes"),
// keyed by CD id, which this reads once for the database to take over. A missing or damaged file
// costs only the identities. std + POSIX only.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace karvio {

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

}  // namespace karvio
