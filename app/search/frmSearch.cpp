#include "search/frmSearch.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCollator>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "CatalogueText.h"
#include "DateText.h"
#include "ListExports.h"
#include "Format.h"
#include "Messages.h"
#include "Progress.h"
#include "TransferRecords.h"
#include "VolumeServices.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "mainwindow/BusyScope.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/frmMenu.h"
#include "search/SearchResultsModel.h"
#include "startup/LaunchFile.h"
#include "startup/Settings.h"
#include "views/frmProperties.h"

namespace karvio {

namespace {

constexpr const char* kNothingEntered =
    QT_TRANSLATE_NOOP("Messages", "Nothing Entered To Search For");
constexpr const char* kNothingSelected =
    QT_TRANSLATE_NOOP("Messages", "You have to select something to search for");
constexpr const char* kStaleResult = QT_TRANSLATE_NOOP(
    "Messages",
    "This result no longer matches the catalogue: the entry was changed or removed since the "
    "search. Please search again.");

// The last options, kept between runs in their own section.
constexpr const char* kSection = "Search";
constexpr const char* kKeyMode = "Mode";
constexpr const char* kKeyCdNames = "CDNames";
constexpr const char* kKeyPathNames = "PathNames";
constexpr const char* kKeyFileNames = "FileNames";
constexpr const char* kKeyComments = "Comments";

// Batches go into the list at most this often (nanoseconds).
constexpr qint64 kMinFlushNs = 20'000'000;
// Hits taken from the walk at a time, and how long the window takes them before the events run.
constexpr size_t kTakeHits = 2048;
constexpr qint64 kTakeSliceMs = 10;

// The hidden id column is made with no width, as the result list always had it.
constexpr int kIdColumnWidth = 0;

bool ReadBool(const char* key, bool fallback) {
    return SettingTextToBool(GetSetting(kSection, key, BoolToSettingText(fallback)), fallback);
}

}  // namespace

frmSearch::frmSearch(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(tr("Search"));
    BuildControls();
    // Window load: an empty text, a hidden empty list, the inputs enabled.
    fldSearchFor_->clear();
    listView1_->hide();
    LoadOptions();
    EnableSearchInputs(true);

    CatalogueEvents& events = CatalogueEvents::Instance();
    connect(&events, &CatalogueEvents::catalogueReplaced, this, &frmSearch::OnCatalogueReplaced);
    connect(&events, &CatalogueEvents::cdRemoved, this, &frmSearch::OnCdRemoved);
}

frmSearch::~frmSearch() {
    // A walk still running ends at its next record; the window waits for it before it goes.
    if (busy_) busy_->Stop();
    walk_.reset();
}

frmSearch* frmSearch::Install(frmMenu& menu) {
    auto* window = new frmSearch;
    menu.SetSearchWindow(window);
    if (QAction* search = menu.Item(QStringLiteral("mnuCdSearch"))) search->setShortcut(QKeySequence::Find);
    QMdiArea* area = menu.MdiArea();
    connect(area, &QMdiArea::subWindowActivated, window, [window](QMdiSubWindow* active) {
        window->OnActivated(active && active->widget() == window);
    });
    // Until the MDI area takes it, the window belongs to the main window.
    window->setParent(&menu, Qt::Widget);
    window->hide();
    return window;
}

void frmSearch::BuildControls() {
    label1_ = new QLabel(tr("Search &For"), this);
    fldSearchFor_ = new QLineEdit(this);
    fldSearchFor_->setObjectName(QStringLiteral("fldSearchFor"));
    fldSearchFor_->setAccessibleName(tr("Search For"));
    label1_->setBuddy(fldSearchFor_);

    btnOK_ = new QPushButton(tr("&Search"), this);
    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnOK_->setDefault(true);
    btnStop_ = new QPushButton(tr("&Stop"), this);
    btnStop_->setObjectName(QStringLiteral("btnStop"));
    btnCancel_ = new QPushButton(tr("&Close"), this);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnOK_->setAccessibleName(tr("Search"));
    btnStop_->setAccessibleName(tr("Stop"));
    btnCancel_->setAccessibleName(tr("Close"));
    connect(btnOK_, &QPushButton::clicked, this, &frmSearch::btnOK_Click);
    // Enter in the text searches, as the default button of the window.
    connect(fldSearchFor_, &QLineEdit::returnPressed, this, &frmSearch::btnOK_Click);
    connect(btnStop_, &QPushButton::clicked, this, &frmSearch::btnStop_Click);
    connect(btnCancel_, &QPushButton::clicked, this, &frmSearch::btnCancel_Click);
    // Esc is the Close button's, as a cancel button's.
    auto* escape = new QAction(this);
    escape->setShortcut(Qt::Key_Escape);
    escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QAction::triggered, this, &frmSearch::btnCancel_Click);
    addAction(escape);

    frame1_ = new QGroupBox(tr("Search Criteria"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    const char* const modes[] = {QT_TR_NOOP("&Whole Word"), QT_TR_NOOP("&Beginning"),
                                 QT_TR_NOOP("&Anywhere")};
    auto* modeLayout = new QVBoxLayout(frame1_);
    for (size_t i = 0; i < option1_.size(); ++i) {
        option1_[i] = new QRadioButton(tr(modes[i]), frame1_);
        option1_[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        option1_[i]->setAccessibleName(tr(modes[i]).remove('&'));
        modeLayout->addWidget(option1_[i]);
    }
    option1_[kMatchAnywhere]->setChecked(true);

    auto makeCheck = [this](const char* name, const char* caption, bool checked) {
        auto* box = new QCheckBox(tr(caption), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setAccessibleName(tr(caption).remove('&'));
        box->setChecked(checked);
        return box;
    };
    chkCDNames_ = makeCheck("chkCDNames", QT_TR_NOOP("Search &CD Names"), false);
    chkPathNames_ = makeCheck("chkPathNames", QT_TR_NOOP("Search &Path Names"), true);
    chkFileNames_ = makeCheck("chkFileNames", QT_TR_NOOP("Search File&Names"), true);
    chkComments_ = makeCheck("chkComments", QT_TR_NOOP("Search Co&mments"), true);

    results_ = new SearchResultsModel(this);
    // A flat table: a tree view lays out every row again for each batch appended, which at a few
    // hundred thousand rows costs more than the walk; a table's rows all have the header's one
    // fixed height.
    listView1_ = new QTableView(this);
    listView1_->setObjectName(QStringLiteral("ListView1"));
    listView1_->setAccessibleName(tr("Search results"));
    listView1_->setModel(results_);
    listView1_->setShowGrid(false);
    listView1_->setWordWrap(false);
    listView1_->setTextElideMode(Qt::ElideRight);
    listView1_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QHeaderView* rows = listView1_->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(listView1_->fontMetrics().height() + 6);
    listView1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView1_->setSelectionMode(QAbstractItemView::SingleSelection);
    listView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView1_->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* header = listView1_->horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(false);
    // Sizes of whole discs and dates with their times show whole; the rest as a start.
    const QFontMetrics metrics = listView1_->fontMetrics();
    const int padding = 2 * listView1_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, listView1_) + 16;
    const int sizeWidth = metrics.horizontalAdvance(QLocale().toString(999'999'999'999'999LL)) + padding;
    // As the rows write their dates: 28 December 2028, 23:58:58, two digits everywhere.
    constexpr double kWidestDate = 47115.99928240741;
    const int dateWidth = metrics.horizontalAdvance(QString::fromStdString(DateToText(kWidestDate))) + padding;
    const int widths[kSearchColumnCount] = {200, 120, 260, dateWidth, sizeWidth, 80, 200, kIdColumnWidth};
    for (int column = 0; column < kSearchColumnCount; ++column)
        header->resizeSection(column, std::max(widths[column], header->sectionSizeHint(column)));
    header->resizeSection(kColFileId, kIdColumnWidth);
    header->setSectionHidden(kColFileId, true);
    connect(header, &QHeaderView::sectionClicked, this, &frmSearch::OnHeaderClicked);
    connect(listView1_, &QTableView::activated, this, [this](const QModelIndex& index) { RevealResult(index.row()); });
    connect(listView1_, &QTableView::customContextMenuRequested, this, &frmSearch::OnResultMenu);
    listView1_->installEventFilter(this);
    listView1_->viewport()->installEventFilter(this);

    resultMenu_ = new QMenu(this);
    resultMenu_->setObjectName(QStringLiteral("popSearchMenu"));

    auto* top = new QGridLayout;
    top->addWidget(label1_, 0, 0);
    top->addWidget(fldSearchFor_, 0, 1);
    // Stop stands exactly where Search stands; one of the two is shown at a time.
    top->addWidget(btnOK_, 0, 2);
    top->addWidget(btnStop_, 0, 2);
    top->addWidget(btnCancel_, 1, 2, Qt::AlignTop);
    auto* checks = new QVBoxLayout;
    for (QCheckBox* box : {chkCDNames_, chkPathNames_, chkFileNames_, chkComments_}) checks->addWidget(box);
    checks->addStretch();
    auto* criteria = new QHBoxLayout;
    criteria->addWidget(frame1_);
    criteria->addLayout(checks);
    criteria->addStretch();
    top->addLayout(criteria, 1, 0, 1, 2);
    top->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(listView1_, 1);
    // While the list is hidden the inputs keep their size and the room below stays empty.
    layout->addStretch(0);
    resize(760, 460);
}

void frmSearch::EnableSearchInputs(bool enable) {
    for (QWidget* w : std::initializer_list<QWidget*>{fldSearchFor_, chkCDNames_, chkComments_, chkFileNames_,
                                                       chkPathNames_, frame1_, option1_[0], option1_[1], option1_[2]})
        w->setEnabled(enable);
    btnOK_->setVisible(enable);
    btnStop_->setVisible(!enable);
    btnStop_->raise();
    stopRequested_ = false;
}

SearchCriteria frmSearch::Criteria() const {
    SearchCriteria criteria;
    criteria.text = fldSearchFor_->text().toStdString();
    criteria.searchCdNames = chkCDNames_->isChecked();
    criteria.searchPathNames = chkPathNames_->isChecked();
    criteria.searchFileNames = chkFileNames_->isChecked();
    criteria.searchComments = chkComments_->isChecked();
    for (size_t i = 0; i < option1_.size(); ++i) {
        if (option1_[i]->isChecked()) criteria.mode = static_cast<int>(i);
    }
    return criteria;
}

std::vector<int32_t> frmSearch::CdIdsForSearch() const {
    if (frmMenu* menu = frmMenu::Instance()) {
        if (CdPanelView* panel = menu->CdPanel()) return panel->CdIdsForSearch();
    }
    // Without a CD panel the walk takes the CDs as that panel's list would hold them when sorted
    // by its second column ("Notes", one-line form) ascending; equal notes keep list order.
    classData data;
    if (!data.IsOpen()) return {};
    const std::vector<int32_t> ids = AllCdIds(data);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QCollatorSortKey, int32_t>> keyed;
    keyed.reserve(ids.size());
    for (const int32_t id : ids) {
        const std::string notes = FlattenLines(ReadCdInfo(data, id).CdNotes);
        keyed.emplace_back(collator.sortKey(QString::fromStdString(DecodeCatalogueText(notes))), id);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    std::vector<int32_t> ordered;
    ordered.reserve(keyed.size());
    for (const auto& entry : keyed) ordered.push_back(entry.second);
    return ordered;
}

void frmSearch::btnOK_Click() {
    if (searching_) return;
    SearchCriteria criteria = Criteria();
    // The list writes dates itself, for the rows shown.
    criteria.dateTexts = false;
    if (criteria.text.empty()) {
        ShowMessage(kNothingEntered, vbOKOnly);
        return;
    }
    followResults_ = true;
    resultsHidden_ = true;
    EnableSearchInputs(false);
    if (!criteria.searchCdNames && !criteria.searchPathNames && !criteria.searchFileNames &&
        !criteria.searchComments) {
        ShowMessage(kNothingSelected, vbOKOnly);
        EnableSearchInputs(true);
        return;
    }
    SaveOptions();
    listView1_->hide();
    results_->Clear();
    ShowHitCount(false);
    searching_ = true;
    replacedDuringSearch_ = false;
    removedDuringSearch_.clear();
    // The walk runs on a worker over its own store object; its hits come back in batches, which
    // the list takes in slices, so the desktop never waits on the walk.
    busy_ = std::make_unique<BusyScope>(true, kModeSearch);
    connect(busy_.get(), &BusyScope::stopped, this, [this] { stopRequested_ = true; });
    sinceFlush_.start();
    flushCostNs_ = 0;
    incoming_ = std::make_shared<HitBatches>();
    const std::vector<int32_t> cds = CdIdsForSearch();
    const std::atomic<bool>* stop = &busy_->StopFlag();
    std::shared_ptr<HitBatches> batches = incoming_;
    walk_ = std::make_unique<BackgroundWork>(
        this,
        [this, cds, criteria, stop, batches] {
            classData data;
            std::vector<SearchHit> found;
            // By time (the engine yields about every 20 ms): what was found goes to the window.
            auto hand = [&] {
                if (!found.empty() && batches->Put(found))
                    QMetaObject::invokeMethod(this, [this] { TakeHits(); }, Qt::QueuedConnection);
            };
            SetYieldHook(hand);
            SearchCatalogue(data, cds, criteria, [&](const SearchHit& hit) { found.push_back(hit); }, stop);
            hand();
            SetYieldHook({});
        },
        [this] { OnSearchEnded(); }, busy_->WorkerProgress());
}

bool frmSearch::HitBatches::Put(std::vector<SearchHit>& hits) {
    std::lock_guard lock(mutex);
    waiting.insert(waiting.end(), std::make_move_iterator(hits.begin()), std::make_move_iterator(hits.end()));
    hits.clear();
    // A call to take them is on its way unless the window has not taken the last ones yet.
    return !std::exchange(announced, true);
}

std::vector<SearchHit> frmSearch::HitBatches::Take(size_t most, bool* more) {
    std::lock_guard lock(mutex);
    const auto end = waiting.begin() + static_cast<long>(std::min(most, waiting.size()));
    std::vector<SearchHit> taken(std::make_move_iterator(waiting.begin()), std::make_move_iterator(end));
    waiting.erase(waiting.begin(), end);
    *more = !waiting.empty();
    // While more wait, the window asks again by itself; no call needs announcing them.
    announced = *more;
    return taken;
}

void frmSearch::HitBatches::Drop() {
    std::lock_guard lock(mutex);
    waiting.clear();
    announced = false;
}

void frmSearch::TakeHits() {
    if (!incoming_ || !searching_) return;
    // A slice at a time, so a flood of hits never holds the event loop.
    QElapsedTimer slice;
    slice.start();
    bool more = true;
    // After Stop the list grows no more: hits the walk found meanwhile are dropped.
    if (busy_ && busy_->Stopped()) {
        incoming_->Drop();
        more = false;
    }
    while (more && slice.elapsed() < kTakeSliceMs) {
        const std::vector<SearchHit> hits = incoming_->Take(kTakeHits, &more);
        if (replacedDuringSearch_) continue;
        for (const SearchHit& hit : hits) {
            if (!removedDuringSearch_.contains(hit.cdId)) results_->AddPending(hit);
        }
    }
    // At most a fifth of the time goes to the list's upkeep, which grows with its length.
    if (sinceFlush_.nsecsElapsed() >= std::max<qint64>(kMinFlushNs, 4 * flushCostNs_)) {
        QElapsedTimer cost;
        cost.start();
        FlushResults();
        flushCostNs_ = cost.nsecsElapsed();
        sinceFlush_.start();
    }
    if (more) {
        QMetaObject::invokeMethod(this, [this] { TakeHits(); }, Qt::QueuedConnection);
    } else if (!walk_) {
        // The walk has ended and everything it found is in.
        FinishSearch();
    }
}

void frmSearch::OnSearchEnded() {
    walk_.reset();
    // What the walk found last goes in by the same slices; the search ends when it is all in.
    TakeHits();
}

void frmSearch::FinishSearch() {
    incoming_.reset();
    if (replacedDuringSearch_)
        results_->Clear();
    else
        FlushResults();
    const bool stopped = (stopRequested_.load() || (busy_ && busy_->Stopped())) && !replacedDuringSearch_;
    ShowHitCount(stopped);
    searching_ = false;
    busy_.reset();
    EnableSearchInputs(true);
}

void frmSearch::ShowHitCount(bool stopped) {
    const QString count = QLocale().toString(results_->rowCount());
    hitCountText_ = stopped ? tr("%1 found (stopped)").arg(count) : tr("%1 found").arg(count);
    hitCountStopped_ = stopped;
    if (frmMenu* menu = frmMenu::Instance()) menu->statusBar()->showMessage(hitCountText_);
}

void frmSearch::FlushResults() {
    if (replacedDuringSearch_) return;
    if (results_->Flush() == 0) return;
    ShowHitCount(false);
    if (resultsHidden_) {
        listView1_->show();
        resultsHidden_ = false;
    }
    if (followResults_) {
        const QModelIndex newest = results_->index(results_->LastAddedRow(), 0);
        listView1_->setCurrentIndex(newest);
        listView1_->scrollTo(newest);
    }
}

void frmSearch::btnStop_Click() {
    stopRequested_ = true;
    if (busy_) busy_->Stop();
}

void frmSearch::btnCancel_Click() {
    btnStop_Click();
    // The window that is then on top becomes the active one.
    frmMenu::SendChildToBack(this);
}

void frmSearch::OnActivated(bool active) {
    frmMenu* menu = frmMenu::Instance();
    if (!active) {
        // Another window is in front: its own work owns the progress bar, and the count is
        // not of its results.
        if (!searching_) ProgressEnd();
        if (menu && menu->statusBar()->currentMessage() == hitCountText_) menu->statusBar()->clearMessage();
        return;
    }
    if (menu && !hitCountText_.isEmpty()) menu->statusBar()->showMessage(hitCountText_);
    SetMenuState(searching_ ? kModeBusy : kModeSearch);
    if (fldSearchFor_->isEnabled()) {
        fldSearchFor_->setFocus();
        fldSearchFor_->selectAll();
    }
}

void frmSearch::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (fldSearchFor_->isEnabled()) {
        fldSearchFor_->setFocus();
        fldSearchFor_->selectAll();
    }
}

void frmSearch::closeEvent(QCloseEvent* event) {
    // The window lives as long as the program: closing it only sends it to the back.
    event->ignore();
    btnCancel_Click();
}

bool frmSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == listView1_ || watched == listView1_->viewport()) {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)
            followResults_ = false;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSearch::OnHeaderClicked(int column) {
    Qt::SortOrder order = Qt::AscendingOrder;
    if (column == results_->SortColumn())
        order = results_->SortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    results_->sort(column, order);
    QHeaderView* header = listView1_->horizontalHeader();
    header->setSortIndicator(column, order);
    header->setSortIndicatorShown(true);
    const QModelIndex current = listView1_->currentIndex();
    if (current.isValid()) listView1_->scrollTo(current);
}

int frmSearch::CurrentResultRow() const {
    const QModelIndex current = listView1_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void frmSearch::OnResultMenu(const QPoint& at) {
    const QModelIndex index = listView1_->indexAt(at);
    if (!index.isValid()) return;
    listView1_->setCurrentIndex(index);
    const int row = index.row();
    resultMenu_->clear();
    QAction* reveal =
        resultMenu_->addAction(tr("&Show in List"), this, [this, row] { RevealResult(row); });
    resultMenu_->setDefaultAction(reveal);
    QAction* launch =
        resultMenu_->addAction(tr("&Launch"), this, [this, row] { LaunchResult(row); });
    launch->setEnabled(results_->Kind(row) == SearchHitKind::File);
    resultMenu_->addAction(tr("&Properties"), this, [this, row] { PropertiesResult(row); });
    resultMenu_->popup(listView1_->viewport()->mapToGlobal(at));
}

bool frmSearch::CheckResult(int row, RecordRef* record) const {
    if (row < 0 || row >= results_->rowCount()) return false;
    *record = results_->Record(row);
    const int32_t id = results_->Id(row);
    bool same = false;
    classData data;
    if (data.IsOpen() && id > 0 && id < data.File()->Length()) {
        const std::vector<int32_t> cds = AllCdIds(data);
        const bool listed = std::find(cds.begin(), cds.end(), record->cdId) != cds.end();
        const std::string_view name = results_->Name(row);
        switch (results_->Kind(row)) {
            case SearchHitKind::Cd: {
                if (!listed) break;
                const CdInfo cd = ReadCdInfo(data, id);
                same = cd.CdName == name;
                record->kind = cd.CdMediaType == kMediaCdRom ? kIconCd : kIconFolder;
                break;
            }
            case SearchHitKind::Directory: {
                if (!listed) break;
                const DirInfo dir = ReadDirInfo(data, id);
                same = dir.DirName == name && dir.DirCdId == record->cdId && dir.DirPath == results_->Path(row);
                break;
            }
            case SearchHitKind::File: {
                if (!listed) break;
                const FileInfo file = ReadFileInfo(data, id);
                same = file.FileName == name && file.FileCdId == record->cdId && file.FileDirId == record->dirId;
                break;
            }
        }
    }
    if (!same) ShowMessage(kStaleResult, vbOKOnly);
    return same;
}

bool frmSearch::RevealResult(int row) {
    RecordRef record;
    if (!CheckResult(row, &record)) return false;
    frmMenu* menu = frmMenu::Instance();
    CatalogueView* view = menu ? menu->CurrentCatalogueView() : nullptr;
    if (!view) return false;
    menu->mnuCDShowList_Click();
    view->RevealRecord(record);
    return true;
}

void frmSearch::LaunchResult(int row) {
    RecordRef record;
    if (results_->Kind(row) != SearchHitKind::File || !CheckResult(row, &record)) return;
    LaunchFile(record.fileId);
}

void frmSearch::PropertiesResult(int row) {
    RecordRef record;
    if (!CheckResult(row, &record)) return;
    const int32_t id = record.fileId ? record.fileId : record.dirId ? record.dirId : record.cdId;
    frmProperties::ShowProperties(record.kind, id, this);
}

void frmSearch::OnCatalogueReplaced() {
    // Every id the rows hold is void now; a walk still running reads a file that is gone.
    if (searching_) {
        replacedDuringSearch_ = true;
        btnStop_Click();
    }
    results_->Clear();
    if (!hitCountText_.isEmpty()) ShowHitCount(false);
}

void frmSearch::OnCdRemoved(int32_t cdId) {
    if (searching_) removedDuringSearch_.insert(cdId);
    results_->RemoveCd(cdId);
    if (!hitCountText_.isEmpty() && !searching_) ShowHitCount(hitCountStopped_);
}

void frmSearch::LoadOptions() {
    const int mode = GetSetting(kSection, kKeyMode, QString::number(kMatchAnywhere)).toInt();
    option1_[static_cast<size_t>(mode >= 0 && mode < 3 ? mode : kMatchAnywhere)]->setChecked(true);
    chkCDNames_->setChecked(ReadBool(kKeyCdNames, false));
    chkPathNames_->setChecked(ReadBool(kKeyPathNames, true));
    chkFileNames_->setChecked(ReadBool(kKeyFileNames, true));
    chkComments_->setChecked(ReadBool(kKeyComments, true));
}

void frmSearch::SaveOptions() {
    const SearchCriteria criteria = Criteria();
    // Each value written rewrites the settings file; a repeated search changes nothing there.
    if (optionsSaved_ && criteria.mode == savedOptions_.mode && criteria.searchCdNames == savedOptions_.searchCdNames &&
        criteria.searchPathNames == savedOptions_.searchPathNames &&
        criteria.searchFileNames == savedOptions_.searchFileNames &&
        criteria.searchComments == savedOptions_.searchComments)
        return;
    savedOptions_ = criteria;
    optionsSaved_ = true;
    SaveSetting(kSection, kKeyMode, QString::number(criteria.mode));
    SaveSetting(kSection, kKeyCdNames, BoolToSettingText(criteria.searchCdNames));
    SaveSetting(kSection, kKeyPathNames, BoolToSettingText(criteria.searchPathNames));
    SaveSetting(kSection, kKeyFileNames, BoolToSettingText(criteria.searchFileNames));
    SaveSetting(kSection, kKeyComments, BoolToSettingText(criteria.searchComments));
}

std::vector<std::string> frmSearch::ExportColumns() const {
    if (searching_ || results_->rowCount() == 0) return {};
    return kCatalogueListColumns;
}

void frmSearch::WriteExportRows(ListWriter& writer) const {
    for (int row = 0; row < results_->rowCount(); ++row) results_->WriteExportRow(row, writer);
}

QString frmSearch::ExportName() const { return tr("Search results"); }

}  // namespace karvio
