#include "views/frmBrowseCD.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "CatalogueText.h"
#include "DateText.h"
#include "Format.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "Progress.h"
#include "ReportTree.h"
#include "TransferRecords.h"
#include "classData.h"
#include "controls/AttributeText.h"
#include "controls/DeepTreeView.h"
#include "controls/EmptyHint.h"
#include "controls/ItemIcons.h"
#include "controls/MountedMarker.h"
#include "controls/NaturalOrder.h"
#include "controls/NotesBox.h"
#include "controls/SizeText.h"
#include "controls/SplitPanel.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/EditRefusals.h"
#include "mainwindow/MenuState.h"
#include "mainwindow/frmMenu.h"
#include "scan/CdCommands.h"
#include "startup/LaunchFile.h"
#include "startup/ProgramValues.h"
#include "startup/Settings.h"
#include "views/ItemLocation.h"
#include "views/frmProperties.h"

namespace karvio {

namespace {

constexpr int kSortRole = Qt::UserRole + 1;
constexpr int kIdRole = Qt::UserRole + 2;
constexpr int kSizeRole = Qt::UserRole + 3;  // the byte count of a size cell
constexpr int kColTotalSize = 3;
constexpr int kColFreeSpace = 4;

QString Text(const std::string& bytes) {
    return QString::fromStdString(DecodeCatalogueText(bytes));
}

// A cell of the CD list: texts sort in the natural order of the user's locale, numbers (sizes,
// dates, media types) by value.
class CdListItem : public QStandardItem {
public:
    CdListItem(const QString& text, const QVariant& key) : QStandardItem(text) {
        setData(key, kSortRole);
    }

    bool operator<(const QStandardItem& other) const override {
        const QVariant a = data(kSortRole);
        const QVariant b = other.data(kSortRole);
        if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString) {
            static const QCollator collator = NaturalCollator();
            const int order = collator.compare(a.toString(), b.toString());
            return order != 0 ? order < 0 : a.toString() < b.toString();
        }
        return a.toDouble() < b.toDouble();
    }
};

QStandardItem* SizeCell(double bytes) {
    auto* item = new CdListItem(ListSizeText(bytes), std::fabs(bytes));
    item->setData(bytes, kSizeRole);
    item->setToolTip(ExactSizeText(bytes));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace

QString MediaTypeText(int32_t mediaType) {
    switch (mediaType) {
        case 2:
            return QCoreApplication::translate("frmBrowseCD", "Removable");
        case 3:
            return QCoreApplication::translate("frmBrowseCD", "Fixed disk");
        case 4:
            return QCoreApplication::translate("frmBrowseCD", "Network");
        case 5:
            return QCoreApplication::translate("frmBrowseCD", "CD-ROM");
        case 6:
            return QCoreApplication::translate("frmBrowseCD", "RAM disk");
        default:
            return QCoreApplication::translate("frmBrowseCD", "Unknown");
    }
}

// ---- the view ----

frmBrowseCD::frmBrowseCD(QWidget* parent)
    : QWidget(parent),
      splitPanel1_(new SplitPanel(this)),
      splitPanel2_(new SplitPanel),
      listView1_(new QTreeView),
      listModel_(new QStandardItemModel(0, 9, this)),
      treeView1_(new DeepTreeView),
      treeModel_(new CdTreeModel(this)),
      fldName_(new QLabel),
      fldSize_(new QLabel),
      fldDate_(new QLabel),
      fldAttr_(new QLabel),
      fldNotes_(new QPlainTextEdit) {
    setObjectName(QStringLiteral("frmBrowseCD"));
    setWindowTitle(tr("CD Panel"));
    setAccessibleName(tr("CD panel"));
    listModel_->setHorizontalHeaderLabels({tr("CD Title"), tr("Notes"), tr("Scan Date"),
                                           tr("Total Size"), tr("Free Space"), tr("System Label"),
                                           tr("Category"), tr("Base Path"), tr("Media Type")});
    listModel_->setSortRole(kSortRole);
    listView1_->setObjectName(QStringLiteral("ListView1"));
    listView1_->setAccessibleName(tr("CD list"));
    listView1_->setModel(listModel_);
    listView1_->setRootIsDecorated(false);
    listView1_->setUniformRowHeights(true);
    listView1_->setSortingEnabled(true);
    listView1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView1_->setContextMenuPolicy(Qt::CustomContextMenu);
    listView1_->header()->setSortIndicator(-1, Qt::AscendingOrder);
    listView1_->installEventFilter(this);
    listHint_ = new EmptyHint(FirstDiscHintText(), listView1_);

    treeView1_->setObjectName(QStringLiteral("TreeView1"));
    treeView1_->setAccessibleName(tr("CD tree"));
    treeView1_->setModel(treeModel_);
    treeView1_->setHeaderHidden(true);
    treeView1_->setUniformRowHeights(true);
    treeView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    treeView1_->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* details = new QWidget;
    details->setObjectName(QStringLiteral("picDetails"));
    auto* form = new QFormLayout(details);
    fldName_->setObjectName(QStringLiteral("fldName"));
    fldSize_->setObjectName(QStringLiteral("fldSize"));
    fldDate_->setObjectName(QStringLiteral("fldDate"));
    fldAttr_->setObjectName(QStringLiteral("fldAttr"));
    fldNotes_->setObjectName(QStringLiteral("fldNotes"));
    fldNotes_->setAccessibleName(tr("Notes"));
    MakeNotesBox(fldNotes_);
    fldNotes_->installEventFilter(this);
    for (QLabel* label : {fldName_, fldSize_, fldDate_, fldAttr_}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
    }
    form->addRow(tr("Name:"), fldName_);
    form->addRow(tr("Size:"), fldSize_);
    form->addRow(tr("Date:"), fldDate_);
    form->addRow(tr("Attributes:"), fldAttr_);
    auto* notesLabel = new QLabel(tr("&Notes:"));
    notesLabel->setBuddy(fldNotes_);
    form->addRow(notesLabel, fldNotes_);

    // The CD list above the tree and the details, the tree beside the details; each bar keeps
    // both of its panes between 10 and 90 per cent.
    splitPanel1_->setObjectName(QStringLiteral("SplitPanel1"));
    splitPanel2_->setObjectName(QStringLiteral("SplitPanel2"));
    splitPanel2_->setHorizontalSplit(false);
    splitPanel2_->setControl1(treeView1_);
    splitPanel2_->setControl2(details);
    splitPanel2_->setSplitPercent(65);
    splitPanel1_->setHorizontalSplit(true);
    splitPanel1_->setControl1(listView1_);
    splitPanel1_->setControl2(splitPanel2_);
    splitPanel1_->setSplitPercent(35);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitPanel1_);

    connect(listView1_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { OnListRow(); });
    connect(treeView1_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { OnTreeNode(); });
    connect(listView1_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (frmMenu* menu = frmMenu::Instance()) {
            if (QMenu* pop = menu->PopupMenu(QStringLiteral("popCdMenu")))
                pop->exec(listView1_->viewport()->mapToGlobal(at));
        }
    });
    connect(treeView1_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        frmMenu* menu = frmMenu::Instance();
        if (!menu) return;
        QMenu* pop = menu->PopupMenu(QStringLiteral("popTreeMenu"));
        if (!pop) return;
        const int node = treeModel_->NodeOf(treeView1_->currentIndex());
        if (QAction* launch = menu->Item(QStringLiteral("popTreeLaunch")))
            launch->setVisible(treeModel_->KindOf(node) == kIconFile);
        pop->exec(treeView1_->viewport()->mapToGlobal(at));
    });
    connect(&SizeDisplay::Instance(), &SizeDisplay::changed, this, [this] {
        for (int r = 0; r < listModel_->rowCount(); ++r) {
            for (int column : {kColTotalSize, kColFreeSpace}) {
                QStandardItem* item = listModel_->item(r, column);
                item->setText(ListSizeText(item->data(kSizeRole).toDouble()));
            }
        }
        if (detailsKind_ != 0) fldSize_->setText(FullSizeText(detailsSize_));
    });
    connect(treeView1_, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { expandedNodes_.insert(treeModel_->NodeOf(index)); });
    connect(treeView1_, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { expandedNodes_.erase(treeModel_->NodeOf(index)); });
    CatalogueEvents& events = CatalogueEvents::Instance();
    connect(&events, &CatalogueEvents::catalogueReplaced, this,
            [this](const CatalogueRenumbering& ids) { Reload(ids); });
    connect(&events, &CatalogueEvents::catalogueChangedElsewhere, this, [this] {
        if (isVisible()) Refresh();
    });
    connect(&events, &CatalogueEvents::catalogueChanged, this, [] { RefreshCdView = true; });
    connect(&events, &CatalogueEvents::cdRemoved, this, [this](int32_t cdId) {
        const int row = ListRowOf(cdId);
        if (row >= 0) listModel_->removeRow(row);
        if (shownCd_ == cdId) ClearTree();
    });
}

void frmBrowseCD::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (RefreshCdView) {
        if (HasTreeNodes()) {
            Refresh();
        } else {
            RefillListCds(0, true);
        }
    } else if (!HasTreeNodes() && SelectedCdId() > 0) {
        // The list was filled while the view was hidden (a search asks it for the discs' order),
        // without the tree: the selected disc is shown as the view comes up.
        ShowCd(SelectedCdId());
        UpdateMenuState();
    }
}

bool frmBrowseCD::FillCdList() {
    listModel_->removeRows(0, listModel_->rowCount());
    // A catalogue that cannot be read shows nothing; its cause is said once.
    if (!CatalogueOpens()) return false;
    classData data;
    // The live categories by id: a CD filed under a removed one shows a blank category, as
    // under none.
    QHash<int32_t, QString> categories;
    for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext())
        categories.insert(cat->GetCatId(), Text(cat->GetCatName()));
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
        const int32_t id = cd->GetCdId();
        const QString name = Text(cd->GetCdName());
        const std::string notes = cd->GetCdNotes();
        const QString label = Text(cd->GetCdLabel());
        const QString base = Text(cd->GetCdBasepath());
        const double date = cd->GetCdLastScanned();
        const int32_t media = cd->GetCdMediaType();
        const QString category = categories.value(cd->GetCdCategory(), QStringLiteral(" "));
        QList<QStandardItem*> row;
        row << new CdListItem(name, name) << new CdListItem(Text(FlattenLines(notes)), Text(notes))
            << new CdListItem(Text(DateToText(date)), date) << SizeCell(cd->GetCdtotalSize())
            << SizeCell(cd->GetCdFreeSpace()) << new CdListItem(label, label)
            << new CdListItem(category, category) << new CdListItem(base, base)
            << new CdListItem(MediaTypeText(media), media);
        row[0]->setData(id, kIdRole);
        row[0]->setIcon(CdItemIcon(media == 5 ? kIconCd : kIconFolder, id));
        row[0]->setToolTip(MountedToolTip(id));
        listModel_->appendRow(row);
    }
    // A list the user sorted stays in that order.
    const QHeaderView* header = listView1_->header();
    if (header->sortIndicatorSection() >= 0)
        listModel_->sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
    for (int column = 0; column < listModel_->columnCount(); ++column)
        listView1_->resizeColumnToContents(column);
    return true;
}

void frmBrowseCD::RefillListCds(int32_t cdId, bool showTree) {
    listView1_->selectionModel()->blockSignals(true);
    if (!FillCdList()) {
        // An empty list and tree; the next activation tries again.
        listView1_->selectionModel()->blockSignals(false);
        ClearTree();
        detailsKind_ = 0;
        detailsId_ = 0;
        notesTag_.clear();
        for (QLabel* field : {fldName_, fldSize_, fldDate_, fldAttr_}) field->clear();
        fldNotes_->clear();
        return;
    }
    RefreshCdView = false;
    listView1_->selectionModel()->blockSignals(false);
    if (cdId == 0) cdId = GetSetting(settings::kLastCdId).toInt();
    int row = ListRowOf(cdId);
    if (row < 0 && listModel_->rowCount() > 0) row = 0;
    if (row >= 0) {
        listView1_->selectionModel()->blockSignals(true);
        listView1_->setCurrentIndex(listModel_->index(row, 0));
        listView1_->selectionModel()->blockSignals(false);
        const int32_t id = listModel_->item(row, 0)->data(kIdRole).toInt();
        ShowDetails(kIconCd, id);
        if (showTree) ShowCd(id);
    } else {
        ClearTree();
    }
    UpdateMenuState();
}

void frmBrowseCD::UpdateMenuState() {
    listHint_->setVisible(listModel_->rowCount() == 0);
    SetMenuState(listModel_->rowCount() == 0 ? kModeEmptyCatalogue
                 : HasTreeNodes()            ? kModeCdShown
                                             : kModeNoCdShown);
}

void frmBrowseCD::Refresh() {
    const int32_t keep = shownCd_ > 0 ? shownCd_ : SelectedCdId();
    listView1_->selectionModel()->blockSignals(true);
    if (!FillCdList()) {
        listView1_->selectionModel()->blockSignals(false);
        ClearTree();
        return;
    }
    const int row = ListRowOf(keep);
    if (row >= 0) listView1_->setCurrentIndex(listModel_->index(row, 0));
    listView1_->selectionModel()->blockSignals(false);
    RefreshCdView = false;
    if (row < 0 || shownCd_ != keep) {
        // The CD shown is gone: the list's choice is shown instead.
        ClearTree();
        RefillListCds(0, true);
        return;
    }
    // A CD's directories and files never change (a rescan makes a new CD): the tree stays as
    // it is, with the CD's name as it is now. The details are read again unless the user is
    // editing their notes.
    treeModel_->SetCdName(listModel_->item(row, 0)->text());
    if (fldNotes_->toPlainText() == notesTag_) ShowDetails(detailsKind_, detailsId_);
    UpdateMenuState();
}

void frmBrowseCD::Reload(const CatalogueRenumbering& ids) {
    const CdTreePlace place = CaptureTreePlace();
    int32_t cd = 0;
    if (auto it = ids.cds.find(shownCd_); it != ids.cds.end()) cd = it->second;
    const QString shownName = shownCd_ > 0 && ListRowOf(shownCd_) >= 0
                                  ? listModel_->item(ListRowOf(shownCd_), 0)->text()
                                  : QString();
    ClearTree();
    detailsId_ = 0;
    notesTag_ = fldNotes_->toPlainText();
    listView1_->selectionModel()->blockSignals(true);
    const bool filled = FillCdList();
    listView1_->selectionModel()->blockSignals(false);
    if (!filled) return;
    if (cd == 0 && ids.Empty() && !shownName.isEmpty()) {
        // Another program replaced the file: the CD of the same name, if only one has it.
        for (int r = 0; r < listModel_->rowCount(); ++r) {
            if (listModel_->item(r, 0)->text() != shownName) continue;
            cd = cd == 0 ? listModel_->item(r, 0)->data(kIdRole).toInt() : -1;
        }
    }
    if (cd <= 0) {
        RefillListCds(0, true);
        return;
    }
    RefillListCds(cd, true);
    if (shownCd_ == cd) RestoreTreePlace(place);
}

frmBrowseCD::CdTreePlace frmBrowseCD::CaptureTreePlace() const {
    CdTreePlace place;
    if (!HasTreeNodes()) return place;
    for (int node : expandedNodes_) place.expanded.push_back(treeModel_->PathOf(node));
    // Parents first, so each path is expanded below an expanded parent.
    std::sort(place.expanded.begin(), place.expanded.end(),
              [](const QStringList& a, const QStringList& b) { return a.size() < b.size(); });
    const int selected = treeModel_->NodeOf(treeView1_->currentIndex());
    if (selected >= 0) place.selected = treeModel_->PathOf(selected);
    place.scroll = treeView1_->verticalScrollBar()->value();
    place.valid = true;
    return place;
}

void frmBrowseCD::RestoreTreePlace(const CdTreePlace& place) {
    if (!place.valid || !HasTreeNodes()) return;
    for (const QStringList& path : place.expanded) {
        const int node = treeModel_->NodeAtPath(path);
        if (node >= 0 && treeModel_->PathOf(node) == path)
            treeView1_->expand(treeModel_->IndexOfNode(node));
    }
    const int selected = treeModel_->NodeAtPath(place.selected);
    treeView1_->verticalScrollBar()->setValue(place.scroll);
    if (selected >= 0) {
        const QModelIndex index = treeModel_->IndexOfNode(selected);
        treeView1_->setCurrentIndex(index);
        treeView1_->scrollTo(index);
    }
}

int frmBrowseCD::ListRowOf(int32_t cdId) const {
    if (cdId <= 0) return -1;
    for (int r = 0; r < listModel_->rowCount(); ++r) {
        if (listModel_->item(r, 0)->data(kIdRole).toInt() == cdId) return r;
    }
    return -1;
}

int32_t frmBrowseCD::SelectedCdId() const {
    const QModelIndex current = listView1_->currentIndex();
    if (!current.isValid()) return 0;
    return listModel_->item(current.row(), 0)->data(kIdRole).toInt();
}

void frmBrowseCD::ShowCd(int32_t cdId) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The model reads names on demand through a store object of its own, opened for reading
    // so that showing a CD writes nothing to the catalogue.
    auto data = std::make_unique<classData>(GetDataFileName(), classData::ForReading{});
    if (data->IsOpen()) {
        // One step per directory record: the files are read when their directory is opened.
        classCd& cd = data->GetCdGoto(cdId);
        if (cd.GetCdId() == cdId) ProgressStart(cd.GetCdNumOfSubdirs() + 1);
    }
    expandedNodes_.clear();
    treeModel_->Load(std::move(data), cdId, [] { ProgressStep(); });
    shownCd_ = treeModel_->IsEmpty() ? 0 : cdId;
    ProgressEnd();
    if (HasTreeNodes()) {
        const QModelIndex first = treeModel_->IndexOfNode(0);
        treeView1_->expand(first);
        treeView1_->setCurrentIndex(first);
        treeView1_->scrollTo(first);
    }
    QApplication::restoreOverrideCursor();
}

void frmBrowseCD::ClearTree() {
    expandedNodes_.clear();
    treeModel_->Clear();
    shownCd_ = 0;
}

bool frmBrowseCD::HasTreeNodes() const {
    return !treeModel_->IsEmpty();
}

int32_t frmBrowseCD::SelectedTreeTag() const {
    return treeModel_->TagOf(treeModel_->NodeOf(treeView1_->currentIndex()));
}

void frmBrowseCD::OnListRow() {
    SaveNotes();
    const int32_t id = SelectedCdId();
    if (id == 0) return;
    ShowDetails(kIconCd, id);
    fldNotes_->setEnabled(false);
    busy_ = true;
    ShowCd(id);
    fldNotes_->setEnabled(true);
    busy_ = false;
    SaveSetting(settings::kLastCdId, QString::number(id));
    SetMenuState(HasTreeNodes() ? kModeCdShown : kModeNoCdShown);
}

void frmBrowseCD::OnTreeNode() {
    if (busy_) return;
    SaveNotes();
    const QModelIndex current = treeView1_->currentIndex();
    const int node = treeModel_->NodeOf(current);
    if (node < 0) return;
    treeView1_->expand(current);
    const int kind = treeModel_->KindOf(node);
    if (kind == kIconArchiveFolder || kind == kIconArchiveMember) {
        ShowMember(node);
        return;
    }
    ShowDetails(kind, treeModel_->TagOf(node));
}

void frmBrowseCD::ShowMember(int node) {
    // A member of an archive is no record of the catalogue: it shows its name, size and date,
    // and has no notes.
    detailsKind_ = treeModel_->KindOf(node);
    detailsId_ = 0;
    fldName_->setText(treeModel_->CaptionOf(node));
    fldSize_->setText(detailsKind_ == kIconArchiveFolder
                          ? QString()
                          : Text(FormatSize(treeModel_->MemberSize(node))).trimmed());
    fldDate_->setText(treeModel_->MemberDate(node) > 0
                          ? Text(DateToText(treeModel_->MemberDate(node)))
                          : QString());
    fldAttr_->clear();
    notesTag_.clear();
    fldNotes_->clear();
    fldNotes_->setReadOnly(true);
}

void frmBrowseCD::ShowDetails(int kind, int32_t id) {
    fldNotes_->setReadOnly(false);
    detailsKind_ = kind;
    detailsId_ = id;
    std::string name, notes;
    double size = 0, date = 0;
    int32_t attr = 0;
    if (kind == kIconCd || kind == kIconFolder) {
        const CdInfo info = GetCdInfoById(id);
        name = info.CdName, notes = info.CdNotes, size = info.CdTotalSize,
        date = info.CdLastScanned;
        detailsRecord_ = HeldRecord::Of(info);
    } else if (kind == kIconDirectory) {
        const DirInfo info = GetDirInfoById(id);
        name = info.DirName, notes = info.DirNotes, size = info.DirSize, date = info.DirDate,
        attr = info.DirAttr;
        detailsRecord_ = HeldRecord::Of(info);
    } else if (kind == kIconFile) {
        const FileInfo info = GetFileInfoById(id);
        name = info.FileName, notes = info.FileNotes, size = info.FileSize, date = info.FileDate,
        attr = info.FileAttr;
        detailsRecord_ = HeldRecord::Of(info);
    }
    fldName_->setText(Text(name));
    fldSize_->setText(kind == 0 ? QString() : FullSizeText(size));
    detailsSize_ = size;
    fldDate_->setText(Text(DateToText(date)));
    fldAttr_->setText(AttributesText(attr));
    notesTag_ = Text(notes);
    fldNotes_->setPlainText(notesTag_);
    // Where the item lies, in the status bar while this is the view in use.
    frmMenu* menu = frmMenu::Instance();
    if (menu && menu->CurrentCatalogueView() == this)
        menu->ShowItemLocation(LocateRecord(kind, id));
}

void frmBrowseCD::SaveNotes() {
    const QString text = fldNotes_->toPlainText();
    if (text == notesTag_ || detailsId_ == 0) return;
    const std::string bytes = text.toStdString();
    CatalogueEdits edits;
    // The notes go to the record the pane showed, and only while it is still that record; when
    // another program changed it, the views reload and the typed notes wait on the clipboard.
    auto saved = [&](const EditResult& result) {
        if (ReportEdit(result, text)) return true;
        notesTag_ = text;  // not offered again when the box loses the focus once more
        return false;
    };
    switch (detailsKind_) {
        case kIconCd:
        case kIconFolder: {
            if (!saved(edits.AnnotateCd(detailsRecord_, bytes))) return;
            const int row = ListRowOf(detailsId_);
            if (row >= 0) {
                listModel_->item(row, 1)->setText(Text(FlattenLines(bytes)));
                listModel_->item(row, 1)->setData(text, kSortRole);
            }
            break;
        }
        case kIconDirectory:
            if (!saved(edits.AnnotateDirectory(detailsRecord_, bytes))) return;
            break;
        case kIconFile:
            if (!saved(edits.AnnotateFile(detailsRecord_, bytes))) return;
            break;
        default:
            return;
    }
    notesTag_ = text;
    RefreshExplorer = true;
}

bool frmBrowseCD::eventFilter(QObject* watched, QEvent* event) {
    if (watched == fldNotes_ && event->type() == QEvent::FocusOut) SaveNotes();
    if (watched == listView1_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        MainMenu_CdDelete();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmBrowseCD::MainMenu_CdDelete() {
    const int32_t id = SelectedCdId();
    if (id == 0) return;
    const int row = ListRowOf(id);
    const std::string title = listModel_->item(row, 0)->text().toStdString();
    // DeleteCd asks, removes and tells every window (this one drops the row through cdRemoved).
    if (!DeleteCd(HeldRecord::Named(RecordKind::Cd, id, title), title)) return;
    RefreshExplorer = true;
    RefillListCds(0, false);
    ClearTree();
    ShowDetails(0, 0);
}

void frmBrowseCD::MainMenu_CdAdd() {
    const int32_t id = AddCd(0, this);
    if (id > 0) {
        RefreshExplorer = true;
        RefillListCds(id, true);
    }
}

HeldRecord frmBrowseCD::ShownCd(int32_t id) const {
    const int row = ListRowOf(id);
    if (row < 0) return HeldRecord::Of(RecordKind::Cd, id);
    return HeldRecord::Named(RecordKind::Cd, id, listModel_->item(row, 0)->text().toStdString());
}

void frmBrowseCD::MainMenu_CdEdit() {
    const int32_t id = SelectedCdId();
    if (id == 0) return;
    if (EditCdDetails(ShownCd(id), this) > 0) {
        RefreshExplorer = true;
        // The CD's tree is the same: only the list and the CD's name change.
        if (shownCd_ == id) {
            Refresh();
        } else {
            RefillListCds(id, true);
        }
    }
}

void frmBrowseCD::MainMenu_CdRescan() {
    const int32_t id = SelectedCdId();
    if (id == 0) return;
    const CdTreePlace place = CaptureTreePlace();
    const int32_t replacement = RescanCd(ShownCd(id), this);
    if (replacement > 0) {
        RefreshExplorer = true;
        RefillListCds(replacement, true);
        // The new CD opens where the old one was, as far as its folders are still there.
        RestoreTreePlace(place);
    }
}

void frmBrowseCD::PropertiesListItem() {
    if (const int32_t id = SelectedCdId()) {
        frmProperties::ShowProperties(kIconCd, id, this, ShownCd(id).name.value_or(std::string()));
    }
}

void frmBrowseCD::PropertiesTreeItem() {
    int node = treeModel_->NodeOf(treeView1_->currentIndex());
    // Inside an archive the properties are the archive's.
    if (treeModel_->ArchiveNodeOf(node) >= 0) node = treeModel_->ArchiveNodeOf(node);
    if (node < 0) return;
    frmProperties::ShowProperties(treeModel_->KindOf(node), treeModel_->TagOf(node), this,
                                  treeModel_->CaptionOf(node).toStdString());
}

void frmBrowseCD::StartFocus() {
    listView1_->setFocus();
}

std::optional<PreviewSource> frmBrowseCD::PreviewStart() {
    if (!HasTreeNodes()) return std::nullopt;
    PreviewSource source;
    classData data;
    source.tree = BuildCdReportTree(data, shownCd_, false);
    source.cdNode = 0;
    const int node = treeModel_->NodeOf(treeView1_->currentIndex());
    if (node > 0 && treeModel_->KindOf(node) == kIconDirectory) {
        source.selectedNode = source.tree.FindDirectory(treeModel_->TagOf(node));
    }
    return source;
}

void frmBrowseCD::RevealRecord(const RecordRef& record) {
    if (record.cdId <= 0) return;
    if (ListRowOf(record.cdId) < 0) RefillListCds(record.cdId, false);
    const int row = ListRowOf(record.cdId);
    if (row < 0) return;
    listView1_->setCurrentIndex(listModel_->index(row, 0));
    if (shownCd_ != record.cdId) ShowCd(record.cdId);
    int target = -1;
    if (record.fileId > 0) target = treeModel_->FindFileNode(record.fileId);
    if (target < 0 && record.dirId > 0) target = treeModel_->FindDirectoryNode(record.dirId);
    if (target < 0) target = 0;
    const QModelIndex index = treeModel_->IndexOfNode(target);
    treeView1_->setCurrentIndex(index);
    treeView1_->scrollTo(index);
}

void frmBrowseCD::ReloadCatalogue() {
    Reload({});
}

std::vector<int32_t> frmBrowseCD::CdIdsForSearch() {
    if (RefreshCdView) RefillListCds(SelectedCdId(), false);
    std::vector<std::pair<QString, int32_t>> rows;
    for (int r = 0; r < listModel_->rowCount(); ++r) {
        rows.emplace_back(listModel_->item(r, 1)->text(),
                          listModel_->item(r, 0)->data(kIdRole).toInt());
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int32_t> ids;
    for (const auto& row : rows) ids.push_back(row.second);
    return ids;
}

}  // namespace karvio
