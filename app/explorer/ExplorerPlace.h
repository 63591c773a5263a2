// Where the user is in the explorer, told in terms that outlive the tree's node handles: a node
// as its category or CD id with the directory names below the CD, so the same place is found
// again after the tree was rebuilt, a CD was rescanned (a new CD id) or the catalogue was
// compacted (every id new). User-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "explorer/CategoryTreeModel.h"
#include "mainwindow/CatalogueEvents.h"

namespace karvio {

struct TreePlace {
    int kind = 0;                     // the node's kind code; 0: no place
    int32_t id = 0;                   // a category's or a CD's id (the CD of a directory)
    std::vector<std::string> path;    // below the CD: the captions from its top down to the node
    std::vector<int32_t> categories;  // the categories above the node, nearest first
};

// The place of a live node (an empty place for kNoNode).
TreePlace PlaceOf(const CategoryTreeModel& model, NodeHandle node);

// The node of `place`. With `nearest`, a place that is gone gives the nearest node above it that
// is still there (the deepest directory of its path, its CD, its category, the root); without,
// kNoNode. A place inside a CD whose directories are not read yet gives the CD's node (with
// `nearest`) or kNoNode: see UnreadCdOf.
NodeHandle FindPlace(const CategoryTreeModel& model, const TreePlace& place, bool nearest);

// The CD node of a place inside a CD whose directories are not read yet (read them, then find
// the place again); kNoNode for any other place.
NodeHandle UnreadCdOf(const CategoryTreeModel& model, const TreePlace& place);

// The place with its ids taken through `ids`. An id the map does not hold stays as it was, or,
// with `replaced` (the ids of a whole catalogue that was replaced), becomes 0: it would name
// some other record now.
void RenumberPlace(TreePlace& place, const CatalogueRenumbering& ids, bool replaced);

// Where the old ids of the tree's categories and CDs are in the catalogue now: an id that still
// names a record of the same name stays; any other goes to the record of its name where the name
// is unique on both sides (another program's compaction keeps names, not ids).
CatalogueRenumbering RenumberingByNames(const CategoryTreeModel& model);

// The whole place of the explorer: the selected node, the expanded nodes, the list's selected
// row (by kind and name) and the scroll positions.
struct ExplorerPlace {
    TreePlace selected;
    std::vector<TreePlace> expanded;
    int rowKind = 0;
    std::string rowName;
    int treeScroll = 0, treeScrollX = 0, listScroll = 0;
};

}  // namespace karvio
