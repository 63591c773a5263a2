#include "explorer/frmCategoryProperties.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "classCat.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "controls/ctlIconLabel.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/EditRefusals.h"
#include "TransferRecords.h"
#include "controls/NotesBox.h"

namespace karvio {

namespace {
constexpr int kIconPixels = 32;
}

int16_t frmCategoryProperties::EditCategory(int32_t categoryId, int16_t icon, QWidget* parent,
                                            const std::string& shownName) {
    if (!shownName.empty() &&
        !ReportEdit(CatalogueEdits().Confirm(HeldRecord::Named(RecordKind::Category, categoryId, shownName)))) {
        return 0;
    }
    frmCategoryProperties dialog(categoryId, icon, parent);
    dialog.exec();
    return dialog.IconIndex();
}

frmCategoryProperties::frmCategoryProperties(int32_t categoryId, int16_t icon, QWidget* parent)
    : QDialog(parent), categoryId_(categoryId), icon_(icon), fldCategory_(new QLabel(this)),
      fldIcon_(new QLabel(this)), imgPrev_(new QToolButton(this)), imgNext_(new QToolButton(this)),
      fldNotes_(new QPlainTextEdit(this)), btnOK_(new QPushButton(tr("OK"), this)),
      btnCancel_(new QPushButton(tr("Cancel"), this)) {
    setWindowTitle(tr("Category Properties"));
    setObjectName(QStringLiteral("frmCategoryProperties"));

    fldCategory_->setText(CategoryDisplayText(categoryId));
    fldCategory_->setObjectName(QStringLiteral("fldCategory"));
    QFont bold = fldCategory_->font();
    bold.setBold(true);
    fldCategory_->setFont(bold);
    auto* nameCaption = new QLabel(tr("Category Name"), this);

    auto* iconCaption = new QLabel(tr("Category &Icon"), this);
    iconCaption->setBuddy(imgNext_);
    imgPrev_->setObjectName(QStringLiteral("imgPrev"));
    // The style draws these arrows itself, sharp at any scale and plainly enabled; the theme's
    // arrow pictures look greyed out.
    imgPrev_->setArrowType(Qt::LeftArrow);
    imgPrev_->setAccessibleName(tr("Previous picture"));
    imgPrev_->setToolTip(tr("Previous picture"));
    imgNext_->setObjectName(QStringLiteral("imgNext"));
    imgNext_->setArrowType(Qt::RightArrow);
    imgNext_->setAccessibleName(tr("Next picture"));
    imgNext_->setToolTip(tr("Next picture"));
    fldIcon_->setObjectName(QStringLiteral("fldIcon"));
    fldIcon_->setFixedSize(kIconPixels + 8, kIconPixels + 8);
    fldIcon_->setAlignment(Qt::AlignCenter);
    fldIcon_->setAccessibleName(tr("Category picture"));
    auto* iconRow = new QHBoxLayout;
    iconRow->addWidget(imgPrev_);
    iconRow->addWidget(fldIcon_);
    iconRow->addWidget(imgNext_);
    iconRow->addStretch(1);

    auto* notesCaption = new QLabel(tr("Category &Notes"), this);
    notesCaption->setBuddy(fldNotes_);
    fldNotes_->setObjectName(QStringLiteral("fldNotes"));
    fldNotes_->setAccessibleName(tr("Category Notes"));
    MakeNotesBox(fldNotes_);
    {
        classData data;
        const CatInfo shown = ReadCatInfo(data, categoryId);
        shown_ = HeldRecord::Of(shown);
        shown_.date = data.GetCatGoto(categoryId).GetCatCreated();
        fldNotes_->setPlainText(QString::fromStdString(shown.CatNotes));
    }

    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnOK_->setDefault(true);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnOK_, QDialogButtonBox::AcceptRole);
    buttons->addButton(btnCancel_, QDialogButtonBox::RejectRole);

    auto* grid = new QGridLayout(this);
    grid->addWidget(nameCaption, 0, 0);
    grid->addWidget(fldCategory_, 0, 1);
    grid->addWidget(iconCaption, 1, 0);
    grid->addLayout(iconRow, 1, 1);
    grid->addWidget(notesCaption, 2, 0, Qt::AlignTop);
    grid->addWidget(fldNotes_, 2, 1);
    grid->addWidget(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    connect(imgNext_, &QToolButton::clicked, this, &frmCategoryProperties::imgNext_Click);
    connect(imgPrev_, &QToolButton::clicked, this, &frmCategoryProperties::imgPrev_Click);
    connect(btnOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    ShowIcon();
    resize(sizeHint().expandedTo(QSize(360, 240)));
}

void frmCategoryProperties::imgNext_Click() {
    ++icon_;
    if (icon_ > LastCategoryPicture() || icon_ < kFirstCategoryPicture) icon_ = kFirstCategoryPicture;
    ShowIcon();
}

void frmCategoryProperties::imgPrev_Click() {
    --icon_;
    if (icon_ < kFirstCategoryPicture || icon_ > LastCategoryPicture()) {
        icon_ = static_cast<int16_t>(LastCategoryPicture());
    }
    ShowIcon();
}

void frmCategoryProperties::ShowIcon() {
    fldIcon_->setPixmap(ItemIcon(icon_ > 0 ? icon_ : kIconCategory).pixmap(kIconPixels, kIconPixels));
    fldIcon_->setToolTip(tr("Picture %1").arg(icon_));
}

void frmCategoryProperties::done(int result) {
    if (result == QDialog::Accepted) {
        const QString notes = fldNotes_->toPlainText();
        const EditResult result = CatalogueEdits().AnnotateCategory(shown_, notes.toStdString(), icon_);
        if (result.status == EditStatus::NotWritable) {
            ReportEdit(result);
            return;  // the dialog stays open with what was typed
        }
        if (!ReportEdit(result, notes)) {
            icon_ = 0;
            QDialog::done(QDialog::Rejected);
            return;
        }
        emit CatalogueEvents::Instance().catalogueChanged();
    } else {
        icon_ = 0;
    }
    QDialog::done(result);
}

}  // namespace karvio
