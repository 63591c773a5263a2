// Watches the data file for changes made by other programs (karvio-cli, a second window): when
// the file was compacted or replaced, every window is told through CatalogueEvents that the
// record ids it holds are void, so nothing is opened or written through them; when records were
// added, removed or changed, the views are told to show it (the hidden one at its activation).
// It looks at the file's identity (one stat and its header) when the program becomes active and
// every few seconds; the changes this program announces itself are taken as the new starting
// point. User-interface thread.
#pragma once

#include <QObject>
#include <QTimer>

#include "classData.h"

namespace karvio {

class CatalogueWatch : public QObject {
    Q_OBJECT

public:
    explicit CatalogueWatch(QObject* parent = nullptr, int intervalMs = 2000);

    // Compares the file with what was seen last and tells the windows of a change.
    CatalogueChange Check();

private:
    CatalogueIdentity seen_;
    QTimer timer_;
    bool checking_ = false;  // telling the windows of a change found by Check
};

}  // namespace karvio
