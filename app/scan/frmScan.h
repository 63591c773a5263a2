// The scan dialog "Cd Rescan": what to scan (a drive or folder), the CD's name, notes and
// category, for a new scan or a rescan. Start checks the medium and the folder and, when they
// can be read, hands everything to the progress window with SetVars; bad input gets a message
// and the dialog stays open with what was typed. Modal, destroyed when it returns;
// user-interface thread.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "CatalogueEdits.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace karvio {

class ctlFolderBrowser;
class ctlIconLabel;
class frmAnimation;

class frmScan : public QDialog {
    Q_OBJECT

public:
    // Shows the dialog for a new scan (`cdId` < 1) or a rescan of the CD `cdId`; a `categoryId`
    // > 0 preselects that category. Returns through `cancelled` whether the user closed it
    // without starting; when false, `animation` holds the scan (SetVars) and the caller runs
    // its ScanCd next.
    // A new scan of a volume folder that a CD already holds (same file system UUID, same
    // folder) may become a rescan of that CD: `rescannedCdId` then receives its id.
    static void ScanCd(int32_t cdId, int32_t categoryId, bool& cancelled, frmAnimation& animation,
                       QWidget* parent = nullptr, int32_t* rescannedCdId = nullptr);

    frmScan(int32_t cdId, int32_t categoryId, frmAnimation& animation, QWidget* parent = nullptr);

    bool Cancelled() const { return cancelled_; }
    // The CD a new scan turned into a rescan of, or 0.
    int32_t RescannedCdId() const { return cdId_ > 0 && originalCdId_ < 1 ? cdId_ : 0; }
    void btnOK_Click();

    ctlFolderBrowser* ctlFolderBrowser1() const { return folder_; }
    QLineEdit* txtLabel() const { return txtLabel_; }
    QLineEdit* txtLabelInternal() const { return txtLabelInternal_; }
    QPlainTextEdit* txtNotes() const { return txtNotes_; }
    ctlIconLabel* txtCategory() const { return txtCategory_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }
    // The mounted volumes by label, CD-ROMs with a medium first; choosing one fills the drive.
    QComboBox* cboVolumes() const { return cboVolumes_; }
    // What the scan reads inside files: members of archives, details of media, thumbnails.
    QCheckBox* chkArchives() const { return chkArchives_; }
    QCheckBox* chkMedia() const { return chkMedia_; }
    QCheckBox* chkThumbnails() const { return chkThumbnails_; }
    QCheckBox* chkHashes() const { return chkHashes_; }
    // The ScanOption bits the check boxes give.
    uint32_t ScanOptions() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FolderChanged();
    void FillVolumes();
    // For a new scan of a folder some CD already holds, asks whether to rescan that CD instead;
    // False when the user cancelled.
    bool OfferRescan(const std::string& path);

    int32_t cdId_;
    int32_t originalCdId_;
    HeldRecord replaced_;  // the CD a rescan replaces, as the dialog read it
    QComboBox* cboVolumes_;
    frmAnimation& animation_;
    bool cancelled_ = true;
    ctlFolderBrowser* folder_;
    QLineEdit* txtLabel_;
    QLineEdit* txtLabelInternal_;
    QPlainTextEdit* txtNotes_;
    ctlIconLabel* txtCategory_;
    QPushButton* btnOK_;
    QPushButton* btnCancel_;
    QCheckBox* chkArchives_;
    QCheckBox* chkMedia_;
    QCheckBox* chkThumbnails_;
    QCheckBox* chkHashes_;
};

// The drive a new scan proposes: the first mounted CD-ROM with a readable medium, else the
// first fixed volume, else "/"; volumes in mount order.
std::string DefaultScanDrive();

// Why a folder cannot be scanned, or an empty text when it can: a path that does not exist,
// that is no folder, or a folder that cannot be read.
std::string ScanFolderProblem(const std::string& path);

}  // namespace karvio
