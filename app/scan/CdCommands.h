// The CD commands both catalogue views run (the explorer and the CD panel): add, edit, rescan
// and delete, each with its dialogs, messages and the scan. Each says what happened in its
// result so the view updates only itself; the store is written and CatalogueEvents has been
// told by the time it returns. User-interface thread.
//
//   AddCd(categoryId)        -> the new CD's id, or 0 when the dialog or the scan was cancelled
//                               (or the medium went away). Emits catalogueChanged on success.
//   EditCdDetails(cd)        -> the change mask of frmEdit: 0 nothing saved (or id 0),
//                               1 name or notes, 2 category, 3 both. Emits catalogueChanged
//                               when something was saved.
//   RescanCd(cd)             -> the id of the CD that replaces cd (notes kept), or 0 when
//                               cancelled, stopped or the id is 0; cd is then unchanged. On
//                               success emits cdRemoved(cd.id) then catalogueChanged.
//   DeleteCd(cd, title)      -> true when the user said Yes and the CD was removed ("CD
//                               removed" has been shown); emits cdRemoved(cd.id).
// `cd` is the CD as the view shows it: when another program has changed or removed it, the
// command says so, does nothing, and every view loads the catalogue again.
#pragma once

#include <cstdint>
#include <string>

#include "CatalogueEdits.h"

class QWidget;

namespace karvio {

int32_t AddCd(int32_t categoryId, QWidget* parent = nullptr);
int16_t EditCdDetails(const HeldRecord& cd, QWidget* parent = nullptr);
int32_t RescanCd(const HeldRecord& cd, QWidget* parent = nullptr);
bool DeleteCd(const HeldRecord& cd, const std::string& title);

}  // namespace karvio
