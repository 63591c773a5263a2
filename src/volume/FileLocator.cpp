#include "FileLocator.h"

#include "CatalogueDetails.h"
#include "CatalogueText.h"
#include "ClassFile.h"
#include "classData.h"

namespace karvio {

namespace {

// A catalogue path as a native one: "\" turned into "/", every other byte as stored, so a name
// that is not UTF-8 is found by the very bytes the scan read.
std::string Native(std::string path) {
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

std::string Stripped(std::string path) {
    while (!path.empty() && path.front() == '/') path.erase(0, 1);
    while (!path.empty() && path.back() == '/') path.pop_back();
    return path;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

bool ReadFileTarget(classData& data, int32_t fileId, CatalogueFileTarget& target) {
    if (!data.IsOpen() || fileId <= 0) return false;
    ClassFile& file = data.GetCdGoto(0).GetDirGoto(0).GetFileGoto(fileId);
    if (file.GetFileId() != fileId) return false;
    const int32_t cdId = file.GetFileCdId();
    const int32_t dirId = file.getFileDirId();
    const std::string fileName = file.GetFileName();
    bool listed = false;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof() && !listed; cd = &data.GetCdNext()) {
        listed = cd->GetCdId() == cdId;
    }
    if (!listed) return false;
    classCd& cd = data.GetCdGoto(cdId);
    target.fileId = fileId;
    target.cdId = cdId;
    target.basePath = cd.GetCdBasepath();
    target.cdName = cd.GetCdName();
    target.cdLabel = cd.GetCdLabel();
    target.mediaType = cd.GetCdMediaType();
    const int32_t firstDir = cd.Record().DirFirst;
    target.scannedFolder = firstDir > 0 ? cd.GetDirGoto(firstDir).GetDirFullName() : std::string();
    target.fileFullName = JoinCataloguePath(cd.GetDirGoto(dirId).GetDirFullName(), fileName);
    target.identity = RecordedVolumeOf(data, cdId);
    return true;
}

std::string StoredFilePath(const std::string& cdBasePath, const std::string& scannedFolderFullName,
                           const std::string& fileFullName) {
    std::string root = Native(cdBasePath);
    const std::string relative = Stripped(Native(scannedFolderFullName));
    std::string trimmedRoot = root;
    while (trimmedRoot.size() > 1 && trimmedRoot.back() == '/') trimmedRoot.pop_back();
    if (!relative.empty() && EndsWith(trimmedRoot, relative)) {
        const size_t cut = trimmedRoot.size() - relative.size();
        // Only a whole path component is taken off: "/data/xPhotos" does not end with "Photos".
        if (cut == 0 || trimmedRoot[cut - 1] == '/') root = trimmedRoot.substr(0, cut);
    }
    if (root.empty()) root = "/";
    if (root.back() != '/') root += '/';
    std::string name = Native(fileFullName);
    while (!name.empty() && name.front() == '/') name.erase(0, 1);
    return root + name;
}

std::string FilePathBelow(const std::string& folderPath, const std::string& scannedFolderFullName,
                          const std::string& fileFullName) {
    const std::string folder = Stripped(Native(scannedFolderFullName));
    std::string name = Stripped(Native(fileFullName));
    if (!folder.empty()) {
        if (name.size() > folder.size() && name.compare(0, folder.size(), folder) == 0 && name[folder.size()] == '/') {
            name.erase(0, folder.size() + 1);
        } else if (name == folder) {
            name.clear();
        }
    }
    std::string path = folderPath;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (name.empty()) return path;
    return path == "/" ? "/" + name : path + "/" + name;
}

FileWhereabouts LocateFile(const CatalogueFileTarget& target, const std::vector<MountedVolume>& mounted) {
    FileWhereabouts where;
    if (target.identity) where.mounted = LocateVolume(*target.identity, mounted);
    where.path = where.mounted ? FilePathBelow(where.mounted->folderPath, target.scannedFolder, target.fileFullName)
                               : StoredFilePath(target.basePath, target.scannedFolder, target.fileFullName);
    return where;
}

}  // namespace karvio
