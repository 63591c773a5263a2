// The traditional view: a list of every catalogued CD above the complete directory and file tree
// of the CD picked in it, beside a details pane whose notes are edited in place. The tree is a
// flat model read on demand, so a CD of a million files shows without a widget per node.
// User-interface thread.
#pragma once

#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "CatalogueEdits.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/MainWindowTargets.h"
#include "views/CdTreeModel.h"

class QLabel;
class QPlainTextEdit;
class QStandardItemModel;
class QTreeView;

namespace karvio {

class EmptyHint;
class SplitPanel;

class frmBrowseCD : public QWidget, public CdPanelView {
    Q_OBJECT

public:
    explicit frmBrowseCD(QWidget* parent = nullptr);

    QWidget* ViewWindow() override { return this; }
    void MainMenu_CdAdd() override;
    void MainMenu_CdEdit() override;
    void MainMenu_CdDelete() override;
    void MainMenu_CdRescan() override;
    void PropertiesMainMenu() override { PropertiesListItem(); }
    void StartFocus() override;
    std::optional<PreviewSource> PreviewStart() override;
    void RevealRecord(const RecordRef& record) override;
    void ReloadCatalogue() override;
    bool HasTreeNodes() const override;
    void PropertiesListItem() override;
    void PropertiesTreeItem() override;
    int32_t SelectedTreeTag() const override;
    std::vector<int32_t> CdIdsForSearch() override;

    // Rebuilds the CD list and selects `cdId` (0: the start-up choice); with `showTree` the
    // selected CD's tree is built too.
    void RefillListCds(int32_t cdId, bool showTree);
    // Reads the CD list again keeping the shown CD, its tree as the user left it and the
    // details (after another program's change, or at activation); a shown CD that is gone
    // gives way to the list's choice.
    void Refresh();
    // Rebuilds everything after the catalogue was renumbered, showing the same CD (through
    // `ids`, or by its name when empty) with its tree as the user left it.
    void Reload(const CatalogueRenumbering& ids);
    void ShowCd(int32_t cdId);
    int32_t SelectedCdId() const override;

    QTreeView* CdList() const { return listView1_; }
    QTreeView* Tree() const { return treeView1_; }
    CdTreeModel* TreeModel() const { return treeModel_; }
    QPlainTextEdit* Notes() const { return fldNotes_; }
    QLabel* NameLabel() const { return fldName_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The expanded and selected nodes of the tree by their captions, and its scroll position.
    struct CdTreePlace {
        std::vector<QStringList> expanded;
        QStringList selected;
        int scroll = 0;
        bool valid = false;
    };
    CdTreePlace CaptureTreePlace() const;
    void RestoreTreePlace(const CdTreePlace& place);
    bool FillCdList();
    void UpdateMenuState();
    void ShowDetails(int kind, int32_t id);
    // The details pane for tree node `node` inside an archive.
    void ShowMember(int node);
    void SaveNotes();
    void OnListRow();
    void OnTreeNode();
    void ClearTree();
    int ListRowOf(int32_t cdId) const;
    // The CD of list row `cdId` as the list shows it.
    HeldRecord ShownCd(int32_t cdId) const;

    SplitPanel* splitPanel1_;
    SplitPanel* splitPanel2_;
    QTreeView* listView1_;
    EmptyHint* listHint_;
    QStandardItemModel* listModel_;
    QTreeView* treeView1_;
    CdTreeModel* treeModel_;
    QLabel* fldName_;
    QLabel* fldSize_;
    QLabel* fldDate_;
    QLabel* fldAttr_;
    QPlainTextEdit* fldNotes_;
    int detailsKind_ = 0;
    int32_t detailsId_ = 0;
    HeldRecord detailsRecord_;  // the record the details pane shows, as it read it
    double detailsSize_ = 0;
    QString notesTag_;
    int32_t shownCd_ = 0;
    bool busy_ = false;
    std::unordered_set<int> expandedNodes_;  // tree nodes, as the view reports them
};

// The media type of a CD in words.
QString MediaTypeText(int32_t mediaType);

}  // namespace karvio
