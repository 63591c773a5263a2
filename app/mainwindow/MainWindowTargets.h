// The windows the main window's commands reach: the two catalogue views, the search window, the
// report preview and the dialogs of the data file and the categories. Each is installed on the
// main window by the code that creates it; until then the commands that need it stay disabled.
// User-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "ReportTree.h"

class QWidget;

namespace karvio {

// List modes of the explorer's contents list, in the order of the View menu.
enum class ListViewMode { kLargeIcons, kSmallIcons, kList, kDetails };

// A catalogued record that another window (search results, the find box) asks a view to show.
// kind is the item kind code: 2 or 3 a CD or scanned folder, 4 a directory, 5 a file; the ids
// that do not apply are 0.
struct RecordRef {
    int kind = 0;
    int32_t cdId = 0;
    int32_t dirId = 0;
    int32_t fileId = 0;
};

// Where the Preview command starts: the tree of the CD the view shows, as a report tree, and
// the node selected in it (-1 when the CD itself is selected, so "Start From Selected Directory"
// is not offered).
struct PreviewSource {
    ReportTree tree;
    int cdNode = 0;
    int selectedNode = -1;
};

// What both catalogue views (explorer and CD panel) offer the main window.
class CatalogueView {
public:
    virtual ~CatalogueView() = default;
    // The view's window, shown as a child of the main window's MDI area.
    virtual QWidget* ViewWindow() = 0;
    virtual void MainMenu_CdAdd() = 0;
    virtual void MainMenu_CdEdit() = 0;
    virtual void MainMenu_CdDelete() = 0;
    virtual void MainMenu_CdRescan() = 0;
    virtual void PropertiesMainMenu() = 0;
    // The CD the selection stands in (the CD itself, or a folder or file of it); 0 for none.
    virtual int32_t SelectedCdId() const = 0;
    // Gives the view the keyboard focus after the first activation of the main window.
    virtual void StartFocus() = 0;
    // Readies what the Preview command needs of the selection, then calls `then` (at once, or
    // later from the event loop once it is there; never, when the view drops it meanwhile).
    virtual void PreparePreview(std::function<void()> then) { then(); }
    // The Preview command's start; nullopt when the selection cannot be previewed (the view has
    // then told the user why).
    virtual std::optional<PreviewSource> PreviewStart() = 0;
    // Selects the record's CD, the directory node and the row, and makes them visible.
    virtual void RevealRecord(const RecordRef& record) = 0;
    // Rebuilds everything from the data file (after a compaction, or another program's change);
    // no record id held before is used again.
    virtual void ReloadCatalogue() = 0;
};

// The explorer view (category tree and contents list).
class ExplorerView : public CatalogueView {
public:
    virtual void SwitchListViewModes(ListViewMode mode) = 0;
    virtual void RefillListCds() = 0;
    virtual void popMenuTreeLaunch() = 0;
    virtual void popMenuTreeAdd() = 0;
    virtual void popMenuTreeDelete() = 0;
    virtual void popMenuTreeRename() = 0;
    virtual void popMenuTreeProperties() = 0;
    virtual void popMenuListLaunch() = 0;
    virtual void popMenuListDelete() = 0;
    virtual void popMenuListRename() = 0;
    virtual void popMenuListProperties() = 0;
};

// The traditional CD panel view (CD list, directory tree, details).
class CdPanelView : public CatalogueView {
public:
    // Whether its directory tree shows at least one node.
    virtual bool HasTreeNodes() const = 0;
    virtual void PropertiesListItem() = 0;
    virtual void PropertiesTreeItem() = 0;
    // The record id held by the selected tree node (0 for none), for the launch command.
    virtual int32_t SelectedTreeTag() const = 0;
    // The CDs a search walks: the CD list's ids in the order of its second column, ascending
    // (refilled first when the list is not current).
    virtual std::vector<int32_t> CdIdsForSearch() = 0;
};

// The report preview window (print and save of the shown page).
class ReportPreviewTarget {
public:
    virtual ~ReportPreviewTarget() = default;
    virtual void Print() = 0;
    virtual void SaveAs() = 0;
};

// Commands that are one call each. An empty function is a missing target.
struct MainCommandTargets {
    std::function<void()> preview;                // the report preview command
    std::function<void()> backup;                 // back up the data file
    std::function<void()> compact;                // compact the data file
    std::function<void(int32_t)> selectCategory;  // the category dialog, on a category id
    std::function<void(int32_t)> verifyCd;        // the verification window, on a CD id
    std::function<void()> exportList;             // export the active window's list
};

}  // namespace karvio
