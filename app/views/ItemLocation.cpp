#include "views/ItemLocation.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>

#include "CatalogueText.h"
#include "ClassFile.h"
#include "TransferRecords.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "startup/LaunchFile.h"

namespace karvio {

namespace {

QString Text(const std::string& bytes) {
    return QString::fromStdString(DecodeCatalogueText(bytes));
}

}  // namespace

ItemLocation LocateInCd(int32_t cdId, const std::string& fullName) {
    ItemLocation location;
    if (cdId <= 0) return location;
    std::string base, scanned, name;
    {
        classData data;
        if (data.GetError() != kErrorNone) return location;
        classCd& cd = data.GetCdGoto(cdId);
        if (cd.GetCdId() != cdId) return location;
        name = cd.GetCdName();
        base = cd.GetCdBasepath();
        // The scanned folder's own place on its volume: the full name of the first directory.
        classDir& first = cd.GetDirFirst();
        if (!cd.GetDirEof()) scanned = first.GetDirFullName();
    }
    location.disc = Text(name);
    if (fullName.empty()) {
        location.path = Text(base);
        if (location.path.size() > 1 && location.path.endsWith(QLatin1Char('/')))
            location.path.chop(1);
    } else {
        location.path =
            QFile::decodeName(QByteArray::fromStdString(LaunchPathFor(base, scanned, fullName)));
    }
    return location;
}

ItemLocation LocateRecord(int kind, int32_t id) {
    if (id <= 0) return {};
    if (kind == kIconCd || kind == kIconFolder) return LocateInCd(id, {});
    if (kind == kIconDirectory) {
        const DirInfo dir = GetDirInfoById(id);
        if (dir.DirId != id) return {};
        return LocateInCd(dir.DirCdId, dir.DirName.empty()
                                           ? std::string()
                                           : JoinCataloguePath(dir.DirPath, dir.DirName));
    }
    if (kind == kIconFile) {
        const FileInfo file = GetFileInfoById(id);
        if (file.FileId != id) return {};
        const DirInfo dir = GetDirInfoById(file.FileDirId);
        const std::string dirName =
            dir.DirName.empty() ? std::string() : JoinCataloguePath(dir.DirPath, dir.DirName);
        return LocateInCd(file.FileCdId, dirName.empty()
                                             ? file.FileName
                                             : JoinCataloguePath(dirName, file.FileName));
    }
    return {};
}

namespace {

QString StatusText(const QString& path, const QString& disc) {
    return QCoreApplication::translate("ItemLocation", "Path: %1    Disc: %2").arg(path, disc);
}

}  // namespace

QString LocationStatusText(const ItemLocation& location) {
    if (location.Empty()) return {};
    return StatusText(location.path, location.disc);
}

QString LocationStatusText(const ItemLocation& location, const QFontMetrics& metrics, int width) {
    const QString whole = LocationStatusText(location);
    if (metrics.horizontalAdvance(whole) <= width) return whole;
    const int room = width - metrics.horizontalAdvance(StatusText(QString(), location.disc));
    if (room >= metrics.horizontalAdvance(QStringLiteral("/…/"))) {
        return StatusText(metrics.elidedText(location.path, Qt::ElideMiddle, room), location.disc);
    }
    return metrics.elidedText(whole, Qt::ElideRight, width);
}

}  // namespace karvio
