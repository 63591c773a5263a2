#include "startup/ShellRegistration.h"

#include <QDir>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include "ProgramInfo.h"

namespace karvio {

namespace {

enum class WriteResult { kUnchanged, kWritten, kFailed };

// Rewrites the file only when its content differs, so the desktop's caches are rebuilt only
// after a real change (the program moved, or a first start).
WriteResult WriteFileIfChanged(const QString& path, const QByteArray& content) {
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == content) {
        return WriteResult::kUnchanged;
    }
    existing.close();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return WriteResult::kFailed;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return WriteResult::kFailed;
    }
    return file.commit() ? WriteResult::kWritten : WriteResult::kFailed;
}

void StartTool(const char* name, const QString& argument) {
    const QString tool = QStandardPaths::findExecutable(QLatin1String(name));
    if (!tool.isEmpty()) QProcess::startDetached(tool, {argument});
}

QString XmlEscaped(const QString& text) {
    return text.toHtmlEscaped();
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
               "    <glob pattern=\"*%3\"/>\n"
               "  </mime-type>\n"
               "</mime-info>\n")
        .arg(XmlEscaped(mimeType), XmlEscaped(description), XmlEscaped(glob));
}

QString DesktopEntryText(const QString& executablePath, const QString& iconPath,
                         const QString& mimeType) {
    QString text = QStringLiteral(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Karvio\n"
        "GenericName=Disc Catalogue\n"
        "Comment=Catalogue CDs, DVDs, USB drives and folders, and find any file without the "
        "disc\n");
    text += QStringLiteral("Exec=%1 %f\n").arg(QuoteExecArgument(executablePath));
    if (!iconPath.isEmpty()) text += QStringLiteral("Icon=%1\n").arg(iconPath);
    text += QStringLiteral(
                "Terminal=false\n"
                "MimeType=%1;\n"
                "Categories=Utility;Archiving;\n")
                .arg(mimeType);
    return text;
}

QString UserDataHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

bool Associate(const QString& executablePath, const QString& extension, const QString& mimeType,
               const QString& description, const QString& dataHome, bool runUpdateTools) {
    if (dataHome.isEmpty()) return false;
    const QDir home(dataHome);
    const QString mimeDir = home.filePath(QStringLiteral("mime"));
    const QString packagesDir = home.filePath(QStringLiteral("mime/packages"));
    const QString applicationsDir = home.filePath(QStringLiteral("applications"));
    const bool dirs = QDir().mkpath(packagesDir) && QDir().mkpath(applicationsDir);

    if (!dirs) return false;

    const QString icon = QString::fromStdString(FindResource("icons/karvio.png"));
    const WriteResult mime =
        WriteFileIfChanged(QDir(packagesDir).filePath(kMimePackageName),
                           MimePackageXml(extension, mimeType, description).toUtf8());
    const WriteResult entry =
        WriteFileIfChanged(QDir(applicationsDir).filePath(kDesktopEntryName),
                           DesktopEntryText(executablePath, icon, mimeType).toUtf8());
    if (runUpdateTools) {
        if (mime == WriteResult::kWritten || !QFile::exists(mimeDir + "/mime.cache")) {
            StartTool("update-mime-database", mimeDir);
        }
        if (entry == WriteResult::kWritten) StartTool("update-desktop-database", applicationsDir);
    }
    return mime != WriteResult::kFailed && entry != WriteResult::kFailed;
}

}  // namespace karvio
