#include "views/frmProperties.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "CatalogueText.h"
#include "DateText.h"
#include "Format.h"
#include "TransferRecords.h"
#include "controls/MountedMarker.h"
#include "controls/SizeText.h"
#include "mainwindow/EditRefusals.h"
#include "views/ItemLocation.h"
#include "controls/NotesBox.h"
#include "views/DetailsText.h"
#include "controls/AttributeText.h"

namespace karvio {

namespace {

QString Shown(const std::string& bytes) {
    return QString::fromStdString(DecodeCatalogueText(bytes));
}


// A value label: heard by a screen reader as its caption and what it shows ("Size: 1,234").
QLabel* ValueLabel(QWidget* parent, const QString& name, const QString& caption) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setWordWrap(true);
    label->setAccessibleDescription(caption);
    return label;
}

void ShowValue(QLabel* label, const QString& value) {
    label->setText(value);
    label->setAccessibleName(value.isEmpty() ? QString() : label->accessibleDescription() + ": " + value);
}

}  // namespace

QString CountsText(int32_t files, int32_t subdirs, const QString& what) {
    QString text = files < 1 ? frmProperties::tr("No files under this %1").arg(what)
                             : frmProperties::tr("Total number of files [%1]").arg(files);
    text += QStringLiteral("\r\n");
    text += subdirs < 1 ? frmProperties::tr("No subdirectories under this %1").arg(what)
                        : frmProperties::tr("Total number of subdirectories [%1]").arg(subdirs);
    return text;
}

frmProperties::frmProperties(int kind, int32_t id, QWidget* parent)
    : QDialog(parent), kind_(kind), id_(id) {
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(tr("Properties"));
    lblFileName_ = ValueLabel(this, QStringLiteral("lblFileName"), tr("Name"));
    QFont bold = lblFileName_->font();
    bold.setBold(true);
    lblFileName_->setFont(bold);
    lblSize_ = ValueLabel(this, QStringLiteral("lblSize"), tr("Size"));
    lblTime_ = ValueLabel(this, QStringLiteral("lblTime"), tr("Date"));
    lblAttr_ = ValueLabel(this, QStringLiteral("lblAttr"), tr("Attributes"));
    lblCount_ = ValueLabel(this, QStringLiteral("lblCount"), tr("Contents"));
    lblVolume_ = ValueLabel(this, QStringLiteral("lblVolume"), tr("Volume"));
    lblPath_ = ValueLabel(this, QStringLiteral("lblPath"), tr("Path"));
    lblDisc_ = ValueLabel(this, QStringLiteral("lblDisc"), tr("Disc"));
    lblDetails_ = ValueLabel(this, QStringLiteral("lblDetails"), tr("Details"));
    lblThumbnail_ = new QLabel(this);
    lblThumbnail_->setObjectName(QStringLiteral("lblThumbnail"));
    lblThumbnail_->setAccessibleName(tr("Thumbnail"));
    lblThumbnail_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblThumbnail_->hide();
    fldNotes_ = new QPlainTextEdit(this);
    fldNotes_->setObjectName(QStringLiteral("fldNotes"));
    fldNotes_->setAccessibleName(tr("Notes"));
    MakeNotesBox(fldNotes_);
    btnOK_ = new QPushButton(tr("&OK"), this);
    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnOK_->setDefault(true);

    auto* form = form_ = new QFormLayout;
    form->addRow(tr("Name :"), lblFileName_);
    form->addRow(tr("Size :"), lblSize_);
    form->addRow(tr("Date :"), lblTime_);
    form->addRow(tr("Attributes :"), lblAttr_);
    form->addRow(QString(), lblCount_);
    form->addRow(tr("Volume :"), lblVolume_);
    form->setRowVisible(lblVolume_, kind_ == 2 || kind_ == 3);
    // Where a directory or file lies: its path on the system and its disc.
    form->addRow(tr("Path :"), lblPath_);
    form->addRow(tr("Disc :"), lblDisc_);
    form->setRowVisible(lblPath_, kind_ == 4 || kind_ == 5);
    form->setRowVisible(lblDisc_, kind_ == 4 || kind_ == 5);
    form->addRow(tr("Details :"), lblDetails_);
    form->setRowVisible(lblDetails_, false);
    auto* notesCaption = new QLabel(tr("&Notes :"), this);
    notesCaption->setBuddy(fldNotes_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnOK_, QDialogButtonBox::AcceptRole);
    connect(btnOK_, &QPushButton::clicked, this, [this] {
        Save();
        accept();
    });
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addLayout(form, 1);
    top->addWidget(lblThumbnail_);
    layout->addLayout(top);
    layout->addWidget(notesCaption);
    layout->addWidget(fldNotes_, 1);
    layout->addWidget(buttons);
    resize(420, 380);
    Fill();
}

void frmProperties::Fill() {
    std::string notes;
    if (kind_ == 2 || kind_ == 3) {
        const CdInfo cd = GetCdInfoById(id_);
        ShowValue(lblFileName_, Shown(cd.CdName));
        ShowValue(lblSize_, FullSizeText(cd.CdTotalSize));
        ShowValue(lblTime_, QString::fromStdString(DateToText(cd.CdLastScanned)));
        ShowValue(lblCount_, CountsText(cd.CdNumOfFiles, cd.CdNumOfSubdirs, tr("folder")));
        ShowValue(lblVolume_, VolumeIdentityText(id_));
        notes = cd.CdNotes;
        shown_ = HeldRecord::Of(cd);
    } else if (kind_ == 4) {
        const DirInfo dir = GetDirInfoById(id_);
        ShowValue(lblFileName_, Shown(dir.DirName));
        ShowValue(lblSize_, FullSizeText(dir.DirSize));
        ShowValue(lblTime_, QString::fromStdString(DateToText(dir.DirDate)));
        ShowValue(lblAttr_, AttributesText(dir.DirAttr));
        ShowValue(lblCount_, CountsText(dir.DirCountOfFiles, dir.DirCountOfDirs, tr("directory")));
        notes = dir.DirNotes;
        shown_ = HeldRecord::Of(dir);
    } else if (kind_ == 5) {
        const FileInfo file = GetFileInfoById(id_);
        ShowValue(lblFileName_, Shown(file.FileName));
        ShowValue(lblSize_, FullSizeText(file.FileSize));
        ShowValue(lblTime_, QString::fromStdString(DateToText(file.FileDate)));
        ShowValue(lblAttr_, AttributesText(file.FileAttr));
        notes = file.FileNotes;
        shown_ = HeldRecord::Of(file);
        const ShownDetails shown = ReadShownDetails(file);
        if (shown.details) {
            lblDetails_->setText(DetailsLines(*shown.details));
            form_->setRowVisible(lblDetails_, !lblDetails_->text().isEmpty());
        }
        if (!shown.thumbnail.isNull()) {
            lblThumbnail_->setPixmap(QPixmap::fromImage(shown.thumbnail));
            lblThumbnail_->show();
        }
    }
    if (kind_ == 4 || kind_ == 5) {
        const ItemLocation location = LocateRecord(kind_, id_);
        ShowValue(lblPath_, location.path);
        ShowValue(lblDisc_, location.disc);
    }
    // The text box shows line breaks as line feeds; notes stored with carriage returns (as the
    // Windows program wrote them) keep theirs when saved, and merely looking changes nothing.
    storedCrLf_ = notes.find("\r\n") != std::string::npos;
    loadedNotes_ = Shown(notes);
    loadedNotes_.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    fldNotes_->setPlainText(loadedNotes_);
}

void frmProperties::Save() {
    if (saved_) return;
    saved_ = true;
    QString text = fldNotes_->toPlainText();
    if (text.trimmed() == loadedNotes_.trimmed()) return;
    if (storedCrLf_) text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    const std::string bytes = text.toStdString();
    if (kind_ < 2 || kind_ > 5) {
        changed_ = true;
        return;
    }
    // The notes go to the record the window showed, and only while it is still that record.
    CatalogueEdits edits;
    const EditResult result = kind_ == 4   ? edits.AnnotateDirectory(shown_, bytes)
                              : kind_ == 5 ? edits.AnnotateFile(shown_, bytes)
                                           : edits.AnnotateCd(shown_, bytes);
    changed_ = ReportEdit(result, fldNotes_->toPlainText());
}

void frmProperties::closeEvent(QCloseEvent* event) {
    Save();
    event->accept();
    QDialog::closeEvent(event);
}

// Escape closes the window too, and like the close box it keeps what was typed.
void frmProperties::reject() {
    Save();
    QDialog::reject();
}

bool frmProperties::ShowProperties(int kind, int32_t id, QWidget* parent, const std::string& shownName) {
    if (!shownName.empty() && kind >= 2 && kind <= 5) {
        const RecordKind recordKind = kind == 4 ? RecordKind::Directory : kind == 5 ? RecordKind::File : RecordKind::Cd;
        if (!ReportEdit(CatalogueEdits().Confirm(HeldRecord::Named(recordKind, id, shownName)))) return false;
    }
    frmProperties dialog(kind, id, parent);
    dialog.exec();
    return dialog.Changed();
}

}  // namespace karvio
