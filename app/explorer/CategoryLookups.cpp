#include "explorer/CategoryLookups.h"

#include "CatalogueText.h"
#include "classData.h"
#include "TransferRecords.h"
#include "mainwindow/EditRefusals.h"

namespace karvio {

namespace {

QString Shown(const std::string& bytes) {
    return QString::fromStdString(DecodeCatalogueText(bytes));
}

}  // namespace

QString CategoryDisplayName(int32_t id) {
    if (id == 0) return QStringLiteral("Karvio");
    classData data;
    if (data.GetError() != kErrorNone) return {};
    return Shown(data.GetCatGoto(id).GetCatName());
}

QString CategoryNotes(int32_t id) {
    if (id <= 0) return {};
    classData data;
    if (data.GetError() != kErrorNone) return {};
    return Shown(data.GetCatGoto(id).GetCatNotes());
}

void SetCategoryNotes(int32_t id, const QString& notes) {
    if (id > 0) ReportEdit(CatalogueEdits().SetCategoryNotes(HeldRecord::Of(RecordKind::Category, id), notes.toStdString()), notes);
}

void SetCategoryIcon(int32_t id, int32_t icon) {
    if (id > 0) ReportEdit(CatalogueEdits().SetCategoryImage(HeldRecord::Of(RecordKind::Category, id), icon));
}

}  // namespace karvio
