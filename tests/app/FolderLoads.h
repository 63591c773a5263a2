// The explorer reads a CD's folders on a worker and shows them afterwards: a test waits for
// them as a user would, serving the event loop meanwhile.
#pragma once

#include <QTest>

#include "explorer/CategoryTreeModel.h"

namespace karvio::testing {

// True once no CD's folders are being read any more.
inline bool AwaitFolders(const CategoryTreeModel& tree) {
    return QTest::qWaitFor([&tree] { return !tree.LoadsRunning(); }, 20000);
}

}  // namespace karvio::testing
