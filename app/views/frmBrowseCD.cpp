#include "views/frmBrowseCD.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "DateText.h"
#include "Format.h"
#include "TransferRecords.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "controls/MountedMarker.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/MenuState.h"
#include "mainwindow/frmMenu.h"
#include "startup/LaunchFile.h"
#include "startup/ProgramValues.h"
#include "startup/Settings.h"
#include "scan/CdCommands.h"
#include "views/frmProperties.h"

namespace karvio {

namespace {

constexpr int kSortRole = Qt::UserRole + 1;
constexpr int kIdRole = Qt::UserRole + 2;

QString Text(const std::string& bytes) { return QString::fromStdString(bytes); }

int KindImage(ReportNodeKind kind) {
    switch (kind) {
        case ReportNodeKind::Cd: return kIconCd;
        case ReportNodeKind::Folder: return kIconFolder;
        case ReportNodeKind::Directory: return kIconDirectory;
        case ReportNodeKind::File: return kIconFile;
        case ReportNodeKind::Other: break;
    }
    return kIconRoot;
}

}  // namespace

QString MediaTypeText(int32_t mediaType) {
    switch (mediaType) {
        case 2: return QStringLiteral("Removable");
        case 3: return QStringLiteral("Fixed disk");
        case 4: return QStringLiteral("Network");
        case 5: return QStringLiteral("CD-ROM");
        case 6: return QStringLiteral("RAM disk");
        default: return QStringLiteral("Unknown");
    }
}

// ---- tree model ----

void CdTreeModel::SetTree(ReportTree tree) {
    beginResetModel();
    tree_ = std::move(tree);
    rowInParent_.assign(static_cast<size_t>(tree_.Size()), 0);
    int rootRow = 0;
    for (int i = 0; i < tree_.Size(); ++i) {
        const ReportNode& node = tree_.Node(i);
        if (node.parent < 0) rowInParent_[static_cast<size_t>(i)] = rootRow++;
        for (size_t r = 0; r < node.children.size(); ++r) {
            rowInParent_[static_cast<size_t>(node.children[r])] = static_cast<int32_t>(r);
        }
    }
    endResetModel();
}

int CdTreeModel::NodeOf(const QModelIndex& index) const {
    if (!index.isValid()) return -1;
    return static_cast<int>(index.internalId());
}

QModelIndex CdTreeModel::IndexOfNode(int node) const {
    if (node < 0 || node >= tree_.Size()) return {};
    return createIndex(rowInParent_[static_cast<size_t>(node)], 0, static_cast<quintptr>(node));
}

int CdTreeModel::KindOf(int node) const {
    if (node < 0 || node >= tree_.Size()) return 0;
    return KindImage(tree_.Node(node).kind);
}

QModelIndex CdTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) {
        int seen = 0;
        for (int i = 0; i < tree_.Size(); ++i) {
            if (tree_.Node(i).parent < 0 && seen++ == row) return createIndex(row, 0, quintptr(i));
            if (tree_.Node(i).parent < 0 && i > 0) break;
        }
        return {};
    }
    const ReportNode& node = tree_.Node(NodeOf(parent));
    if (row >= static_cast<int>(node.children.size())) return {};
    return createIndex(row, 0, static_cast<quintptr>(node.children[static_cast<size_t>(row)]));
}

QModelIndex CdTreeModel::parent(const QModelIndex& child) const {
    const int node = NodeOf(child);
    if (node < 0) return {};
    return IndexOfNode(tree_.Node(node).parent);
}

int CdTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    if (!parent.isValid()) return tree_.Size() > 0 ? 1 : 0;
    return static_cast<int>(tree_.Node(NodeOf(parent)).children.size());
}

int CdTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant CdTreeModel::data(const QModelIndex& index, int role) const {
    const int node = NodeOf(index);
    if (node < 0) return {};
    const ReportNode& item = tree_.Node(node);
    switch (role) {
        case Qt::DisplayRole: return Text(item.caption);
        case Qt::DecorationRole: return ItemIcon(KindOf(node));
        case Qt::FontRole:
            if (node == 0) {
                QFont font;
                font.setBold(true);
                return font;
            }
            return {};
        case kIdRole: return item.tag;
        default: return {};
    }
}

// ---- the view ----

frmBrowseCD::frmBrowseCD(QWidget* parent)
    : QWidget(parent),
      splitPanel1_(new QSplitter(Qt::Vertical, this)),
      splitPanel2_(new QSplitter(Qt::Horizontal)),
      listView1_(new QTreeView),
      listModel_(new QStandardItemModel(0, 9, this)),
      treeView1_(new QTreeView),
      treeModel_(new CdTreeModel(this)),
      fldName_(new QLabel),
      fldSize_(new QLabel),
      fldDate_(new QLabel),
      fldAttr_(new QLabel),
      fldNotes_(new QPlainTextEdit) {
    setObjectName(QStringLiteral("frmBrowseCD"));
    setWindowTitle(QStringLiteral("CD Panel"));
    setAccessibleName(QStringLiteral("CD panel"));
    listModel_->setHorizontalHeaderLabels(
        {QStringLiteral("CD Title"), QStringLiteral("Notes"), QStringLiteral("Scan Date"),
         QStringLiteral("Total Size"), QStringLiteral("Free Space"), QStringLiteral("System Label"),
         QStringLiteral("Category"), QStringLiteral("Base Path"), QStringLiteral("Media Type")});
    listModel_->setSortRole(kSortRole);
    listView1_->setObjectName(QStringLiteral("ListView1"));
    listView1_->setAccessibleName(QStringLiteral("CD list"));
    listView1_->setModel(listModel_);
    listView1_->setRootIsDecorated(false);
    listView1_->setUniformRowHeights(true);
    listView1_->setSortingEnabled(true);
    listView1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView1_->setContextMenuPolicy(Qt::CustomContextMenu);
    listView1_->header()->setSortIndicator(-1, Qt::AscendingOrder);
    listView1_->installEventFilter(this);

    treeView1_->setObjectName(QStringLiteral("TreeView1"));
    treeView1_->setAccessibleName(QStringLiteral("CD tree"));
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
    fldNotes_->setAccessibleName(QStringLiteral("Notes"));
    fldNotes_->installEventFilter(this);
    for (QLabel* label : {fldName_, fldSize_, fldDate_, fldAttr_}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
    }
    form->addRow(QStringLiteral("Name:"), fldName_);
    form->addRow(QStringLiteral("Size:"), fldSize_);
    form->addRow(QStringLiteral("Date:"), fldDate_);
    form->addRow(QStringLiteral("Attributes:"), fldAttr_);
    auto* notesLabel = new QLabel(QStringLiteral("&Notes:"));
    notesLabel->setBuddy(fldNotes_);
    form->addRow(notesLabel, fldNotes_);

    splitPanel2_->addWidget(treeView1_);
    splitPanel2_->addWidget(details);
    splitPanel2_->setStretchFactor(0, 65);
    splitPanel2_->setStretchFactor(1, 35);
    splitPanel1_->addWidget(listView1_);
    splitPanel1_->addWidget(splitPanel2_);
    splitPanel1_->setStretchFactor(0, 1);
    splitPanel1_->setStretchFactor(1, 2);
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
    CatalogueEvents& events = CatalogueEvents::Instance();
    connect(&events, &CatalogueEvents::catalogueReplaced, this, [this] { ReloadCatalogue(); });
    connect(&events, &CatalogueEvents::catalogueChanged, this, [] { RefreshCdView = true; });
    connect(&events, &CatalogueEvents::cdRemoved, this, [this](int32_t cdId) {
        const int row = ListRowOf(cdId);
        if (row >= 0) listModel_->removeRow(row);
        if (shownCd_ == cdId) ClearTree();
    });
}

void frmBrowseCD::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (RefreshCdView) RefillListCds(0, true);
}

void frmBrowseCD::RefillListCds(int32_t cdId, bool showTree) {
    RefreshCdView = false;
    listView1_->selectionModel()->blockSignals(true);
    listModel_->removeRows(0, listModel_->rowCount());
    classData data;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
        const int32_t id = cd->GetCdId();
        const std::string name = cd->GetCdName();
        const std::string notes = cd->GetCdNotes();
        const std::string label = cd->GetCdLabel();
        const std::string base = cd->GetCdBasepath();
        const double total = cd->GetCdtotalSize();
        const double free = cd->GetCdFreeSpace();
        const double date = cd->GetCdLastScanned();
        const int32_t media = cd->GetCdMediaType();
        const int32_t category = cd->GetCdCategory();
        std::string categoryName = " ";
        if (category > 0) {
            classCat& cat = data.GetCatGoto(category);
            if (cat.GetCatId() == category) categoryName = cat.GetCatName();
            data.GetCdGoto(id);
        }
        auto cell = [](const QString& text, const QVariant& key) {
            auto* item = new QStandardItem(text);
            item->setData(key, kSortRole);
            return item;
        };
        QList<QStandardItem*> row;
        row << cell(Text(name), Text(name).toLower())
            << cell(Text(FlattenLines(notes)), Text(notes).toLower())
            << cell(Text(DateToText(date)), date) << cell(Text(FormatSize(total)), total)
            << cell(Text(FormatSize(free)), free) << cell(Text(label), Text(label).toLower())
            << cell(Text(categoryName), Text(categoryName).toLower())
            << cell(Text(base), Text(base).toLower()) << cell(MediaTypeText(media), media);
        row[0]->setData(id, kIdRole);
        row[0]->setIcon(CdItemIcon(media == 5 ? kIconCd : kIconFolder, id));
        row[0]->setToolTip(MountedToolTip(id));
        row[3]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row[4]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        listModel_->appendRow(row);
    }
    listView1_->selectionModel()->blockSignals(false);
    for (int column = 0; column < listModel_->columnCount(); ++column)
        listView1_->resizeColumnToContents(column);
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
    SetMenuState(listModel_->rowCount() == 0 ? kModeEmptyCatalogue
                 : HasTreeNodes()            ? kModeCdShown
                                             : kModeNoCdShown);
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
    frmMenu* menu = frmMenu::Instance();
    classData data;
    classCd& cd = data.GetCdGoto(cdId);
    if (menu) menu->ProgressStart(cd.GetCdNumOfFiles() + cd.GetCdNumOfSubdirs());
    treeModel_->SetTree(BuildCdReportTree(data, cdId, true));
    shownCd_ = treeModel_->Tree().Size() > 0 ? cdId : 0;
    if (menu) menu->ProgressEnd();
    if (HasTreeNodes()) {
        const QModelIndex first = treeModel_->IndexOfNode(0);
        treeView1_->expand(first);
        treeView1_->setCurrentIndex(first);
        treeView1_->scrollTo(first);
    }
    QApplication::restoreOverrideCursor();
}

void frmBrowseCD::ClearTree() {
    treeModel_->SetTree(ReportTree{});
    shownCd_ = 0;
}

bool frmBrowseCD::HasTreeNodes() const { return treeModel_->Tree().Size() > 0; }

int32_t frmBrowseCD::SelectedTreeTag() const {
    const int node = treeModel_->NodeOf(treeView1_->currentIndex());
    return node < 0 ? 0 : treeModel_->Tree().Node(node).tag;
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
    ShowDetails(treeModel_->KindOf(node), treeModel_->Tree().Node(node).tag);
}

void frmBrowseCD::ShowDetails(int kind, int32_t id) {
    detailsKind_ = kind;
    detailsId_ = id;
    std::string name, notes;
    double size = 0, date = 0;
    int32_t attr = 0;
    if (kind == kIconCd || kind == kIconFolder) {
        const CdInfo info = GetCdInfoById(id);
        name = info.CdName, notes = info.CdNotes, size = info.CdTotalSize,
        date = info.CdLastScanned;
    } else if (kind == kIconDirectory) {
        const DirInfo info = GetDirInfoById(id);
        name = info.DirName, notes = info.DirNotes, size = info.DirSize, date = info.DirDate,
        attr = info.DirAttr;
    } else if (kind == kIconFile) {
        const FileInfo info = GetFileInfoById(id);
        name = info.FileName, notes = info.FileNotes, size = info.FileSize, date = info.FileDate,
        attr = info.FileAttr;
    }
    fldName_->setText(Text(name));
    fldSize_->setText(Text(FormatSize(size)).trimmed());
    fldDate_->setText(Text(DateToText(date)));
    fldAttr_->setText(Text(AttributesToText(attr)));
    notesTag_ = Text(notes);
    fldNotes_->setPlainText(notesTag_);
}

void frmBrowseCD::SaveNotes() {
    const QString text = fldNotes_->toPlainText();
    if (text == notesTag_ || detailsId_ == 0) return;
    const std::string bytes = text.toStdString();
    switch (detailsKind_) {
        case kIconCd:
        case kIconFolder: {
            SetCdNotesById(detailsId_, bytes);
            const int row = ListRowOf(detailsId_);
            if (row >= 0) {
                listModel_->item(row, 1)->setText(Text(FlattenLines(bytes)));
                listModel_->item(row, 1)->setData(text.toLower(), kSortRole);
            }
            break;
        }
        case kIconDirectory: SetDirNotesById(detailsId_, bytes); break;
        case kIconFile: SetFileNotesById(detailsId_, bytes); break;
        default: return;
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
    if (!DeleteCd(id, title)) return;
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

void frmBrowseCD::MainMenu_CdEdit() {
    const int32_t id = SelectedCdId();
    if (id == 0) return;
    if (EditCdDetails(id, this) > 0) {
        RefreshExplorer = true;
        RefillListCds(id, true);
    }
}

void frmBrowseCD::MainMenu_CdRescan() {
    const int32_t id = SelectedCdId();
    if (id == 0) return;
    const int32_t replacement = RescanCd(id, this);
    if (replacement > 0) {
        RefreshExplorer = true;
        RefillListCds(replacement, true);
    }
}

void frmBrowseCD::PropertiesListItem() {
    if (const int32_t id = SelectedCdId()) frmProperties::ShowProperties(kIconCd, id, this);
}

void frmBrowseCD::PropertiesTreeItem() {
    const int node = treeModel_->NodeOf(treeView1_->currentIndex());
    if (node < 0) return;
    frmProperties::ShowProperties(treeModel_->KindOf(node), treeModel_->Tree().Node(node).tag,
                                  this);
}

void frmBrowseCD::StartFocus() { listView1_->setFocus(); }

std::optional<PreviewSource> frmBrowseCD::PreviewStart() {
    if (!HasTreeNodes()) return std::nullopt;
    PreviewSource source;
    classData data;
    source.tree = BuildCdReportTree(data, shownCd_, false);
    source.cdNode = 0;
    const int node = treeModel_->NodeOf(treeView1_->currentIndex());
    if (node > 0 && treeModel_->KindOf(node) == kIconDirectory) {
        source.selectedNode = source.tree.FindDirectory(treeModel_->Tree().Node(node).tag);
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
    const ReportTree& tree = treeModel_->Tree();
    int target = 0;
    for (int i = 0; i < tree.Size(); ++i) {
        const ReportNode& node = tree.Node(i);
        if ((record.fileId > 0 && node.kind == ReportNodeKind::File &&
             node.tag == record.fileId) ||
            (record.fileId <= 0 && record.dirId > 0 && node.kind == ReportNodeKind::Directory &&
             node.tag == record.dirId)) {
            target = i;
            break;
        }
    }
    const QModelIndex index = treeModel_->IndexOfNode(target);
    treeView1_->setCurrentIndex(index);
    treeView1_->scrollTo(index);
}

void frmBrowseCD::ReloadCatalogue() {
    ClearTree();
    detailsId_ = 0;
    notesTag_ = fldNotes_->toPlainText();
    RefillListCds(0, true);
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
