// The CD commands both catalogue views run (the explorer and the CD panel): add, edit, rescan
// and delete, each with its dialogs, messages and the scan. Each says what happened in its
// result so the view updates only itself; the store is written and CatalogueEvents has been
// told by the time it returns. User-interface thread.
//
//   AddCd(categoryId)        -> the new CD's id, or 0 when the dialog or the scan was cancelled
//                               (or the medium went away). Emits catalogueChanged on success.
//   EditCdDetails(cdId)      -> the change mask of frmEdit: 0 nothing saved (or cdId 0),
//                               1 name or notes, 2 category, 3 both. Emits catalogueChanged
//                               when something was saved.
//   RescanCd(cdId)           -> the id of the CD that replaces cdId (notes kept), or 0 when
//                               cancelled, stopped or cdId is 0; cdId is then unchanged. On
//                               success emits cdRemoved(cdId) then catalogueChanged.
//   DeleteCd(cdId, title)    -> true when the user said Yes and the CD was removed ("CD
//                               removed" has been shown); emits cdRemoved(cdId).
#pragma once

#include <cstdint>
#include <string>

class QWidget;

namespace karvio {

int32_t AddCd(int32_t categoryId, QWidget* parent = nullptr);
int16_t EditCdDetails(int32_t cdId, QWidget* parent = nullptr);
int32_t RescanCd(int32_t cdId, QWidget* parent = nullptr);
bool DeleteCd(int32_t cdId, const std::string& title);

}  // namespace karvio
