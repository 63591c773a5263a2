// The program's main window: an MDI parent with the menu bar, the toolbar, the status bar and
// the progress bar docked into it during long work. It routes every CD command to the catalogue
// view of the active style, enables commands by context (SetMenuState) and only when their
// target window exists, owns the message box the program uses, and keeps its rectangle and view
// style in the settings. It is the engine's progress sink while it lives. User-interface thread.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QMargins>
#include <QPixmap>
#include <QPointer>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "Progress.h"
#include "mainwindow/MainWindowTargets.h"
#include "mainwindow/MenuState.h"
#include "views/ItemLocation.h"

class QAction;
class QFrame;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;

namespace karvio {

class ctlMsgBox;

inline constexpr int kToolbarButtonCount = 18;

class frmMenu : public QMainWindow, public ProgressSink {
    Q_OBJECT

public:
    explicit frmMenu(QWidget* parent = nullptr);
    ~frmMenu() override;

    // The program's main window while one exists.
    static frmMenu* Instance();

    // Restores the saved rectangle, applies the view style and shows the window.
    void MenuStart();

    // The windows the commands reach; each may be installed (or removed with nullptr) at any
    // time. The views' windows become children of the MDI area.
    void SetExplorerView(ExplorerView* view);
    void SetCdPanelView(CdPanelView* view);
    void SetSearchWindow(QWidget* window);
    // The duplicates window that Tools > Duplicates and its toolbar button bring to the front.
    void SetDuplicatesWindow(QWidget* window);
    // The comparison window that Tools > Compare brings to the front.
    void SetCompareWindow(QWidget* window);
    void SetReportPreview(ReportPreviewTarget* preview);
    // Shows `window` as a child of the MDI area (added the first time) and activates it.
    void ShowChildWindow(QWidget* window) { ShowChild(window); }
    // Sends the child window holding `window` behind the others and activates the one on top
    // (a window outside the MDI area is only lowered).
    static void SendChildToBack(QWidget* window);
    // The widget of the active child window; nullptr when there is none.
    QWidget* ActiveChildWindow() const;
    void SetCommandTargets(MainCommandTargets targets);
    const MainCommandTargets& CommandTargets() const { return targets_; }
    // The installed CD panel view (nullptr when none), and the view of the active style
    // (nullptr while it is not installed).
    CdPanelView* CdPanel() const { return cdPanel_; }
    CatalogueView* CurrentCatalogueView() const { return CurrentView(); }

    // Enables and disables the commands for a context (MenuMode); other modes change nothing.
    // While the catalogue cannot be used every context is the busy one.
    void SetMenuState(int mode);

    // Why the catalogue cannot be used (the message of its refused open), or empty when it can.
    // Setting a cause puts the window into the busy context until the cause is cleared; True
    // when the cause is new, that is when it has yet to be said.
    bool SetCatalogueProblem(const std::string& cause);
    const std::string& CatalogueProblem() const { return catalogueProblem_; }

    // Whether the explorer style is checked in the View menu.
    bool IsExplorerStyle() const;
    // Sets the View menu's check marks only (start-up, before MenuStart).
    void SetViewStyleChecks(bool explorer);

    // The status bar's place panel: where the selected item lies (its path and disc), or
    // nothing. A path too long for the panel gives up its middle; the whole is in its tool tip
    // and is what ItemLocationText returns.
    void ShowItemLocation(const ItemLocation& location);
    QString ItemLocationText() const;

    // The progress bar in the status bar.
    void ShowProgressBar(bool show);
    void ProgressStart(int count);
    void ProgressStep();
    void ProgressBounce();
    void ProgressEnd();
    // The Stop button beside the progress bar, shown while a long operation that can be stopped
    // runs (BusyScope shows it and takes its clicks).
    QPushButton* StopButton() const { return stopButton_; }
    void Start(int maximum) override { ProgressStart(maximum); }
    void Step() override { ProgressStep(); }
    void Bounce() override { ProgressBounce(); }
    void End() override { ProgressEnd(); }

    // Commands the views run as the menu does.
    void mnuCdAdd_Click();
    void mnuCdEdit_Click();
    void mnuCdDelete_Click();
    void mnuCdRescan_Click();
    // Reads the selected CD's disc again against the catalogue, in a window of its own.
    void mnuCdVerify_Click();
    // Writes the list the active child window shows to a file.
    void mnuFileExport_Click();
    void mnuCdProperties_Click();
    void mnuCdSearch_Click();
    void mnuToolsDuplicates_Click();
    void mnuToolsCompare_Click();
    void mnuCDShowList_Click();
    void mnuCdCategories_Click();
    void mnuFilePreview_Click();
    void mnuFilePrint_Click();
    void mnuFileSave_Click();
    void mnuHelpAbout_Click();
    void mnuHelpContents_Click();
    void mnuViewExplorer_Click();
    void mnuViewPanels_Click();
    void SetListMode(ListViewMode mode);
    // Saves the rectangle and the view style and ends the program.
    void Exit();

    ctlMsgBox* MsgBox() const { return ctlMsgBox1_; }
    QMdiArea* MdiArea() const { return mdiArea_; }
    QToolBar* Toolbar() const { return toolbar1_; }
    // Toolbar entry `index` (1 to 16, separators included).
    QAction* ToolbarButton(int index) const;
    // A menu or pop-up item by its name (for example "mnuCdAdd" or "popExpLaunch").
    QAction* Item(const QString& name) const;
    // A pop-up menu: "popCdMenu", "popTreeMenu", "mnuPopExpTree" or "mnuPopExpList".
    QMenu* PopupMenu(const QString& name) const;
    QProgressBar* ProgressBar() const { return progressBar1_; }
    // The status bar's second panel, which holds the progress bar during long work.
    QFrame* ProgressPanel() const { return progressPanel_; }
    int BounceDirection() const { return bounceDirection_; }
    // The rectangle as it is saved: left, top, width, height in twips.
    std::array<long long, 4> CurrentRectTwips() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows as much of the selected item's place as the panel has room for.
    void FitItemLocation();
    struct Command {
        std::function<bool()> available;  // empty: always available
        std::optional<bool> wanted;       // as SetMenuState left it
    };

    void BuildMenus();
    void BuildPopupMenus();
    void BuildToolbar();
    void BuildStatusBar();
    void SetUpMessageBox();
    QAction* AddItem(QMenu* menu, const char* name, const QString& caption,
                     std::function<void()> action, std::function<bool()> available = {});
    void OnToolbarButton(const QString& key);
    void OnFirstActivation();
    // The frame the window system adds around the window (a guess until it is shown).
    QMargins FrameMargins() const;
    // Places the window at `wanted`, shrunk and moved where needed to lie on the screen's
    // available area with its `frame`.
    void FitToScreen(const QRect& wanted, const QMargins& frame);
    void UpdateCommandStates();
    void ShowChild(QWidget* window);
    CatalogueView* CurrentView() const;
    void DebugClassData();
    void DebugCdData();
    void DebugDirData();
    void DebugCatData();

    QMdiArea* mdiArea_;
    QToolBar* toolbar1_ = nullptr;
    std::array<QAction*, kToolbarButtonCount + 1> buttons_{};
    QHash<QString, QAction*> items_;
    QHash<QString, QMenu*> popups_;
    QHash<QAction*, Command> commands_;
    std::array<QAction*, kMenuStateItemCount> stateItems_{};
    QAction* mnuViewListSeparator_ = nullptr;
    QLabel* statusText_ = nullptr;
    QLabel* placeText_ = nullptr;
    ItemLocation place_;
    QFrame* progressPanel_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    int bounceDirection_ = 1;
    QPixmap picture1_;  // the message box's background tile
    ctlMsgBox* ctlMsgBox1_ = nullptr;
    bool activated_ = false;
    bool exiting_ = false;
    std::string catalogueProblem_;

    ExplorerView* explorer_ = nullptr;
    CdPanelView* cdPanel_ = nullptr;
    QPointer<QWidget> searchWindow_;
    QPointer<QWidget> duplicatesWindow_;
    QPointer<QWidget> compareWindow_;
    ReportPreviewTarget* reportPreview_ = nullptr;
    MainCommandTargets targets_;
    ProgressSink* previousSink_ = nullptr;
};

// SetMenuState of the program's main window; nothing while there is none.
void SetMenuState(int mode);

// Whether the catalogue opens. When it does not, the cause is said (once while it stays the
// same, however many views find it) and the main window stays busy (5) until the catalogue opens
// again, so only a restart with another data file, Help and Exit remain.
bool CatalogueOpens();

}  // namespace karvio
