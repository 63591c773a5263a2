// Program-wide notices about the data file that several windows act on: the views, the search
// window and the find box each connect to the one instance. Emitted by whoever made the change,
// after it is in the file. User-interface thread.
#pragma once

#include <QObject>
#include <cstdint>
#include <unordered_map>

namespace karvio {

// How the ids of a renumbered catalogue (a compaction) map onto the new ones; empty when they
// are not known (another program replaced the file).
struct CatalogueRenumbering {
    std::unordered_map<int32_t, int32_t> cds;
    std::unordered_map<int32_t, int32_t> categories;
    bool Empty() const { return cds.empty() && categories.empty(); }
};

class CatalogueEvents : public QObject {
    Q_OBJECT

public:
    static CatalogueEvents& Instance();

signals:
    // The data file was compacted or replaced (here or by another program): every record id
    // held before is void and must not be used again. `ids` tells the new ids of the old ones
    // where they are known.
    void catalogueReplaced(const karvio::CatalogueRenumbering& ids);
    // A CD and everything on it were removed.
    void cdRemoved(int32_t cdId);
    // Records were added or changed (a scan, a rescan, an edit of a name or notes; by this
    // program, or by another one as catalogueChangedElsewhere tells).
    void catalogueChanged();
    // Another program changed the catalogue in place (added, removed or edited records): the
    // views show it now, keeping the user's place.
    void catalogueChangedElsewhere();
    // The category dialog added, renamed, moved or removed categories, or gave one an icon.
    void categoriesChanged();
};

}  // namespace karvio
