#include "controls/MountedMarker.h"

#include <QHash>
#include <QObject>
#include <QPainter>
#include <QPixmap>
#include <QStringList>

#include "VolumePresence.h"
#include "CatalogueDetails.h"
#include "VolumeSidecar.h"
#include "classData.h"
#include "controls/ItemIcons.h"

namespace karvio {

namespace {

QIcon Marked(int kind) {
    static QHash<int, QIcon> marked;
    if (const auto it = marked.constFind(kind); it != marked.constEnd()) return *it;
    const QIcon base = ItemIcon(kind);
    QIcon icon;
    for (const int size : {16, 32, 64}) {
        QPixmap picture = base.pixmap(size, size);
        if (picture.isNull()) continue;
        // At a scale factor the pixmap has more pixels than asked for: draw in its own pixels.
        picture.setDevicePixelRatio(1);
        const qreal side = picture.width();
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal dot = side * 0.42;
        const QRectF circle(side - dot - 0.5, side - dot - 0.5, dot, dot);
        painter.setPen(QPen(Qt::white, qMax<qreal>(1.0, side / 16.0)));
        painter.setBrush(QColor(0x1e, 0xa0, 0x3c));
        painter.drawEllipse(circle);
        painter.end();
        icon.addPixmap(picture);
    }
    marked.insert(kind, icon);
    return icon;
}

}  // namespace

QIcon CdItemIcon(int kind, int32_t cdId) {
    return cdId > 0 && IsCdVolumeMounted(cdId) ? Marked(kind) : ItemIcon(kind);
}

QString MountedToolTip(int32_t cdId) {
    const std::optional<VolumeLocation> at = cdId > 0 ? WhereCdVolumeIsMounted(cdId) : std::nullopt;
    if (!at) return {};
    return QObject::tr("Mounted now at %1").arg(QString::fromStdString(at->folderPath));
}

QString VolumeIdentityText(int32_t cdId) {
    std::string note;
    std::optional<VolumeIdentity> id;
    {
        classData data;
        if (!data.IsOpen()) return {};
        RecordedVolumes(data, &note);
        id = RecordedVolumeOf(data, cdId);
    }
    if (!id) {
        return note.empty() ? QObject::tr("Not recorded (the CD was scanned before volumes were recorded)")
                            : QString::fromStdString(note);
    }
    QStringList parts;
    parts << QString::fromStdString(DescribeVolume(*id));
    if (!id->label.empty() && !id->fsType.empty()) parts.last() += QStringLiteral(" (%1)").arg(QString::fromStdString(id->fsType));
    QString text = parts.join(QString());
    if (!id->uuid.empty()) text += QObject::tr("\r\nUUID %1").arg(QString::fromStdString(id->uuid));
    text += QObject::tr("\r\nFolder on the volume: /%1").arg(QString::fromStdString(id->relativePath));
    const QString mounted = MountedToolTip(cdId);
    text += QStringLiteral("\r\n") + (mounted.isEmpty() ? QObject::tr("Not mounted now") : mounted);
    return text;
}

}  // namespace karvio
