// The explorer view: the catalogue tree (categories, CDs, folders and, once a CD is opened, its
// directories) beside the contents list of the selected node, in four list modes sharing one
// model. It routes the main window's CD commands to the CD commands every view shares and keeps
// the CD panel current through RefreshCdView. One instance, an MDI child of the main window.
// User-interface thread.
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "DetailsDatabase.h"

#include "explorer/CategoryTreeModel.h"
#include "explorer/ContentsListModel.h"
#include "explorer/ExplorerPlace.h"
#include "mainwindow/MainWindowTargets.h"

class QAbstractItemView;
class QListView;
class QMenu;
class QStackedWidget;
class QTreeView;

namespace karvio {

class EmptyHint;
class SplitPanel;

class frmBrowse2 : public QWidget, public ExplorerView {
    Q_OBJECT

public:
    explicit frmBrowse2(QWidget* parent = nullptr);
    ~frmBrowse2() override;

    QWidget* ViewWindow() override { return this; }
    void MainMenu_CdAdd() override;
    void MainMenu_CdEdit() override;
    void MainMenu_CdDelete() override;
    void MainMenu_CdRescan() override;
    void PropertiesMainMenu() override;
    void StartFocus() override;
    void PreparePreview(std::function<void()> then) override;
    std::optional<PreviewSource> PreviewStart() override;
    void RevealRecord(const RecordRef& record) override;
    void ReloadCatalogue() override;

    void SwitchListViewModes(ListViewMode mode) override;
    // Rebuilds the whole tree keeping the user's place (expanded nodes, selection, list row).
    void RefillListCds() override;
    // Rebuilds the whole tree, then selects the CD `cdId` (when above 0), else node `select`
    // (when not kNoNode), else the root.
    void RefillListCds(int32_t cdId, NodeHandle select);
    // Adds the node of a newly scanned CD (and whatever else changed), keeping the expanded
    // nodes, loads its directories, selects it and lists it.
    NodeHandle AddCdToTree(int32_t cdId);
    // Brings the tree in step with the catalogue in place (nothing is read again that is still
    // there) and lists the selected node again; a selection that is gone moves to the nearest
    // node above it.
    void Resync();
    // Rebuilds everything after the catalogue was renumbered, finding the user's place again
    // through `ids` (by the names of CDs and categories when empty).
    void Reload(const CatalogueRenumbering& ids);
    ExplorerPlace CapturePlace() const;
    // Expands the place's nodes that are still there, selects its node (or the nearest one
    // above it), lists it and selects its row again.
    void RestorePlace(const ExplorerPlace& place);

    // Adds "New Category" below the tree's selected node and opens its caption for editing.
    void CategoryAdd();
    // Deletes the tree's selected CD, folder or empty category (the list's selected row for
    // ListDelete), with the refusals and the question.
    void TreeDelete();
    void ListDelete();

    void popMenuTreeLaunch() override;
    void popMenuTreeAdd() override;
    void popMenuTreeDelete() override;
    void popMenuTreeRename() override;
    void popMenuTreeProperties() override;
    void popMenuListLaunch() override;
    void popMenuListDelete() override;
    void popMenuListRename() override;
    void popMenuListProperties() override;

    CategoryTreeModel* TreeModel() const { return tree_; }
    ContentsListModel* ListModel() const { return list_; }
    QTreeView* TreeView1() const { return treeView_; }
    // The list view of the current mode.
    QAbstractItemView* ListView1() const;
    NodeHandle SelectedNode() const;
    // The node whose contents the list shows.
    NodeHandle ListedNode() const { return listed_; }
    // While the list shows the inside of an archive: the archive's file id and the folder inside
    // it ("" for its top); 0 otherwise.
    int32_t ListedArchive() const { return archive_.fileId; }
    const std::string& ListedArchiveFolder() const { return archive_.folder; }
    // The header's menu of the columns shown (made anew each time, deleted when closed), and
    // what its entries do: show or hide a column and remember which are shown.
    QMenu* ColumnMenu();
    void ShowColumn(int column, bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The CD or folder node `node` lies in (itself, when it is one); kNoNode for none.
    NodeHandle ContainerOf(NodeHandle node) const;
    void FillList(NodeHandle node);
    // The catalogue full name of a directory node ("Photos\2004"), empty for any other node.
    std::string FullNameOf(NodeHandle node) const;
    // Shows in the status bar where the selected item lies (the list's row while the list has
    // the focus, else the tree's node).
    void ShowLocation();
    // Lists the folder `folder` ("" for the top) of the archive file `fileId` shown in the list.
    void OpenArchive(int32_t fileId, const std::string& folder);
    void EnableItemCommands(bool enabled);
    void SelectNode(NodeHandle node);
    void OnTreeClicked(NodeHandle node);
    void OnListActivated(int row);
    void OnListSelection();
    void ListBackspace();
    // Reads the CD node's directories when they are not read yet, and expands it once they are.
    void OpenCdNode(NodeHandle node);
    // The list's selected row (kind and name) and scroll position, to be found again after a
    // refill.
    struct ListSpot {
        int kind = 0;
        std::string name;
        int scroll = 0;
    };
    ListSpot CurrentListSpot() const;
    // Lists the listed node again, keeping the selected row and the scroll position.
    void ListAgain();
    int SelectedListRow() const;
    int32_t SelectedCdId() const override;
    void DropCd(int32_t cdId);
    // `caption` is the item's name as the view shows it.
    void ShowProperties(int kind, int32_t id, const std::string& caption);
    void SaveColumnWidths() const;
    void ShowColumnMenu(const QPoint& at);
    // Large Icons show thumbnails, in larger squares, when a listed file has one.
    void ApplyLargeIcons();

    // Editing and drag and drop.
    void SetUpEditing();
    void StartEdit(QAbstractItemView* view, const QModelIndex& index);
    bool EditingKey(QObject* watched, int key);
    void ShowTreeMenu(const QPoint& at);
    void ShowListMenu(QAbstractItemView* view, const QPoint& at);
    void OnTreeCaptionEdited(NodeHandle node, const QString& text);
    void OnListNameEdited(int row, const QString& text);
    // Stores a new name of a CD or category; false when nothing was stored.
    // Renames the CD or category the view shows as `shown`; false when it was not saved.
    bool StoreName(int kind, int32_t id, const std::string& shown, const std::string& name);
    // Deletes the CD or category of `node` (kind and id as the caller sees them); true when done.
    bool DeleteItem(NodeHandle node, int kind, int32_t id, const std::string& caption);
    void DropOnNode(NodeHandle source, int32_t sourceKind, int32_t sourceTag, NodeHandle target,
                    bool inList);
    void DropOnListRow(NodeHandle source, int32_t sourceKind, int32_t sourceTag, int row);
    void ShowCategoryProperties(NodeHandle node);
    // The row of the list that stands for the tree node, or -1.
    int ListRowOfNode(NodeHandle node) const;
    // Selects the list row of that kind and name, if there is one, and scrolls the list to
    // `scroll` (then to the row).
    void SelectListRow(int kind, std::string_view name, int scroll);

    CategoryTreeModel* tree_;
    ContentsListModel* list_;
    SplitPanel* split_;
    QTreeView* treeView_;
    QStackedWidget* stack_;
    QListView* iconView_;
    QTreeView* detailsView_;
    EmptyHint* detailsHint_;
    EmptyHint* iconHint_;
    ListViewMode mode_ = ListViewMode::kDetails;
    NodeHandle listed_ = kNoNode;
    bool listHasFocus_ = false;
    bool editing_ = false;                     // a caption editor is open
    bool selecting_ = false;                   // SelectNode is making a node current
    std::unordered_set<NodeHandle> expanded_;  // as the tree view reports them
    // A place RestorePlace goes to once the folders of its CD node are read.
    std::optional<ExplorerPlace> awaitedPlace_;
    NodeHandle awaitedCd_ = kNoNode;
    // The archive the list shows the inside of (fileId 0: none).
    struct ShownArchive {
        int32_t fileId = 0;
        std::string name;
        std::string folder;
        std::vector<ArchiveMember> members;
    } archive_;
};

}  // namespace karvio
