#include "compare/frmVerify.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <mutex>

#include "CatalogueListing.h"
#include "CatalogueSearch.h"
#include "CatalogueText.h"
#include "ListExports.h"
#include "Messages.h"
#include "classData.h"
#include "controls/SizeText.h"
#include "controls/ctlFolderBrowser.h"
#include "mainwindow/BusyScope.h"
#include "mainwindow/frmMenu.h"

namespace karvio {

enum VerifyColumn { kVerColStatus, kVerColPath, kVerColDetail, kVerColumnCount };

// The findings of one verification, in path order.
class VerifyFindingsModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetFindings(std::vector<VerifyFinding> findings) {
        beginResetModel();
        findings_ = std::move(findings);
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(findings_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : kVerColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const VerifyFinding& f = findings_[static_cast<size_t>(index.row())];
        if (role == Qt::ToolTipRole && index.column() == kVerColDetail)
            return QString::fromStdString(f.detail);
        if (role != Qt::DisplayRole) return {};
        switch (index.column()) {
            case kVerColStatus:
                return StatusText(f.status);
            case kVerColPath: {
                QString path = QString::fromStdString(DecodePath(f.path));
                if (f.directory) path += QLatin1Char('/');
                return path;
            }
            default:
                return DetailText(f);
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        switch (section) {
            case kVerColStatus:
                return frmVerify::tr("Status");
            case kVerColPath:
                return frmVerify::tr("Path");
            default:
                return frmVerify::tr("Detail");
        }
    }

    static QString StatusText(VerifyStatus status) {
        switch (status) {
            case VerifyStatus::Missing:
                return frmVerify::tr("Missing");
            case VerifyStatus::New:
                return frmVerify::tr("New");
            case VerifyStatus::Changed:
                return frmVerify::tr("Changed");
            case VerifyStatus::ContentChanged:
                return frmVerify::tr("Other contents");
            case VerifyStatus::Unreadable:
                return frmVerify::tr("Unreadable");
            case VerifyStatus::Vanished:
                return frmVerify::tr("Gone while read");
            case VerifyStatus::ChangedWhileRead:
                return frmVerify::tr("Changed while read");
        }
        return {};
    }

private:
    // What changed, in the user's words; the system's words for an error.
    static QString DetailText(const VerifyFinding& f) {
        if (f.status == VerifyStatus::ContentChanged)
            return frmVerify::tr("same size and date, other bytes than catalogued");
        if (f.status != VerifyStatus::Changed) return QString::fromStdString(f.detail);
        QStringList words;
        for (const QString& name :
             QString::fromStdString(f.detail).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (name == QLatin1String("size")) {
                words << frmVerify::tr("size");
            } else if (name == QLatin1String("date")) {
                words << frmVerify::tr("date");
            } else if (name == QLatin1String("kind")) {
                words << frmVerify::tr("file or folder");
            } else if (name == QLatin1String("hash")) {
                words << frmVerify::tr("contents");
            } else {
                words << name;
            }
        }
        return words.join(QStringLiteral(", "));
    }

    std::vector<VerifyFinding> findings_;
};

// What the worker shares with the window: the stop flag, its progress, and at its end what it
// found. The window reads the results only after the worker has ended.
struct frmVerify::Job {
    std::atomic<bool> stop{false};
    std::atomic<int64_t> filesDone{0}, filesTotal{0}, bytesDone{0}, bytesTotal{0};
    std::mutex mutex;
    std::string path;  // the file being read; under `mutex`

    VerifyReport report;
    bool cdGone = false;
    std::string failure;   // why the catalogue could not be read
    std::string hashNote;  // why the content hashes could not be read
    size_t hashes = 0;     // recorded content hashes the verification could use
};

namespace {

void VerifyOnWorker(const std::shared_ptr<frmVerify::Job>& shared, int32_t cdId,
                    const std::string& folder) {
    auto& job = *shared;
    classData data;
    if (!data.IsOpen()) {
        job.failure = data.OpenFailureText(data.GetError());
        return;
    }
    const std::vector<int32_t> ids = AllCdIds(data);
    if (std::find(ids.begin(), ids.end(), cdId) == ids.end()) {
        job.cdGone = true;
        return;
    }
    const ListedCd cd = ReadListedCd(data, cdId);
    const HashLookup hashes = RecordedHashes(data, {&cd}, &job.hashes, &job.hashNote);
    job.report = VerifyDisc(cd.listing, folder, hashes, &job.stop, [&job](const VerifyProgress& p) {
        job.filesDone = p.filesDone;
        job.filesTotal = p.filesTotal;
        job.bytesDone = p.bytesDone;
        job.bytesTotal = p.bytesTotal;
        if (!p.path.empty()) {
            std::lock_guard<std::mutex> lock(job.mutex);
            job.path = p.path;
        }
    });
}

}  // namespace

frmVerify::frmVerify(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmVerify"));
    setWindowTitle(tr("Verify"));

    lblFolder_ = new QLabel(this);
    lblFolder_->setObjectName(QStringLiteral("lblFolder"));
    lblFolder_->setTextFormat(Qt::PlainText);
    lblFolder_->setWordWrap(true);
    lblCurrent_ = new QLabel(this);
    lblCurrent_->setObjectName(QStringLiteral("lblCurrent"));
    lblCurrent_->setTextFormat(Qt::PlainText);
    // A long path must not widen the window.
    lblCurrent_->setMinimumWidth(1);
    lblCurrent_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("prgVerify"));
    progress_->setRange(0, 1000);
    progress_->setValue(0);

    btnStop_ = new QPushButton(tr("&Stop"), this);
    btnStop_->setObjectName(QStringLiteral("btnStop"));
    btnClose_ = new QPushButton(tr("C&lose"), this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    connect(btnStop_, &QPushButton::clicked, this, &frmVerify::btnStop_Click);
    connect(btnClose_, &QPushButton::clicked, this, [this] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
            sub->close();
        } else {
            close();
        }
    });

    model_ = new VerifyFindingsModel(this);
    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("tvwFindings"));
    tree_->setAccessibleName(tr("Differences"));
    tree_->setModel(model_);
    tree_->setRootIsDecorated(false);
    tree_->setUniformRowHeights(true);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setAllColumnsShowFocus(true);
    // The path takes what the status and the detail leave: every column stays in sight.
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(kVerColStatus, QHeaderView::ResizeToContents);
    tree_->header()->setSectionResizeMode(kVerColPath, QHeaderView::Stretch);
    tree_->header()->setSectionResizeMode(kVerColDetail, QHeaderView::ResizeToContents);

    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(QStringLiteral("lblSummary"));
    lblSummary_->setTextFormat(Qt::PlainText);
    lblSummary_->setWordWrap(true);

    auto* top = new QGridLayout;
    top->addWidget(lblFolder_, 0, 0);
    top->addWidget(progress_, 1, 0);
    top->addWidget(lblCurrent_, 2, 0);
    top->setColumnStretch(0, 1);
    top->addWidget(btnStop_, 0, 1);
    top->addWidget(btnClose_, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tree_, 1);
    layout->addWidget(lblSummary_);
    resize(820, 460);

    timer_ = new QTimer(this);
    timer_->setInterval(150);
    connect(timer_, &QTimer::timeout, this, &frmVerify::ShowProgress);
}

frmVerify::~frmVerify() {
    if (job_) job_->stop = true;
    work_.reset();
}

QSize frmVerify::sizeHint() const {
    return QSize(960, 520);
}

void frmVerify::Install(frmMenu& menu) {
    MainCommandTargets targets = menu.CommandTargets();
    targets.verifyCd = [&menu](int32_t cdId) { Open(menu, cdId); };
    menu.SetCommandTargets(std::move(targets));
}

frmVerify* frmVerify::Open(frmMenu& menu, int32_t cdId) {
    std::string name, folder;
    {
        classData data;
        if (!data.IsOpen()) {
            ShowMessage(data.OpenFailureText(data.GetError()), vbOKOnly);
            return nullptr;
        }
        const std::vector<int32_t> ids = AllCdIds(data);
        if (std::find(ids.begin(), ids.end(), cdId) == ids.end()) return nullptr;
        name = data.GetCdGoto(cdId).GetCdName();
        folder = CurrentFolderOfCd(data, cdId);
    }
    if (folder.empty()) {
        const QString shown = QString::fromStdString(DecodeCatalogueText(name));
        const QString chosen = ctlFolderBrowser::ChooseFolder(
            &menu, tr("\"%1\" is not mounted: select the folder that holds it").arg(shown),
            QString());
        if (chosen.isEmpty()) return nullptr;
        folder = QFile::encodeName(chosen).toStdString();
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    }
    auto* window = new frmVerify;
    window->setAttribute(Qt::WA_DeleteOnClose);
    menu.ShowChildWindow(window);
    window->Start(cdId, folder);
    return window;
}

void frmVerify::Start(int32_t cdId, const std::string& folder) {
    if (work_) return;
    {
        classData data;
        if (data.IsOpen()) {
            const std::vector<int32_t> ids = AllCdIds(data);
            if (std::find(ids.begin(), ids.end(), cdId) != ids.end())
                cdName_ = data.GetCdGoto(cdId).GetCdName();
        }
    }
    const QString shown = QString::fromStdString(DecodeCatalogueText(cdName_));
    setWindowTitle(tr("Verify %1").arg(shown));
    lblFolder_->setText(tr("Reading \"%1\" at %2 against the catalogue...")
                            .arg(shown, QFile::decodeName(folder.c_str())));
    report_ = {};
    model_->SetFindings({});
    lblSummary_->clear();
    lblCurrent_->clear();
    progress_->setValue(0);
    btnStop_->setEnabled(true);
    btnStop_->setText(tr("&Stop"));
    job_ = std::make_shared<Job>();
    std::shared_ptr<Job> job = job_;
    work_ = std::make_unique<BackgroundWork>(
        this, [job, cdId, folder] { VerifyOnWorker(job, cdId, folder); }, [this] { OnVerified(); });
    timer_->start();
}

void frmVerify::btnStop_Click() {
    if (!job_ || !work_) return;
    job_->stop = true;
    btnStop_->setEnabled(false);
    btnStop_->setText(tr("Stopping..."));
}

void frmVerify::ShowProgress() {
    if (!job_) return;
    const int64_t total = job_->bytesTotal, done = job_->bytesDone;
    progress_->setValue(total > 0 ? static_cast<int>(std::min<int64_t>(1000, done * 1000 / total))
                                  : 0);
    std::string path;
    {
        std::lock_guard<std::mutex> lock(job_->mutex);
        path = job_->path;
    }
    const QLocale locale;
    lblCurrent_->setText(tr("%1 of %2 files: %3")
                             .arg(locale.toString(static_cast<qlonglong>(job_->filesDone.load())),
                                  locale.toString(static_cast<qlonglong>(job_->filesTotal.load())),
                                  QString::fromStdString(DecodePath(path))));
}

void frmVerify::OnVerified() {
    work_.reset();
    timer_->stop();
    std::shared_ptr<Job> job = std::move(job_);
    report_ = std::move(job->report);
    model_->SetFindings(report_.findings);
    progress_->setValue(report_.Partial() ? progress_->value() : progress_->maximum());
    lblCurrent_->clear();
    btnStop_->setEnabled(false);
    btnStop_->setText(tr("&Stop"));
    std::string failure = job->failure;
    if (job->cdGone) failure = tr("This CD is no longer in the catalogue.").toStdString();
    ShowSummary(failure, job->hashNote, job->hashes);
}

void frmVerify::ShowSummary(const std::string& failure, const std::string& hashNote,
                            size_t hashes) {
    const QString folder = QFile::decodeName(report_.folder.c_str());
    lblFolder_->setText(
        tr("\"%1\" read at %2.").arg(QString::fromStdString(DecodeCatalogueText(cdName_)), folder));
    if (!failure.empty()) {
        lblSummary_->setText(QString::fromStdString(failure));
        return;
    }
    int64_t counts[7] = {};
    for (const VerifyFinding& f : report_.findings) ++counts[static_cast<int>(f.status)];
    const QLocale locale;
    auto n = [&](VerifyStatus s) {
        return locale.toString(static_cast<qlonglong>(counts[static_cast<int>(s)]));
    };
    QStringList parts;
    if (report_.stopped) parts << tr("Stopped: this result is partial.");
    if (report_.ioError) parts << tr("The disc failed to read: this result is partial.");
    if (!report_.Differs() && !report_.Partial()) {
        parts << tr("The disc reads back as it was catalogued.");
    } else {
        parts << tr("%1 missing, %2 new, %3 changed, %4 with other contents, %5 unreadable.")
                     .arg(n(VerifyStatus::Missing), n(VerifyStatus::New), n(VerifyStatus::Changed),
                          n(VerifyStatus::ContentChanged), n(VerifyStatus::Unreadable));
        const int64_t whileRead = counts[static_cast<int>(VerifyStatus::Vanished)] +
                                  counts[static_cast<int>(VerifyStatus::ChangedWhileRead)];
        if (whileRead > 0)
            parts << tr("%1 changed or went away while they were read.")
                         .arg(locale.toString(static_cast<qlonglong>(whileRead)));
    }
    parts << tr("%1 of %2 catalogued files read (%3), %4 compared by content.")
                 .arg(locale.toString(static_cast<qlonglong>(report_.filesRead)),
                      locale.toString(static_cast<qlonglong>(report_.filesChecked)),
                      HumanSizeText(static_cast<double>(report_.bytesRead)),
                      locale.toString(static_cast<qlonglong>(report_.filesHashed)));
    if (hashes == 0) {
        parts << tr(
            "No content hashes are recorded for this disc: files of the same size and date were "
            "not "
            "compared by content.");
    }
    if (!hashNote.empty()) parts << QString::fromStdString(hashNote);
    lblSummary_->setText(parts.join(QLatin1Char(' ')));
}

void frmVerify::closeEvent(QCloseEvent* event) {
    // The worker is stopped and waited for: it reads the window's job.
    if (job_) job_->stop = true;
    work_.reset();
    timer_->stop();
    event->accept();
}

std::vector<std::string> frmVerify::ExportColumns() const {
    if (IsVerifying() || report_.folder.empty()) return {};
    return kVerifyListColumns;
}

void frmVerify::WriteExportRows(ListWriter& writer) const {
    for (const VerifyFinding& finding : report_.findings) WriteVerifyRow(writer, finding);
}

QString frmVerify::ExportName() const {
    return windowTitle();
}

}  // namespace karvio
