#include "scan/frmScan.h"

#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "CatalogueDetails.h"
#include "CatalogueText.h"
#include "DetailsDatabase.h"
#include "Messages.h"
#include "MountTable.h"
#include "PathServices.h"
#include "ScanEngine.h"
#include "TransferRecords.h"
#include "VolumeLocator.h"
#include "VolumeServices.h"
#include "VolumeSidecar.h"
#include "classData.h"
#include "controls/NotesBox.h"
#include "controls/ctlFolderBrowser.h"
#include "controls/ctlIconLabel.h"
#include "scan/frmAnimation.h"
#include "startup/Settings.h"

namespace karvio {

namespace {

constexpr const char* kNotReady =
    QT_TRANSLATE_NOOP("Messages", "No CD Found to Scan or CD Not Ready");

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

std::string DefaultScanDrive() {
    std::string fixed;
    for (const MountEntry& mount : MountedVolumes()) {
        const int32_t type = MediaTypeOfMount(mount);
        if (type == kMediaCdRom && GetVolumeLabel(mount.mountPoint) != kDiskNotReady) return mount.mountPoint;
        if (type == kMediaFixed && fixed.empty()) fixed = mount.mountPoint;
    }
    return fixed.empty() ? std::string("/") : fixed;
}

std::string ScanFolderProblem(const std::string& path) {
    struct stat st {};
    const char* problem = nullptr;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        problem = QT_TRANSLATE_NOOP("karvio::frmScan", "The folder [%1] does not exist");
    } else if (!S_ISDIR(st.st_mode)) {
        problem = QT_TRANSLATE_NOOP("karvio::frmScan", "[%1] is not a folder");
    } else if (::access(path.c_str(), R_OK | X_OK) != 0) {
        problem = QT_TRANSLATE_NOOP("karvio::frmScan", "The folder [%1] cannot be read");
    }
    if (!problem) return {};
    return frmScan::tr(problem).arg(QFile::decodeName(path.c_str())).toStdString();
}

void frmScan::ScanCd(int32_t cdId, int32_t categoryId, bool& cancelled, frmAnimation& animation,
                     QWidget* parent, int32_t* rescannedCdId) {
    frmScan dialog(cdId, categoryId, animation, parent);
    dialog.exec();
    cancelled = dialog.Cancelled();
    if (rescannedCdId) *rescannedCdId = cancelled ? 0 : dialog.RescannedCdId();
}

frmScan::frmScan(int32_t cdId, int32_t categoryId, frmAnimation& animation, QWidget* parent)
    : QDialog(parent), cdId_(cdId), originalCdId_(cdId), cboVolumes_(new QComboBox(this)), animation_(animation),
      folder_(new ctlFolderBrowser(this)),
      txtLabel_(new QLineEdit(this)), txtLabelInternal_(new QLineEdit(this)),
      txtNotes_(new QPlainTextEdit(this)), txtCategory_(new ctlIconLabel(this)),
      btnOK_(new QPushButton(tr("&Start"), this)), btnCancel_(new QPushButton(tr("&Cancel"), this)) {
    setObjectName(QStringLiteral("frmScan"));
    setWindowTitle(tr("Cd Rescan"));
    folder_->setObjectName(QStringLiteral("ctlFolderBrowser1"));
    txtLabel_->setObjectName(QStringLiteral("txtLabel"));
    txtLabelInternal_->setObjectName(QStringLiteral("txtLabelInternal"));
    txtNotes_->setObjectName(QStringLiteral("txtNotes"));
    MakeNotesBox(txtNotes_);
    txtCategory_->setObjectName(QStringLiteral("txtCategory"));
    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnOK_->setDefault(true);

    cboVolumes_->setObjectName(QStringLiteral("cboVolumes"));
    cboVolumes_->setAccessibleName(tr("Mounted volumes"));
    cboVolumes_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboVolumes_->setMinimumContentsLength(24);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Mounted &volumes"), cboVolumes_);
    form->addRow(tr("&Drive"), folder_);
    form->addRow(tr("&My Label"), txtLabel_);
    form->addRow(tr("CD &Label"), txtLabelInternal_);
    form->addRow(tr("&Notes"), txtNotes_);
    form->addRow(tr("C&ategory"), txtCategory_);
    // Looking inside files is asked for: it reads them, which a plain scan never does.
    auto* inside = new QGroupBox(tr("Look inside files"), this);
    inside->setObjectName(QStringLiteral("grpInside"));
    auto* insideLayout = new QVBoxLayout(inside);
    chkArchives_ = new QCheckBox(tr("List the members of a&rchives (zip, 7z, tar, iso, ...)"), inside);
    chkMedia_ = new QCheckBox(tr("Read the details of p&ictures, songs and films"), inside);
    chkThumbnails_ = new QCheckBox(tr("Make small pictures (t&humbnails) of pictures"), inside);
    chkHashes_ = new QCheckBox(tr("Record the cont&ent hash of every file (to find duplicates, verify discs)"), inside);
    chkHashes_->setToolTip(tr("Reads every file to its end: a scan takes as long as copying the disc"));
    chkArchives_->setObjectName(QStringLiteral("chkArchives"));
    chkMedia_->setObjectName(QStringLiteral("chkMedia"));
    chkThumbnails_->setObjectName(QStringLiteral("chkThumbnails"));
    chkHashes_->setObjectName(QStringLiteral("chkHashes"));
    for (QCheckBox* box : {chkArchives_, chkMedia_, chkThumbnails_, chkHashes_}) insideLayout->addWidget(box);
    form->addRow(inside);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnOK_, QDialogButtonBox::AcceptRole);
    buttons->addButton(btnCancel_, QDialogButtonBox::RejectRole);
    form->addRow(buttons);
    folder_->txtFolder()->setAccessibleName(tr("Drive"));
    txtLabel_->setAccessibleName(tr("My Label"));
    txtLabelInternal_->setAccessibleName(tr("CD Label"));
    txtNotes_->setAccessibleName(tr("Notes"));
    txtCategory_->txtFolder()->setAccessibleName(tr("Category"));

    std::string name, notes;
    int32_t category = 0;
    if (cdId_ < 1) {
        folder_->SetText(Q(DefaultScanDrive()));
        const std::string folder = folder_->Text().toStdString();
        txtLabelInternal_->setText(Q(GetVolumeLabel(folder)));
        name = ProposedDiscName(folder, txtLabelInternal_->text().toStdString());
    } else {
        CdInfo cd;
        {
            classData data;
            cd = ReadCdInfo(data, cdId_);
        }
        replaced_ = HeldRecord::Of(cd);
        name = cd.CdName;
        notes = cd.CdNotes;
        category = cd.CdCategory;
        folder_->SetText(Q(StripBackslash(cd.CdBasepath)));
        txtLabelInternal_->setText(Q(GetVolumeLabel(folder_->Text().toStdString())));
    }
    if (categoryId > 0) category = categoryId;
    // A rescan reads what the CD was scanned with; a new scan what the last one chose.
    const uint32_t options = cdId_ >= 1 ? ScanEngine::OptionsScannedWith(cdId_)
                                        : (SettingTextToBool(GetSetting(settings::kScanArchives), false) ? kScanArchives : 0u) |
                                              (SettingTextToBool(GetSetting(settings::kScanMedia), false) ? kScanMedia : 0u) |
                                              (SettingTextToBool(GetSetting(settings::kScanThumbnails), false) ? kScanThumbnails : 0u) |
                                              (SettingTextToBool(GetSetting(settings::kScanHashes), false) ? kScanHashes : 0u);
    chkArchives_->setChecked(options & kScanArchives);
    chkMedia_->setChecked(options & kScanMedia);
    chkThumbnails_->setChecked(options & kScanThumbnails);
    chkHashes_->setChecked(options & kScanHashes);
    FillVolumes();
    connect(cboVolumes_, &QComboBox::activated, this, [this](int index) {
        const QString point = cboVolumes_->itemData(index).toString();
        if (!point.isEmpty()) folder_->SetText(point);
    });
    // Connected after the proposal, so the stored name of a rescan is what the dialog shows.
    connect(folder_, &ctlFolderBrowser::Change, this, &frmScan::FolderChanged);
    txtLabel_->setText(Q(name));
    txtNotes_->setPlainText(Q(notes));
    txtCategory_->SetCategoryId(category);

    for (QWidget* w : {static_cast<QWidget*>(txtLabel_), static_cast<QWidget*>(txtNotes_)}) {
        w->installEventFilter(this);
    }
    connect(btnOK_, &QPushButton::clicked, this, &frmScan::btnOK_Click);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    resize(sizeHint().expandedTo(QSize(460, 300)));
}

uint32_t frmScan::ScanOptions() const {
    return (chkArchives_->isChecked() ? uint32_t{kScanArchives} : 0u) | (chkMedia_->isChecked() ? uint32_t{kScanMedia} : 0u) |
           (chkThumbnails_->isChecked() ? uint32_t{kScanThumbnails} : 0u) | (chkHashes_->isChecked() ? uint32_t{kScanHashes} : 0u);
}

void frmScan::FolderChanged() {
    const std::string folder = folder_->Text().trimmed().toStdString();
    txtLabelInternal_->setText(Q(GetVolumeLabel(folder)));
    txtLabel_->setText(Q(ProposedDiscName(folder, txtLabelInternal_->text().toStdString())));
}

void frmScan::btnOK_Click() {
    const std::string path = folder_->Text().trimmed().toStdString();
    txtLabelInternal_->setText(Q(GetVolumeLabel(path)));
    if (txtLabelInternal_->text().compare(QLatin1String(kDiskNotReady), Qt::CaseInsensitive) == 0) {
        ShowMessage(kNotReady, vbOKOnly);
        return;
    }
    const std::string problem = ScanFolderProblem(path);
    if (!problem.empty()) {
        ShowMessage(problem, vbOKOnly);
        return;
    }
    if (cdId_ < 1 && !OfferRescan(path)) return;
    hide();
    animation_.SetVars(cdId_ < 1 ? 0 : cdId_, AddBackslash(path), txtLabel_->text().toStdString(),
                       txtNotes_->toPlainText().toStdString(), txtLabelInternal_->text().toStdString(),
                       txtCategory_->CategoryId());
    if (cdId_ >= 1) animation_.SetReplacedCd(replaced_);
    animation_.SetScanOptions(ScanOptions());
    SaveSetting(settings::kScanArchives, BoolToSettingText(chkArchives_->isChecked()));
    SaveSetting(settings::kScanMedia, BoolToSettingText(chkMedia_->isChecked()));
    SaveSetting(settings::kScanThumbnails, BoolToSettingText(chkThumbnails_->isChecked()));
    SaveSetting(settings::kScanHashes, BoolToSettingText(chkHashes_->isChecked()));
    cancelled_ = false;
    accept();
}

void frmScan::FillVolumes() {
    struct Choice {
        QString text, point;
        bool disc;
    };
    std::vector<Choice> choices;
    for (const MountedVolume& volume : MountedVolumeIdentities()) {
        const std::string& point = volume.mount.mountPoint;
        const bool disc = MediaTypeOfMount(volume.mount) == kMediaCdRom;
        std::string label = volume.identity.label.empty() ? GetVolumeLabel(point) : volume.identity.label;
        // A drive without a medium has nothing to offer.
        if (disc && label == kDiskNotReady) continue;
        choices.push_back({Q(label) + QStringLiteral("  \u2014  ") + Q(point), Q(point), disc});
    }
    std::stable_partition(choices.begin(), choices.end(), [](const Choice& c) { return c.disc; });
    cboVolumes_->clear();
    const QString current = folder_->Text();
    for (const Choice& c : choices) {
        cboVolumes_->addItem(c.text, c.point);
        if (c.point == current) cboVolumes_->setCurrentIndex(cboVolumes_->count() - 1);
    }
}

bool frmScan::OfferRescan(const std::string& path) {
    const std::optional<VolumeIdentity> identity = IdentityOfFolder(path);
    if (!identity || identity->uuid.empty()) return true;
    int32_t found = 0;
    CdInfo cd;
    {
        classData data;
        for (const auto& [id, entry] : RecordedVolumes(data)) {
            if (entry.identity.uuid == identity->uuid && entry.identity.relativePath == identity->relativePath) {
                found = id;
            }
        }
        if (found == 0) return true;
        cd = ReadCdInfo(data, found);
    }
    const int answer = ShowMessage(tr("This volume is already catalogued as the CD [%1].\r\nRescan "
                                      "that CD instead (its notes are kept)?")
                                       .arg(QString::fromStdString(DecodeCatalogueText(cd.CdName)))
                                       .toStdString(),
                                   vbYesNoCancel);
    if (answer == vbCancel) return false;
    if (answer == vbYes) {
        // A rescan of that CD keeps its own name, notes and category unless they were changed here.
        cdId_ = found;
        replaced_ = HeldRecord::Of(cd);
        if (txtLabel_->text() == txtLabelInternal_->text()) txtLabel_->setText(Q(cd.CdName));
        if (txtNotes_->toPlainText().isEmpty()) txtNotes_->setPlainText(Q(cd.CdNotes));
        if (txtCategory_->CategoryId() == 0) txtCategory_->SetCategoryId(cd.CdCategory);
    }
    return true;
}

void frmScan::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    txtLabel_->setFocus();
}

bool frmScan::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtLabel_) QTimer::singleShot(0, txtLabel_, &QLineEdit::selectAll);
        if (watched == txtNotes_) QTimer::singleShot(0, txtNotes_, &QPlainTextEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace karvio
