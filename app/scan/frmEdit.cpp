#include "scan/frmEdit.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "VolumeServices.h"
#include "classData.h"
#include "controls/ctlIconLabel.h"
#include "mainwindow/CatalogueEvents.h"
#include "TransferRecords.h"
#include "mainwindow/EditRefusals.h"
#include "controls/NotesBox.h"

namespace karvio {

namespace {
QString Q(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

void frmEdit::EditCd(int32_t cdId, int16_t& result, QWidget* parent) {
    result = 0;
    if (cdId == 0) return;
    frmEdit dialog(cdId, parent);
    dialog.exec();
    result = dialog.Result();
}

frmEdit::frmEdit(int32_t cdId, QWidget* parent)
    : QDialog(parent), cdId_(cdId), txtLabel_(new QLineEdit(this)), txtLabelInternal_(new QLineEdit(this)),
      txtNotes_(new QPlainTextEdit(this)), txtBasePath_(new QLineEdit(this)),
      txtCategory_(new ctlIconLabel(this)), btnOK_(new QPushButton(tr("&Save"), this)),
      btnCancel_(new QPushButton(tr("&Cancel"), this)) {
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(tr("Edit CD Details"));
    txtLabel_->setObjectName(QStringLiteral("txtLabel"));
    txtLabelInternal_->setObjectName(QStringLiteral("txtLabelInternal"));
    txtNotes_->setObjectName(QStringLiteral("txtNotes"));
    MakeNotesBox(txtNotes_);
    txtBasePath_->setObjectName(QStringLiteral("txtBasePath"));
    txtCategory_->setObjectName(QStringLiteral("txtCategory"));
    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnOK_->setDefault(true);
    txtLabel_->setAccessibleName(tr("My Label"));
    txtLabelInternal_->setAccessibleName(tr("CD Label"));
    txtNotes_->setAccessibleName(tr("Notes"));
    txtBasePath_->setAccessibleName(tr("Base path"));
    txtCategory_->txtFolder()->setAccessibleName(tr("Category"));

    auto* form = new QFormLayout(this);
    form->addRow(tr("&My Label"), txtLabel_);
    form->addRow(tr("CD &Label"), txtLabelInternal_);
    form->addRow(tr("&Notes"), txtNotes_);
    form->addRow(tr("&Base Path"), txtBasePath_);
    form->addRow(tr("C&ategory"), txtCategory_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnOK_, QDialogButtonBox::AcceptRole);
    buttons->addButton(btnCancel_, QDialogButtonBox::RejectRole);
    form->addRow(buttons);

    {
        classData data;
        cd_ = ReadCdInfo(data, cdId_);
    }
    shown_ = HeldRecord::Of(cd_);
    txtLabel_->setText(Q(cd_.CdName));
    txtNotes_->setPlainText(Q(cd_.CdNotes));
    txtLabelInternal_->setText(Q(cd_.CdLabel));
    txtCategory_->SetCategoryId(cd_.CdCategory);
    txtBasePath_->setText(Q(cd_.CdBasepath));
    changed_ = false;
    initialCategory_ = txtCategory_->CategoryId();
    connect(txtLabel_, &QLineEdit::textChanged, this, [this] { changed_ = true; });
    connect(txtNotes_, &QPlainTextEdit::textChanged, this, [this] { changed_ = true; });
    connect(btnOK_, &QPushButton::clicked, this, &frmEdit::btnOK_Click);
    connect(btnCancel_, &QPushButton::clicked, this, &frmEdit::btnCancel_Click);
    resize(sizeHint().expandedTo(QSize(460, 300)));
}

bool frmEdit::HasChanges() const { return changed_ || txtCategory_->CategoryId() != initialCategory_; }

void frmEdit::btnOK_Click() {
    result_ = static_cast<int16_t>((changed_ ? kCdTextsChanged : 0) +
                                   (txtCategory_->CategoryId() != initialCategory_ ? kCdCategoryChanged : 0));
    if (result_ != 0) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        for (QWidget* w : std::initializer_list<QWidget*>{btnOK_, btnCancel_, txtLabel_, txtLabelInternal_, txtNotes_}) {
            w->setEnabled(false);
        }
        cd_.CdName = txtLabel_->text().toStdString();
        cd_.CdNotes = txtNotes_->toPlainText().toStdString();
        cd_.CdLabel = txtLabelInternal_->text().toStdString();
        cd_.CdBasepath = txtBasePath_->text().toStdString();
        cd_.CdMediaType = GetMediaType(cd_.CdBasepath);
        cd_.CdCategory = txtCategory_->CategoryId();
        const EditResult result = CatalogueEdits().UpdateCdDetails(shown_, cd_);
        QApplication::restoreOverrideCursor();
        if (result.status == EditStatus::NotWritable) {
            // Nothing was saved: the dialog stays open with what was typed.
            for (QWidget* w : std::initializer_list<QWidget*>{btnOK_, btnCancel_, txtLabel_, txtLabelInternal_, txtNotes_}) {
                w->setEnabled(true);
            }
            ReportEdit(result);
            result_ = 0;
            return;
        }
        if (!ReportEdit(result, txtNotes_->toPlainText())) {
            result_ = 0;
            QDialog::reject();
            return;
        }
        emit CatalogueEvents::Instance().catalogueChanged();
    }
    accept();
}

void frmEdit::btnCancel_Click() {
    if (HasChanges() &&
        QMessageBox::question(this, windowTitle(), tr("Exit and lose all changes !!"),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                              QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    changed_ = false;
    txtCategory_->SetCategoryId(initialCategory_);
    result_ = 0;
    QDialog::reject();
}

void frmEdit::reject() { btnCancel_Click(); }

}  // namespace karvio
