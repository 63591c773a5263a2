#include "compare/frmDuplicates.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "CatalogueSearch.h"
#include "ListExports.h"
#include "Messages.h"
#include "Progress.h"
#include "TransferRecords.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "controls/SizeText.h"
#include "mainwindow/BusyScope.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/frmMenu.h"
#include "startup/Settings.h"
#include "views/frmProperties.h"

namespace karvio {

namespace {

constexpr const char* kStaleRow = QT_TRANSLATE_NOOP(
    "Messages",
    "This file no longer matches the catalogue: it was changed or removed since the duplicates "
    "were found. Please find them again.");

constexpr const char* kSection = "Duplicates";

// Reads every CD and groups its files, on the worker; leaves `answer` empty when stopped.
void FindOnWorker(DuplicatesAnswer& answer, DuplicateKey key, int64_t minSize,
                  const std::atomic<bool>& stop) {
    classData data;
    if (!data.IsOpen()) return;
    const std::vector<int32_t> ids = AllCdIds(data);
    ProgressStart(static_cast<int>(ids.size()) + 1);
    answer.cds.reserve(ids.size());
    for (int32_t id : ids) {
        if (stop) return;
        answer.cds.push_back(ReadListedCd(data, id));
        ProgressStep();
    }
    HashLookup hashes;
    if (key == DuplicateKey::Hash) {
        std::vector<const ListedCd*> all;
        for (const ListedCd& cd : answer.cds) all.push_back(&cd);
        hashes = RecordedHashes(data, all, &answer.hashes, &answer.note);
    }
    if (stop) return;
    if (answer.single) {
        answer.singles = FindSingleCopies(answer.cds, key, minSize, {}, hashes);
    } else {
        answer.groups = FindDuplicates(answer.cds, key, minSize, DuplicateOrder::Spare, hashes);
    }
    ProgressStep();
}

}  // namespace

frmDuplicates::frmDuplicates(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmDuplicates"));
    setWindowTitle(tr("Duplicates"));
    BuildControls();
    EnableInputs(true);
    cboMatch_->setCurrentIndex(
        GetSetting(kSection, "MatchBy", QStringLiteral("0")).toInt() == 1 ? 1 : 0);
    spnMinSize_->setValue(GetSetting(kSection, "MinimumSizeKB", QStringLiteral("0")).toInt());
    chkSingle_->setChecked(
        SettingTextToBool(GetSetting(kSection, "Single", BoolToSettingText(false)), false));

    CatalogueEvents& events = CatalogueEvents::Instance();
    // Rows name records by their ids: after a change of the catalogue they may name others.
    auto forget = [this] {
        if (finding_) stale_ = true;
        model_->Clear();
        tree_->header()->setSortIndicatorShown(false);
        lblSummary_->clear();
    };
    connect(&events, &CatalogueEvents::catalogueReplaced, this, forget);
    connect(&events, &CatalogueEvents::cdRemoved, this, forget);
}

frmDuplicates::~frmDuplicates() {
    if (busy_) busy_->Stop();
    work_.reset();
}

frmDuplicates* frmDuplicates::Install(frmMenu& menu) {
    auto* window = new frmDuplicates;
    menu.SetDuplicatesWindow(window);
    window->setParent(&menu, Qt::Widget);
    window->hide();
    return window;
}

void frmDuplicates::BuildControls() {
    auto* matchLabel = new QLabel(tr("&Match by"), this);
    cboMatch_ = new QComboBox(this);
    cboMatch_->setObjectName(QStringLiteral("cboMatch"));
    cboMatch_->addItem(tr("Name and size"));
    cboMatch_->addItem(tr("Content (recorded hashes)"));
    cboMatch_->setAccessibleName(tr("Match by"));
    matchLabel->setBuddy(cboMatch_);

    auto* sizeLabel = new QLabel(tr("Minimum si&ze"), this);
    spnMinSize_ = new QSpinBox(this);
    spnMinSize_->setObjectName(QStringLiteral("spnMinSize"));
    spnMinSize_->setRange(0, 1 << 30);
    spnMinSize_->setSuffix(tr(" KB"));
    spnMinSize_->setGroupSeparatorShown(true);
    spnMinSize_->setAccessibleName(tr("Minimum size in KB"));
    sizeLabel->setBuddy(spnMinSize_);

    chkSingle_ = new QCheckBox(tr("Files on &One Disc Only"), this);
    chkSingle_->setObjectName(QStringLiteral("chkSingle"));
    chkSingle_->setToolTip(
        tr("The files no other disc holds a copy of: what is not backed up twice"));

    btnFind_ = new QPushButton(tr("F&ind"), this);
    btnFind_->setObjectName(QStringLiteral("btnFind"));
    btnFind_->setDefault(true);
    btnStop_ = new QPushButton(tr("&Stop"), this);
    btnStop_->setObjectName(QStringLiteral("btnStop"));
    btnClose_ = new QPushButton(tr("C&lose"), this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    connect(btnFind_, &QPushButton::clicked, this, &frmDuplicates::btnFind_Click);
    connect(btnStop_, &QPushButton::clicked, this, &frmDuplicates::btnStop_Click);
    connect(btnClose_, &QPushButton::clicked, this, &frmDuplicates::btnClose_Click);
    auto* escape = new QAction(this);
    escape->setShortcut(Qt::Key_Escape);
    escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QAction::triggered, this, &frmDuplicates::btnClose_Click);
    addAction(escape);

    model_ = new DuplicatesModel(this);
    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("tvwDuplicates"));
    tree_->setAccessibleName(tr("Duplicates"));
    tree_->setModel(model_);
    tree_->setUniformRowHeights(true);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setAllColumnsShowFocus(true);
    QHeaderView* header = tree_->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    // The names and paths share what the numbers, discs and categories leave, so every column
    // stays in sight however narrow the window.
    header->setStretchLastSection(false);
    for (int column = 0; column < kDupColumnCount; ++column) {
        const bool text = column == kDupColName || column == kDupColPath;
        header->setSectionResizeMode(column,
                                     text ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
    }
    connect(header, &QHeaderView::sectionClicked, this, &frmDuplicates::OnHeaderClicked);
    // A copy opens its place; a group opens to its copies as a tree's node does.
    connect(tree_, &QTreeView::activated, this, [this](const QModelIndex& index) {
        if (!model_->IsGroup(index)) RevealRow(index);
    });
    connect(tree_, &QTreeView::customContextMenuRequested, this, &frmDuplicates::OnRowMenu);
    rowMenu_ = new QMenu(this);
    rowMenu_->setObjectName(QStringLiteral("popDuplicatesMenu"));

    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(QStringLiteral("lblSummary"));
    lblSummary_->setWordWrap(true);
    lblSummary_->setTextFormat(Qt::PlainText);

    // Two rows of inputs, the buttons stacked at the right as in the search window, so the
    // window stays narrow enough for a small screen at double scale.
    auto* inputs = new QGridLayout;
    inputs->addWidget(matchLabel, 0, 0);
    inputs->addWidget(cboMatch_, 0, 1);
    inputs->addWidget(sizeLabel, 0, 2);
    inputs->addWidget(spnMinSize_, 0, 3);
    inputs->addWidget(chkSingle_, 1, 1, 1, 3);
    inputs->setColumnStretch(4, 1);
    // Stop stands where Find stands; one of the two is shown at a time.
    inputs->addWidget(btnFind_, 0, 5);
    inputs->addWidget(btnStop_, 0, 5);
    inputs->addWidget(btnClose_, 1, 5);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    layout->addWidget(tree_, 1);
    layout->addWidget(lblSummary_);
    resize(900, 480);
}

QSize frmDuplicates::sizeHint() const {
    return QSize(1100, 560);
}

void frmDuplicates::EnableInputs(bool enable) {
    for (QWidget* w : std::initializer_list<QWidget*>{cboMatch_, spnMinSize_, chkSingle_})
        w->setEnabled(enable);
    btnFind_->setVisible(enable);
    btnStop_->setVisible(!enable);
}

void frmDuplicates::btnFind_Click() {
    if (finding_) return;
    const DuplicateKey key =
        cboMatch_->currentIndex() == 1 ? DuplicateKey::Hash : DuplicateKey::NameAndSize;
    const int64_t minSize = int64_t{spnMinSize_->value()} * 1024;
    SaveSetting(kSection, "MatchBy", QString::number(cboMatch_->currentIndex()));
    SaveSetting(kSection, "MinimumSizeKB", QString::number(spnMinSize_->value()));
    SaveSetting(kSection, "Single", BoolToSettingText(chkSingle_->isChecked()));
    model_->Clear();
    lblSummary_->setText(tr("Reading the catalogue..."));
    EnableInputs(false);
    finding_ = true;
    stale_ = false;
    busy_ = std::make_unique<BusyScope>(true, kModeSearch);
    found_ = std::make_shared<DuplicatesAnswer>();
    found_->single = chkSingle_->isChecked();
    std::shared_ptr<DuplicatesAnswer> answer = found_;
    const std::atomic<bool>* stop = &busy_->StopFlag();
    work_ = std::make_unique<BackgroundWork>(
        this, [answer, key, minSize, stop] { FindOnWorker(*answer, key, minSize, *stop); },
        [this] { OnFound(); }, busy_->WorkerProgress());
}

void frmDuplicates::OnFound() {
    work_.reset();
    const bool stopped = busy_ && busy_->Stopped();
    if (!stopped && !stale_ && found_) model_->SetAnswer(std::move(*found_));
    tree_->header()->setSortIndicatorShown(false);
    found_.reset();
    finding_ = false;
    busy_.reset();
    EnableInputs(true);
    ShowSummary(stopped || stale_);
    if (model_->rowCount() > 0) {
        tree_->setCurrentIndex(model_->index(0, 0));
        tree_->setFocus();
    }
}

void frmDuplicates::ShowSummary(bool stopped) {
    if (stopped) {
        lblSummary_->setText(tr("Stopped: nothing was found."));
        return;
    }
    const DuplicatesAnswer& answer = model_->Answer();
    const QString files = QLocale().toString(static_cast<qlonglong>(model_->FileCount()));
    const QString bytes = HumanSizeText(static_cast<double>(model_->Bytes()));
    QString text =
        answer.single
            ? tr("%1 files on one disc only, %2.").arg(files, bytes)
            : tr("%1 groups of duplicates, %2 files; keeping one copy of each would free %3.")
                  .arg(QLocale().toString(model_->rowCount()), files, bytes);
    if (cboMatch_->currentIndex() == 1 && answer.hashes == 0) {
        text += QLatin1Char(' ') + tr("No content hashes are recorded: rescan the discs with "
                                      "\"Record the content hash of every file\".");
    }
    if (!answer.note.empty()) text += QLatin1Char(' ') + QString::fromStdString(answer.note);
    lblSummary_->setText(text);
}

void frmDuplicates::btnStop_Click() {
    if (busy_) busy_->Stop();
}

void frmDuplicates::btnClose_Click() {
    btnStop_Click();
    frmMenu::SendChildToBack(this);
}

void frmDuplicates::closeEvent(QCloseEvent* event) {
    // Kept for the program's life, as the search window is: closing sends it to the back.
    event->ignore();
    btnClose_Click();
}

void frmDuplicates::OnHeaderClicked(int column) {
    // The header has flipped its own indicator by now: the model's order is the one shown.
    // Sizes and counts start largest first, texts from A; a second click turns the order round.
    const bool numeric = column == kDupColCopies || column == kDupColSize || column == kDupColSpace;
    Qt::SortOrder order = numeric ? Qt::DescendingOrder : Qt::AscendingOrder;
    if (model_->SortColumn() == column)
        order =
            model_->SortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    model_->sort(column, order);
    QHeaderView* header = tree_->header();
    header->setSortIndicator(column, order);
    header->setSortIndicatorShown(model_->SortColumn() == column);
}

void frmDuplicates::OnRowMenu(const QPoint& at) {
    const QModelIndex index = tree_->indexAt(at);
    if (!index.isValid()) return;
    tree_->setCurrentIndex(index);
    const QPersistentModelIndex row(index);
    rowMenu_->clear();
    QAction* reveal =
        rowMenu_->addAction(tr("Sho&w in List"), this, [this, row] { RevealRow(row); });
    rowMenu_->setDefaultAction(reveal);
    rowMenu_->addAction(tr("&Properties"), this, [this, row] { PropertiesRow(row); });
    rowMenu_->popup(tree_->viewport()->mapToGlobal(at));
}

bool frmDuplicates::CheckRow(const QModelIndex& index) const {
    if (!index.isValid()) return false;
    const RecordRef record = model_->Record(index);
    bool same = false;
    classData data;
    if (data.IsOpen() && record.fileId > 0 && record.fileId < data.File()->Length()) {
        const std::vector<int32_t> cds = AllCdIds(data);
        if (std::find(cds.begin(), cds.end(), record.cdId) != cds.end()) {
            const FileInfo file = ReadFileInfo(data, record.fileId);
            same = file.FileName == model_->StoredName(index) && file.FileCdId == record.cdId &&
                   file.FileDirId == record.dirId;
        }
    }
    if (!same) ShowMessage(kStaleRow, vbOKOnly);
    return same;
}

bool frmDuplicates::RevealRow(const QModelIndex& index) {
    if (!CheckRow(index)) return false;
    frmMenu* menu = frmMenu::Instance();
    CatalogueView* view = menu ? menu->CurrentCatalogueView() : nullptr;
    if (!view) return false;
    menu->mnuCDShowList_Click();
    view->RevealRecord(model_->Record(index));
    return true;
}

void frmDuplicates::PropertiesRow(const QModelIndex& index) {
    if (!CheckRow(index)) return;
    frmProperties::ShowProperties(kIconFile, model_->Record(index).fileId, this);
}

std::vector<std::string> frmDuplicates::ExportColumns() const {
    if (finding_ || model_->rowCount() == 0) return {};
    return model_->Answer().single ? kSingleListColumns : kDuplicateListColumns;
}

void frmDuplicates::WriteExportRows(ListWriter& writer) const {
    const DuplicatesAnswer& answer = model_->Answer();
    for (int row = 0; row < model_->rowCount(); ++row) {
        const size_t top = model_->TopAt(row);
        if (answer.single) {
            WriteSingleRow(writer, answer.cds, answer.singles[top]);
        } else {
            WriteDuplicateRows(writer, answer.cds, answer.groups[top], row + 1);
        }
    }
}

QString frmDuplicates::ExportName() const {
    return model_->Answer().single ? tr("Files on one disc only") : tr("Duplicates");
}

}  // namespace karvio
