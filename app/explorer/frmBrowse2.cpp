#include "explorer/frmBrowse2.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "CatalogueText.h"
#include "Messages.h"
#include "TransferRecords.h"
#include "classData.h"
#include "controls/DeepTreeView.h"
#include "controls/EmptyHint.h"
#include "controls/ItemIcons.h"
#include "controls/SplitPanel.h"
#include "controls/Twips.h"
#include "explorer/frmCategoryProperties.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/EditRefusals.h"
#include "mainwindow/MenuState.h"
#include "mainwindow/frmMenu.h"
#include "scan/CdCommands.h"
#include "startup/LaunchFile.h"
#include "startup/ProgramValues.h"
#include "startup/Settings.h"
#include "views/DetailsText.h"
#include "views/ItemLocation.h"
#include "views/frmProperties.h"

namespace karvio {

namespace {

// "Attr" is wider than its historic 600 twips so that "Category" and "directory" are not cut, and
// "Name", "Size" and "Date" wider so that long names, the sizes of whole discs and dates with
// their times show whole.
constexpr int kColumnWidthsTwips[kListColumnCount] = {2800, 1600, 2500, 1300, 2000, 0,    0,
                                                      2500, 2000, 2000, 2000, 2400, 1100, 1500};
const char* const kSettingsSection = "Explorer";

// The columns the header's menu shows and hides, with the names under which the settings
// remember the shown ones; the media columns are hidden until chosen.
struct ChosenColumn {
    int column;
    const char* setting;
    const char* caption;
};
constexpr ChosenColumn kChosenColumns[] = {
    {kListColSize, "Size", QT_TRANSLATE_NOOP("karvio::frmBrowse2", "&Size")},
    {kListColDate, "Date", QT_TRANSLATE_NOOP("karvio::frmBrowse2", "&Date")},
    {kListColAttr, "Attr", QT_TRANSLATE_NOOP("karvio::frmBrowse2", "A&ttr")},
    {kListColNotes, "Notes", QT_TRANSLATE_NOOP("karvio::frmBrowse2", "&Notes")},
    {kListColTaken, "Taken", QT_TRANSLATE_NOOP("karvio::frmBrowse2", "Ta&ken")},
    {kListColCamera, "Camera", QT_TRANSLATE_NOOP("karvio::frmBrowse2", "&Camera")},
    {kListColArtist, "Artist", QT_TRANSLATE_NOOP("karvio::frmBrowse2", "A&rtist")},
    {kListColAlbum, "Album", QT_TRANSLATE_NOOP("karvio::frmBrowse2", "Al&bum")},
    {kListColTitle, "Title", QT_TRANSLATE_NOOP("karvio::frmBrowse2", "T&itle")},
    {kListColDuration, "Duration", QT_TRANSLATE_NOOP("karvio::frmBrowse2", "D&uration")},
    {kListColDimensions, "Dimensions", QT_TRANSLATE_NOOP("karvio::frmBrowse2", "Di&mensions")},
};
// Separated by spaces: a comma would make a list of the value in the settings file.
const char* const kShownColumnsDefault = "Size Date Attr Notes";

// Large Icons show a picture's thumbnail in a square of this many pixels, and the items' icons
// at their own large size when no listed file has one.
constexpr int kLargeIconSide = 32;
constexpr int kThumbnailSide = 96;

bool IsContainer(int kind) {
    return kind == kIconCd || kind == kIconFolder;
}
bool IsItemKind(int kind) {
    return kind >= kIconCd && kind <= kIconFile;
}

// Waits with the busy cursor for the life of the object.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QString ModeName(ListViewMode mode) {
    switch (mode) {
        case ListViewMode::kLargeIcons:
            return QStringLiteral("LargeIcons");
        case ListViewMode::kSmallIcons:
            return QStringLiteral("SmallIcons");
        case ListViewMode::kList:
            return QStringLiteral("List");
        case ListViewMode::kDetails:
            break;
    }
    return QStringLiteral("Details");
}

}  // namespace

frmBrowse2::frmBrowse2(QWidget* parent)
    : QWidget(parent),
      tree_(new CategoryTreeModel(this)),
      list_(new ContentsListModel(this)),
      split_(new SplitPanel(this)),
      treeView_(new DeepTreeView),
      stack_(new QStackedWidget),
      iconView_(new QListView),
      detailsView_(new QTreeView) {
    setObjectName(QStringLiteral("frmBrowse2"));
    setWindowTitle(tr("Explorer"));
    setWindowIcon(ItemIcon(kIconRoot));

    treeView_->setObjectName(QStringLiteral("TreeView1"));
    treeView_->setAccessibleName(tr("Catalogue tree"));
    treeView_->setModel(tree_);
    treeView_->setHeaderHidden(true);
    treeView_->setUniformRowHeights(true);
    treeView_->setIndentation(TwipsToPixels(100) + 8);
    treeView_->setSelectionMode(QAbstractItemView::SingleSelection);
    treeView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    treeView_->setContextMenuPolicy(Qt::CustomContextMenu);

    detailsView_->setObjectName(QStringLiteral("ListView1"));
    detailsView_->setAccessibleName(tr("Contents"));
    detailsView_->setModel(list_);
    detailsView_->setRootIsDecorated(false);
    detailsView_->setItemsExpandable(false);
    detailsView_->setUniformRowHeights(true);
    detailsView_->setAllColumnsShowFocus(true);
    detailsView_->setSortingEnabled(false);
    detailsView_->header()->setSectionsClickable(true);
    detailsView_->header()->setSortIndicatorShown(false);  // until the first column click
    detailsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    detailsView_->setContextMenuPolicy(Qt::CustomContextMenu);
    for (int column = 0; column < kListColumnCount; ++column) {
        const int saved = GetSetting(QLatin1String(kSettingsSection),
                                     QStringLiteral("Column%1").arg(column), QString())
                              .toInt();
        detailsView_->setColumnWidth(column,
                                     saved > 0 ? saved : TwipsToPixels(kColumnWidthsTwips[column]));
    }
    detailsView_->setColumnHidden(kListColTreeNodeIndex, true);
    detailsView_->setColumnHidden(kListColDateSorting, true);
    const QStringList shown =
        GetSetting(QLatin1String(kSettingsSection), QStringLiteral("ShownColumns"),
                   QLatin1String(kShownColumnsDefault))
            .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const ChosenColumn& chosen : kChosenColumns)
        detailsView_->setColumnHidden(chosen.column,
                                      !shown.contains(QLatin1String(chosen.setting)));
    detailsView_->header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(detailsView_->header(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ShowColumnMenu(detailsView_->header()->mapToGlobal(at)); });

    iconView_->setObjectName(QStringLiteral("ListView1Icons"));
    iconView_->setAccessibleName(tr("Contents"));
    iconView_->setModel(list_);
    iconView_->setModelColumn(kListColName);
    iconView_->setUniformItemSizes(true);
    iconView_->setResizeMode(QListView::Adjust);
    iconView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    iconView_->setContextMenuPolicy(Qt::CustomContextMenu);
    // Both views select the same rows: switching modes keeps the selection.
    iconView_->setSelectionModel(detailsView_->selectionModel());

    stack_->addWidget(detailsView_);
    stack_->addWidget(iconView_);
    detailsHint_ = new EmptyHint(FirstDiscHintText(), detailsView_);
    iconHint_ = new EmptyHint(FirstDiscHintText(), iconView_);
    split_->setHorizontalSplit(false);
    split_->setControl1(treeView_);
    split_->setControl2(stack_);
    split_->setSplitPercent(35);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split_);

    for (QWidget* view : {static_cast<QWidget*>(treeView_), static_cast<QWidget*>(detailsView_),
                          static_cast<QWidget*>(iconView_)}) {
        view->installEventFilter(this);
    }

    connect(treeView_, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { OnTreeClicked(tree_->HandleOf(index)); });
    connect(treeView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                // Keyboard moves in the tree list the node as a click does.
                const NodeHandle node = tree_->HandleOf(current);
                if (node != kNoNode && node != listed_ && treeView_->hasFocus() && !selecting_)
                    OnTreeClicked(node);
            });
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(detailsView_),
                                    static_cast<QAbstractItemView*>(iconView_)}) {
        connect(view, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex& index) { OnListActivated(index.row()); });
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& at) { ShowListMenu(view, at); });
    }
    connect(detailsView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { OnListSelection(); });
    connect(detailsView_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        // Every click flips the order, whichever column is clicked.
        const Qt::SortOrder order = list_->IsSorted() && list_->SortOrder() == Qt::AscendingOrder
                                        ? Qt::DescendingOrder
                                        : Qt::AscendingOrder;
        list_->SortBy(column, order);
        detailsView_->header()->setSortIndicatorShown(true);
        detailsView_->header()->setSortIndicator(column, order);
    });
    connect(treeView_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ShowTreeMenu(at); });
    connect(treeView_, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { expanded_.insert(tree_->HandleOf(index)); });
    connect(treeView_, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { expanded_.erase(tree_->HandleOf(index)); });
    // A CD's directories could not be read: the catalogue's own message says why.
    connect(tree_, &CategoryTreeModel::directoriesUnreadable, this, [] { CatalogueOpens(); });

    SetUpEditing();

    CatalogueEvents& events = CatalogueEvents::Instance();
    connect(&events, &CatalogueEvents::catalogueReplaced, this,
            [this](const CatalogueRenumbering& ids) { Reload(ids); });
    connect(&events, &CatalogueEvents::cdRemoved, this, [this](int32_t cdId) { DropCd(cdId); });
    // Another program's change shows at once where the explorer is in view, else when it is
    // next activated (the watch has set RefreshExplorer).
    connect(&events, &CatalogueEvents::catalogueChangedElsewhere, this, [this] {
        if (isVisible()) Resync();
    });
    connect(&events, &CatalogueEvents::categoriesChanged, this, [this] {
        if (isVisible()) {
            Resync();
        } else {
            RefreshExplorer = true;
        }
    });

    const QString savedMode =
        GetSetting(QLatin1String(kSettingsSection), QStringLiteral("ListMode"), QString());
    for (ListViewMode mode : {ListViewMode::kLargeIcons, ListViewMode::kSmallIcons,
                              ListViewMode::kList, ListViewMode::kDetails}) {
        if (ModeName(mode) == savedMode) mode_ = mode;
    }
    SwitchListViewModes(mode_);
    RefillListCds(0, kNoNode);
}

frmBrowse2::~frmBrowse2() {
    SaveColumnWidths();
}

void frmBrowse2::SaveColumnWidths() const {
    for (int column = 0; column < kListColumnCount; ++column) {
        // A hidden column keeps the width it was last shown at.
        if (column == kListColTreeNodeIndex || column == kListColDateSorting ||
            detailsView_->isColumnHidden(column))
            continue;
        SaveSetting(QLatin1String(kSettingsSection), QStringLiteral("Column%1").arg(column),
                    QString::number(detailsView_->columnWidth(column)));
    }
}

QMenu* frmBrowse2::ColumnMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuColumns"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const ChosenColumn& chosen : kChosenColumns) {
        if (chosen.column == kListColFirstMedia) menu->addSeparator();
        QAction* action = menu->addAction(tr(chosen.caption));
        action->setObjectName(QStringLiteral("mnuColumn%1").arg(QLatin1String(chosen.setting)));
        action->setCheckable(true);
        action->setChecked(!detailsView_->isColumnHidden(chosen.column));
        const int column = chosen.column;
        connect(action, &QAction::toggled, this,
                [this, column](bool on) { ShowColumn(column, on); });
    }
    return menu;
}

void frmBrowse2::ShowColumnMenu(const QPoint& at) {
    ColumnMenu()->popup(at);
}

void frmBrowse2::ShowColumn(int column, bool shown) {
    if (column <= kListColName || column >= kListColumnCount || column == kListColTreeNodeIndex ||
        column == kListColDateSorting)
        return;
    if (!shown) SaveColumnWidths();
    detailsView_->setColumnHidden(column, !shown);
    if (shown && detailsView_->columnWidth(column) <= 0) {
        const int saved = GetSetting(QLatin1String(kSettingsSection),
                                     QStringLiteral("Column%1").arg(column), QString())
                              .toInt();
        detailsView_->setColumnWidth(column,
                                     saved > 0 ? saved : TwipsToPixels(kColumnWidthsTwips[column]));
    }
    QStringList names;
    for (const ChosenColumn& chosen : kChosenColumns) {
        if (!detailsView_->isColumnHidden(chosen.column)) names << QLatin1String(chosen.setting);
    }
    SaveSetting(QLatin1String(kSettingsSection), QStringLiteral("ShownColumns"),
                names.join(QLatin1Char(' ')));
}

void frmBrowse2::ApplyLargeIcons() {
    const bool large = mode_ == ListViewMode::kLargeIcons;
    const bool thumbnails = large && list_->HasThumbnails();
    list_->SetThumbnailSide(thumbnails ? kThumbnailSide : 0);
    if (!large) return;
    const int side = thumbnails ? kThumbnailSide : kLargeIconSide;
    if (iconView_->iconSize() == QSize(side, side) && iconView_->gridSize().isValid()) return;
    iconView_->setIconSize(QSize(side, side));
    iconView_->setGridSize(QSize(std::max(fontMetrics().averageCharWidth() * 14, side + 16),
                                 side + 2 * fontMetrics().height() + 8));
}

QAbstractItemView* frmBrowse2::ListView1() const {
    if (mode_ == ListViewMode::kDetails) return detailsView_;
    return iconView_;
}

NodeHandle frmBrowse2::SelectedNode() const {
    const NodeHandle node = tree_->HandleOf(treeView_->currentIndex());
    return node == kNoNode ? kRootNode : node;
}

int frmBrowse2::SelectedListRow() const {
    const QModelIndex current = detailsView_->selectionModel()->currentIndex();
    if (current.isValid() && detailsView_->selectionModel()->isRowSelected(current.row(), {}))
        return current.row();
    const QModelIndexList rows = detailsView_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void frmBrowse2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    SetMenuState(kModeCdShown);
    if (RefreshExplorer) Resync();
}

void frmBrowse2::SwitchListViewModes(ListViewMode mode) {
    mode_ = mode;
    switch (mode) {
        case ListViewMode::kLargeIcons:
            iconView_->setViewMode(QListView::IconMode);
            iconView_->setFlow(QListView::LeftToRight);
            iconView_->setWrapping(true);
            iconView_->setGridSize(QSize());
            iconView_->setWordWrap(true);
            break;
        case ListViewMode::kSmallIcons:
            iconView_->setViewMode(QListView::ListMode);
            iconView_->setIconSize(QSize(16, 16));
            iconView_->setFlow(QListView::LeftToRight);
            iconView_->setWrapping(true);
            iconView_->setGridSize(
                QSize(fontMetrics().averageCharWidth() * 24, fontMetrics().height() + 6));
            iconView_->setWordWrap(false);
            break;
        case ListViewMode::kList:
            iconView_->setViewMode(QListView::ListMode);
            iconView_->setIconSize(QSize(16, 16));
            iconView_->setFlow(QListView::TopToBottom);
            iconView_->setWrapping(true);
            iconView_->setGridSize(QSize());
            iconView_->setWordWrap(false);
            break;
        case ListViewMode::kDetails:
            break;
    }
    ApplyLargeIcons();
    const bool hadFocus = stack_->currentWidget() && stack_->currentWidget()->hasFocus();
    stack_->setCurrentWidget(mode == ListViewMode::kDetails ? static_cast<QWidget*>(detailsView_)
                                                            : static_cast<QWidget*>(iconView_));
    if (hadFocus) stack_->currentWidget()->setFocus();
    SaveSetting(QLatin1String(kSettingsSection), QStringLiteral("ListMode"), ModeName(mode));
}

void frmBrowse2::RefillListCds(int32_t cdId, NodeHandle select) {
    if (!CatalogueOpens()) {
        // Nothing of a catalogue that cannot be read is shown; the next activation tries again.
        tree_->Clear();
        list_->Clear();
        listed_ = kNoNode;
        return;
    }
    WaitCursor wait;
    // The rebuilt tree's handles start again from the root: none of the old ones is expanded.
    expanded_.clear();
    BuildCategoryTree(*tree_, false);
    AddCdNodes(*tree_);
    NodeHandle target = kNoNode;
    if (cdId > 0) target = tree_->CdNode(cdId);
    if (target == kNoNode && select != kNoNode && tree_->IsLive(select)) target = select;
    if (target == kNoNode) target = kRootNode;
    treeView_->expand(tree_->IndexOf(kRootNode));
    SelectNode(target);
    FillList(target);
    RefreshExplorer = false;
}

void frmBrowse2::RefillListCds() {
    const ExplorerPlace place = CapturePlace();
    RefillListCds(0, kNoNode);
    RestorePlace(place);
}

// Ids held before are void: the place is found again by the names of CDs and categories.
void frmBrowse2::ReloadCatalogue() {
    Reload({});
}

void frmBrowse2::Reload(const CatalogueRenumbering& given) {
    ExplorerPlace place = CapturePlace();
    const CatalogueRenumbering ids = given.Empty() ? RenumberingByNames(*tree_) : given;
    RenumberPlace(place.selected, ids, true);
    for (TreePlace& expanded : place.expanded) RenumberPlace(expanded, ids, true);
    RefillListCds(0, kNoNode);
    RestorePlace(place);
}

ExplorerPlace frmBrowse2::CapturePlace() const {
    // A place still being found (its CD's folders are read) is the place, while the user has
    // not gone elsewhere.
    if (awaitedPlace_ && SelectedNode() == awaitedCd_ && tree_->DirectoriesLoading(awaitedCd_))
        return *awaitedPlace_;
    ExplorerPlace place;
    place.selected = PlaceOf(*tree_, SelectedNode());
    for (NodeHandle node : expanded_) {
        if (tree_->IsLive(node)) place.expanded.push_back(PlaceOf(*tree_, node));
    }
    ListSpot spot = CurrentListSpot();
    place.rowKind = spot.kind;
    place.rowName = std::move(spot.name);
    place.listScroll = spot.scroll;
    place.treeScroll = treeView_->verticalScrollBar()->value();
    place.treeScrollX = treeView_->horizontalScrollBar()->value();
    return place;
}

void frmBrowse2::RestorePlace(const ExplorerPlace& place) {
    for (const TreePlace& expanded : place.expanded) {
        const NodeHandle node = FindPlace(*tree_, expanded, false);
        if (node != kNoNode) {
            treeView_->expand(tree_->IndexOf(node));
        } else if (const NodeHandle cd = UnreadCdOf(*tree_, expanded); cd != kNoNode) {
            tree_->LoadDirectories(cd, [this, expanded] {
                const NodeHandle found = FindPlace(*tree_, expanded, false);
                if (found != kNoNode) treeView_->expand(tree_->IndexOf(found));
            });
        }
    }
    const NodeHandle target = FindPlace(*tree_, place.selected, true);
    if (const NodeHandle cd = UnreadCdOf(*tree_, place.selected); cd != kNoNode) {
        // The CD's node stands in until its directories are read; then the place is its folder,
        // unless the user has gone elsewhere meanwhile. Asked before the CD is listed, so the
        // folder is listed instead of the CD's own contents.
        awaitedPlace_ = place;
        awaitedCd_ = cd;
        tree_->LoadDirectories(cd, [this, cd, place] {
            if (awaitedCd_ == cd) awaitedPlace_.reset();
            if (SelectedNode() != cd) return;
            const NodeHandle found = FindPlace(*tree_, place.selected, true);
            SelectNode(found);
            FillList(found);
            treeView_->scrollTo(tree_->IndexOf(found));
            SelectListRow(place.rowKind, place.rowName, place.listScroll);
        });
    }
    SelectNode(target);
    FillList(target);
    treeView_->verticalScrollBar()->setValue(place.treeScroll);
    treeView_->horizontalScrollBar()->setValue(place.treeScrollX);
    treeView_->scrollTo(tree_->IndexOf(target));
    SelectListRow(place.rowKind, place.rowName, place.listScroll);
}

void frmBrowse2::SelectListRow(int kind, std::string_view name, int scroll) {
    ListView1()->verticalScrollBar()->setValue(scroll);
    if (kind == 0) return;
    for (int row = 0; row < list_->rowCount(); ++row) {
        if (list_->Row(row).kind != kind || list_->NameBytes(row) != name) continue;
        const QModelIndex index = list_->index(row, 0);
        detailsView_->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        ListView1()->scrollTo(index);
        return;
    }
}

void frmBrowse2::Resync() {
    // The selection and its nodes above: the first of them still there is selected again.
    std::vector<NodeHandle> chain;
    for (NodeHandle node = SelectedNode(); node != kNoNode; node = tree_->Parent(node))
        chain.push_back(node);
    const ListSpot spot = CurrentListSpot();
    {
        WaitCursor wait;
        if (!SyncCatalogueTree(*tree_)) {
            RefillListCds(0, kNoNode);  // tells why the catalogue cannot be read
            return;
        }
    }
    NodeHandle target = kRootNode;
    for (NodeHandle node : chain) {
        if (tree_->IsLive(node)) {
            target = node;
            break;
        }
    }
    SelectNode(target);
    FillList(target);
    SelectListRow(spot.kind, spot.name, spot.scroll);
    RefreshExplorer = false;
}

NodeHandle frmBrowse2::AddCdToTree(int32_t cdId) {
    // Categories may have changed with the scan's dialogs: the tree is brought in step first.
    Resync();
    const NodeHandle node = tree_->CdNode(cdId);
    if (node == kNoNode) return node;
    SelectNode(node);
    OpenCdNode(node);
    FillList(node);
    return node;
}

void frmBrowse2::SelectNode(NodeHandle node) {
    // The caller lists the node itself: selecting it here does not act as a click.
    const QModelIndex index = tree_->IndexOf(node);
    selecting_ = true;
    treeView_->setCurrentIndex(index);
    selecting_ = false;
    treeView_->scrollTo(index);
}

void frmBrowse2::OpenCdNode(NodeHandle node) {
    // Expanded once its directories are read (at once when they are), when it has any.
    tree_->LoadDirectories(node, [this, node] {
        if (tree_->ChildCount(node) > 0) treeView_->expand(tree_->IndexOf(node));
    });
}

frmBrowse2::ListSpot frmBrowse2::CurrentListSpot() const {
    ListSpot spot;
    if (const int row = SelectedListRow(); row >= 0) {
        spot.kind = list_->Row(row).kind;
        spot.name = std::string(list_->NameBytes(row));
    }
    spot.scroll = ListView1()->verticalScrollBar()->value();
    return spot;
}

void frmBrowse2::ListAgain() {
    const ListSpot spot = CurrentListSpot();
    FillList(listed_);
    SelectListRow(spot.kind, spot.name, spot.scroll);
}

void frmBrowse2::OnTreeClicked(NodeHandle node) {
    if (node == kNoNode) return;
    const int kind = tree_->Kind(node);
    if (IsContainer(kind)) OpenCdNode(node);
    FillList(node);
    EnableItemCommands(IsItemKind(kind));
}

void frmBrowse2::FillList(NodeHandle node) {
    WaitCursor wait;
    list_->Clear();
    listed_ = node;
    archive_ = ShownArchive{};
    if (node == kNoNode || !tree_->IsLive(node)) {
        detailsHint_->hide();
        iconHint_->hide();
        return;
    }

    const int kind = tree_->Kind(node);
    // A CD lists its top-level directories too: when they are not read yet, its files are
    // listed now and the list again once they are (unless it shows something else by then).
    if (IsContainer(kind) && !tree_->DirectoriesLoaded(node)) {
        tree_->LoadDirectories(node, [this, node] {
            if (listed_ == node && archive_.fileId == 0) ListAgain();
        });
    }
    classData data;
    for (NodeHandle child : tree_->Children(node)) {
        const int childKind = tree_->Kind(child);
        const int32_t tag = tree_->Tag(child);
        if (IsContainer(childKind)) {
            classCd& cd = data.GetCdGoto(tag);
            list_->Stage(childKind, tag, child, tree_->CaptionBytes(child), cd.GetCdtotalSize(),
                         cd.GetCdLastScanned(), 0, cd.GetCdNotes());
        } else if (childKind == kIconDirectory && tag > 0) {
            classDir& dir = data.GetCdGoto(0).GetDirGoto(tag);
            list_->Stage(childKind, tag, child, tree_->CaptionBytes(child), dir.GetDirSize(),
                         dir.GetDirDate(), dir.GetDirAttr(), dir.GetDirNotes());
        } else if (childKind >= kIconCategory) {
            list_->Stage(childKind, tag, child, tree_->CaptionBytes(child), 0, 0, 0,
                         data.GetCatGoto(tag).GetCatNotes());
        } else {
            list_->Stage(childKind, tag, child, tree_->CaptionBytes(child), 0, 0, 0, {});
        }
    }
    list_->Flush();

    // The directory whose files the list shows: the node's own, or a CD's top directory.
    int32_t dirId = 0;
    if (kind == kIconDirectory) {
        dirId = tree_->Tag(node);
    } else if (IsContainer(kind)) {
        classDir& top = data.GetCdGoto(tree_->Tag(node)).GetDirFirst();
        if (!data.GetCdGoto(tree_->Tag(node)).GetDirEof() && top.GetDirName().empty())
            dirId = top.GetDirId();
    }
    if (dirId > 0) {
        const int32_t cdId = CdIdFromKey(tree_->Key(node));
        if (cdId > 0) data.GetCdGoto(cdId);
        classDir& dir = data.GetCdGoto(0).GetDirGoto(dirId);
        // One flush for all the files: the fill does not yield, so smaller batches would show
        // nothing sooner, and a list kept sorted would be sorted again for every batch.
        std::vector<FileInfo> files;
        for (ClassFile* file = &dir.GetFileFirst(); !dir.GetFileEof(); file = &dir.GetFileNext()) {
            list_->Stage(kIconFile, file->GetFileId(), -1, file->GetFileName(), file->GetFileSize(),
                         file->GetFileDate(), file->getFileAttr(), file->GetFileNotes());
            FileInfo info;
            info.FileId = file->GetFileId();
            info.FileName = file->GetFileName();
            info.FileSize = file->GetFileSize();
            info.FileDate = file->GetFileDate();
            files.push_back(std::move(info));
        }
        // Shown in the natural order of their names, as the tree's nodes are.
        if (!list_->IsSorted()) list_->SortStagedByName();
        // Before the rows are shown: a list kept sorted by a media column sorts by the details.
        list_->OpenDetails(data, cdId);
        list_->Flush();
        // Archives whose members a scan listed open like folders.
        if (cdId > 0) list_->MarkArchives(ArchivesAmong(data, cdId, files));
    }
    ApplyLargeIcons();
    if (frmMenu* menu = frmMenu::Instance()) menu->ProgressEnd();
    // An empty list in a catalogue without discs tells how to add the first one.
    const bool noDisc = list_->rowCount() == 0 && tree_->CdCount() == 0;
    detailsHint_->setVisible(noDisc);
    iconHint_->setVisible(noDisc);
    ShowLocation();
}

std::string frmBrowse2::FullNameOf(NodeHandle node) const {
    // The captions below the CD joined as catalogue paths are: the node's key below its CD's.
    std::vector<std::string_view> names;
    for (NodeHandle n = node; tree_->Kind(n) == kIconDirectory; n = tree_->Parent(n))
        names.push_back(tree_->CaptionBytes(n));
    std::string fullName;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!fullName.empty()) fullName += '\\';
        fullName += *it;
    }
    return fullName;
}

void frmBrowse2::ShowLocation() {
    // Only the view in use speaks in the status bar.
    frmMenu* menu = frmMenu::Instance();
    if (!menu || menu->CurrentCatalogueView() != this) return;
    ItemLocation location;
    const int row = listHasFocus_ ? SelectedListRow() : -1;
    NodeHandle node = SelectedNode();
    if (row >= 0 && list_->Row(row).kind == kIconFile) {
        const std::string dir = FullNameOf(listed_);
        const std::string name(list_->NameBytes(row));
        location =
            LocateInCd(CdIdFromKey(tree_->Key(listed_)), dir.empty() ? name : dir + '\\' + name);
    } else {
        if (row >= 0 && list_->Row(row).node > 0)
            node = static_cast<NodeHandle>(list_->Row(row).node);
        const int kind = tree_->Kind(node);
        if (IsContainer(kind) || kind == kIconDirectory)
            location = LocateInCd(CdIdFromKey(tree_->Key(node)), FullNameOf(node));
    }
    menu->ShowItemLocation(location);
}

void frmBrowse2::EnableItemCommands(bool enabled) {
    frmMenu* menu = frmMenu::Instance();
    if (!menu) return;
    if (QAction* edit = menu->Item(QStringLiteral("mnuCdEdit"))) edit->setEnabled(enabled);
    if (QAction* button = menu->ToolbarButton(2)) button->setEnabled(enabled);
    if (QAction* button = menu->ToolbarButton(6)) button->setEnabled(enabled);
}

void frmBrowse2::OnListSelection() {
    const int row = SelectedListRow();
    EnableItemCommands(row >= 0 && IsItemKind(list_->Row(row).kind));
    ShowLocation();
}

void frmBrowse2::OpenArchive(int32_t fileId, const std::string& folder) {
    WaitCursor wait;
    if (archive_.fileId != fileId) {
        const FileInfo file = GetFileInfoById(fileId);
        archive_ = ShownArchive{fileId, file.FileName, {}, ArchiveMembersOf(file)};
    }
    archive_.folder = folder;
    list_->Clear();
    for (const ArchiveRow& row : ArchiveFolderRows(archive_.members, folder)) {
        list_->Stage(row.isFolder ? kIconArchiveFolder : kIconArchiveMember, fileId, -1, row.name,
                     row.size, row.date, 0, {});
    }
    list_->Flush();
    ApplyLargeIcons();
    EnableItemCommands(false);
}

void frmBrowse2::OnListActivated(int row) {
    if (row < 0 || row >= list_->rowCount()) return;
    const ListRow item = list_->Row(row);
    if (item.kind == kIconArchiveFolder) {
        const std::string name = list_->Name(row).toStdString();
        OpenArchive(item.tag, archive_.folder.empty() ? name : archive_.folder + "/" + name);
        return;
    }
    if (item.kind == kIconArchiveMember) return;  // a member has no file of its own to open
    if (item.kind == kIconFile && item.archive) {
        OpenArchive(item.tag, {});
        return;
    }
    if (item.kind == kIconFile) {
        LaunchFile(item.tag);
        return;
    }
    const NodeHandle node = static_cast<NodeHandle>(item.node);
    if (!tree_->IsLive(node)) return;
    SelectNode(node);
    if (IsContainer(item.kind)) OpenCdNode(node);
    FillList(node);
}

void frmBrowse2::ListBackspace() {
    // Inside an archive Backspace climbs its folders, then leaves it for its directory.
    if (archive_.fileId != 0) {
        if (!archive_.folder.empty()) {
            const size_t slash = archive_.folder.rfind('/');
            OpenArchive(archive_.fileId, slash == std::string::npos
                                             ? std::string()
                                             : archive_.folder.substr(0, slash));
            return;
        }
        const int32_t fileId = archive_.fileId;
        FillList(listed_);
        for (int row = 0; row < list_->rowCount(); ++row) {
            if (list_->Row(row).kind == kIconFile && list_->Row(row).tag == fileId) {
                ListView1()->setCurrentIndex(list_->index(row, kListColName));
                break;
            }
        }
        return;
    }
    const NodeHandle node = SelectedNode();
    if (tree_->Tag(node) <= 0 && tree_->Kind(node) != kIconDirectory) return;
    const NodeHandle parent = tree_->Parent(node);
    if (parent == kNoNode) return;
    SelectNode(parent);
    FillList(parent);
}

bool frmBrowse2::eventFilter(QObject* watched, QEvent* event) {
    const bool isList = watched == detailsView_ || watched == iconView_;
    if (event->type() == QEvent::FocusIn) {
        if (watched == treeView_ && listHasFocus_) {
            listHasFocus_ = false;
            ShowLocation();
        }
        if (isList) {
            listHasFocus_ = true;
            // Coming in by keyboard, the list marks its first row current but selects nothing,
            // and a one-row list then has no key that selects it: select the current row, so
            // the commands of the CD menu and the context menu act on what the focus shows.
            QItemSelectionModel* selection = detailsView_->selectionModel();
            if (list_->rowCount() > 0 && !selection->hasSelection()) {
                const QModelIndex current = selection->currentIndex().isValid()
                                                ? selection->currentIndex()
                                                : list_->index(0, 0);
                selection->setCurrentIndex(
                    current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            }
            ShowLocation();
        }
    }
    // Keys the caption editor leaves (Enter ends the edit) reach its view too: they must not
    // also open, rename or remove the item.
    if (event->type() == QEvent::KeyPress && editing_) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress &&
        EditingKey(watched, static_cast<QKeyEvent*>(event)->key())) {
        return true;
    }
    if (isList && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            OnListActivated(SelectedListRow());
            return true;
        }
        if (key->key() == Qt::Key_Backspace) {
            ListBackspace();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmBrowse2::StartFocus() {
    if (listHasFocus_) {
        ListView1()->setFocus();
        const int row = SelectedListRow();
        EnableItemCommands(row >= 0 && IsItemKind(list_->Row(row).kind));
    } else {
        treeView_->setFocus();
        EnableItemCommands(IsItemKind(tree_->Kind(SelectedNode())));
    }
}

int32_t frmBrowse2::SelectedCdId() const {
    if (listHasFocus_) {
        const int row = SelectedListRow();
        if (row >= 0 && IsContainer(list_->Row(row).kind)) return list_->Row(row).tag;
    }
    return CdIdFromKey(tree_->Key(SelectedNode()));
}

void frmBrowse2::MainMenu_CdAdd() {
    // The category the new CD is proposed for: the list's category row, else where the tree's
    // selection is filed.
    int32_t category = 0;
    const int row = listHasFocus_ ? SelectedListRow() : -1;
    if (row >= 0 && list_->Row(row).kind >= kIconCategory) {
        category = list_->Row(row).tag;
    } else {
        const NodeHandle node = SelectedNode();
        const int kind = tree_->Kind(node);
        if (kind >= kIconCategory) {
            category = tree_->Tag(node);
        } else if (IsContainer(kind) || kind == kIconDirectory) {
            const int32_t cdId = CdIdFromKey(tree_->Key(node));
            if (cdId > 0) {
                classData data;
                if (data.GetError() == kErrorNone) category = data.GetCdGoto(cdId).GetCdCategory();
            }
        }
    }
    const int32_t cdId = AddCd(category, this);
    if (cdId <= 0) return;
    AddCdToTree(cdId);
    RefreshCdView = true;
}

void frmBrowse2::MainMenu_CdEdit() {
    // Always the tree's CD, whichever control has the focus.
    const NodeHandle node = SelectedNode();
    if (!IsContainer(tree_->Kind(node))) {
        ShowMessage(
            QT_TRANSLATE_NOOP("Messages", "You can only edit a cd or a folder from this option"),
            vbOKOnly);
        return;
    }
    const int32_t cdId = tree_->Tag(node);
    if (cdId <= 0) return;
    if (EditCdDetails(
            HeldRecord::Named(RecordKind::Cd, cdId, std::string(tree_->CaptionBytes(node))),
            this) == 0)
        return;
    // The CD keeps its node (moved to its category, its new name in its sorted place).
    Resync();
    RefreshCdView = true;
}

void frmBrowse2::MainMenu_CdDelete() {
    if (listHasFocus_) {
        ListDelete();
    } else {
        TreeDelete();
    }
}

void frmBrowse2::MainMenu_CdRescan() {
    int kind = 0;
    int32_t cdId = 0;
    std::string name;
    if (listHasFocus_) {
        const int row = SelectedListRow();
        if (row >= 0) {
            const ListRow& item = list_->Row(row);
            kind = item.kind;
            if (IsContainer(kind)) cdId = item.tag;
            name = list_->Name(row).toStdString();
            const auto node = static_cast<NodeHandle>(item.node);
            if (item.node > 0 && tree_->IsLive(node)) SelectNode(node);
        }
    } else {
        const NodeHandle node = SelectedNode();
        kind = tree_->Kind(node);
        cdId = tree_->Tag(node);
        name = std::string(tree_->CaptionBytes(node));
    }
    if (!IsContainer(kind)) {
        ShowMessage(
            QT_TRANSLATE_NOOP("Messages", "You can only rescan a cd or a folder from this option"),
            vbOKOnly);
        return;
    }
    if (cdId <= 0) return;
    // The new CD stands where the old one stood: its directories are expanded and selected as
    // the old one's were.
    ExplorerPlace place = CapturePlace();
    const int32_t newId = RescanCd(HeldRecord::Named(RecordKind::Cd, cdId, name), this);
    if (newId <= 0) return;
    CatalogueRenumbering ids;
    ids.cds[cdId] = newId;
    RenumberPlace(place.selected, ids, false);
    for (TreePlace& expanded : place.expanded) RenumberPlace(expanded, ids, false);
    Resync();
    RestorePlace(place);
    RefreshCdView = true;
}

void frmBrowse2::DropCd(int32_t cdId) {
    const NodeHandle node = tree_->CdNode(cdId);
    if (node == kNoNode) return;
    const NodeHandle parent = tree_->Parent(node);
    const bool listedInside = listed_ != kNoNode && CdIdFromKey(tree_->Key(listed_)) == cdId;
    const bool listedParent = listed_ == parent;
    tree_->RemoveNode(node);
    if (listedInside || listedParent) {
        SelectNode(parent);
        FillList(parent);
    }
}

void frmBrowse2::ShowProperties(int kind, int32_t id, const std::string& caption) {
    if (!IsItemKind(kind) || id <= 0) return;
    if (!frmProperties::ShowProperties(kind, id, this, caption)) return;
    if (IsContainer(kind)) RefreshCdView = true;
    FillList(listed_);
}

void frmBrowse2::PropertiesMainMenu() {
    if (listHasFocus_) {
        popMenuListProperties();
    } else {
        popMenuTreeProperties();
    }
}

void frmBrowse2::popMenuTreeProperties() {
    const NodeHandle node = SelectedNode();
    const int kind = tree_->Kind(node);
    if (kind >= kIconCategory) {
        ShowCategoryProperties(node);
        return;
    }
    ShowProperties(kind, tree_->Tag(node), std::string(tree_->CaptionBytes(node)));
}

void frmBrowse2::popMenuListProperties() {
    const int row = SelectedListRow();
    if (row < 0) return;
    const ListRow item = list_->Row(row);
    // Inside an archive the properties are the archive's.
    if (item.kind == kIconArchiveFolder || item.kind == kIconArchiveMember) {
        ShowProperties(kIconFile, item.tag, archive_.name);
        return;
    }
    if (item.kind >= kIconCategory) {
        const auto node = static_cast<NodeHandle>(item.node);
        if (item.node > 0 && tree_->IsLive(node)) ShowCategoryProperties(node);
        return;
    }
    ShowProperties(item.kind, item.tag, list_->Name(row).toStdString());
}

void frmBrowse2::ShowCategoryProperties(NodeHandle node) {
    const int16_t icon = frmCategoryProperties::EditCategory(
        tree_->Tag(node), static_cast<int16_t>(tree_->Kind(node)), this,
        std::string(tree_->CaptionBytes(node)));
    if (icon < 1 || !tree_->IsLive(node)) return;
    tree_->SetKind(node, icon < kIconCategory ? kIconCategory : icon);
    // The list shows the category's notes and picture when it is one of its rows.
    if (listed_ == tree_->Parent(node)) FillList(listed_);
}

void frmBrowse2::popMenuListLaunch() {
    const int row = SelectedListRow();
    if (row >= 0 && list_->Row(row).kind == kIconFile) LaunchFile(list_->Row(row).tag);
}

NodeHandle frmBrowse2::ContainerOf(NodeHandle node) const {
    while (node != kNoNode && !IsContainer(tree_->Kind(node))) node = tree_->Parent(node);
    return node;
}

void frmBrowse2::PreparePreview(std::function<void()> then) {
    // The report is made from the selected CD's folders: unread, they are read on a worker first.
    const NodeHandle cdNode = ContainerOf(SelectedNode());
    if (cdNode == kNoNode || tree_->DirectoriesLoaded(cdNode)) {
        then();
        return;
    }
    tree_->LoadDirectories(cdNode, std::move(then));
}

std::optional<PreviewSource> frmBrowse2::PreviewStart() {
    const NodeHandle node = SelectedNode();
    const int kind = tree_->Kind(node);
    if (!IsContainer(kind) && kind != kIconDirectory) {
        ShowMessage(
            QT_TRANSLATE_NOOP("Messages", "Only CDs, Folders or Subdirectories can be previewed"),
            vbOKOnly);
        return std::nullopt;
    }
    const NodeHandle cdNode = ContainerOf(node);
    if (cdNode == kNoNode) return std::nullopt;
    // The report is made from the CD's directories now: they are read here if they are not yet
    // (PreparePreview has them read on a worker first; the selection may have moved since).
    if (!tree_->DirectoriesLoaded(cdNode)) LoadCdDirectories(*tree_, cdNode, tree_->Tag(cdNode));
    OpenCdNode(cdNode);

    // The report follows the tree the user sees: the CD's node and its directories in order.
    PreviewSource source;
    int selected = -1;
    std::vector<std::pair<NodeHandle, int>> stack{{cdNode, -1}};
    while (!stack.empty()) {
        const auto [handle, parent] = stack.back();
        stack.pop_back();
        const int k = tree_->Kind(handle);
        const ReportNodeKind reportKind = ReportNodeKindFromImage(k);
        // The folders above a scanned folder hold no record: their folders hang higher up.
        const bool recordless = k == kIconDirectory && tree_->Tag(handle) <= 0;
        const int added = recordless ? parent
                                     : source.tree.Add(parent, reportKind, tree_->Tag(handle),
                                                       std::string(tree_->CaptionBytes(handle)));
        if (handle == node && k == kIconDirectory && !recordless) selected = added;
        const auto& children = tree_->Children(handle);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back({*it, added});
    }
    source.cdNode = 0;
    source.selectedNode = selected;
    return source;
}

void frmBrowse2::RevealRecord(const RecordRef& record) {
    if (record.cdId <= 0) return;
    NodeHandle node = tree_->CdNode(record.cdId);
    if (node == kNoNode) {
        RefillListCds(record.cdId, kNoNode);
        node = tree_->CdNode(record.cdId);
        if (node == kNoNode) return;
    }
    if ((record.kind == kIconDirectory || record.kind == kIconFile) &&
        !tree_->DirectoriesLoaded(node)) {
        // The CD is shown until its directories are read; then the record, unless the user has
        // gone elsewhere meanwhile. Asked before the CD is listed, so it is not listed twice.
        tree_->LoadDirectories(node, [this, node, record] {
            if (SelectedNode() == node) RevealRecord(record);
        });
        SelectNode(node);
        FillList(node);
        return;
    }
    OpenCdNode(node);
    NodeHandle target = node;
    int32_t rowTag = 0;
    int rowKind = 0;
    if (record.kind == kIconDirectory || record.kind == kIconFile) {
        // The directory node: the one tagged with the directory, found below the CD's node.
        const int32_t dirId = record.dirId;
        std::vector<NodeHandle> stack{node};
        NodeHandle found = kNoNode;
        while (!stack.empty() && found == kNoNode) {
            const NodeHandle h = stack.back();
            stack.pop_back();
            if (h != node && tree_->Kind(h) == kIconDirectory && tree_->Tag(h) == dirId) found = h;
            for (NodeHandle c : tree_->Children(h)) stack.push_back(c);
        }
        if (record.kind == kIconDirectory && found != kNoNode) {
            // Show the directory as a row of its parent's list.
            target = tree_->Parent(found);
            rowTag = dirId;
            rowKind = kIconDirectory;
        } else {
            if (found != kNoNode) target = found;
            rowTag = record.fileId;
            rowKind = kIconFile;
        }
    }
    SelectNode(target);
    FillList(target);
    for (int row = 0; row < list_->rowCount(); ++row) {
        if (rowTag != 0 && list_->Row(row).tag == rowTag && list_->Row(row).kind == rowKind) {
            const QModelIndex index = list_->index(row, 0);
            detailsView_->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            ListView1()->scrollTo(index);
            ListView1()->setFocus();
            break;
        }
    }
}

// ---- Editing: captions, new categories, removal, drag and drop ------------------------------

namespace {

bool IsCategory(int kind) {
    return kind >= kIconCategory;
}

// Which items of the explorer's two pop-up menus a kind shows.
struct MenuItems {
    bool launch = false, addCd = false, separator = false, addCategory = false, remove = false,
         rename = false, properties = true;
};

MenuItems MenuItemsFor(int kind) {
    MenuItems items;
    if (kind == kIconRoot || IsCategory(kind)) {
        items.addCd = items.separator = items.addCategory = true;
        items.remove = items.rename = IsCategory(kind);
    } else if (IsContainer(kind)) {
        items.remove = items.rename = true;
    } else if (kind == kIconFile) {
        items.launch = items.separator = true;
    } else if (kind != kIconDirectory) {
        items.properties = false;  // nothing selected
    }
    return items;
}

// Shows or hides a pop-up menu's items as `items` says; `names` are its items in the order
// launch, add CD or folder, first separator, add category, remove, rename, properties.
void ShowMenuItems(frmMenu* menu, const std::array<const char*, 7>& names, const MenuItems& items) {
    const bool visible[] = {items.launch, items.addCd,  items.separator, items.addCategory,
                            items.remove, items.rename, items.properties};
    for (size_t i = 0; i < names.size(); ++i) {
        if (QAction* item = menu->Item(QLatin1String(names[i]))) item->setVisible(visible[i]);
    }
}

}  // namespace

void frmBrowse2::SetUpEditing() {
    // Drags start on the views themselves; drops land on an item, never between two, and are
    // stored by the explorer, so the views only copy (never remove a dragged row themselves).
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(treeView_), static_cast<QAbstractItemView*>(detailsView_),
          static_cast<QAbstractItemView*>(iconView_)}) {
        view->setDragEnabled(true);
        view->setAcceptDrops(true);
        view->setDropIndicatorShown(true);
        view->setDragDropMode(QAbstractItemView::DragDrop);
        view->setDragDropOverwriteMode(true);
        view->setDefaultDropAction(Qt::CopyAction);
    }
    // The icon modes would otherwise move the icons about instead of dropping on them.
    iconView_->setMovement(QListView::Static);
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(treeView_), static_cast<QAbstractItemView*>(detailsView_),
          static_cast<QAbstractItemView*>(iconView_)}) {
        connect(view->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
                [this] { editing_ = false; });
    }

    // Refusals and drops are handled once the view's own mouse or drop event is over, so a
    // message never opens in the middle of a drag.
    connect(tree_, &CategoryTreeModel::captionEdited, this, &frmBrowse2::OnTreeCaptionEdited);
    connect(list_, &ContentsListModel::nameEdited, this, &frmBrowse2::OnListNameEdited);
    auto refuseDrag = [] {
        ShowMessage(
            QT_TRANSLATE_NOOP(
                "Messages",
                "Drag && Drop is only avaiable for the containers, and not the individual files "
                "or directories"),
            vbOKOnly);
    };
    connect(tree_, &CategoryTreeModel::dragRefused, this, refuseDrag, Qt::QueuedConnection);
    connect(list_, &ContentsListModel::dragRefused, this, refuseDrag, Qt::QueuedConnection);
    connect(
        tree_, &CategoryTreeModel::itemDropped, this,
        [this](NodeHandle source, int32_t kind, int32_t tag, NodeHandle target) {
            DropOnNode(source, kind, tag, target, false);
        },
        Qt::QueuedConnection);
    connect(
        list_, &ContentsListModel::itemDropped, this,
        [this](uint32_t source, int32_t kind, int32_t tag, int row) {
            DropOnListRow(source, kind, tag, row);
        },
        Qt::QueuedConnection);
}

bool frmBrowse2::EditingKey(QObject* watched, int key) {
    if (watched == treeView_) {
        switch (key) {
            case Qt::Key_Delete:
                popMenuTreeDelete();
                return true;
            case Qt::Key_Insert: {
                const int kind = tree_->Kind(SelectedNode());
                if (kind == kIconRoot || IsCategory(kind)) CategoryAdd();
                return true;
            }
            case Qt::Key_F2:
                popMenuTreeRename();
                return true;
            case Qt::Key_F10:
                popMenuTreeProperties();
                return true;
            default:
                return false;
        }
    }
    if (watched == detailsView_ || watched == iconView_) {
        switch (key) {
            case Qt::Key_Delete:
                popMenuListDelete();
                return true;
            case Qt::Key_F2:
                popMenuListRename();
                return true;
            case Qt::Key_F10:
                popMenuListProperties();
                return true;
            default:
                return false;
        }
    }
    return false;
}

void frmBrowse2::ShowTreeMenu(const QPoint& at) {
    const QModelIndex index = treeView_->indexAt(at);
    if (index.isValid()) {
        treeView_->setCurrentIndex(index);
        OnTreeClicked(tree_->HandleOf(index));
    }
    frmMenu* menu = frmMenu::Instance();
    QMenu* pop = menu ? menu->PopupMenu(QStringLiteral("mnuPopExpTree")) : nullptr;
    if (!pop) return;
    ShowMenuItems(menu,
                  {"popExpLaunch", "popExpAddCdOrFolder", "popExpTreeSeparator1", "popExpCatAdd",
                   "popExpCatRemove", "popExpCatRename", "popExpCatProperties"},
                  MenuItemsFor(tree_->Kind(SelectedNode())));
    pop->popup(treeView_->viewport()->mapToGlobal(at));
}

void frmBrowse2::ShowListMenu(QAbstractItemView* view, const QPoint& at) {
    frmMenu* menu = frmMenu::Instance();
    QMenu* pop = menu ? menu->PopupMenu(QStringLiteral("mnuPopExpList")) : nullptr;
    if (!pop) return;
    const int row = SelectedListRow();
    MenuItems items = MenuItemsFor(row >= 0 ? list_->Row(row).kind : 0);
    if (row < 0) {
        // No row: what the listed node itself allows to be added to it.
        const int listedKind = tree_->Kind(listed_);
        items.addCd = items.separator = items.addCategory =
            listedKind == kIconRoot || IsCategory(listedKind);
    }
    ShowMenuItems(
        menu,
        {"popExpListLaunch", "popExpListAddCdOrFolder", "popExpListSeparator1", "popExpListCatAdd",
         "popExpListCatRemove", "popExpListCatRename", "popExpListCatProperties"},
        items);
    pop->popup(view->viewport()->mapToGlobal(at));
}

void frmBrowse2::popMenuTreeLaunch() {
    const NodeHandle node = SelectedNode();
    if (tree_->Kind(node) == kIconFile) LaunchFile(tree_->Tag(node));
}

void frmBrowse2::popMenuTreeAdd() {
    CategoryAdd();
}
void frmBrowse2::popMenuTreeDelete() {
    TreeDelete();
}
void frmBrowse2::popMenuListDelete() {
    ListDelete();
}

void frmBrowse2::CategoryAdd() {
    const NodeHandle parent = SelectedNode();
    const int parentKind = tree_->Kind(parent);
    if (parentKind != kIconRoot && !IsCategory(parentKind)) return;
    CatInfo info;
    info.CatName = "New Category";
    info.CatImageId = kIconCategory;
    info.CatParentId = tree_->Tag(parent);
    const EditResult added = CatalogueEdits().AddCategory(info);
    if (!ReportEdit(added)) return;
    const int32_t id = added.id;
    emit CatalogueEvents::Instance().catalogueChanged();
    const NodeHandle node = tree_->AddNode(parent, kIconCategory, id, info.CatName, true);
    if (node == kNoNode) return;
    treeView_->expand(tree_->IndexOf(parent));
    SelectNode(node);
    FillList(node);
    treeView_->setFocus();
    StartEdit(treeView_, tree_->IndexOf(node));
}

void frmBrowse2::popMenuTreeRename() {
    const NodeHandle node = SelectedNode();
    const int kind = tree_->Kind(node);
    if (kind == kIconDirectory || kind == kIconFile) {
        ShowMessage(
            QT_TRANSLATE_NOOP(
                "Messages",
                "You can only edit container names, cd names, folder names or the data name"),
            vbOKOnly);
        return;
    }
    treeView_->setFocus();
    StartEdit(treeView_, tree_->IndexOf(node));
}

void frmBrowse2::popMenuListRename() {
    const int row = SelectedListRow();
    if (row < 0) return;
    const int kind = list_->Row(row).kind;
    if (kind == kIconDirectory || kind == kIconFile) {
        ShowMessage(
            QT_TRANSLATE_NOOP(
                "Messages",
                "You can only edit container names, cd names, folder names or the data name"),
            vbOKOnly);
        return;
    }
    QAbstractItemView* view = ListView1();
    view->setFocus();
    StartEdit(view, list_->index(row, kListColName));
}

void frmBrowse2::StartEdit(QAbstractItemView* view, const QModelIndex& index) {
    view->edit(index);
    editing_ = view->indexWidget(index) != nullptr;
}

bool frmBrowse2::StoreName(int kind, int32_t id, const std::string& shown,
                           const std::string& name) {
    if (id <= 0) return false;
    CatalogueEdits edits;
    if (IsContainer(kind)) {
        return ReportEdit(edits.RenameCd(HeldRecord::Named(RecordKind::Cd, id, shown), name),
                          QString::fromStdString(name));
    }
    if (IsCategory(kind)) {
        return ReportEdit(
            edits.RenameCategory(HeldRecord::Named(RecordKind::Category, id, shown), name),
            QString::fromStdString(name));
    }
    return false;
}

int frmBrowse2::ListRowOfNode(NodeHandle node) const {
    for (int row = 0; row < list_->rowCount(); ++row) {
        if (list_->Row(row).node == static_cast<int64_t>(node)) return row;
    }
    return -1;
}

void frmBrowse2::OnTreeCaptionEdited(NodeHandle node, const QString& text) {
    const QString name = text.trimmed();
    // An edit ended with no text keeps the old name.
    if (name.isEmpty() || name == tree_->Caption(node)) return;
    const int kind = tree_->Kind(node);
    const std::string bytes = name.toStdString();
    if (kind == kIconRoot) {
        tree_->SetCaption(node, bytes);  // shown until the next rebuild; the root has no record
        return;
    }
    if (!StoreName(kind, tree_->Tag(node), std::string(tree_->CaptionBytes(node)), bytes)) return;
    tree_->SetCaption(node, bytes);
    const int row = ListRowOfNode(node);
    if (row >= 0) list_->SetName(row, bytes);
    RefreshCdView = true;
    emit CatalogueEvents::Instance().catalogueChanged();
}

void frmBrowse2::OnListNameEdited(int row, const QString& text) {
    if (row < 0 || row >= list_->rowCount()) return;
    const ListRow item = list_->Row(row);
    const QString name = text.trimmed();
    if (name.isEmpty() || name == list_->Name(row)) return;
    const std::string bytes = name.toStdString();
    if (!StoreName(item.kind, item.tag, list_->Name(row).toStdString(), bytes)) return;
    list_->SetName(row, bytes);
    const auto node = static_cast<NodeHandle>(item.node);
    if (item.node > 0 && tree_->IsLive(node)) tree_->SetCaption(node, bytes);
    if (IsContainer(item.kind)) RefreshCdView = true;
    emit CatalogueEvents::Instance().catalogueChanged();
}

bool frmBrowse2::DeleteItem(NodeHandle node, int kind, int32_t id, const std::string& caption) {
    if (kind == kIconRoot || kind == kIconDirectory || kind == kIconFile || kind == 0) {
        ShowMessage(QT_TRANSLATE_NOOP(
                        "Messages", "You can only delete either a Category or a Folder Container"),
                    vbOKOnly);
        return false;
    }
    if (IsContainer(kind)) {
        // DeleteCd asks, removes and announces the removal; DropCd takes the node away.
        if (!DeleteCd(HeldRecord::Named(RecordKind::Cd, id, caption), caption)) return false;
        RefreshCdView = true;
        return true;
    }
    // A category goes only when it holds nothing in the store, which may have gained a CD or a
    // sub-category since the tree was built; the rules are asked before the question and kept
    // again when the category goes.
    const HeldRecord category = HeldRecord::Named(RecordKind::Category, id, caption);
    CatalogueEdits edits;
    if (!ReportEdit(edits.MayRemoveCategory(category))) return false;
    if (ShowMessage(
            QT_TRANSLATE_NOOP("Messages", "Remove category") + std::string("\r\n[") + caption + "]",
            vbYesNoCancel) != vbYes)
        return false;
    if (!ReportEdit(edits.RemoveCategory(category))) return false;
    if (tree_->IsLive(node)) {
        const NodeHandle parent = tree_->Parent(node);
        const bool listedHere = listed_ == node;
        tree_->RemoveNode(node);
        if (listedHere) {
            SelectNode(parent);
            FillList(parent);
        }
    }
    emit CatalogueEvents::Instance().catalogueChanged();
    return true;
}

void frmBrowse2::TreeDelete() {
    const NodeHandle node = SelectedNode();
    if (tree_->Key(node).empty()) {
        ShowMessage(QT_TRANSLATE_NOOP("Messages", "You have to select something to delete"),
                    vbOKOnly);
        return;
    }
    if (DeleteItem(node, tree_->Kind(node), tree_->Tag(node),
                   std::string(tree_->CaptionBytes(node))) &&
        tree_->IsLive(listed_)) {
        FillList(SelectedNode());
    }
}

void frmBrowse2::ListDelete() {
    const int row = SelectedListRow();
    if (row < 0) return;
    const ListRow item = list_->Row(row);
    const NodeHandle before = SelectedNode();
    const std::string caption = list_->Name(row).toStdString();
    const auto node = item.node > 0 ? static_cast<NodeHandle>(item.node) : kNoNode;
    if (!DeleteItem(node, item.kind, item.tag, caption)) return;
    const NodeHandle shown = tree_->IsLive(before) ? before : kRootNode;
    SelectNode(shown);
    FillList(shown);
}

void frmBrowse2::DropOnListRow(NodeHandle source, int32_t sourceKind, int32_t sourceTag, int row) {
    if (row < 0) {
        DropOnNode(source, sourceKind, sourceTag, SelectedNode(), true);
        return;
    }
    if (row >= list_->rowCount()) return;
    const ListRow& item = list_->Row(row);
    if (item.node <= 0) {
        ShowMessage(
            QT_TRANSLATE_NOOP("Messages", "You can only move a CD or folder between categories"),
            vbOKOnly);  // a file
        return;
    }
    DropOnNode(source, sourceKind, sourceTag, static_cast<NodeHandle>(item.node), true);
}

void frmBrowse2::DropOnNode(NodeHandle source, int32_t sourceKind, int32_t sourceTag,
                            NodeHandle target, bool inList) {
    // The dragged node must still stand for the record the drag began with.
    if (!tree_->IsLive(source) || tree_->Kind(source) != sourceKind ||
        tree_->Tag(source) != sourceTag)
        return;
    if (!tree_->IsLive(target)) return;
    const int targetKind = tree_->Kind(target);
    if (targetKind != kIconRoot && !IsCategory(targetKind)) {
        ShowMessage(
            QT_TRANSLATE_NOOP("Messages", "You can only move a CD or folder between categories"),
            vbOKOnly);
        return;
    }
    const int32_t parentId = tree_->Tag(target);
    if (tree_->Parent(source) != target) {
        const std::string shown(tree_->CaptionBytes(source));
        CatalogueEdits edits;
        const EditResult moved =
            IsCategory(sourceKind)
                ? edits.MoveCategory(HeldRecord::Named(RecordKind::Category, sourceTag, shown),
                                     parentId)
                : edits.FileCd(HeldRecord::Named(RecordKind::Cd, sourceTag, shown), parentId);
        if (!ReportEdit(moved)) return;
    }
    if (!tree_->MoveNode(source, target)) return;
    treeView_->expand(tree_->IndexOf(target));
    if (IsContainer(sourceKind)) RefreshCdView = true;
    emit CatalogueEvents::Instance().catalogueChanged();
    const NodeHandle shown = inList || !tree_->IsLive(listed_) ? SelectedNode() : listed_;
    FillList(shown);
}

}  // namespace karvio
