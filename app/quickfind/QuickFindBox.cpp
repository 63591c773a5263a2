#include "quickfind/QuickFindBox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QShortcut>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>
#include <vector>

#include "ListExports.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "RecordIo.h"
#include "TransferRecords.h"
#include "VolumeServices.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/frmMenu.h"
#include "search/SearchResultsModel.h"
#include "startup/LaunchFile.h"
#include "views/frmProperties.h"

namespace karvio {

namespace {

constexpr const char* kStaleHit = QT_TRANSLATE_NOOP(
    "Messages",
    "This result no longer matches the catalogue: the entry was changed or removed since it was "
    "found. Please type the search again.");
constexpr const char* kPlaceholder = QT_TRANSLATE_NOOP("karvio::QuickFindBox", "Find (Ctrl+K)");
constexpr int kPopupMinWidth = 560;
// The widths the name, CD and path columns start from, when there is room for them.
constexpr int kNameWidth = 220, kCdWidth = 110, kPathWidth = 200;
constexpr int kPageRows = 10;

// The records this program wrote since the index last heard of them, so its own changes update
// the index instead of having it read the whole file again. Only the writes of the thread that
// runs the windows count (and only that thread touches the list): workers write other files (a
// backup, a compaction's copy).
std::vector<int32_t> writtenIds;
std::thread::id windowThread;

void NoteWritten(CatalogueFile*, int32_t id) {
    if (std::this_thread::get_id() != windowThread) return;
    // Many writes of one record (a directory's totals, a list's links) count once.
    if (writtenIds.empty() || writtenIds.back() != id) writtenIds.push_back(id);
}

std::vector<int32_t> TakeWrittenIds() {
    return std::exchange(writtenIds, {});
}

// Whether the search window is up: shown in the work area and not minimised.
bool IsUp(QWidget* window) {
    if (!window || !window->isVisible()) return false;
    const QWidget* frame = window->parentWidget();
    return !(frame && frame->isMinimized());
}

}  // namespace

QuickFindPopup::QuickFindPopup(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("QuickFindPopup"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblQuickFindStatus"));
    status_->setAccessibleDescription(tr("Quick find count"));
    list_ = new QTreeView(this);
    list_->setObjectName(QStringLiteral("lstQuickFind"));
    list_->setAccessibleName(tr("Quick find results"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    // The answer comes best first; a column sort would undo that.
    list_->setSortingEnabled(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setFocusPolicy(Qt::ClickFocus);
    results_ = new SearchResultsModel(this);
    list_->setModel(results_);
    list_->header()->setSectionResizeMode(QHeaderView::Interactive);
    list_->setColumnWidth(kColFileName, kNameWidth);
    list_->setColumnWidth(kColCdName, kCdWidth);
    list_->setColumnWidth(kColPath, kPathWidth);
    connect(list_->header(), &QHeaderView::sectionResized, this, [this] {
        if (!fitting_) userSized_ = true;
    });
    layout->addWidget(status_);
    layout->addWidget(list_);
    hide();
}

void QuickFindPopup::FitColumns() {
    if (userSized_) return;
    fitting_ = true;
    QHeaderView* header = list_->header();
    // The date and size as wide as their headings and the rows shown need.
    int fixed = 0;
    for (const int column : {kColDate, kColSize}) {
        const int width =
            std::max(static_cast<QAbstractItemView*>(list_)->sizeHintForColumn(column),
                     header->sectionSizeHint(column));
        list_->setColumnWidth(column, width);
        fixed += width;
    }
    const int wanted = kNameWidth + kCdWidth + kPathWidth;
    const double share =
        std::clamp(static_cast<double>(list_->viewport()->width() - fixed) / wanted, 1.0 / 3, 1.0);
    list_->setColumnWidth(kColFileName, static_cast<int>(kNameWidth * share));
    list_->setColumnWidth(kColCdName, static_cast<int>(kCdWidth * share));
    list_->setColumnWidth(kColPath, static_cast<int>(kPathWidth * share));
    fitting_ = false;
}

std::vector<std::string> QuickFindPopup::ExportColumns() const {
    if (results_->rowCount() == 0) return {};
    return kCatalogueListColumns;
}

void QuickFindPopup::WriteExportRows(ListWriter& writer) const {
    for (int row = 0; row < results_->rowCount(); ++row) results_->WriteExportRow(row, writer);
}

QString QuickFindPopup::ExportName() const {
    return tr("Quick find results");
}

QuickFindBox* QuickFindBox::Install(frmMenu& menu, QWidget* searchWindow) {
    // The box has a bar of its own beside the toolbar: where the window is too narrow for both
    // (at a large scale), it takes a row of its own instead of hiding in the toolbar's overflow.
    auto* bar = new QToolBar(tr("Quick find"), &menu);
    bar->setObjectName(QStringLiteral("QuickFindBar"));
    bar->setMovable(false);
    menu.addToolBar(Qt::TopToolBarArea, bar);
    auto* box = new QuickFindBox(&menu, bar);
    bar->addWidget(box);
    box->bar_ = bar;
    box->toolbar_ = menu.Toolbar();
    auto* ctrlK = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), &menu);
    connect(ctrlK, &QShortcut::activated, box, &QuickFindBox::Activate);
    // Ctrl+F belongs to the search command; while the search window is not up it finds here.
    if (QAction* search = menu.Item(QStringLiteral("mnuCdSearch"))) {
        box->searchWindow_ = searchWindow;
        search->installEventFilter(box);
    }
    return box;
}

QuickFindBox::QuickFindBox(QWidget* popupParent, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QuickFindBox"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 0, 2, 0);
    auto* label = new QLabel(tr("Fi&nd:"), this);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("txtQuickFind"));
    edit_->setAccessibleName(tr("Quick find"));
    edit_->setPlaceholderText(tr(kPlaceholder));
    edit_->setToolTip(
        tr("Words match in any order; \"an exact phrase\"; filters kind:file,dir,cd ext:jpg "
           "size:>10M date:2019 or date:2015..2019; inside files artist: album: title: camera: "
           "taken:2019 duration:>3m width:>3000 in:archive"));
    edit_->setClearButtonEnabled(true);
    edit_->setMinimumWidth(fontMetrics().horizontalAdvance(tr(kPlaceholder)) * 2);
    label->setBuddy(edit_);
    mode_ = new QComboBox(this);
    mode_->setObjectName(QStringLiteral("cboQuickFindMode"));
    mode_->setAccessibleName(tr("Quick find match"));
    mode_->addItem(tr("Anywhere"), int(QuickMatchMode::Anywhere));
    mode_->addItem(tr("Beginning"), int(QuickMatchMode::Beginning));
    mode_->addItem(tr("Whole name"), int(QuickMatchMode::WholeField));
    mode_->setToolTip(tr("Where a word must match the name"));
    layout->addWidget(label);
    layout->addWidget(edit_, 1);
    layout->addWidget(mode_);

    popup_ = new QuickFindPopup(popupParent ? popupParent : this);
    listMenu_ = new QMenu(this);
    edit_->installEventFilter(this);
    popup_->List()->installEventFilter(this);
    if (popupParent) popupParent->installEventFilter(this);

    finder_ = std::make_unique<QuickFinder>(GetDataFileName(), [this](QuickAnswer answer) {
        // From the worker: the box handles it on its own thread, and drops it when it is gone.
        QMetaObject::invokeMethod(
            this, [this, answer = std::move(answer)] { OnAnswer(answer); }, Qt::QueuedConnection);
    });

    connect(edit_, &QLineEdit::textChanged, this, &QuickFindBox::OnEdited);
    connect(mode_, &QComboBox::currentIndexChanged, this, &QuickFindBox::OnEdited);
    connect(popup_->List(), &QTreeView::activated, this,
            [this](const QModelIndex& i) { RevealRow(i.row()); });
    connect(popup_->List(), &QTreeView::customContextMenuRequested, this,
            &QuickFindBox::OnListMenu);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        // A menu (the list's own, or the menu bar reached with Alt for File > Export) keeps it.
        if (now && now != edit_ && !popup_->isAncestorOf(now) && !qobject_cast<QMenu*>(now) &&
            !qobject_cast<QMenuBar*>(now))
            popup_->hide();
    });
    if (popupParent && popupParent->isVisible()) finder_->Prepare();
    windowThread = std::this_thread::get_id();
    SetRecordWriteObserver(NoteWritten);
    CatalogueEvents& events = CatalogueEvents::Instance();
    connect(&events, &CatalogueEvents::catalogueChanged, this, &QuickFindBox::FollowChanges);
    connect(&events, &CatalogueEvents::cdRemoved, this, &QuickFindBox::FollowChanges);
    connect(&events, &CatalogueEvents::catalogueReplaced, this, [this] {
        // Every id the rows hold is void now.
        popup_->Results()->Clear();
        shownIndex_.reset();
        TakeWrittenIds();
        finder_->Invalidate();
    });
}

void QuickFindBox::FollowChanges() {
    std::vector<int32_t> ids = TakeWrittenIds();
    if (!ids.empty()) {
        finder_->Update(std::move(ids));
        return;
    }
    // Nothing written here: another program changed the file (a look at its stamp tells).
    const std::shared_ptr<const QuickIndex> index = finder_->Index();
    if (index && index->IsStale()) finder_->Invalidate();
}

QuickFindBox::~QuickFindBox() {
    SetRecordWriteObserver(nullptr);
    // The worker ends before the box's members go: no answer arrives for a half-gone box.
    finder_.reset();
}

void QuickFindBox::Activate() {
    edit_->setFocus(Qt::ShortcutFocusReason);
    edit_->selectAll();
    if (!edit_->text().trimmed().isEmpty()) ShowPopup();
}

void QuickFindBox::OnEdited() {
    const QString text = edit_->text();
    if (finder_->Index() && finder_->Index()->BuiltFrom() != GetDataFileName())
        finder_->SetPath(GetDataFileName());
    // This program's own changes since the last keystroke are followed without a whole read.
    std::vector<int32_t> ids = TakeWrittenIds();
    if (!ids.empty()) finder_->Update(std::move(ids));
    finder_->Query(text, QuickMatchMode(mode_->currentData().toInt()));
    if (text.trimmed().isEmpty()) {
        popup_->hide();
        popup_->Results()->Clear();
        shownIndex_.reset();
    } else if (!finder_->Index()) {
        // The first reading of the catalogue is still under way: the answer follows it.
        popup_->Status()->setText(tr("Reading the catalogue..."));
        ShowPopup();
    }
}

void QuickFindBox::OnAnswer(const QuickAnswer& answer) {
    // A later keystroke has superseded it.
    if (answer.generation != finder_->Generation() || edit_->text().trimmed().isEmpty()) return;
    SearchResultsModel* results = popup_->Results();
    results->Clear();
    shownIndex_ = answer.index;
    shownGeneration_ = answer.generation;
    shownComplete_ = answer.complete;
    if (!answer.error.isEmpty()) {
        popup_->Status()->setText(answer.error);
        ShowPopup();
        return;
    }
    const QuickIndex& index = *answer.index;
    const size_t shown = std::min(answer.rows.size(), static_cast<size_t>(kShownRows));
    // The index keeps the day of a date; the shown rows take the time and attributes from their
    // records, while the file is the one indexed.
    std::unique_ptr<classData> data;
    if (shown > 0 && !index.IsStale()) {
        data = std::make_unique<classData>(index.BuiltFrom(), classData::ForReading{});
        if (!data->IsOpen()) data.reset();
    }
    CatalogueFile* const file = data ? data->File().get() : nullptr;
    // The record's own bytes only (no texts), and nothing when they do not lie in the file.
    auto record = [file](auto& rec, int32_t id) {
        uint8_t bytes[std::decay_t<decltype(rec)>::kSize];
        if (!file || id < 1 || !file->ReadAt(id - 1, bytes, sizeof bytes)) return false;
        rec.Decode(bytes);
        return true;
    };
    for (size_t r = 0; r < shown; ++r) {
        SearchHit hit = index.Hit(answer.rows[r]);
        switch (hit.kind) {
            case SearchHitKind::Cd: {
                CdRecord cd;
                if (record(cd, hit.id) && cd.CdId == hit.id) hit.date = cd.CdLastScanned;
                break;
            }
            case SearchHitKind::Directory: {
                DirRecord dir;
                if (record(dir, hit.id) && dir.DirId == hit.id)
                    hit.date = dir.DirDate, hit.attributes = dir.DirAttr;
                break;
            }
            case SearchHitKind::File: {
                FileRecord f;
                if (record(f, hit.id) && f.FileId == hit.id)
                    hit.date = f.FileDate, hit.attributes = f.FileAttr;
                break;
            }
        }
        results->AddPending(hit);
    }
    // Then the files found by their details and the members of archives.
    for (size_t d = 0; answer.details && d < answer.detailHits.size() &&
                       shown + d < static_cast<size_t>(kShownRows);
         ++d) {
        results->AddPending(answer.details->Hit(index, answer.detailHits[d]));
    }
    results->Flush();
    QLocale locale;
    QString status;
    if (answer.count == 0)
        status = answer.complete ? tr("Nothing found") : tr("Searching...");
    else if (!answer.complete)
        status = tr("%1 found so far...").arg(locale.toString(qlonglong(answer.count)));
    else if (answer.count > results->rowCount())
        status = tr("%1 found, the first %2 shown: type more to narrow")
                     .arg(locale.toString(qlonglong(answer.count)),
                          locale.toString(qlonglong(results->rowCount())));
    else
        status = answer.count == 1 ? tr("1 found")
                                   : tr("%1 found").arg(locale.toString(qlonglong(answer.count)));
    if (answer.reading && answer.count > 0) status += tr(" (reading the changed catalogue)");
    popup_->Status()->setText(status);
    if (results->rowCount() > 0) popup_->List()->setCurrentIndex(results->index(0, 0));
    ShowPopup();
}

void QuickFindBox::ShowPopup() {
    PlacePopup();
    popup_->show();
    popup_->raise();
}

void QuickFindBox::PlacePopup() {
    QWidget* host = popup_->parentWidget();
    if (!host) return;
    const QPoint below = host->isAncestorOf(this) ? mapTo(host, QPoint(0, height())) : QPoint(0, 0);
    const int width = std::min(std::max(kPopupMinWidth, host->width() * 3 / 4), host->width());
    const int left =
        std::clamp(below.x() + this->width() - width, 0, std::max(0, host->width() - width));
    // As tall as its rows need, up to two thirds of the room below the box.
    QTreeView* list = popup_->List();
    const int rows = std::max(1, popup_->Results()->rowCount());
    const int rowHeight = std::max(list->sizeHintForRow(0), list->fontMetrics().height() + 2);
    const int wanted = popup_->Status()->sizeHint().height() + list->header()->sizeHint().height() +
                       rows * rowHeight + list->horizontalScrollBar()->sizeHint().height() +
                       4 * list->frameWidth() + 16;
    const int room = std::max(120, (host->height() - below.y()) * 2 / 3);
    const int height = std::min(wanted, room);
    popup_->setGeometry(left, below.y(), width, height);
    popup_->FitColumns();
}

void QuickFindBox::PlaceBar() {
    auto* window = qobject_cast<QMainWindow*>(popup_->parentWidget());
    if (!window || !bar_ || !toolbar_) return;
    const bool fits = toolbar_->sizeHint().width() + bar_->sizeHint().width() <= window->width();
    if (fits == window->toolBarBreak(bar_)) {
        if (fits)
            window->removeToolBarBreak(bar_);
        else
            window->insertToolBarBreak(bar_);
    }
}

void QuickFindBox::MoveCurrent(int delta) {
    QTreeView* list = popup_->List();
    const int rows = popup_->Results()->rowCount();
    if (rows == 0) return;
    const int current = list->currentIndex().isValid() ? list->currentIndex().row() : -1;
    const int next = std::clamp(current + delta, 0, rows - 1);
    list->setCurrentIndex(popup_->Results()->index(next, 0));
    list->scrollTo(list->currentIndex());
}

bool QuickFindBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Shortcut && qobject_cast<QAction*>(watched) &&
        !IsUp(searchWindow_)) {
        Activate();
        return true;
    }
    if (watched == popup_->parentWidget() && event->type() == QEvent::Resize) {
        PlaceBar();
        if (popup_->isVisible()) PlacePopup();
    }
    // The index is read as soon as the window is up, so the first keystroke finds it ready.
    if (watched == popup_->parentWidget() && event->type() == QEvent::Show) finder_->Prepare();
    if (event->type() != QEvent::KeyPress || (watched != edit_ && watched != popup_->List()))
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Down:
            MoveCurrent(1);
            return true;
        case Qt::Key_Up:
            MoveCurrent(-1);
            return true;
        case Qt::Key_PageDown:
            MoveCurrent(kPageRows);
            return true;
        case Qt::Key_PageUp:
            MoveCurrent(-kPageRows);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            if (watched != edit_) break;
            const QModelIndex current = popup_->List()->currentIndex();
            if (popup_->isVisible() && current.isValid()) RevealRow(current.row());
            return true;
        }
        case Qt::Key_Escape:
            if (popup_->isVisible())
                popup_->hide();
            else
                edit_->clear();
            if (watched != edit_) edit_->setFocus();
            return true;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

bool QuickFindBox::CheckRow(int row, RecordRef* record) const {
    SearchResultsModel* results = popup_->Results();
    if (row < 0 || row >= results->rowCount()) return false;
    *record = results->Record(row);
    const int32_t id = results->Id(row);
    bool same = false;
    classData data;
    if (data.IsOpen() && id > 0 && id < data.File()->Length()) {
        const std::vector<int32_t> cds = AllCdIds(data);
        const bool listed = std::find(cds.begin(), cds.end(), record->cdId) != cds.end();
        const std::string_view name = results->Name(row);
        if (listed) {
            switch (results->Kind(row)) {
                case SearchHitKind::Cd: {
                    const CdInfo cd = ReadCdInfo(data, id);
                    same = cd.CdName == name;
                    record->kind = cd.CdMediaType == kMediaCdRom ? kIconCd : kIconFolder;
                    break;
                }
                case SearchHitKind::Directory: {
                    const DirInfo dir = ReadDirInfo(data, id);
                    same = dir.DirName == name && dir.DirCdId == record->cdId;
                    break;
                }
                case SearchHitKind::File: {
                    const FileInfo file = ReadFileInfo(data, id);
                    same = file.FileName == name && file.FileCdId == record->cdId &&
                           file.FileDirId == record->dirId;
                    break;
                }
            }
        }
    }
    if (!same) ShowMessage(kStaleHit, vbOKOnly);
    return same;
}

bool QuickFindBox::RevealRow(int row) {
    RecordRef record;
    if (!CheckRow(row, &record)) return false;
    frmMenu* menu = frmMenu::Instance();
    CatalogueView* view = menu ? menu->CurrentCatalogueView() : nullptr;
    if (!view) return false;
    popup_->hide();
    menu->mnuCDShowList_Click();
    view->RevealRecord(record);
    return true;
}

void QuickFindBox::LaunchRow(int row) {
    RecordRef record;
    if (popup_->Results()->Kind(row) != SearchHitKind::File || !CheckRow(row, &record)) return;
    LaunchFile(record.fileId);
}

void QuickFindBox::PropertiesRow(int row) {
    RecordRef record;
    if (!CheckRow(row, &record)) return;
    const int32_t id = record.fileId ? record.fileId : record.dirId ? record.dirId : record.cdId;
    frmProperties::ShowProperties(record.kind, id, this);
}

void QuickFindBox::OnListMenu(const QPoint& at) {
    QTreeView* list = popup_->List();
    const QModelIndex index = list->indexAt(at);
    if (!index.isValid()) return;
    list->setCurrentIndex(index);
    const int row = index.row();
    listMenu_->clear();
    QAction* reveal =
        listMenu_->addAction(tr("&Show in List"), this, [this, row] { RevealRow(row); });
    listMenu_->setDefaultAction(reveal);
    QAction* launch = listMenu_->addAction(tr("&Launch"), this, [this, row] { LaunchRow(row); });
    launch->setEnabled(popup_->Results()->Kind(row) == SearchHitKind::File);
    listMenu_->addAction(tr("&Properties"), this, [this, row] { PropertiesRow(row); });
    listMenu_->popup(list->viewport()->mapToGlobal(at));
}

}  // namespace karvio
