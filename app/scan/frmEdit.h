// "Edit CD Details": a catalogued CD's name, notes, volume label, base path and category,
// changed without a rescan. Save writes the CD record once when the name, the notes or the
// category changed; Cancel asks before it drops changes. Modal, destroyed when it returns;
// user-interface thread.
#pragma once

#include <QDialog>
#include <cstdint>

#include "CatalogueEdits.h"
#include "TransferRecords.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace karvio {

class ctlIconLabel;

// The change mask EditCd returns.
inline constexpr int16_t kCdTextsChanged = 1;
inline constexpr int16_t kCdCategoryChanged = 2;

class frmEdit : public QDialog {
    Q_OBJECT

public:
    // Shows the dialog for the CD `cdId` and returns through `result` what was saved: 0 nothing
    // (or cancelled, or `cdId` 0, when nothing is shown), 1 the name or notes, 2 the category,
    // 3 both.
    static void EditCd(int32_t cdId, int16_t& result, QWidget* parent = nullptr);

    frmEdit(int32_t cdId, QWidget* parent = nullptr);

    int16_t Result() const { return result_; }
    void btnOK_Click();
    void btnCancel_Click();

    QLineEdit* txtLabel() const { return txtLabel_; }
    QLineEdit* txtLabelInternal() const { return txtLabelInternal_; }
    QPlainTextEdit* txtNotes() const { return txtNotes_; }
    QLineEdit* txtBasePath() const { return txtBasePath_; }
    ctlIconLabel* txtCategory() const { return txtCategory_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }

protected:
    void reject() override;

private:
    bool HasChanges() const;

    int32_t cdId_;
    CdInfo cd_;
    HeldRecord shown_;  // the CD as the dialog read it
    bool changed_ = false;
    int32_t initialCategory_ = 0;
    int16_t result_ = 0;
    QLineEdit* txtLabel_;
    QLineEdit* txtLabelInternal_;
    QPlainTextEdit* txtNotes_;
    QLineEdit* txtBasePath_;
    ctlIconLabel* txtCategory_;
    QPushButton* btnOK_;
    QPushButton* btnCancel_;
};

}  // namespace karvio
