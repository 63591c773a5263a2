// "Select a category": the category tree alone (no CDs), where the user picks a category and
// adds, renames, removes, moves (drag and drop) and opens the properties of categories. Every
// change goes to the data file at once and is announced through CatalogueEvents, so the views
// rebuild their trees. The tree is a small model of the categories only, rebuilt from the store
// at every opening. Modal, destroyed when it returns; user-interface thread.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QPushButton;
class QStandardItem;
class QStandardItemModel;
class QTreeView;

namespace karvio {

class frmCategorySelect : public QDialog {
    Q_OBJECT

public:
    // Shows the dialog and returns through `result` the chosen category id (0 for the root) or
    // -1 when the user cancelled. `categoryId` is accepted and not used: the dialog always opens
    // on the rebuilt tree with the first level shown.
    static void SelectCategory(int32_t categoryId, int32_t& result, QWidget* parent = nullptr);

    explicit frmCategorySelect(QWidget* parent = nullptr);

    // The chosen id, 0 the root, -1 when cancelled.
    int32_t Result() const { return result_; }

    void btnAdd_Click();
    void btnRemove_Click();
    void btnRename_Click();
    void btnProperties_Click();
    // Makes `source` a sub-category of `target` (0 the root), with the refusals of a drop.
    // True when the move was stored.
    bool MoveCategory(int32_t source, int32_t target);

    // Selects the node of category `id` (0 the root); false when the tree has none.
    bool SelectNode(int32_t id);
    // The selected node's category id (0 the root, -1 none).
    int32_t SelectedId() const;

    QTreeView* TreeView1() const;
    QStandardItemModel* Model() const { return model_; }
    QPushButton* btnAdd() const { return btnAdd_; }
    QPushButton* btnRemove() const { return btnRemove_; }
    QPushButton* btnRename() const { return btnRename_; }
    QPushButton* btnProperties() const { return btnProperties_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The refusal to remove the category `caption` that still holds sub-categories.
    static std::string ChildrenRefusal(const QString& caption);
    void BuildTree();
    QStandardItem* ItemOf(int32_t id) const;
    void OnItemChanged(QStandardItem* item);

    class Tree;
    Tree* tree_;
    QStandardItemModel* model_;
    QPushButton* btnAdd_;
    QPushButton* btnRemove_;
    QPushButton* btnRename_;
    QPushButton* btnProperties_;
    QPushButton* btnOK_;
    QPushButton* btnCancel_;
    int32_t result_ = -1;
    bool building_ = false;
    bool categoriesChanged_ = false;  // something was stored while the dialog was open
};

}  // namespace karvio
