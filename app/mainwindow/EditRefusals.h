// How the windows tell the user that an edit was not saved. The rules are the edit service's
// (CatalogueEdits); this only turns its answer into the program's messages. A record that
// another program changed or removed makes every view load the catalogue again, and what the
// user typed for the edit is kept on the clipboard so that it can be applied again.
// User-interface thread.
#pragma once

#include <QString>

#include "CatalogueEdits.h"

namespace karvio {

// Shows why `result` was not done (nothing for Done or Declined); `typed` is what the user typed
// for the edit (a name, notes), empty when nothing was typed. Returns result.Done().
bool ReportEdit(const EditResult& result, const QString& typed = {});

// The message a window shows for a category that still holds sub-categories or CDs.
inline constexpr const char* kCategoryHoldsChildrenText = QT_TRANSLATE_NOOP(
    "Messages",
    "Cannot delete category because it contains children!! remove all children and try again");

}  // namespace karvio
