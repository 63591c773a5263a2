#include <gtest/gtest.h>

#include <QAction>
#include <QFrame>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QToolBar>

#include "Messages.h"
#include "controls/Twips.h"
#include "mainwindow/MenuState.h"
#include "mainwindow/WindowRect.h"
#include "mainwindow/frmMenu.h"
#include "startup/Settings.h"

namespace karvio {
namespace {

using S = MenuStateItem;

// The context table, one string per item: modes 0..5, E enabled, - disabled, . unchanged.
const std::pair<S, const char*> kExpectedTable[] = {
    {S::kButtonAdd, "EEEEE-"},        {S::kCdAdd, "EEEEE-"},        {S::kButtonEdit, "-EE---"},
    {S::kButtonDelete, "-EE---"},     {S::kButtonRescan, "-EE---"}, {S::kCdEdit, "-EE---"},
    {S::kCdDelete, "-EE---"},         {S::kCdRescan, "-EE---"},     {S::kButtonPreview, "--E-E-"},
    {S::kFilePreview, "--E-E-"},      {S::kButtonPrint, "----E-"},  {S::kButtonSave, "----E-"},
    {S::kFilePrint, "----E-"},        {S::kFileSave, "..--E-"},     {S::kButtonSearch, "-EEEE-"},
    {S::kCdSearch, "-EEEE-"},         {S::kFileBackup, "-EEEE-"},   {S::kFileCompact, "-EEEE-"},
    {S::kButtonCategories, "EEE---"}, {S::kButtonTree, "---EE-"},   {S::kCDShowList, "---E--"},
    {S::kButtonSetup, "EEEEE-"},
};

TEST(MenuState, TableOfEveryMode) {
    static_assert(std::size(kExpectedTable) == kMenuStateItemCount);
    for (int mode = 0; mode <= 5; ++mode) {
        const MenuStateRow row = MenuStateFor(mode);
        for (const auto& [item, states] : kExpectedTable) {
            const std::optional<bool> got = row[static_cast<int>(item)];
            const char want = states[mode];
            if (want == '.') {
                EXPECT_FALSE(got.has_value())
                    << "mode " << mode << " item " << static_cast<int>(item);
            } else {
                ASSERT_TRUE(got.has_value())
                    << "mode " << mode << " item " << static_cast<int>(item);
                EXPECT_EQ(*got, want == 'E')
                    << "mode " << mode << " item " << static_cast<int>(item);
            }
        }
    }
}

TEST(MenuState, ModesOutsideTheTableChangeNothing) {
    for (int mode : {-1, 6, 99}) {
        for (const auto& state : MenuStateFor(mode)) EXPECT_FALSE(state.has_value());
    }
}

// Stand-ins for the windows of later parts; they count the calls the main window routes.
struct FakeExplorer : ExplorerView {
    QWidget window;
    int adds = 0, edits = 0, deletes = 0, rescans = 0, properties = 0, refills = 0;
    std::optional<ListViewMode> mode;
    QWidget* ViewWindow() override { return &window; }
    void MainMenu_CdAdd() override { ++adds; }
    void MainMenu_CdEdit() override { ++edits; }
    void MainMenu_CdDelete() override { ++deletes; }
    void MainMenu_CdRescan() override { ++rescans; }
    void PropertiesMainMenu() override { ++properties; }
    int32_t selectedCd = 0;
    int32_t SelectedCdId() const override { return selectedCd; }
    void StartFocus() override {}
    std::optional<PreviewSource> PreviewStart() override { return std::nullopt; }
    void RevealRecord(const RecordRef&) override {}
    void ReloadCatalogue() override {}
    void SwitchListViewModes(ListViewMode m) override { mode = m; }
    void RefillListCds() override { ++refills; }
    void popMenuTreeLaunch() override {}
    void popMenuTreeAdd() override {}
    void popMenuTreeDelete() override {}
    void popMenuTreeRename() override {}
    void popMenuTreeProperties() override {}
    void popMenuListLaunch() override {}
    void popMenuListDelete() override {}
    void popMenuListRename() override {}
    void popMenuListProperties() override {}
};

struct FakeCdPanel : CdPanelView {
    QWidget window;
    int adds = 0;
    bool nodes = false;
    QWidget* ViewWindow() override { return &window; }
    void MainMenu_CdAdd() override { ++adds; }
    void MainMenu_CdEdit() override {}
    void MainMenu_CdDelete() override {}
    void MainMenu_CdRescan() override {}
    void PropertiesMainMenu() override {}
    int32_t SelectedCdId() const override { return 0; }
    void StartFocus() override {}
    std::optional<PreviewSource> PreviewStart() override { return std::nullopt; }
    void RevealRecord(const RecordRef&) override {}
    void ReloadCatalogue() override {}
    bool HasTreeNodes() const override { return nodes; }
    void PropertiesListItem() override {}
    void PropertiesTreeItem() override {}
    int32_t SelectedTreeTag() const override { return 0; }
    std::vector<int32_t> CdIdsForSearch() override { return {}; }
};

struct FakeReport : ReportPreviewTarget {
    int prints = 0;
    void Print() override { ++prints; }
    void SaveAs() override {}
};

// Every target installed, so enabled states follow the context table alone.
struct EquippedWindow {
    frmMenu menu;
    FakeExplorer* explorer = new FakeExplorer;
    FakeCdPanel* cdPanel = new FakeCdPanel;
    QWidget* search = new QWidget;
    FakeReport report;
    int categoryCalls = 0;

    EquippedWindow() {
        menu.SetExplorerView(explorer);
        menu.SetCdPanelView(cdPanel);
        menu.SetSearchWindow(search);
        menu.SetReportPreview(&report);
        menu.SetCommandTargets({[] {}, [] {}, [] {}, [this](int32_t) { ++categoryCalls; }, {}, {}});
    }
    ~EquippedWindow() {
        menu.SetExplorerView(nullptr);
        menu.SetCdPanelView(nullptr);
        // The MDI area owns the views' windows once shown; the fakes own them otherwise.
        for (QWidget* w : {&explorer->window, &cdPanel->window}) w->setParent(nullptr);
        delete explorer;
        delete cdPanel;
        delete search;
    }
};

struct ItemOf {
    S item;
    const char* name;  // menu item, or "" for a toolbar button
    int button;
};
const ItemOf kItems[] = {
    {S::kButtonAdd, "", 1},
    {S::kButtonEdit, "", 2},
    {S::kButtonDelete, "", 3},
    {S::kButtonRescan, "", 4},
    {S::kButtonPreview, "", 6},
    {S::kButtonPrint, "", 7},
    {S::kButtonSave, "", 8},
    {S::kButtonSearch, "", 10},
    {S::kButtonCategories, "", 12},
    {S::kButtonTree, "", 14},
    {S::kCdAdd, "mnuCdAdd", 0},
    {S::kCdEdit, "mnuCdEdit", 0},
    {S::kCdDelete, "mnuCdDelete", 0},
    {S::kCdRescan, "mnuCdRescan", 0},
    {S::kFilePreview, "mnuFilePreview", 0},
    {S::kFilePrint, "mnuFilePrint", 0},
    {S::kCdSearch, "mnuCdSearch", 0},
    {S::kFileBackup, "mnuFileBackup", 0},
    {S::kFileCompact, "mnuFileCompact", 0},
    {S::kCDShowList, "mnuCDShowList", 0},
};

TEST(MainWindow, SetMenuStateEnablesByContextWhenTargetsExist) {
    EquippedWindow w;
    for (int mode = 0; mode <= 5; ++mode) {
        w.menu.SetMenuState(mode);
        for (const ItemOf& i : kItems) {
            QAction* action = i.button ? w.menu.ToolbarButton(i.button) : w.menu.Item(i.name);
            ASSERT_NE(action, nullptr);
            const char want = [&] {
                for (const auto& [item, states] : kExpectedTable) {
                    if (item == i.item) return states[mode];
                }
                return '?';
            }();
            EXPECT_EQ(action->isEnabled(), want == 'E')
                << "mode " << mode << " " << i.name << i.button;
        }
        EXPECT_FALSE(w.menu.ToolbarButton(11)->isEnabled()) << "Sync has no action";
    }
}

TEST(MainWindow, SaveAsIsLeftAloneInModesZeroAndOne) {
    EquippedWindow w;
    QAction* save = w.menu.Item("mnuFileSave");
    w.menu.SetMenuState(kModePreview);
    w.menu.SetMenuState(kModeEmptyCatalogue);
    EXPECT_TRUE(save->isEnabled());
    w.menu.SetMenuState(kModeCdShown);
    w.menu.SetMenuState(kModeNoCdShown);
    EXPECT_FALSE(save->isEnabled());
    w.menu.SetMenuState(7);
    EXPECT_FALSE(save->isEnabled());
}

TEST(MainWindow, CommandsWithoutATargetStayDisabled) {
    frmMenu menu;
    for (int mode = 0; mode <= 5; ++mode) {
        menu.SetMenuState(mode);
        for (int button = 1; button <= kToolbarButtonCount; ++button) {
            QAction* action = menu.ToolbarButton(button);
            if (!action->isSeparator()) {
                EXPECT_FALSE(action->isEnabled()) << "button " << button;
            }
        }
        for (const char* name :
             {"mnuCdAdd", "mnuCdEdit", "mnuCdDelete", "mnuCdRescan", "mnuCdProperties",
              "mnuCdSearch", "mnuCdCategories", "mnuFilePreview", "mnuFilePrint", "mnuFileSave",
              "mnuFileBackup", "mnuFileCompact", "mnuCDShowList", "popExpLaunch", "popTreeLaunch",
              "popCdProperties", "mnuToolsDuplicates", "mnuCdVerify", "popCdVerify", "mnuToolsCompare", "mnuFileExport"}) {
            EXPECT_FALSE(menu.Item(name)->isEnabled()) << name;
        }
        for (const char* name : {"mnuFileExit", "mnuViewExplorer", "mnuViewPanels", "mnuHelpTip",
                                 "mnuHelpAbout", "mnuHelpContents", "mnuDebugData"}) {
            EXPECT_TRUE(menu.Item(name)->isEnabled()) << name;
        }
    }
}

TEST(MainWindow, MenusCarryTheirCaptions) {
    frmMenu menu;
    const std::pair<const char*, const char*> captions[] = {
        {"mnuFilePreview", "P&review"},
        {"mnuFilePrint", "&Print"},
        {"mnuFileSave", "&Save as htm"},
        {"mnuFileExport", "&Export..."},
        {"mnuFileBackup", "&Backup"},
        {"mnuFileCompact", "&Compact Data"},
        {"mnuFileExit", "E&xit"},
        {"mnuCDShowList", "Show &List"},
        {"mnuCdAdd", "&Add"},
        {"mnuCdEdit", "&Edit Details"},
        {"mnuCdDelete", "&Delete"},
        {"mnuCdRescan", "&Rescan"},
        {"mnuCdVerify", "&Verify"},
        {"mnuCdCategories", "&Categories"},
        {"mnuCdSearch", "&Search"},
        {"mnuCdProperties", "&Properties"},
        {"mnuViewExplorer", "&Explorer Style"},
        {"mnuViewPanels", "&Traditional"},
        {"mnuViewLargeIcons", "L&arge Icons"},
        {"mnuViewSmallIcons", "S&mall Icons"},
        {"mnuViewList", "&List"},
        {"mnuViewDetails", "&Details"},
        {"mnuDebugData", "Class Data"},
        {"mnuDebugCd", "CD Data"},
        {"mnuDebugDir", "Dir Data"},
        {"mnuDebugFile", "Files Data"},
        {"mnuDebugCat", "Cat Data"},
        {"mnuHelpContents", "&Contents"},
        {"mnuHelpIndex", "&Index"},
        {"mnuHelpTip", "&Tip of the day"},
        {"mnuHelpAbout", "&About"},
        {"popCdProperties", "&Properties"},
        {"popCdAdd", "&Add Cd"},
        {"popCdEdit", "&Edit CD Details"},
        {"popCdDelete", "&Delete Cd"},
        {"popCdRescan", "&Rescan CD"},
        {"popCdSearch", "&Search"},
        {"popCdPreview", "&Report Preview"},
        {"popTreeLaunch", "&Launch"},
        {"popExpAddCdOrFolder", "Add Cd &or Folder"},
        {"popExpCatAdd", "&Add Category"},
        {"popExpCatRemove", "&Remove"},
        {"popExpCatRename", "Re&name"},
        {"popExpListViewLargeIcons", "Large Icons"},
        {"popExpListSearch", "&Search"},
    };
    for (const auto& [name, caption] : captions) {
        ASSERT_NE(menu.Item(name), nullptr) << name;
        EXPECT_EQ(menu.Item(name)->text(), caption) << name;
    }
    for (const char* popup : {"popCdMenu", "popTreeMenu", "mnuPopExpTree", "mnuPopExpList"}) {
        EXPECT_NE(menu.PopupMenu(popup), nullptr) << popup;
    }
    EXPECT_EQ(menu.windowTitle(), "Karvio");
    EXPECT_TRUE(menu.Item("mnuViewExplorer")->isChecked());
    EXPECT_TRUE(menu.Item("mnuViewDetails")->isChecked());
}

TEST(MainWindow, ToolbarButtonsByIndex) {
    frmMenu menu;
    const std::pair<const char*, const char*> entries[] = {
        {"Add", "Add"},
        {"Edit", "Edit Details"},
        {"Delete", "Delete"},
        {"Rescan", "Rescan"},
        {"", ""},
        {"Preview", "Preview"},
        {"Print", "Print"},
        {"SaveAs", "Save"},
        {"", ""},
        {"Search", "Search"},
        {"Sync", "Sync"},
        {"Categories", "Categories Setup"},
        {"", ""},
        {"Tree", "Tree/List View Mode"},
        {"", ""},
        {"Setup", "Setup"},
        {"", ""},
        {"Duplicates", "Duplicates"},
    };
    ASSERT_EQ(menu.Toolbar()->actions().size(), kToolbarButtonCount);
    for (int i = 1; i <= kToolbarButtonCount; ++i) {
        QAction* button = menu.ToolbarButton(i);
        ASSERT_EQ(button, menu.Toolbar()->actions().at(i - 1));
        const auto& [key, tip] = entries[i - 1];
        EXPECT_EQ(button->isSeparator(), *key == '\0') << i;
        if (*key) {
            EXPECT_EQ(button->data().toString(), key);
            EXPECT_EQ(button->toolTip(), tip);
            EXPECT_FALSE(button->icon().isNull()) << key;
        }
    }
}

TEST(MainWindow, CdCommandsGoToTheViewOfTheActiveStyle) {
    EquippedWindow w;
    w.menu.mnuViewExplorer_Click();
    w.menu.ToolbarButton(1)->trigger();
    w.menu.Item("mnuCdEdit")->trigger();
    w.menu.Item("popExpListAddCdOrFolder")->trigger();
    EXPECT_EQ(w.explorer->adds, 2);
    EXPECT_EQ(w.explorer->edits, 1);
    w.menu.mnuViewPanels_Click();
    w.menu.Item("mnuCdAdd")->trigger();
    EXPECT_EQ(w.cdPanel->adds, 1);
    EXPECT_EQ(w.explorer->adds, 2);

    // The category menu item refills the explorer afterwards; the toolbar button does not.
    w.menu.mnuViewExplorer_Click();
    w.menu.Item("mnuCdCategories")->trigger();
    w.menu.ToolbarButton(12)->trigger();
    EXPECT_EQ(w.categoryCalls, 2);
    EXPECT_EQ(w.explorer->refills, 1);
}

TEST(MainWindow, VerifyGoesToTheSelectedCdOrAsksForOne) {
    EquippedWindow w;
    std::vector<int32_t> verified;
    MainCommandTargets targets = w.menu.CommandTargets();
    targets.verifyCd = [&verified](int32_t id) { verified.push_back(id); };
    w.menu.SetCommandTargets(std::move(targets));
    std::vector<std::string> messages;
    const MessageSink previous = SetMessageSink([&messages](const std::string& text, const MsgButtonSet&) {
        messages.push_back(text);
        return 1;
    });
    w.menu.mnuViewExplorer_Click();
    ASSERT_TRUE(w.menu.Item("mnuCdVerify")->isEnabled());
    w.menu.Item("mnuCdVerify")->trigger();
    EXPECT_TRUE(verified.empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Select the CD to verify first.");
    w.explorer->selectedCd = 7;
    w.menu.Item("mnuCdVerify")->trigger();
    EXPECT_EQ(verified, std::vector<int32_t>{7});
    // The CD list's menu offers it too.
    w.menu.Item("popCdVerify")->trigger();
    EXPECT_EQ(verified, (std::vector<int32_t>{7, 7}));
    SetMessageSink(previous);
}

TEST(MainWindow, ShowListAndSearchSetTheContext) {
    EquippedWindow w;
    w.menu.mnuViewPanels_Click();
    w.menu.mnuCDShowList_Click();
    EXPECT_FALSE(w.menu.Item("mnuFilePreview")->isEnabled()) << "no CD shown: mode 1";
    EXPECT_TRUE(w.menu.Item("mnuCdEdit")->isEnabled());
    w.cdPanel->nodes = true;
    w.menu.mnuCDShowList_Click();
    EXPECT_TRUE(w.menu.Item("mnuFilePreview")->isEnabled()) << "a CD shown: mode 2";
    w.menu.mnuCdSearch_Click();
    EXPECT_TRUE(w.menu.Item("mnuCDShowList")->isEnabled()) << "search: mode 3";
    EXPECT_FALSE(w.menu.Item("mnuCdEdit")->isEnabled());
    EXPECT_EQ(w.menu.MdiArea()->activeSubWindow()->widget(), w.search);
}

TEST(MainWindow, ViewStyleAndListModes) {
    EquippedWindow w;
    w.menu.mnuViewPanels_Click();
    EXPECT_TRUE(w.menu.Item("mnuViewPanels")->isChecked());
    EXPECT_FALSE(w.menu.Item("mnuViewExplorer")->isChecked());
    EXPECT_FALSE(w.menu.Item("mnuViewList")->isVisible());
    // With the traditional style the pop-up twins still follow, the explorer is not told.
    w.menu.SetListMode(ListViewMode::kList);
    EXPECT_TRUE(w.menu.Item("popExpListViewList")->isChecked());
    EXPECT_FALSE(w.menu.Item("popExpListViewDetails")->isChecked());
    EXPECT_TRUE(w.menu.Item("mnuViewList")->isChecked());
    EXPECT_FALSE(w.explorer->mode.has_value());

    w.menu.mnuViewExplorer_Click();
    EXPECT_TRUE(w.menu.Item("mnuViewList")->isVisible());
    w.menu.Item("popExpListViewLargeIcons")->trigger();
    EXPECT_TRUE(w.menu.Item("mnuViewLargeIcons")->isChecked());
    EXPECT_FALSE(w.menu.Item("mnuViewList")->isChecked());
    ASSERT_TRUE(w.explorer->mode.has_value());
    EXPECT_EQ(*w.explorer->mode, ListViewMode::kLargeIcons);
}

TEST(MainWindow, ProgressBarDocksIntoTheSecondPanel) {
    frmMenu menu;
    QProgressBar* bar = menu.ProgressBar();
    EXPECT_FALSE(bar->isVisibleTo(&menu));
    menu.ProgressStart(0);
    EXPECT_EQ(bar->maximum(), 1);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->parentWidget(), menu.ProgressPanel());
    EXPECT_TRUE(bar->isVisibleTo(&menu));
    // Shown, the bar fills its panel, which the status bar shows at the right.
    menu.resize(800, 400);
    menu.show();
    QTRY_VERIFY(menu.ProgressPanel()->isVisible() && bar->isVisible());
    QTRY_VERIFY(bar->height() >= menu.ProgressPanel()->height() - 8 && bar->width() >= menu.ProgressPanel()->width() - 6);
    EXPECT_GT(menu.ProgressPanel()->x(), menu.width() / 2);
    menu.ProgressStep();
    menu.ProgressStep();
    EXPECT_EQ(bar->value(), 1) << "a step never passes the maximum";
    menu.ProgressEnd();
    EXPECT_FALSE(bar->isVisibleTo(&menu));
    EXPECT_EQ(bar->parentWidget(), menu.Toolbar());
    // Idle, the panel leaves its room to the place of the selected item.
    EXPECT_FALSE(menu.ProgressPanel()->isVisibleTo(&menu));
    menu.ProgressStart(3);
    EXPECT_TRUE(menu.ProgressPanel()->isVisibleTo(&menu));
    QTRY_VERIFY(bar->isVisible() && bar->width() >= menu.ProgressPanel()->width() - 6);
    menu.ProgressEnd();
}

TEST(MainWindow, ProgressBounceSweepsBackAndForth) {
    frmMenu menu;
    menu.ProgressStart(2);
    std::vector<int> values;
    for (int i = 0; i < 9; ++i) {
        menu.ProgressBounce();
        values.push_back(menu.ProgressBar()->value());
    }
    // Reaching an end turns the direction without moving.
    EXPECT_EQ(values, (std::vector<int>{1, 2, 2, 1, 0, 0, 1, 2, 2}));
    // The engine's progress calls reach the main window.
    karvio::ProgressStart(5);
    EXPECT_EQ(menu.ProgressBar()->maximum(), 5);
    EXPECT_EQ(menu.BounceDirection(), 1);
    karvio::ProgressEnd();
    EXPECT_FALSE(menu.ProgressBar()->isVisibleTo(&menu));
}

TEST(WindowRect, RejectsRectanglesOffTheScreen) {
    struct Case {
        TwipsRect rect;
        bool usable;
    } cases[] = {
        {{0, 0, 6000, 4500}, true},
        {{1500, 1500, 9000, 6000}, true},
        {{0, 0, 19200, 14400}, true},           // exactly the screen
        {{-48000, -48000, 6000, 4500}, false},  // left minimized
        {{-1, 0, 6000, 4500}, false},
        {{0, 0, -5, 4500}, false},
        {{19201, 0, 0, 0}, false},
        {{0, 14401, 0, 0}, false},
        {{15000, 0, 6000, 4500}, false},  // right edge off screen
        {{0, 12000, 6000, 4500}, false},  // bottom edge off screen
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSavedRectUsable(c.rect, 19200, 14400), c.usable)
            << c.rect.left << "," << c.rect.top << "," << c.rect.width << "," << c.rect.height;
    }
}

void SaveRect(const QString& left, const QString& top, const QString& width,
              const QString& height) {
    SaveSetting(settings::kLeft, left);
    SaveSetting(settings::kTop, top);
    SaveSetting(settings::kWidth, width);
    SaveSetting(settings::kHeight, height);
}

TEST(MainWindow, MenuStartRestoresAUsableRectangle) {
    SaveRect("1500", "1500", "6000", "4500");
    frmMenu menu;
    menu.MenuStart();
    const QRect g = menu.geometry();
    EXPECT_EQ(g, QRect(TwipsToPixels(1500), TwipsToPixels(1500), TwipsToPixels(6000),
                       TwipsToPixels(4500)));
    menu.hide();
}

TEST(MainWindow, MenuStartKeepsTheDesignRectangleForBadValues) {
    const std::array<std::array<const char*, 4>, 3> bad = {{
        {"1500", "1500", "600000", "4500"},  // far wider than the screen
        {"-48000", "-48000", "6000", "4500"},
        {"left", "1500", "6000", "4500"},  // damaged settings file
    }};
    QRect design;
    {
        SaveRect("", "", "", "");  // nothing saved: the design rectangle, fitted to the screen
        frmMenu menu;
        menu.MenuStart();
        design = menu.geometry();
        menu.hide();
    }
    for (const auto& values : bad) {
        SaveRect(values[0], values[1], values[2], values[3]);
        frmMenu menu;
        menu.MenuStart();
        // The window system may add its frame once shown; the saved rectangle is not used.
        EXPECT_EQ(menu.size(), design.size()) << values[0] << " " << values[2];
        EXPECT_NEAR(menu.x(), design.x(), 4);
        EXPECT_NEAR(menu.y(), design.y(), 4);
        menu.hide();
    }
}

TEST(MainWindow, ExitSavesRectangleAndStyle) {
    {
        frmMenu menu;
        menu.setGeometry(TwipsToPixels(1200), TwipsToPixels(900), TwipsToPixels(7200),
                         TwipsToPixels(6000));
        menu.mnuViewPanels_Click();
        menu.Exit();
    }
    EXPECT_EQ(GetSetting(settings::kViewModeExplorer), "False");
    EXPECT_NEAR(GetSetting(settings::kLeft).toDouble(), 1200, 15);
    EXPECT_NEAR(GetSetting(settings::kTop).toDouble(), 900, 15);
    EXPECT_NEAR(GetSetting(settings::kWidth).toDouble(), 7200, 15);
    EXPECT_NEAR(GetSetting(settings::kHeight).toDouble(), 6000, 15);
    SaveSetting(settings::kViewModeExplorer, "True");
}

TEST(MainWindow, MinimumSizeIs6000By4500Twips) {
    frmMenu menu;
    EXPECT_EQ(menu.minimumSize(), QSize(TwipsToPixels(6000), TwipsToPixels(4500)));
    menu.resize(10, 10);
    EXPECT_EQ(menu.size(), menu.minimumSize());
}

TEST(MainWindow, IsTheEnginesProgressSinkWhileItLives) {
    auto* menu = new frmMenu;
    EXPECT_EQ(SetProgressSink(menu), menu);
    delete menu;
    EXPECT_EQ(SetProgressSink(nullptr), nullptr);
}

}  // namespace
}  // namespace karvio
