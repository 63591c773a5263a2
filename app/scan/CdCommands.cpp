#include "scan/CdCommands.h"

#include "TransferRecords.h"
#include "mainwindow/CatalogueEvents.h"
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

}  // namespace

int32_t AddCd(int32_t categoryId, QWidget* parent) {
    const int32_t newId = ScanThroughDialogs(0, categoryId, parent);
    if (newId > 0) emit CatalogueEvents::Instance().catalogueChanged();
    return newId;
}

int16_t EditCdDetails(int32_t cdId, QWidget* parent) {
    int16_t mask = 0;
    frmEdit::EditCd(cdId, mask, parent);
    return mask;
}

int32_t RescanCd(int32_t cdId, QWidget* parent) {
    if (cdId <= 0) return 0;
    const int32_t newId = ScanThroughDialogs(cdId, 0, parent);
    if (newId > 0) {
        emit CatalogueEvents::Instance().cdRemoved(cdId);
        emit CatalogueEvents::Instance().catalogueChanged();
    }
    return newId;
}

bool DeleteCd(int32_t cdId, const std::string& title) {
    if (!RemoveCd(cdId, title)) return false;
    emit CatalogueEvents::Instance().cdRemoved(cdId);
    return true;
}

}  // namespace karvio
