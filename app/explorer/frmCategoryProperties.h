// "Category Properties": one category's notes and picture. The picture steps through the
// shipped chosen pictures (7 to LastCategoryPicture(), wrapping); the default picture 6 is shown
// while the category has it but is not part of the cycle. OK stores notes and picture, Cancel
// stores nothing. Modal, destroyed when it returns; user-interface thread.
#pragma once

#include <string>

#include "CatalogueEdits.h"

#include <QDialog>
#include <cstdint>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace karvio {

class frmCategoryProperties : public QDialog {
    Q_OBJECT

public:
    // Shows the dialog for the category `categoryId` with its current picture `icon`. Returns the
    // picture chosen when the user pressed OK (notes and picture are then stored), 0 when the
    // user cancelled. Callers give the category's node the returned picture when it is 1 or more.
    // A view gives the category's name as it shows it (`shownName`): when another program has
    // changed the category, that is said, the views reload, no dialog opens and 0 is returned.
    static int16_t EditCategory(int32_t categoryId, int16_t icon, QWidget* parent = nullptr,
                                const std::string& shownName = {});

    frmCategoryProperties(int32_t categoryId, int16_t icon, QWidget* parent = nullptr);

    int16_t IconIndex() const { return icon_; }
    void imgNext_Click();
    void imgPrev_Click();

    QPlainTextEdit* fldNotes() const { return fldNotes_; }
    QLabel* fldIcon() const { return fldIcon_; }
    QToolButton* imgPrev() const { return imgPrev_; }
    QToolButton* imgNext() const { return imgNext_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }

protected:
    void done(int result) override;

private:
    void ShowIcon();

    int32_t categoryId_;
    HeldRecord shown_;  // the category as the dialog read it
    int16_t icon_;
    QLabel* fldCategory_;
    QLabel* fldIcon_;
    QToolButton* imgPrev_;
    QToolButton* imgNext_;
    QPlainTextEdit* fldNotes_;
    QPushButton* btnOK_;
    QPushButton* btnCancel_;
};

}  // namespace karvio
