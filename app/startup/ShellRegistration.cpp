#include "startup/ShellRegistration.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include "ProgramInfo.h"

namespace karvio {

namespace {

enum class WriteResult { kUnchanged, kWritten, kFailed };

// The line that marks the files the program writes for one user, so that it can tell them from
// an administrator's or another program's.
constexpr const char* kEntryMarker = "X-Karvio-User-Registration=true";
constexpr const char* kPackageMarker =
    "<!-- Written by Karvio for this user; removed when Karvio is installed for all users. -->";

// The package the program wrote before it gave catalogues a magic rule and marked its files.
constexpr const char* kFormerMimePackage =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <mime-type type=\"application/x-karvio-catalogue\">\n"
    "    <comment>Karvio Data File</comment>\n"
    "    <glob pattern=\"*.cd\"/>\n"
    "  </mime-type>\n"
    "</mime-info>\n";

QByteArray ReadFile(const QString& path, bool* exists = nullptr) {
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (exists) *exists = opened;
    return opened ? file.readAll() : QByteArray();
}

// Rewrites the file only when its content differs, so the desktop's caches are rebuilt only
// after a real change (the program moved, or a first start).
WriteResult WriteFileIfChanged(const QString& path, const QByteArray& content) {
    bool exists = false;
    if (ReadFile(path, &exists) == content && exists) return WriteResult::kUnchanged;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return WriteResult::kFailed;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return WriteResult::kFailed;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return WriteResult::kFailed;
    }
    return file.commit() ? WriteResult::kWritten : WriteResult::kFailed;
}

// Removes `path` when it is one of the program's own copies; true when it went.
bool RemoveOwnCopy(const QString& path, bool (*isOwn)(const QByteArray&)) {
    bool exists = false;
    const QByteArray content = ReadFile(path, &exists);
    return exists && isOwn(content) && QFile::remove(path);
}

void StartTool(const char* name, const QString& argument) {
    const QString tool = QStandardPaths::findExecutable(QLatin1String(name));
    if (!tool.isEmpty()) QProcess::startDetached(tool, {argument});
}

bool AnyDirHolds(const QStringList& dirs, const QString& relative) {
    for (const QString& dir : dirs) {
        if (!dir.isEmpty() && QFileInfo::exists(QDir(dir).filePath(relative))) return true;
    }
    return false;
}

}  // namespace

QString QuoteExecArgument(const QString& path) {
    // Inside quotes the Exec format reserves " ` $ and \, each escaped by a backslash; the
    // string-level escape of the file then doubles every backslash once more.
    QString quoted;
    for (const QChar c : path) {
        if (c == '"' || c == '`' || c == '$') {
            quoted += QLatin1String("\\\\");
            quoted += c;
        } else if (c == '\\') {
            quoted += QLatin1String("\\\\\\\\");
        } else if (c == '%') {
            quoted += QLatin1String("%%");
        } else if (c == '\n') {
            quoted += QLatin1String("\\n");
        } else {
            quoted += c;
        }
    }
    return '"' + quoted + '"';
}

QString MimePackageXml(const QString& extension, const QString& mimeType,
                       const QString& description) {
    QString glob = extension;
    if (!glob.startsWith('.')) glob.prepend('.');
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"%1\">\n"
               "    <comment>%2</comment>\n"
               "    <magic priority=\"60\">\n"
               "      <match type=\"string\" offset=\"0\" value=\"%4\"/>\n"
               "    </magic>\n"
               "    <glob pattern=\"*%3\"/>\n"
               "  </mime-type>\n"
               "</mime-info>\n")
        .arg(mimeType.toHtmlEscaped(), description.toHtmlEscaped(), glob.toHtmlEscaped(),
             QLatin1String(kCatalogueSignature));
}

QString DesktopEntryText(const QString& executablePath, const QString& iconPath,
                         const QString& mimeType) {
    QString text = QStringLiteral(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Karvio\n"
        "GenericName=Disc Catalogue\n"
        "GenericName[de]=Datenträger-Katalog\n"
        "GenericName[fr]=Catalogue de disques\n"
        "Comment=Catalogue CDs, DVDs, USB drives and folders, and find any file without the "
        "disc\n"
        "Comment[de]=CDs, DVDs, USB-Laufwerke und Ordner katalogisieren und jede Datei ohne den "
        "Datenträger finden\n"
        "Comment[fr]=Cataloguer CD, DVD, clés USB et dossiers, et retrouver tout fichier sans le "
        "disque\n");
    text += QStringLiteral("Exec=%1 %f\n").arg(QuoteExecArgument(executablePath));
    if (!iconPath.isEmpty()) text += QStringLiteral("Icon=%1\n").arg(iconPath);
    text += QStringLiteral(
                "Terminal=false\n"
                "MimeType=%1;\n"
                "Categories=Utility;Archiving;\n"
                "StartupWMClass=Karvio\n"
                "%2\n")
                .arg(mimeType, QLatin1String(kEntryMarker));
    return text;
}

QString UserDataHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QStringList SystemDataDirs() {
    QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    dirs.removeAll(UserDataHome());
    return dirs;
}

bool IsInstalledForAllUsers(const QStringList& systemDataDirs) {
    return AnyDirHolds(systemDataDirs, QStringLiteral("applications/") + kDesktopEntryName) &&
           AnyDirHolds(systemDataDirs, QStringLiteral("mime/packages/") + kMimePackageName);
}

bool IsOwnDesktopEntry(const QByteArray& content) {
    if (content.contains(kEntryMarker)) return true;
    // The entry written before it was marked: its name, its generic name and its type together.
    return content.startsWith("[Desktop Entry]\nType=Application\nName=Karvio\nGenericName=Disc Catalogue\n") &&
           content.contains("\nMimeType=application/x-karvio-catalogue;\n");
}

bool IsOwnMimePackage(const QByteArray& content) {
    return content.contains(kPackageMarker) || content == kFormerMimePackage;
}

bool Associate(const QString& executablePath, const QString& extension, const QString& mimeType,
               const QString& description, const QString& dataHome, const QStringList& systemDataDirs,
               bool runUpdateTools) {
    if (dataHome.isEmpty()) return false;
    const QDir home(dataHome);
    const QString mimeDir = home.filePath(QStringLiteral("mime"));
    const QString applicationsDir = home.filePath(QStringLiteral("applications"));
    const QString package = home.filePath(QStringLiteral("mime/packages/") + kMimePackageName);
    const QString entry = QDir(applicationsDir).filePath(kDesktopEntryName);

    // The entry under its former name shadows nothing now but still offers to open catalogues;
    // once the program has its desktop id, the old copy only doubles it.
    const bool formerGone = RemoveOwnCopy(QDir(applicationsDir).filePath(kFormerDesktopEntryName), IsOwnDesktopEntry);

    bool mimeChanged = false, entryChanged = formerGone, ok = true;
    if (IsInstalledForAllUsers(systemDataDirs)) {
        // A user's copy would shadow the installed entry and go stale when this copy moves.
        mimeChanged = RemoveOwnCopy(package, IsOwnMimePackage);
        entryChanged = RemoveOwnCopy(entry, IsOwnDesktopEntry) || entryChanged;
    } else {
        QString xml = MimePackageXml(extension, mimeType, description);
        xml.insert(xml.indexOf('\n') + 1, QLatin1String(kPackageMarker) + '\n');
        const WriteResult mime = WriteFileIfChanged(package, xml.toUtf8());
        const QString icon = QString::fromStdString(FindResource("icons/karvio.png"));
        const WriteResult written =
            WriteFileIfChanged(entry, DesktopEntryText(executablePath, icon, mimeType).toUtf8());
        mimeChanged = mime == WriteResult::kWritten;
        entryChanged = written == WriteResult::kWritten || entryChanged;
        ok = mime != WriteResult::kFailed && written != WriteResult::kFailed;
    }
    if (runUpdateTools) {
        if (mimeChanged || (ok && QFile::exists(package) && !QFile::exists(mimeDir + "/mime.cache"))) {
            StartTool("update-mime-database", mimeDir);
        }
        if (entryChanged) StartTool("update-desktop-database", applicationsDir);
    }
    return ok;
}

}  // namespace karvio
