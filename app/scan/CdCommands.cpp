#include "scan/CdCommands.h"

#include "TransferRecords.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/EditRefusals.h"
#include "scan/frmAnimation.h"
#include "scan/frmEdit.h"
#include "scan/frmScan.h"

namespace karvio {

namespace {

// The scan dialog, then the scan; the new CD's id or 0.
int32_t ScanThroughDialogs(int32_t cdId, int32_t categoryId, QWidget* parent) {
    frmAnimation animation;
    bool cancelled = true;
    int32_t rescanned = 0;
    frmScan::ScanCd(cdId, categoryId, cancelled, animation, parent, &rescanned);
    if (cancelled) return 0;
    int32_t newId = 0;
    animation.ScanCd(newId);
    // A new scan the user turned into a rescan replaced that CD.
    if (newId > 0 && rescanned > 0) emit CatalogueEvents::Instance().cdRemoved(rescanned);
    return newId;
}

// Whether the CD is still the one the view shows; when not, says so and the views reload.
bool StillShown(const HeldRecord& cd) { return ReportEdit(CatalogueEdits().Confirm(cd)); }

}  // namespace

int32_t AddCd(int32_t categoryId, QWidget* parent) {
    const int32_t newId = ScanThroughDialogs(0, categoryId, parent);
    if (newId > 0) emit CatalogueEvents::Instance().catalogueChanged();
    return newId;
}

int16_t EditCdDetails(const HeldRecord& cd, QWidget* parent) {
    int16_t mask = 0;
    if (cd.id == 0 || !StillShown(cd)) return 0;
    frmEdit::EditCd(cd.id, mask, parent);
    return mask;
}

int32_t RescanCd(const HeldRecord& cd, QWidget* parent) {
    if (cd.id <= 0 || !StillShown(cd)) return 0;
    const int32_t newId = ScanThroughDialogs(cd.id, 0, parent);
    if (newId > 0) {
        emit CatalogueEvents::Instance().cdRemoved(cd.id);
        emit CatalogueEvents::Instance().catalogueChanged();
    }
    return newId;
}

bool DeleteCd(const HeldRecord& cd, const std::string& title) {
    if (!ReportEdit(CatalogueEdits().AskAndRemoveCd(cd, title))) return false;
    emit CatalogueEvents::Instance().cdRemoved(cd.id);
    return true;
}

}  // namespace karvio
