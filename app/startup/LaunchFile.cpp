#include "startup/LaunchFile.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeDatabase>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <memory>

#include "CatalogueText.h"
#include "FileLocator.h"
#include "Messages.h"
#include "classData.h"
#include "msgbox/frmMsgBox.h"
#include "startup/MountWatcher.h"

extern char** environ;

namespace karvio {

namespace {

constexpr int kMediaTypeCdRom = 5;
constexpr int kQueryTimeoutMs = 5000;
// A failure of the desktop's opener within this time is its own (no application, or one that
// could not start); later, an application the user closed may end as it likes.
constexpr int kOpenerWatchMs = 10000;
// How often the opener's end is looked for while it is watched, and afterwards (only to let
// the system forget it).
constexpr int kOpenerPollMs = 50;
constexpr int kOpenerReapMs = 2000;
// How often the insert-disc question looks whether the file is back.
constexpr int kPathPollMs = 500;

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

bool EntryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

// Waits for a started opener without blocking: its end within the watch time with a failure
// status says that no application could be started.
class OpenerWatch : public QObject {
public:
    OpenerWatch(pid_t pid, int watchMs) : QObject(qApp), pid_(pid), watchMs_(watchMs) {
        since_.start();
        timer_.setInterval(kOpenerPollMs);
        connect(&timer_, &QTimer::timeout, this, &OpenerWatch::Poll);
        timer_.start();
    }

private:
    void Poll() {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == 0) {
            if (since_.elapsed() > watchMs_) timer_.setInterval(kOpenerReapMs);
            return;
        }
        timer_.stop();
        const bool failed = done < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0;
        if (failed && since_.elapsed() <= watchMs_) ShowMessage(kNoAssociationText, vbOKOnly);
        deleteLater();
    }

    pid_t pid_;
    int watchMs_;
    QElapsedTimer since_;
    QTimer timer_;
};

// A file URL of the path's bytes, for the desktop's own opener.
QUrl FileUrl(const std::string& path) {
    return QUrl::fromEncoded("file://" + QUrl::toPercentEncoding(QByteArray::fromStdString(path), "/"));
}

std::string ShownPath(const std::string& path) { return DecodeCataloguePath(path, '/'); }

std::string InsertDiscQuestion(const CatalogueFileTarget& target, const std::string& lookedFor) {
    const std::string name = DecodeCatalogueText(target.cdName);
    const auto line = [](const char* text, const std::string& value) {
        return QCoreApplication::translate("LaunchFile", text)
            .arg(QString::fromStdString(value))
            .toStdString();
    };
    std::string question =
        target.mediaType == kMediaTypeCdRom
            ? QT_TRANSLATE_NOOP("Messages", "Insert CD Labeld") "\r\n" + name
            : QT_TRANSLATE_NOOP("Messages", "Wrong Media or") "\r\n" QT_TRANSLATE_NOOP(
                  "Messages", "File Does Not Exist !!") "\r\n" +
                  line(QT_TRANSLATE_NOOP("LaunchFile", "Disc: %1"), name);
    const std::string label = DecodeCatalogueText(target.cdLabel);
    if (!label.empty())
        question += "\r\n" + line(QT_TRANSLATE_NOOP("LaunchFile", "Label: %1"), label);
    question +=
        "\r\n" + line(QT_TRANSLATE_NOOP("LaunchFile", "Looking for: %1"), ShownPath(lookedFor));
    return question;
}

}  // namespace

std::string LaunchPathFor(const std::string& cdBasePath, const std::string& scannedFolderFullName,
                          const std::string& fileFullName) {
    return StoredFilePath(cdBasePath, scannedFolderFullName, fileFullName);
}

bool HasDefaultApplication(const std::string& path) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!type.isValid()) return false;
    QStringList candidates{type.name()};
    candidates += type.allAncestors();
    for (const QString& candidate : candidates) {
        if (QueryHasDefault(xdgMime, candidate)) return true;
    }
    return false;
}

bool StartOpener(const std::string& program, const std::string& path, int watchMs) {
    // The path goes to the opener as bytes: a QString argument could not carry a name that is
    // not UTF-8.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string programArg = program, pathArg = path;
    char* argv[] = {programArg.data(), pathArg.data(), nullptr};
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return false;
    new OpenerWatch(pid, watchMs);
    return true;
}

LaunchServices LaunchServices::Desktop() {
    LaunchServices services;
    services.fileExists = EntryExists;
    services.hasAssociation = HasDefaultApplication;
    services.open = [](const std::string& path) {
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (!opener.isEmpty()) return StartOpener(QFile::encodeName(opener).toStdString(), path, kOpenerWatchMs);
        return QDesktopServices::openUrl(FileUrl(path));
    };
    services.mountedVolumes = MountedVolumeIdentities;
    services.ask = AskWatchingMounts;
    return services;
}

LaunchResult LaunchFile(int32_t fileId) {
    return LaunchFile(fileId, LaunchServices::Desktop());
}

int AskWatchingMounts(const std::string& question, const std::function<bool(bool mountsChanged)>& recheck) {
    // The question is the modal message box on top (Retry, Cancel); Retry is its first button.
    auto answerWhen = [&recheck](bool mountsChanged) {
        auto* box = qobject_cast<frmMsgBox*>(QApplication::activeModalWidget());
        if (!box || box->ButtonCount() != 2 || !recheck(mountsChanged)) return;
        box->PressButton(1);
    };
    MountWatcher watcher;
    QObject::connect(&watcher, &MountWatcher::mountsChanged, &watcher, [&answerWhen] { answerWhen(true); });
    // A folder put back (or a network share come back) changes no mount: it is looked for.
    QTimer poll;
    poll.setInterval(kPathPollMs);
    QObject::connect(&poll, &QTimer::timeout, &watcher, [&answerWhen] { answerWhen(false); });
    poll.start();
    return ShowMessage(question, vbRetryCancel);
}

std::string OtherDiscLine(const VolumeIdentity& inserted, const std::string& cdName) {
    return QCoreApplication::translate("LaunchFile", "this is %1, not %2")
        .arg(QString::fromStdString(DescribeVolume(inserted)), QString::fromStdString(cdName))
        .toStdString();
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
    const std::string stored = LaunchPathFor(target.basePath, target.scannedFolder, target.fileFullName);
    // The path where the file is now, or empty; the volume on its mount first, then the base path.
    auto findPath = [&](const std::vector<MountedVolume>& volumes) {
        const FileWhereabouts where = LocateFile(target, volumes);
        if (where.mounted && services.fileExists(where.path)) return where.path;
        return services.fileExists(stored) ? stored : std::string();
    };
    // Mounts that were there when the launch began; another volume mounted later is named.
    std::vector<int> seenMounts;
    std::vector<MountedVolume> volumes = mounted();
    for (const MountedVolume& v : volumes) seenMounts.push_back(v.mount.mountId);
    auto newOtherVolume = [&](const std::vector<MountedVolume>& now) -> const MountedVolume* {
        const MountedVolume* found = nullptr;
        for (const MountedVolume& v : now) {
            if (std::find(seenMounts.begin(), seenMounts.end(), v.mount.mountId) != seenMounts.end()) continue;
            if (target.identity && MatchVolume(*target.identity, v.identity) != VolumeMatch::None) continue;
            found = &v;
        }
        return found;
    };

    const std::string cdName = DecodeCatalogueText(target.cdName);
    std::string path = findPath(volumes);
    std::string otherDisc;
    while (path.empty()) {
        std::string question = InsertDiscQuestion(target, LocateFile(target, volumes).path);
        if (!otherDisc.empty()) question += "\r\n" + otherDisc;
        // While the question is up: the right volume, another one newly mounted, or the file
        // back at its place answers it.
        auto recheck = [&](bool mountsChanged) {
            if (!mountsChanged) return !findPath(volumes).empty();
            volumes = mounted();
            if (!findPath(volumes).empty()) return true;
            const MountedVolume* other = newOtherVolume(volumes);
            return other && OtherDiscLine(other->identity, cdName) != otherDisc;
        };
        const int answer = services.ask ? services.ask(question, recheck) : ShowMessage(question, vbRetryCancel);
        if (answer == vbCancel) return LaunchResult::kCancelled;
        volumes = mounted();
        path = findPath(volumes);
        if (const MountedVolume* other = newOtherVolume(volumes)) otherDisc = OtherDiscLine(other->identity, cdName);
    }
    if (!services.hasAssociation(path) || !services.open(path)) {
        ShowMessage(kNoAssociationText, vbOKOnly);
        return LaunchResult::kNoAssociation;
    }
    return LaunchResult::kOpened;
}

}  // namespace karvio
