// Small look-ups of one category record each, for the explorer's list, the category picker and
// the category dialogs. Each opens the data file for its own call. User-interface thread.
#pragma once

#include <QString>
#include <cstdint>

namespace karvio {

// The category's name as the user reads it; "Karvio" (the catalogue root) for id 0.
QString CategoryDisplayName(int32_t id);
// The category's notes.
QString CategoryNotes(int32_t id);
// Writes new notes, or a new picture index, to the category's record.
void SetCategoryNotes(int32_t id, const QString& notes);
void SetCategoryIcon(int32_t id, int32_t icon);

}  // namespace karvio
