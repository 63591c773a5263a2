#include "mainwindow/ToolbarIcons.h"

#include <QFile>
#include <QHash>

#include "ProgramInfo.h"

namespace karvio {

QString ThemeIconNameFor(const QString& key) {
    static const QHash<QString, QString> names = {
        {QStringLiteral("Add"), QStringLiteral("list-add")},
        {QStringLiteral("Edit"), QStringLiteral("document-properties")},
        {QStringLiteral("Delete"), QStringLiteral("edit-delete")},
        {QStringLiteral("Rescan"), QStringLiteral("view-refresh")},
        {QStringLiteral("Preview"), QStringLiteral("document-print-preview")},
        {QStringLiteral("Print"), QStringLiteral("document-print")},
        {QStringLiteral("SaveAs"), QStringLiteral("document-save-as")},
        {QStringLiteral("Search"), QStringLiteral("edit-find")},
        {QStringLiteral("Sync"), QStringLiteral("emblem-synchronizing")},
        {QStringLiteral("Categories"), QStringLiteral("folder-new")},
        {QStringLiteral("Tree"), QStringLiteral("view-list-tree")},
        {QStringLiteral("Setup"), QStringLiteral("preferences-system")},
        {QStringLiteral("Duplicates"), QStringLiteral("edit-copy")},
    };
    return names.value(key);
}

QString FallbackIconPathFor(const QString& key) {
    return QString::fromStdString(
        FindResource("icons/toolbar/" + key.toLower().toStdString() + ".png"));
}

QIcon ToolbarIcon(const QString& key) {
    const QString fallbackPath = FallbackIconPathFor(key);
    const QIcon fallback = QFile::exists(fallbackPath) ? QIcon(fallbackPath) : QIcon();
    const QString themeName = ThemeIconNameFor(key);
    return themeName.isEmpty() ? fallback : QIcon::fromTheme(themeName, fallback);
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (const char* size : {"16", "32", "48", "128", "256"}) {
        const QString path =
            QString::fromStdString(FindResource(std::string("icons/karvio-") + size + ".png"));
        if (QFile::exists(path)) icon.addFile(path);
    }
    return icon;
}

}  // namespace karvio
