#include "explorer/frmCategorySelect.h"

#include <QCollator>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <vector>

#include "CategoryPictures.h"
#include "Messages.h"
#include "TransferRecords.h"
#include "mainwindow/EditRefusals.h"
#include "classCat.h"
#include "classCd.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "explorer/frmCategoryProperties.h"
#include "mainwindow/CatalogueEvents.h"

namespace karvio {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2;
constexpr int kKeyRole = Qt::UserRole + 3;
// The name the node showed before the user edited it: what the category is known by.
constexpr int kShownRole = Qt::UserRole + 4;
constexpr const char* kNewCategoryName = "New Category";

struct CategoryRow {
    int32_t id;
    int32_t parent;
    int32_t image;
    QString name;
};

std::vector<CategoryRow> ReadCategories() {
    std::vector<CategoryRow> rows;
    classData data;
    for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext()) {
        rows.push_back({cat->GetCatId(), cat->GetCatParentId(), cat->GetCatImageId(),
                        QString::fromStdString(cat->GetCatName())});
    }
    return rows;
}

int ImageOf(int32_t stored) { return stored >= kIconCategory ? stored : kIconCategory; }

QStandardItem* MakeItem(int32_t id, const QString& name, int image, const QString& key) {
    auto* item = new QStandardItem(ItemIcon(image), name);
    item->setData(id, kIdRole);
    item->setData(name, kShownRole);
    item->setData(image, kImageRole);
    item->setData(key, kKeyRole);
    item->setEditable(id > 0);
    item->setDropEnabled(true);
    item->setDragEnabled(id > 0);
    QFont bold = item->font();
    bold.setBold(true);
    item->setFont(bold);
    return item;
}

void SortChildren(QStandardItem* parent) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QList<QList<QStandardItem*>> rows;
    while (parent->rowCount() > 0) rows.append(parent->takeRow(0));
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        return collator.compare(a.first()->text(), b.first()->text()) < 0;
    });
    for (auto& row : rows) parent->appendRow(row);
}

}  // namespace

// The dialog's tree: drags start only on categories and drops are turned into store moves by
// the dialog; the model itself never moves a row, and anything dragged from elsewhere is refused.
class frmCategorySelect::Tree : public QTreeView {
public:
    explicit Tree(frmCategorySelect* owner) : QTreeView(owner), owner_(owner) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::RightButton) {
            const QModelIndex under = indexAt(event->position().toPoint());
            dragSource_ = under.isValid() ? under.data(kIdRole).toInt() : -1;
        }
        QTreeView::mousePressEvent(event);
    }

    void startDrag(Qt::DropActions actions) override {
        if (dragSource_ <= 0) {
            if (dragSource_ == 0)
                ShowMessage(QT_TRANSLATE_NOOP("Messages",
                                              "Drag && Drop is only avaiable for the categories"),
                            vbOKOnly);
            return;
        }
        QTreeView::startDrag(actions);
    }

    void dragEnterEvent(QDragEnterEvent* event) override {
        if (event->source() != this) {
            event->ignore();
            return;
        }
        QTreeView::dragEnterEvent(event);
    }

    void dragMoveEvent(QDragMoveEvent* event) override {
        if (event->source() != this) {
            event->ignore();
            return;
        }
        QTreeView::dragMoveEvent(event);
        // The category under the pointer is where the drop goes, never between rows.
        const QModelIndex under = indexAt(event->position().toPoint());
        if (under.isValid()) setCurrentIndex(under);
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }

    void dropEvent(QDropEvent* event) override {
        if (event->source() != this) {
            event->ignore();
            return;
        }
        const QModelIndex under = indexAt(event->position().toPoint());
        const int32_t target = under.isValid() ? under.data(kIdRole).toInt() : -1;
        const int32_t source = dragSource_;
        // Nothing of the model moves: the dialog stores the move and rebuilds its tree.
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        QTimer::singleShot(0, owner_, [owner = owner_, source, target] { owner->MoveCategory(source, target); });
    }

private:
    frmCategorySelect* owner_;
    int32_t dragSource_ = -1;
};

void frmCategorySelect::SelectCategory(int32_t, int32_t& result, QWidget* parent) {
    frmCategorySelect dialog(parent);
    dialog.exec();
    result = dialog.Result();
}

frmCategorySelect::frmCategorySelect(QWidget* parent)
    : QDialog(parent), tree_(new Tree(this)), model_(new QStandardItemModel(this)),
      btnAdd_(new QPushButton(tr("&Add"), this)), btnRemove_(new QPushButton(tr("&Remove"), this)),
      btnRename_(new QPushButton(tr("Re&name"), this)),
      btnProperties_(new QPushButton(tr("&Properties"), this)), btnOK_(new QPushButton(tr("OK"), this)),
      btnCancel_(new QPushButton(tr("Cancel"), this)) {
    setWindowTitle(tr("Select a category"));
    setObjectName(QStringLiteral("frmCategorySelect"));

    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setAccessibleName(tr("Categories"));
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setDragEnabled(true);
    tree_->setAcceptDrops(true);
    tree_->setDropIndicatorShown(true);
    tree_->setDragDropMode(QAbstractItemView::DragDrop);
    tree_->setDefaultDropAction(Qt::MoveAction);
    tree_->installEventFilter(this);
    // Whatever the dialog (or the category properties it opens) stores is told to the views
    // when it closes, wherever it was opened from.
    connect(&CatalogueEvents::Instance(), &CatalogueEvents::catalogueChanged, this,
            [this] { categoriesChanged_ = true; });

    for (QPushButton* button : {btnAdd_, btnRemove_, btnRename_, btnProperties_}) {
        button->setAutoDefault(false);
    }
    btnAdd_->setObjectName(QStringLiteral("btnAdd"));
    btnRemove_->setObjectName(QStringLiteral("btnRemove"));
    btnRename_->setObjectName(QStringLiteral("btnRename"));
    btnProperties_->setObjectName(QStringLiteral("btnProperties"));
    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnOK_->setDefault(true);

    auto* side = new QVBoxLayout;
    side->addWidget(btnAdd_);
    side->addWidget(btnRemove_);
    side->addWidget(btnRename_);
    side->addWidget(btnProperties_);
    side->addStretch(1);
    side->addWidget(btnOK_);
    side->addWidget(btnCancel_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(tree_, 1);
    layout->addLayout(side);

    connect(btnAdd_, &QPushButton::clicked, this, &frmCategorySelect::btnAdd_Click);
    connect(btnRemove_, &QPushButton::clicked, this, &frmCategorySelect::btnRemove_Click);
    connect(btnRename_, &QPushButton::clicked, this, &frmCategorySelect::btnRename_Click);
    connect(btnProperties_, &QPushButton::clicked, this, &frmCategorySelect::btnProperties_Click);
    connect(btnOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(tree_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) accept();
    });
    connect(model_, &QStandardItemModel::itemChanged, this, &frmCategorySelect::OnItemChanged);
    // An edit that found a category changed by another program has the views reload; this
    // tree shows the categories as they are now too.
    connect(&CatalogueEvents::Instance(), &CatalogueEvents::catalogueReplaced, this, [this] {
        const int32_t selected = SelectedId();
        BuildTree();
        if (!SelectNode(selected)) SelectNode(0);
    });

    BuildTree();
    SelectNode(0);
    resize(QSize(420, 360));
}

QTreeView* frmCategorySelect::TreeView1() const { return tree_; }

void frmCategorySelect::BuildTree() {
    building_ = true;
    model_->clear();
    auto* root = MakeItem(0, QStringLiteral("Karvio"), kIconRoot, QStringLiteral("Root"));
    model_->appendRow(root);

    const std::vector<CategoryRow> rows = ReadCategories();
    std::map<int32_t, QStandardItem*> items;
    items[0] = root;
    classData data;
    for (const CategoryRow& row : rows) {
        items[row.id] = MakeItem(row.id, row.name, ImageOf(row.image),
                                 QString::fromStdString(data.GetKarvioBasePath(row.id)));
    }
    // A category whose parent is not in the list hangs under the root, so it can still be
    // reached and moved back where it belongs.
    for (const CategoryRow& row : rows) {
        auto parent = items.find(row.parent);
        QStandardItem* under = (parent == items.end() || row.parent == row.id) ? root : parent->second;
        under->appendRow(items[row.id]);
    }
    for (auto& [id, item] : items) {
        if (item->rowCount() > 1) SortChildren(item);
    }
    tree_->expand(root->index());
    building_ = false;
}

QStandardItem* frmCategorySelect::ItemOf(int32_t id) const {
    const QModelIndexList found =
        model_->match(model_->index(0, 0), kIdRole, id, 1, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : model_->itemFromIndex(found.first());
}

bool frmCategorySelect::SelectNode(int32_t id) {
    QStandardItem* item = ItemOf(id);
    if (!item) return false;
    tree_->setCurrentIndex(item->index());
    tree_->scrollTo(item->index());
    return true;
}

int32_t frmCategorySelect::SelectedId() const {
    const QModelIndex current = tree_->currentIndex();
    return current.isValid() ? current.data(kIdRole).toInt() : -1;
}

void frmCategorySelect::btnAdd_Click() {
    const int32_t parentId = std::max(SelectedId(), 0);
    CatInfo info;
    info.CatName = kNewCategoryName;
    info.CatImageId = kDefaultCategoryImage;
    info.CatParentId = parentId;
    const EditResult added = CatalogueEdits().AddCategory(info);
    if (!ReportEdit(added)) return;
    const int32_t id = added.id;
    QString key;
    {
        classData data;
        key = QString::fromStdString(data.GetKarvioBasePath(id));
    }
    emit CatalogueEvents::Instance().catalogueChanged();

    building_ = true;
    QStandardItem* parent = ItemOf(parentId);
    parent->appendRow(MakeItem(id, QString::fromLatin1(kNewCategoryName), kIconCategory, key));
    SortChildren(parent);
    building_ = false;
    SelectNode(id);
    tree_->edit(tree_->currentIndex());
}

void frmCategorySelect::btnRename_Click() {
    if (SelectedId() > 0) tree_->edit(tree_->currentIndex());
}

void frmCategorySelect::OnItemChanged(QStandardItem* item) {
    if (building_) return;
    const int32_t id = item->data(kIdRole).toInt();
    if (id <= 0) return;
    const QString text = item->text().trimmed();
    const QString shown = item->data(kShownRole).toString();
    // An edit ended with no text keeps the category's name.
    if (text.isEmpty() || text == shown) {
        building_ = true;
        item->setText(shown);
        building_ = false;
        return;
    }
    const HeldRecord category = HeldRecord::Named(RecordKind::Category, id, shown.toStdString());
    if (!ReportEdit(CatalogueEdits().RenameCategory(category, text.toStdString()), text)) {
        building_ = true;
        item->setText(shown);
        building_ = false;
        return;
    }
    building_ = true;
    item->setText(text);
    item->setData(text, kShownRole);
    if (item->parent()) SortChildren(item->parent());
    building_ = false;
    SelectNode(id);
    emit CatalogueEvents::Instance().catalogueChanged();
}

std::string frmCategorySelect::ChildrenRefusal(const QString& caption) {
    return tr("Cannot delete category [%1] because it contains children!! remove all children and "
              "try again")
        .arg(caption)
        .toStdString();
}

void frmCategorySelect::btnRemove_Click() {
    const QModelIndex current = tree_->currentIndex();
    if (!current.isValid()) return;
    QStandardItem* item = model_->itemFromIndex(current);
    const int32_t id = item->data(kIdRole).toInt();
    const std::string caption = item->text().toStdString();
    if (id == 0) {
        ShowMessage(
            item->rowCount() > 0
                ? ChildrenRefusal(item->text())
                : tr("Cannot delete root node!! remove all children and try again").toStdString(),
            vbOKOnly);
        return;
    }
    // The store decides what the category holds. Its CDs are not nodes of this tree, but
    // removing the category would leave them under a category that no view can show.
    const HeldRecord category = HeldRecord::Named(RecordKind::Category, id, item->data(kShownRole).toString().toStdString());
    CatalogueEdits edits;
    auto refused = [item](const EditResult& result) {
        if (result.status == EditStatus::HoldsCategories) {
            ShowMessage(ChildrenRefusal(item->text()), vbOKOnly);
        } else if (result.status == EditStatus::HoldsCds) {
            ShowMessage(tr("Cannot delete category [%1] because it contains CDs!! move or remove "
                           "its CDs and try again")
                            .arg(item->text())
                            .toStdString(),
                        vbOKOnly);
        } else {
            return !ReportEdit(result);
        }
        return true;
    };
    if (refused(edits.MayRemoveCategory(category))) return;
    if (ShowMessage(
            QT_TRANSLATE_NOOP("Messages", "Remove category") + std::string("\r\n[") + caption + "]",
            vbYesNoCancel) != vbYes)
        return;
    if (refused(edits.RemoveCategory(category))) return;
    QStandardItem* parent = item->parent();
    parent->removeRow(item->row());
    tree_->setCurrentIndex(parent->index());
    emit CatalogueEvents::Instance().catalogueChanged();
}

void frmCategorySelect::btnProperties_Click() {
    const QModelIndex current = tree_->currentIndex();
    if (!current.isValid()) return;
    const int32_t id = current.data(kIdRole).toInt();
    if (id == 0) {
        ShowMessage(QT_TRANSLATE_NOOP("Messages", "Root Properties Cannot Be Edited"), vbOKOnly);
        return;
    }
    const int16_t icon = frmCategoryProperties::EditCategory(
        id, static_cast<int16_t>(current.data(kImageRole).toInt()), this,
        current.data(kShownRole).toString().toStdString());
    if (icon >= 1) {
        QStandardItem* item = model_->itemFromIndex(current);
        building_ = true;
        item->setData(icon, kImageRole);
        item->setIcon(ItemIcon(icon));
        building_ = false;
    }
}

bool frmCategorySelect::MoveCategory(int32_t source, int32_t target) {
    if (source <= 0 || target < 0) return false;
    QStandardItem* moved = ItemOf(source);
    if (!moved || !ItemOf(target)) return false;
    const HeldRecord category =
        HeldRecord::Named(RecordKind::Category, source, moved->data(kShownRole).toString().toStdString());
    if (!ReportEdit(CatalogueEdits().MoveCategory(category, target))) return false;
    BuildTree();
    SelectNode(source);
    emit CatalogueEvents::Instance().catalogueChanged();
    return true;
}

bool frmCategorySelect::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Insert: btnAdd_Click(); return true;
            case Qt::Key_F2: btnRename_Click(); return true;
            case Qt::Key_Delete: btnRemove_Click(); return true;
            case Qt::Key_F10: btnProperties_Click(); return true;
            default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmCategorySelect::done(int result) {
    // OK with nothing selected picks the root, as the tree always has it.
    result_ = result == QDialog::Accepted ? std::max(SelectedId(), 0) : -1;
    if (categoriesChanged_) {
        categoriesChanged_ = false;
        emit CatalogueEvents::Instance().categoriesChanged();
    }
    QDialog::done(result);
}

}  // namespace karvio
