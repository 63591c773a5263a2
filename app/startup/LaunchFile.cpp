#include "startup/LaunchFile.h"

#include <algorithm>

#include <QApplication>
#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "CatalogueText.h"
#include "FileLocator.h"
#include "Messages.h"
#include "PathServices.h"
#include "classData.h"
#include "msgbox/frmMsgBox.h"
#include "startup/MountWatcher.h"

namespace karvio {

namespace {

constexpr int kMediaTypeCdRom = 5;
constexpr int kQueryTimeoutMs = 5000;

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
    return QString::fromStdString(StoredFilePath(cdBasePath, scannedFolderFullName, fileFullName));
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
    services.mountedVolumes = MountedVolumeIdentities;
    services.ask = AskWatchingMounts;
    return services;
}

LaunchResult LaunchFile(int32_t fileId) {
    return LaunchFile(fileId, LaunchServices::Desktop());
}

int AskWatchingMounts(const std::string& question, const std::function<bool()>& recheck) {
    MountWatcher watcher;
    QObject::connect(&watcher, &MountWatcher::mountsChanged, &watcher, [&recheck] {
        // The question is the modal message box on top (Retry, Cancel); Retry is its first button.
        auto* box = qobject_cast<frmMsgBox*>(QApplication::activeModalWidget());
        if (!box || box->ButtonCount() != 2 || !recheck()) return;
        box->PressButton(1);
    });
    return ShowMessage(question, vbRetryCancel);
}

std::string OtherDiscLine(const VolumeIdentity& inserted, const std::string& cdName) {
    return "this is " + DescribeVolume(inserted) + ", not " + cdName;
}

LaunchResult LaunchFile(int32_t fileId, const LaunchServices& services) {
    CatalogueFileTarget target;
    {
        classData data;
        if (!ReadFileTarget(data, fileId, target)) return LaunchResult::kNoSuchRecord;
    }
    auto mounted = [&services] {
        return services.mountedVolumes ? services.mountedVolumes() : std::vector<MountedVolume>();
    };
    const QString stored = LaunchPathFor(target.basePath, target.scannedFolder, target.fileFullName);
    // The path where the file is now, or empty; the volume on its mount first, then the base path.
    auto findPath = [&](const std::vector<MountedVolume>& volumes) {
        const FileWhereabouts where = LocateFile(target, volumes);
        const QString onVolume = QString::fromStdString(where.path);
        if (where.mounted && services.fileExists(onVolume)) return onVolume;
        return services.fileExists(stored) ? stored : QString();
    };
    // Mounts that were there when the launch began; another volume mounted later is named.
    std::vector<int> seenMounts;
    const std::vector<MountedVolume> atStart = mounted();
    for (const MountedVolume& v : atStart) seenMounts.push_back(v.mount.mountId);
    auto newOtherVolume = [&](const std::vector<MountedVolume>& volumes) -> const MountedVolume* {
        const MountedVolume* found = nullptr;
        for (const MountedVolume& v : volumes) {
            if (std::find(seenMounts.begin(), seenMounts.end(), v.mount.mountId) != seenMounts.end()) continue;
            if (target.identity && MatchVolume(*target.identity, v.identity) != VolumeMatch::None) continue;
            found = &v;
        }
        return found;
    };

    const std::string cdName = DecodeCatalogueText(target.cdName);
    QString path = findPath(atStart);
    std::string otherDisc;
    while (path.isEmpty()) {
        std::string question = target.mediaType == kMediaTypeCdRom
                                   ? "Insert CD Labeld\r\n" + cdName
                                   : std::string("Wrong Media or\r\nFile Does Not Exist !!");
        if (!otherDisc.empty()) question += "\r\n" + otherDisc;
        // While the question is up: the right volume, or another one newly mounted, answers it.
        auto recheck = [&] {
            const std::vector<MountedVolume> volumes = mounted();
            if (!findPath(volumes).isEmpty()) return true;
            const MountedVolume* other = newOtherVolume(volumes);
            return other && OtherDiscLine(other->identity, cdName) != otherDisc;
        };
        const int answer = services.ask ? services.ask(question, recheck) : ShowMessage(question, vbRetryCancel);
        if (answer == vbCancel) return LaunchResult::kCancelled;
        const std::vector<MountedVolume> volumes = mounted();
        path = findPath(volumes);
        if (const MountedVolume* other = newOtherVolume(volumes)) otherDisc = OtherDiscLine(other->identity, cdName);
    }
    if (!services.hasAssociation(path) || !services.open(path)) {
        ShowMessage("Unknown File Type\r\nOr No File Association found", vbOKOnly);
        return LaunchResult::kNoAssociation;
    }
    return LaunchResult::kOpened;
}

}  // namespace karvio
