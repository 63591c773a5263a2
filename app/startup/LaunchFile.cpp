#include "startup/LaunchFile.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "CatalogueText.h"
#include "Messages.h"
#include "PathServices.h"
#include "classData.h"

namespace karvio {

namespace {

constexpr int kMediaTypeCdRom = 5;
constexpr int kQueryTimeoutMs = 5000;

QString NativeFromCatalogue(const std::string& cataloguePath) {
    QString path = QString::fromStdString(DecodeCatalogueText(cataloguePath));
    path.replace('\\', '/');
    return path;
}

// What the launch needs from the catalogue, read through a store object of its own.
struct LaunchTarget {
    std::string fileFullName;
    std::string basePath;
    std::string scannedFolder;
    std::string cdName;
    int32_t mediaType = 0;
};

bool ReadLaunchTarget(int32_t fileId, LaunchTarget& target) {
    classData data;
    if (!data.IsOpen() || fileId <= 0) return false;
    ClassFile& file = data.GetCdGoto(0).GetDirGoto(0).GetFileGoto(fileId);
    if (file.GetFileId() != fileId) return false;
    const int32_t cdId = file.GetFileCdId();
    const int32_t dirId = file.getFileDirId();
    const std::string fileName = file.GetFileName();

    classCd& cd = data.GetCdGoto(cdId);
    if (cd.GetCdId() != cdId) return false;
    target.basePath = cd.GetCdBasepath();
    target.cdName = cd.GetCdName();
    target.mediaType = cd.GetCdMediaType();
    const int32_t firstDir = cd.Record().DirFirst;
    target.scannedFolder = firstDir > 0 ? cd.GetDirGoto(firstDir).GetDirFullName() : std::string();
    target.fileFullName = JoinCataloguePath(cd.GetDirGoto(dirId).GetDirFullName(), fileName);
    return true;
}

bool QueryHasDefault(const QString& xdgMime, const QString& mimeType) {
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(kQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished();
        return true;  // no answer: let the desktop decide
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace

QString LaunchPathFor(const std::string& cdBasePath, const std::string& scannedFolderFullName,
                      const std::string& fileFullName) {
    QString root = NativeFromCatalogue(cdBasePath);
    QString relative = NativeFromCatalogue(scannedFolderFullName);
    while (relative.startsWith('/')) relative.remove(0, 1);
    while (relative.endsWith('/')) relative.chop(1);

    QString trimmedRoot = root;
    while (trimmedRoot.size() > 1 && trimmedRoot.endsWith('/')) trimmedRoot.chop(1);
    if (!relative.isEmpty() && trimmedRoot.endsWith(relative)) {
        const qsizetype cut = trimmedRoot.size() - relative.size();
        // Only a whole path component is taken off: "/data/xPhotos" does not end with "Photos".
        if (cut == 0 || trimmedRoot.at(cut - 1) == '/') root = trimmedRoot.left(cut);
    }
    if (root.isEmpty()) root = QStringLiteral("/");
    if (!root.endsWith('/')) root += '/';

    QString name = NativeFromCatalogue(fileFullName);
    while (name.startsWith('/')) name.remove(0, 1);
    return root + name;
}

bool HasDefaultApplication(const QString& path) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.isValid()) return false;
    QStringList candidates{type.name()};
    candidates += type.allAncestors();
    for (const QString& candidate : candidates) {
        if (QueryHasDefault(xdgMime, candidate)) return true;
    }
    return false;
}

LaunchServices LaunchServices::Desktop() {
    LaunchServices services;
    services.fileExists = [](const QString& path) { return FileExists(path.toStdString()); };
    services.hasAssociation = HasDefaultApplication;
    services.open = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return services;
}

LaunchResult LaunchFile(int32_t fileId) {
    return LaunchFile(fileId, LaunchServices::Desktop());
}

LaunchResult LaunchFile(int32_t fileId, const LaunchServices& services) {
    LaunchTarget target;
    if (!ReadLaunchTarget(fileId, target)) return LaunchResult::kNoSuchRecord;

    const QString path = LaunchPathFor(target.basePath, target.scannedFolder, target.fileFullName);
    while (!services.fileExists(path)) {
        const std::string question =
            target.mediaType == kMediaTypeCdRom
                ? "Insert CD Labeld\r\n" + DecodeCatalogueText(target.cdName)
                : std::string("Wrong Media or\r\nFile Does Not Exist !!");
        if (ShowMessage(question, vbRetryCancel) == vbCancel) return LaunchResult::kCancelled;
    }
    if (!services.hasAssociation(path) || !services.open(path)) {
        ShowMessage("Unknown File Type\r\nOr No File Association found", vbOKOnly);
        return LaunchResult::kNoAssociation;
    }
    return LaunchResult::kOpened;
}

}  // namespace karvio
