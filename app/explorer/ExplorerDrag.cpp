#include "explorer/ExplorerDrag.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include "controls/ItemIcons.h"

namespace karvio {

namespace {

constexpr quint32 kMagic = 0x4b415649;  // "KAVI"

}  // namespace

bool IsDraggableKind(int kind) { return kind == kIconCd || kind == kIconFolder || kind >= kIconCategory; }

QMimeData* NewExplorerItemMime(const ExplorerDragItem& item) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kMagic << static_cast<qint64>(QCoreApplication::applicationPid()) << quint32(item.node)
        << qint32(item.kind) << qint32(item.tag);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kExplorerItemMimeType), bytes);
    return data;
}

std::optional<ExplorerDragItem> ReadExplorerItemMime(const QMimeData* data) {
    if (!data || !data->hasFormat(QString::fromLatin1(kExplorerItemMimeType))) return std::nullopt;
    const QByteArray bytes = data->data(QString::fromLatin1(kExplorerItemMimeType));
    QDataStream in(bytes);
    quint32 magic = 0, node = 0;
    qint64 pid = 0;
    qint32 kind = 0, tag = 0;
    in >> magic >> pid >> node >> kind >> tag;
    if (in.status() != QDataStream::Ok || magic != kMagic ||
        pid != QCoreApplication::applicationPid() || node == kNoNode || !IsDraggableKind(kind)) {
        return std::nullopt;
    }
    return ExplorerDragItem{node, kind, tag};
}

}  // namespace karvio
