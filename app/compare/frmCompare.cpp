#include "compare/frmCompare.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "CatalogueSearch.h"
#include "CatalogueText.h"
#include "DateText.h"
#include "FileListing.h"
#include "ListExports.h"
#include "Progress.h"
#include "classData.h"
#include "controls/SizeText.h"
#include "controls/ctlFolderBrowser.h"
#include "mainwindow/BusyScope.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/frmMenu.h"

namespace karvio {

enum CompareColumn {
    kCmpColPath,
    kCmpColChanges,
    kCmpColFirstSize,
    kCmpColFirstDate,
    kCmpColSecondSize,
    kCmpColSecondDate,
    kCmpColumnCount
};

// The entries of one kind of difference, in path order.
class CompareRowsModel : public QAbstractTableModel {
public:
    CompareRowsModel(Difference difference, QObject* parent)
        : QAbstractTableModel(parent), difference_(difference) {}

    void SetAnswer(std::shared_ptr<const CompareAnswer> answer) {
        beginResetModel();
        answer_ = std::move(answer);
        rows_.clear();
        if (answer_) {
            const std::vector<ComparedEntry>& entries = answer_->result.entries;
            for (size_t i = 0; i < entries.size(); ++i) {
                if (entries[i].difference == difference_) rows_.push_back(i);
            }
        }
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : kCmpColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const ComparedEntry& e = answer_->result.entries[rows_[static_cast<size_t>(index.row())]];
        const int column = index.column();
        if (role == Qt::TextAlignmentRole &&
            (column == kCmpColFirstSize || column == kCmpColSecondSize))
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        const bool first = column == kCmpColFirstSize || column == kCmpColFirstDate;
        const int32_t entry = first ? e.first : e.second;
        const FileListing& listing = first ? answer_->first.listing : answer_->second.listing;
        switch (column) {
            case kCmpColPath: {
                QString path = QString::fromStdString(DecodePath(e.path));
                if (e.directory) path += QLatin1Char('/');
                return path;
            }
            case kCmpColChanges:
                return ChangesText(e.changes);
            case kCmpColFirstSize:
            case kCmpColSecondSize: {
                if (entry < 0) return {};
                const ListingEntry& x = listing[static_cast<size_t>(entry)];
                return x.directory ? QString() : ListSizeText(static_cast<double>(x.size));
            }
            default: {
                if (entry < 0) return {};
                const double date = listing[static_cast<size_t>(entry)].date;
                return date > 0 ? QString::fromStdString(DateToText(date)) : QString();
            }
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        switch (section) {
            case kCmpColPath:
                return frmCompare::tr("Path");
            case kCmpColChanges:
                return frmCompare::tr("What changed");
            case kCmpColFirstSize:
                return frmCompare::tr("Size in the first");
            case kCmpColFirstDate:
                return frmCompare::tr("Date in the first");
            case kCmpColSecondSize:
                return frmCompare::tr("Size in the second");
            default:
                return frmCompare::tr("Date in the second");
        }
    }

    static QString ChangesText(uint32_t changes) {
        QStringList words;
        if (changes & kChangedKind) words << frmCompare::tr("file or folder");
        if (changes & kChangedSize) words << frmCompare::tr("size");
        if (changes & kChangedDate) words << frmCompare::tr("date");
        if (changes & kChangedHash) words << frmCompare::tr("contents");
        return words.join(QStringLiteral(", "));
    }

private:
    Difference difference_;
    std::shared_ptr<const CompareAnswer> answer_;
    std::vector<size_t> rows_;
};

namespace {

constexpr Difference kDifferences[] = {Difference::OnlyFirst, Difference::OnlySecond,
                                       Difference::Changed, Difference::Same};

bool Listed(const std::vector<int32_t>& ids, int32_t id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Reads the discs (and walks the folder), then compares them, on the worker.
void CompareOnWorker(CompareAnswer& answer, int32_t firstId, int32_t secondId,
                     const std::atomic<bool>& stop) {
    classData data;
    if (!data.IsOpen()) {
        answer.failure = data.OpenFailureText(data.GetError());
        return;
    }
    const std::vector<int32_t> ids = AllCdIds(data);
    if (!Listed(ids, firstId) || (secondId > 0 && !Listed(ids, secondId))) {
        answer.cdGone = true;
        return;
    }
    ProgressStart(3);
    answer.first = ReadListedCd(data, firstId);
    ProgressStep();
    if (stop) return;
    if (secondId > 0) {
        answer.second = ReadListedCd(data, secondId);
    } else {
        const WalkReport walk = WalkFolder(answer.secondFolder, answer.second.listing, &stop);
        answer.problems = walk.problems;
        answer.ioError = walk.ioError;
    }
    ProgressStep();
    if (stop) return;
    // Recorded content hashes tell changed contents apart where both sides have them; a folder
    // as it is now has none.
    const HashLookup firstHashes = RecordedHashes(data, {&answer.first});
    const HashLookup secondHashes =
        secondId > 0 ? RecordedHashes(data, {&answer.second}) : HashLookup{};
    answer.result =
        CompareListings(answer.first.listing, answer.second.listing, firstHashes, secondHashes);
    ProgressStep();
}

}  // namespace

frmCompare::frmCompare(QWidget* parent)
    : QWidget(parent), answer_(std::make_shared<CompareAnswer>()) {
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(tr("Compare"));

    auto* firstLabel = new QLabel(tr("Fi&rst disc"), this);
    cboFirst_ = new QComboBox(this);
    cboFirst_->setObjectName(QStringLiteral("cboFirst"));
    cboFirst_->setAccessibleName(tr("First disc"));
    cboFirst_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboFirst_->setMinimumContentsLength(24);
    firstLabel->setBuddy(cboFirst_);
    optDisc_ = new QRadioButton(tr("Against the d&isc"), this);
    optDisc_->setObjectName(QStringLiteral("optDisc"));
    optDisc_->setChecked(true);
    cboSecond_ = new QComboBox(this);
    cboSecond_->setObjectName(QStringLiteral("cboSecond"));
    cboSecond_->setAccessibleName(tr("Second disc"));
    cboSecond_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboSecond_->setMinimumContentsLength(24);
    optFolder_ = new QRadioButton(tr("Against the f&older as it is now"), this);
    optFolder_->setObjectName(QStringLiteral("optFolder"));
    folder_ = new ctlFolderBrowser(this);
    folder_->setObjectName(QStringLiteral("ctlFolder"));
    // Choosing a disc or typing a folder picks what the first is compared against.
    connect(cboSecond_, &QComboBox::activated, this, [this] { optDisc_->setChecked(true); });
    connect(folder_, &ctlFolderBrowser::Change, this, [this] { optFolder_->setChecked(true); });

    btnCompare_ = new QPushButton(tr("Co&mpare"), this);
    btnCompare_->setObjectName(QStringLiteral("btnCompare"));
    btnCompare_->setDefault(true);
    btnStop_ = new QPushButton(tr("&Stop"), this);
    btnStop_->setObjectName(QStringLiteral("btnStop"));
    btnClose_ = new QPushButton(tr("C&lose"), this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    connect(btnCompare_, &QPushButton::clicked, this, &frmCompare::btnCompare_Click);
    connect(btnStop_, &QPushButton::clicked, this, &frmCompare::btnStop_Click);
    connect(btnClose_, &QPushButton::clicked, this, &frmCompare::btnClose_Click);
    auto* escape = new QAction(this);
    escape->setShortcut(Qt::Key_Escape);
    escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QAction::triggered, this, &frmCompare::btnClose_Click);
    addAction(escape);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabDifferences"));
    for (Difference d : kDifferences) {
        const int i = static_cast<int>(d);
        models_[i] = new CompareRowsModel(d, this);
        auto* list = new QTreeView(tabs_);
        list->setModel(models_[i]);
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setAllColumnsShowFocus(true);
        // The path takes what the other columns leave: every column stays in sight.
        list->header()->setStretchLastSection(false);
        for (int column = 0; column < kCmpColumnCount; ++column) {
            list->header()->setSectionResizeMode(column, column == kCmpColPath
                                                             ? QHeaderView::Stretch
                                                             : QHeaderView::ResizeToContents);
        }
        list->setColumnHidden(kCmpColChanges, d != Difference::Changed);
        list->setColumnHidden(kCmpColFirstSize, d == Difference::OnlySecond);
        list->setColumnHidden(kCmpColFirstDate, d == Difference::OnlySecond);
        list->setColumnHidden(kCmpColSecondSize,
                              d == Difference::OnlyFirst || d == Difference::Same);
        list->setColumnHidden(kCmpColSecondDate,
                              d == Difference::OnlyFirst || d == Difference::Same);
        lists_[i] = list;
        tabs_->addTab(list, QString());
    }
    ShowCounts(TreeComparison{});

    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(QStringLiteral("lblSummary"));
    lblSummary_->setWordWrap(true);
    lblSummary_->setTextFormat(Qt::PlainText);

    auto* inputs = new QGridLayout;
    inputs->addWidget(firstLabel, 0, 0);
    inputs->addWidget(cboFirst_, 0, 1);
    inputs->addWidget(optDisc_, 1, 0);
    inputs->addWidget(cboSecond_, 1, 1);
    inputs->addWidget(optFolder_, 2, 0);
    inputs->addWidget(folder_, 2, 1);
    inputs->setColumnStretch(1, 1);
    // Stop stands where Compare stands; one of the two is shown at a time.
    inputs->addWidget(btnCompare_, 0, 2);
    inputs->addWidget(btnStop_, 0, 2);
    inputs->addWidget(btnClose_, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    layout->addWidget(tabs_, 1);
    layout->addWidget(lblSummary_);
    resize(900, 520);
    ShowAnswer(false);
    EnableInputs(true);

    // Rows name entries of the discs as they were read: after a change of the catalogue the
    // lists may name what is no longer there.
    CatalogueEvents& events = CatalogueEvents::Instance();
    connect(&events, &CatalogueEvents::catalogueReplaced, this, [this] { Forget(); });
    connect(&events, &CatalogueEvents::cdRemoved, this, [this] { Forget(); });
    connect(&events, &CatalogueEvents::catalogueChanged, this, [this] { FillDiscs(); });
}

frmCompare::~frmCompare() {
    if (busy_) busy_->Stop();
    work_.reset();
}

frmCompare* frmCompare::Install(frmMenu& menu) {
    auto* window = new frmCompare;
    menu.SetCompareWindow(window);
    window->setParent(&menu, Qt::Widget);
    window->hide();
    return window;
}

void frmCompare::Forget() {
    if (comparing_) stale_ = true;
    answer_ = std::make_shared<CompareAnswer>();
    for (CompareRowsModel* model : models_) model->SetAnswer(nullptr);
    ShowAnswer(false);
    FillDiscs();
}

void frmCompare::FillDiscs() {
    const int32_t first = cboFirst_->currentData().toInt();
    const int32_t second = cboSecond_->currentData().toInt();
    cboFirst_->clear();
    cboSecond_->clear();
    classData data;
    if (!data.IsOpen()) return;
    for (int32_t id : AllCdIds(data)) {
        const QString name =
            QString::fromStdString(DecodeCatalogueText(data.GetCdGoto(id).GetCdName()));
        cboFirst_->addItem(name, id);
        cboSecond_->addItem(name, id);
    }
    if (const int i = cboFirst_->findData(first); i >= 0) cboFirst_->setCurrentIndex(i);
    if (const int i = cboSecond_->findData(second); i >= 0) {
        cboSecond_->setCurrentIndex(i);
    } else if (cboSecond_->count() > 1) {
        cboSecond_->setCurrentIndex(cboFirst_->currentIndex() == 0 ? 1 : 0);
    }
}

QSize frmCompare::sizeHint() const {
    return QSize(1000, 560);
}

void frmCompare::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!comparing_) FillDiscs();
}

void frmCompare::EnableInputs(bool enable) {
    cboFirst_->setEnabled(enable);
    optDisc_->setEnabled(enable);
    optFolder_->setEnabled(enable);
    cboSecond_->setEnabled(enable);
    folder_->setEnabled(enable);
    btnCompare_->setVisible(enable);
    btnStop_->setVisible(!enable);
}

void frmCompare::btnCompare_Click() {
    if (comparing_) return;
    const int32_t firstId = cboFirst_->currentData().toInt();
    const bool againstFolder = optFolder_->isChecked();
    const int32_t secondId = againstFolder ? 0 : cboSecond_->currentData().toInt();
    std::string folder;
    if (againstFolder) folder = QFile::encodeName(folder_->Text().trimmed()).toStdString();
    if (firstId <= 0 || (!againstFolder && secondId <= 0) || (againstFolder && folder.empty())) {
        lblSummary_->setText(againstFolder
                                 ? tr("Choose the first disc and the folder to compare it with.")
                                 : tr("Choose the two discs to compare."));
        return;
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    answer_ = std::make_shared<CompareAnswer>();
    for (CompareRowsModel* model : models_) model->SetAnswer(nullptr);
    ShowAnswer(false);
    lblSummary_->setText(tr("Reading the catalogue..."));
    comparing_ = true;
    stale_ = false;
    EnableInputs(false);
    busy_ = std::make_unique<BusyScope>(true, kModeSearch);
    found_ = std::make_shared<CompareAnswer>();
    found_->secondFolder = folder;
    std::shared_ptr<CompareAnswer> answer = found_;
    const std::atomic<bool>* stop = &busy_->StopFlag();
    work_ = std::make_unique<BackgroundWork>(
        this,
        [answer, firstId, secondId, stop] { CompareOnWorker(*answer, firstId, secondId, *stop); },
        [this] { OnCompared(); }, busy_->WorkerProgress());
}

void frmCompare::OnCompared() {
    work_.reset();
    const bool stopped = (busy_ && busy_->Stopped()) || stale_;
    if (!stopped && found_) answer_ = std::move(found_);
    found_.reset();
    for (CompareRowsModel* model : models_) model->SetAnswer(answer_);
    comparing_ = false;
    busy_.reset();
    EnableInputs(true);
    ShowAnswer(stopped);
    // The differences first: the first tab that has rows.
    for (Difference d : kDifferences) {
        if (models_[static_cast<int>(d)]->rowCount() > 0) {
            tabs_->setCurrentIndex(static_cast<int>(d));
            break;
        }
    }
}

void frmCompare::ShowCounts(const TreeComparison& r) {
    const QLocale locale;
    auto count = [&](int64_t n) { return locale.toString(static_cast<qlonglong>(n)); };
    tabs_->setTabText(0, tr("Only in the first (%1)").arg(count(r.onlyFirst)));
    tabs_->setTabText(1, tr("Only in the second (%1)").arg(count(r.onlySecond)));
    tabs_->setTabText(2, tr("Changed (%1)").arg(count(r.changed)));
    tabs_->setTabText(3, tr("The same (%1)").arg(count(r.same)));
    // A screen reader names each list as its tab shows it.
    for (int i = 0; i < tabs_->count(); ++i)
        lists_[static_cast<size_t>(i)]->setAccessibleName(tabs_->tabText(i));
}

void frmCompare::ShowAnswer(bool stopped) {
    const TreeComparison& r = answer_->result;
    ShowCounts(r);
    const QLocale locale;
    auto count = [&](int64_t n) { return locale.toString(static_cast<qlonglong>(n)); };
    if (stopped) {
        lblSummary_->setText(tr("Stopped: nothing was compared."));
        return;
    }
    if (!answer_->failure.empty()) {
        lblSummary_->setText(QString::fromStdString(answer_->failure));
        return;
    }
    if (answer_->cdGone) {
        lblSummary_->setText(tr("A disc chosen is no longer in the catalogue."));
        return;
    }
    if (answer_->first.cdId == 0) {
        lblSummary_->clear();
        return;
    }
    const QString first = QString::fromStdString(DecodeCatalogueText(answer_->first.name));
    const QString second = answer_->secondFolder.empty()
                               ? QStringLiteral("\"%1\"").arg(QString::fromStdString(
                                     DecodeCatalogueText(answer_->second.name)))
                               : QFile::decodeName(answer_->secondFolder.c_str());
    QStringList parts;
    parts
        << (r.Differs()
                ? tr("\"%1\" against %2: %3 only in the first, %4 only in the second, %5 changed, "
                     "%6 the same.")
                      .arg(first, second, count(r.onlyFirst), count(r.onlySecond), count(r.changed),
                           count(r.same))
                : tr("\"%1\" and %2 hold the same %3 entries.").arg(first, second, count(r.same)));
    if (!answer_->problems.empty()) {
        parts << tr("%1 places of the folder could not be read, the first: %2")
                     .arg(count(static_cast<int64_t>(answer_->problems.size())),
                          QString::fromStdString(answer_->problems.front()));
    }
    if (answer_->ioError)
        parts << tr("The folder could not be read whole: the comparison is partial.");
    lblSummary_->setText(parts.join(QLatin1Char(' ')));
}

void frmCompare::btnStop_Click() {
    if (busy_) busy_->Stop();
}

void frmCompare::btnClose_Click() {
    btnStop_Click();
    frmMenu::SendChildToBack(this);
}

void frmCompare::closeEvent(QCloseEvent* event) {
    // Kept for the program's life, as the duplicates window is: closing sends it to the back.
    event->ignore();
    btnClose_Click();
}

std::vector<std::string> frmCompare::ExportColumns() const {
    if (comparing_ || answer_->first.cdId == 0) return {};
    return kCompareListColumns;
}

void frmCompare::WriteExportRows(ListWriter& writer) const {
    for (const ComparedEntry& entry : answer_->result.entries)
        WriteComparisonRow(writer, answer_->first.listing, answer_->second.listing, entry);
}

QString frmCompare::ExportName() const {
    return tr("Comparison");
}

}  // namespace karvio
