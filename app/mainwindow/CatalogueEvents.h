// Program-wide notices about the data file that several windows act on: the views, the search
// window and the find box each connect to the one instance. Emitted by whoever made the change,
// after it is in the file. User-interface thread.
#pragma once

#include <QObject>
#include <cstdint>

namespace karvio {

class CatalogueEvents : public QObject {
    Q_OBJECT

public:
    static CatalogueEvents& Instance();

signals:
    // The data file was compacted or replaced (here or by another program): every record id
    // held before is void and must not be used again.
    void catalogueReplaced();
    // A CD and everything on it were removed.
    void cdRemoved(int32_t cdId);
    // Records were added or changed by this program (a scan, a rescan, an edit of a name or notes).
    void catalogueChanged();
};

}  // namespace karvio
