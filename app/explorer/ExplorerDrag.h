// What the explorer's tree and list carry in a drag: one item (a CD, a scanned folder or a
// category) named by its tree node, with its kind and record id so a drop can check that the
// node still stands for the same record. The data names this process, so a drag from another
// program, or from another Karvio with another catalogue, is never taken for one of ours.
#pragma once

#include <cstdint>
#include <optional>

#include "explorer/CategoryTreeModel.h"

class QMimeData;

namespace karvio {

inline constexpr char kExplorerItemMimeType[] = "application/x-karvio-explorer-item";

struct ExplorerDragItem {
    NodeHandle node = kNoNode;
    int32_t kind = 0;
    int32_t tag = 0;
};

// A new drag payload for the item (the caller, or the drag, owns it).
QMimeData* NewExplorerItemMime(const ExplorerDragItem& item);
// The item of a payload made by this process; nothing for anything else (files, text, another
// program's or another process's data, a damaged payload).
std::optional<ExplorerDragItem> ReadExplorerItemMime(const QMimeData* data);

// Whether the kind may be dragged: CDs, scanned folders and categories.
bool IsDraggableKind(int kind);

}  // namespace karvio
