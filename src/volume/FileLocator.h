// Where a catalogued file is now. A CD whose volume identity is known is looked for on whatever
// mount holds that volume at the moment (matched by UUID, else by label and size); the stored base
// path is the fallback, as it was before identities were recorded. Reads through the caller's
// store object; user-interface thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "VolumeLocator.h"
#include "VolumeSidecar.h"

namespace karvio {

class classData;

// What finding a file needs from the catalogue.
struct CatalogueFileTarget {
    int32_t fileId = 0;
    int32_t cdId = 0;
    std::string cdName;         // catalogue bytes
    std::string cdLabel;        // the volume's label when it was scanned, catalogue bytes
    int32_t mediaType = 0;
    std::string basePath;       // the CD's base path as stored
    std::string scannedFolder;  // the full name of the CD's first directory record
    std::string fileFullName;   // the file's full name, "\"-separated
    std::optional<VolumeIdentity> identity;
};

// Reads the target of file `fileId`; False when the id names no file of a listed CD.
bool ReadFileTarget(classData& data, int32_t fileId, CatalogueFileTarget& target);

// Native paths are rebuilt byte for byte from the stored names: "\" becomes "/", nothing is
// decoded.

// The native path at the stored base path: the base path's volume root (the base path with the
// scanned folder's own relative path taken off its end; a base path that does not end with it is
// taken whole) followed by the file's full name.
std::string StoredFilePath(const std::string& cdBasePath, const std::string& scannedFolderFullName,
                           const std::string& fileFullName);

// The native path of the file below the scanned folder as it is mounted at `folderPath`.
std::string FilePathBelow(const std::string& folderPath, const std::string& scannedFolderFullName,
                          const std::string& fileFullName);

// Where to look for the file now.
struct FileWhereabouts {
    std::string path;                       // the first place it should be
    std::optional<VolumeLocation> mounted;  // its volume, when mounted now
};
FileWhereabouts LocateFile(const CatalogueFileTarget& target, const std::vector<MountedVolume>& mounted);

}  // namespace karvio
