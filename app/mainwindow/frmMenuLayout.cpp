// The main window's menus, pop-up menus, toolbar and status bar, built once when the window is
// made: every item with its caption, access key and object name, and the toolbar by index.
#include <QAction>
#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>

#include "ProgramInfo.h"
#include "controls/SizeText.h"
#include "mainwindow/ToolbarIcons.h"
#include "mainwindow/frmMenu.h"
#include "startup/LaunchFile.h"
#include "views/frmTip.h"

namespace karvio {

namespace {

constexpr int kProgressPanelWidthPx = 200;
constexpr int kToolbarIconPx = 24;

// The toolbar by index: key and tooltip; an empty key is a separator.
struct ToolbarEntry {
    const char* key;
    const char* tooltip;
};
constexpr ToolbarEntry kToolbar[kToolbarButtonCount] = {
    {"Add", QT_TRANSLATE_NOOP("karvio::frmMenu", "Add")},
    {"Edit", QT_TRANSLATE_NOOP("karvio::frmMenu", "Edit Details")},
    {"Delete", QT_TRANSLATE_NOOP("karvio::frmMenu", "Delete")},
    {"Rescan", QT_TRANSLATE_NOOP("karvio::frmMenu", "Rescan")},
    {"", ""},
    {"Preview", QT_TRANSLATE_NOOP("karvio::frmMenu", "Preview")},
    {"Print", QT_TRANSLATE_NOOP("karvio::frmMenu", "Print")},
    {"SaveAs", QT_TRANSLATE_NOOP("karvio::frmMenu", "Save")},
    {"", ""},
    {"Search", QT_TRANSLATE_NOOP("karvio::frmMenu", "Search")},
    {"Sync", QT_TRANSLATE_NOOP("karvio::frmMenu", "Sync")},
    {"Categories", QT_TRANSLATE_NOOP("karvio::frmMenu", "Categories Setup")},
    {"", ""},
    {"Tree", QT_TRANSLATE_NOOP("karvio::frmMenu", "Tree/List View Mode")},
    {"", ""},
    {"Setup", QT_TRANSLATE_NOOP("karvio::frmMenu", "Setup")},
    {"", ""},
    {"Duplicates", QT_TRANSLATE_NOOP("karvio::frmMenu", "Duplicates")},
};

}  // namespace

QAction* frmMenu::AddItem(QMenu* menu, const char* name, const QString& caption,
                          std::function<void()> action, std::function<bool()> available) {
    auto* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    if (action) {
        connect(item, &QAction::triggered, this, [action = std::move(action)] { action(); });
    }
    items_.insert(item->objectName(), item);
    commands_.insert(item, Command{std::move(available), std::nullopt});
    return item;
}

void frmMenu::BuildMenus() {
    auto never = [] { return false; };
    auto view = [this] { return CurrentView() != nullptr; };
    auto search = [this] { return !searchWindow_.isNull(); };
    auto preview = [this] { return static_cast<bool>(targets_.preview); };
    auto report = [this] { return reportPreview_ != nullptr; };
    auto categories = [this] { return static_cast<bool>(targets_.selectCategory); };

    QMenu* file = menuBar()->addMenu(tr("&File"));
    AddItem(
        file, "mnuFilePreview", tr("P&review"), [this] { mnuFilePreview_Click(); }, preview);
    AddItem(
        file, "mnuFilePrint", tr("&Print"), [this] { mnuFilePrint_Click(); }, report);
    AddItem(
        file, "mnuFileSave", tr("&Save as htm"), [this] { mnuFileSave_Click(); }, report);
    AddItem(
        file, "mnuFileExport", tr("&Export..."), [this] { mnuFileExport_Click(); },
        [this] { return static_cast<bool>(targets_.exportList); });
    file->addSeparator();
    AddItem(
        file, "mnuFileBackup", tr("&Backup"), [this] { targets_.backup(); },
        [this] { return static_cast<bool>(targets_.backup); });
    AddItem(
        file, "mnuFileCompact", tr("&Compact Data"), [this] { targets_.compact(); },
        [this] { return static_cast<bool>(targets_.compact); });
    file->addSeparator();
    QAction* exit = AddItem(file, "mnuFileExit", tr("E&xit"), [this] { Exit(); });
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* cd = menuBar()->addMenu(tr("&CD"));
    AddItem(
        cd, "mnuCDShowList", tr("Show &List"), [this] { mnuCDShowList_Click(); }, view);
    cd->addSeparator();
    AddItem(
        cd, "mnuCdAdd", tr("&Add"), [this] { mnuCdAdd_Click(); }, view);
    AddItem(
        cd, "mnuCdEdit", tr("&Edit Details"), [this] { mnuCdEdit_Click(); }, view);
    AddItem(
        cd, "mnuCdDelete", tr("&Delete"), [this] { mnuCdDelete_Click(); }, view);
    AddItem(
        cd, "mnuCdRescan", tr("&Rescan"), [this] { mnuCdRescan_Click(); }, view);
    AddItem(
        cd, "mnuCdVerify", tr("&Verify"), [this] { mnuCdVerify_Click(); },
        [this] { return CurrentView() != nullptr && static_cast<bool>(targets_.verifyCd); });
    cd->addSeparator();
    AddItem(
        cd, "mnuCdCategories", tr("&Categories"), [this] { mnuCdCategories_Click(); }, categories);
    AddItem(
        cd, "mnuCdSearch", tr("&Search"), [this] { mnuCdSearch_Click(); }, search);
    cd->addSeparator();
    AddItem(
        cd, "mnuCdProperties", tr("&Properties"), [this] { mnuCdProperties_Click(); }, view);

    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    QAction* explorer = AddItem(viewMenu, "mnuViewExplorer", tr("&Explorer Style"),
                                [this] { mnuViewExplorer_Click(); });
    QAction* panels =
        AddItem(viewMenu, "mnuViewPanels", tr("&Traditional"), [this] { mnuViewPanels_Click(); });
    explorer->setCheckable(true);
    panels->setCheckable(true);
    explorer->setChecked(true);
    // Groups only draw the items as a choice of one; the commands set the check marks.
    auto* styleGroup = new QActionGroup(this);
    styleGroup->addAction(explorer);
    styleGroup->addAction(panels);
    auto* modeGroup = new QActionGroup(this);
    mnuViewListSeparator_ = viewMenu->addSeparator();
    const struct {
        const char* name;
        const char* caption;
        ListViewMode mode;
    } listModes[] = {
        {"mnuViewLargeIcons", QT_TRANSLATE_NOOP("karvio::frmMenu", "L&arge Icons"),
         ListViewMode::kLargeIcons},
        {"mnuViewSmallIcons", QT_TRANSLATE_NOOP("karvio::frmMenu", "S&mall Icons"),
         ListViewMode::kSmallIcons},
        {"mnuViewList", QT_TRANSLATE_NOOP("karvio::frmMenu", "&List"), ListViewMode::kList},
        {"mnuViewDetails", QT_TRANSLATE_NOOP("karvio::frmMenu", "&Details"),
         ListViewMode::kDetails},
    };
    for (const auto& m : listModes) {
        QAction* item =
            AddItem(viewMenu, m.name, tr(m.caption), [this, mode = m.mode] { SetListMode(mode); });
        item->setCheckable(true);
        modeGroup->addAction(item);
        item->setChecked(m.mode == ListViewMode::kDetails);
    }
    // Sizes in the lists as exact byte counts instead of "125.9 MB".
    viewMenu->addSeparator();
    QAction* exact = AddItem(viewMenu, "mnuViewExactSizes", tr("E&xact Sizes in Bytes"), {});
    exact->setCheckable(true);
    exact->setChecked(SizeDisplay::Instance().Exact());
    connect(exact, &QAction::toggled, this, [](bool on) { SizeDisplay::Instance().SetExact(on); });

    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    AddItem(
        tools, "mnuToolsDuplicates", tr("&Duplicates"), [this] { mnuToolsDuplicates_Click(); },
        [this] { return !duplicatesWindow_.isNull(); });
    AddItem(
        tools, "mnuToolsCompare", tr("&Compare"), [this] { mnuToolsCompare_Click(); },
        [this] { return !compareWindow_.isNull(); });

    QMenu* debug = menuBar()->addMenu(tr("&Debug"));
    AddItem(debug, "mnuDebugData", tr("Class Data"), [this] { DebugClassData(); });
    AddItem(debug, "mnuDebugCd", tr("CD Data"), [this] { DebugCdData(); });
    AddItem(debug, "mnuDebugDir", tr("Dir Data"), [this] { DebugDirData(); });
    AddItem(debug, "mnuDebugFile", tr("Files Data"), {}, never);
    AddItem(debug, "mnuDebugCat", tr("Cat Data"), [this] { DebugCatData(); });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* contents =
        AddItem(help, "mnuHelpContents", tr("&Contents"), [this] { mnuHelpContents_Click(); });
    contents->setShortcut(QKeySequence::HelpContents);
    AddItem(help, "mnuHelpIndex", tr("&Index"), {}, never);
    help->addSeparator();
    AddItem(help, "mnuHelpTip", tr("&Tip of the day"),
            [this] { frmTip::ShowTipOfTheDay(true, this); });
    help->addSeparator();
    AddItem(help, "mnuHelpAbout", tr("&About"), [this] { mnuHelpAbout_Click(); });

    using S = MenuStateItem;
    auto state = [this](S item, const char* name) {
        stateItems_[static_cast<int>(item)] = items_.value(name);
    };
    state(S::kCdAdd, "mnuCdAdd");
    state(S::kCdEdit, "mnuCdEdit");
    state(S::kCdDelete, "mnuCdDelete");
    state(S::kCdRescan, "mnuCdRescan");
    state(S::kFilePreview, "mnuFilePreview");
    state(S::kFilePrint, "mnuFilePrint");
    state(S::kFileSave, "mnuFileSave");
    state(S::kCdSearch, "mnuCdSearch");
    state(S::kFileBackup, "mnuFileBackup");
    state(S::kFileCompact, "mnuFileCompact");
    state(S::kCDShowList, "mnuCDShowList");
}

void frmMenu::BuildPopupMenus() {
    auto cdPanel = [this] { return cdPanel_ != nullptr; };
    auto explorer = [this] { return explorer_ != nullptr; };
    auto view = [this] { return CurrentView() != nullptr; };
    auto search = [this] { return !searchWindow_.isNull(); };
    auto preview = [this] { return static_cast<bool>(targets_.preview); };
    auto popup = [this](const char* name) {
        auto* menu = new QMenu(this);
        menu->setObjectName(QString::fromLatin1(name));
        popups_.insert(menu->objectName(), menu);
        return menu;
    };

    QMenu* cd = popup("popCdMenu");
    AddItem(
        cd, "popCdProperties", tr("&Properties"), [this] { cdPanel_->PropertiesListItem(); },
        cdPanel);
    AddItem(
        cd, "popCdAdd", tr("&Add Cd"), [this] { mnuCdAdd_Click(); }, view);
    AddItem(
        cd, "popCdEdit", tr("&Edit CD Details"), [this] { mnuCdEdit_Click(); }, view);
    AddItem(
        cd, "popCdDelete", tr("&Delete Cd"), [this] { mnuCdDelete_Click(); }, view);
    AddItem(
        cd, "popCdRescan", tr("&Rescan CD"), [this] { mnuCdRescan_Click(); }, view);
    AddItem(
        cd, "popCdVerify", tr("&Verify CD"), [this] { mnuCdVerify_Click(); },
        [this] { return CurrentView() != nullptr && static_cast<bool>(targets_.verifyCd); });
    AddItem(
        cd, "popCdSearch", tr("&Search"), [this] { mnuCdSearch_Click(); }, search);
    AddItem(
        cd, "popCdPreview", tr("&Report Preview"), [this] { mnuFilePreview_Click(); }, preview);

    QMenu* tree = popup("popTreeMenu");
    AddItem(
        tree, "popTreeProperties", tr("&Properties"), [this] { cdPanel_->PropertiesTreeItem(); },
        cdPanel);
    AddItem(
        tree, "popTreeLaunch", tr("&Launch"), [this] { LaunchFile(cdPanel_->SelectedTreeTag()); },
        cdPanel);
    AddItem(
        tree, "popTreeSearch", tr("&Search"), [this] { mnuCdSearch_Click(); }, search);
    AddItem(
        tree, "popTreePreview", tr("&Report Preview"), [this] { mnuFilePreview_Click(); }, preview);

    QMenu* expTree = popup("mnuPopExpTree");
    AddItem(
        expTree, "popExpLaunch", tr("&Launch"), [this] { explorer_->popMenuTreeLaunch(); },
        explorer);
    AddItem(
        expTree, "popExpAddCdOrFolder", tr("Add Cd &or Folder"), [this] { mnuCdAdd_Click(); },
        view);
    items_.insert(QStringLiteral("popExpTreeSeparator1"), expTree->addSeparator());
    AddItem(
        expTree, "popExpCatAdd", tr("&Add Category"), [this] { explorer_->popMenuTreeAdd(); },
        explorer);
    AddItem(
        expTree, "popExpCatRemove", tr("&Remove"), [this] { explorer_->popMenuTreeDelete(); },
        explorer);
    AddItem(
        expTree, "popExpCatRename", tr("Re&name"), [this] { explorer_->popMenuTreeRename(); },
        explorer);
    AddItem(
        expTree, "popExpCatProperties", tr("&Properties"),
        [this] { explorer_->popMenuTreeProperties(); }, explorer);
    expTree->addSeparator();
    AddItem(
        expTree, "popExpTreeSearch", tr("&Search"), [this] { mnuCdSearch_Click(); }, search);

    QMenu* expList = popup("mnuPopExpList");
    AddItem(
        expList, "popExpListLaunch", tr("&Launch"), [this] { explorer_->popMenuListLaunch(); },
        explorer);
    AddItem(
        expList, "popExpListAddCdOrFolder", tr("Add Cd &or Folder"), [this] { mnuCdAdd_Click(); },
        view);
    items_.insert(QStringLiteral("popExpListSeparator1"), expList->addSeparator());
    AddItem(
        expList, "popExpListCatAdd", tr("&Add Category"), [this] { explorer_->popMenuTreeAdd(); },
        explorer);
    AddItem(
        expList, "popExpListCatRemove", tr("&Remove"), [this] { explorer_->popMenuListDelete(); },
        explorer);
    AddItem(
        expList, "popExpListCatRename", tr("Re&name"), [this] { explorer_->popMenuListRename(); },
        explorer);
    AddItem(
        expList, "popExpListCatProperties", tr("&Properties"),
        [this] { explorer_->popMenuListProperties(); }, explorer);
    expList->addSeparator();
    const struct {
        const char* name;
        const char* caption;
        ListViewMode mode;
    } listModes[] = {
        {"popExpListViewLargeIcons", QT_TRANSLATE_NOOP("karvio::frmMenu", "Large Icons"),
         ListViewMode::kLargeIcons},
        {"popExpListViewSmallIcons", QT_TRANSLATE_NOOP("karvio::frmMenu", "Small Icons"),
         ListViewMode::kSmallIcons},
        {"popExpListViewList", QT_TRANSLATE_NOOP("karvio::frmMenu", "List"), ListViewMode::kList},
        {"popExpListViewDetails", QT_TRANSLATE_NOOP("karvio::frmMenu", "Details"),
         ListViewMode::kDetails},
    };
    auto* popupModeGroup = new QActionGroup(this);
    for (const auto& m : listModes) {
        QAction* item =
            AddItem(expList, m.name, tr(m.caption), [this, mode = m.mode] { SetListMode(mode); });
        item->setCheckable(true);
        popupModeGroup->addAction(item);
        item->setChecked(m.mode == ListViewMode::kDetails);
    }
    expList->addSeparator();
    AddItem(
        expList, "popExpListSearch", tr("&Search"), [this] { mnuCdSearch_Click(); }, search);
}

void frmMenu::BuildToolbar() {
    toolbar1_ = addToolBar(tr("Toolbar"));
    toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar1_->setMovable(false);
    toolbar1_->setIconSize(QSize(kToolbarIconPx, kToolbarIconPx));
    toolbar1_->setToolButtonStyle(Qt::ToolButtonIconOnly);

    auto always = std::function<bool()>();
    auto never = [] { return false; };
    auto view = [this] { return CurrentView() != nullptr; };
    const QHash<QString, std::function<bool()>> availability = {
        {QStringLiteral("Add"), view},
        {QStringLiteral("Edit"), view},
        {QStringLiteral("Delete"), view},
        {QStringLiteral("Rescan"), view},
        {QStringLiteral("Preview"), [this] { return static_cast<bool>(targets_.preview); }},
        {QStringLiteral("Print"), [this] { return reportPreview_ != nullptr; }},
        {QStringLiteral("SaveAs"), [this] { return reportPreview_ != nullptr; }},
        {QStringLiteral("Search"), [this] { return !searchWindow_.isNull(); }},
        {QStringLiteral("Sync"), never},
        {QStringLiteral("Categories"),
         [this] { return static_cast<bool>(targets_.selectCategory); }},
        {QStringLiteral("Tree"), view},
        {QStringLiteral("Setup"), never},
        {QStringLiteral("Duplicates"), [this] { return !duplicatesWindow_.isNull(); }},
    };

    for (int index = 1; index <= kToolbarButtonCount; ++index) {
        const ToolbarEntry& entry = kToolbar[index - 1];
        const QString key = QString::fromLatin1(entry.key);
        QAction* button;
        if (key.isEmpty()) {
            button = toolbar1_->addSeparator();
        } else {
            button = toolbar1_->addAction(ToolbarIcon(key), tr(entry.tooltip));
            button->setObjectName(QStringLiteral("tbr") + key);
            button->setToolTip(tr(entry.tooltip));
            button->setData(key);
            connect(button, &QAction::triggered, this, [this, key] { OnToolbarButton(key); });
            commands_.insert(button, Command{availability.value(key), std::nullopt});
        }
        buttons_[index] = button;
    }

    using S = MenuStateItem;
    const std::pair<S, int> stateButtons[] = {
        {S::kButtonAdd, 1},    {S::kButtonEdit, 2},    {S::kButtonDelete, 3},
        {S::kButtonRescan, 4}, {S::kButtonPreview, 6}, {S::kButtonPrint, 7},
        {S::kButtonSave, 8},   {S::kButtonSearch, 10}, {S::kButtonCategories, 12},
        {S::kButtonTree, 14},  {S::kButtonSetup, 16},
    };
    for (const auto& [item, index] : stateButtons)
        stateItems_[static_cast<int>(item)] = buttons_[index];
}

void frmMenu::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    statusText_ = new QLabel(this);
    statusText_->setObjectName(QStringLiteral("StatusPanel1"));
    statusText_->setText(tr("Data file: %1").arg(QString::fromStdString(GetDataFileName())));
    statusText_->setTextFormat(Qt::PlainText);
    bar->addWidget(statusText_, 1);
    // Where the selected item lies; a path longer than the panel is cut, the whole of it is in
    // the tool tip.
    placeText_ = new QLabel(this);
    placeText_->setObjectName(QStringLiteral("StatusPlace"));
    placeText_->setTextFormat(Qt::PlainText);
    placeText_->setAccessibleDescription(tr("Selected item's place"));
    placeText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    placeText_->setIndent(placeText_->fontMetrics().averageCharWidth() * 3);
    placeText_->installEventFilter(this);
    bar->addWidget(placeText_, 3);

    // The second panel holds the progress bar while long work runs; idle, it leaves its room to
    // the place panel.
    progressPanel_ = new QFrame(this);
    progressPanel_->setObjectName(QStringLiteral("StatusPanel2"));
    progressPanel_->setFixedWidth(kProgressPanelWidthPx);
    auto* panelLayout = new QHBoxLayout(progressPanel_);
    panelLayout->setContentsMargins(1, 2, 1, 2);
    bar->addPermanentWidget(progressPanel_);
    progressPanel_->hide();
    stopButton_ = new QPushButton(tr("Stop"), this);
    stopButton_->setObjectName(QStringLiteral("btnStatusStop"));
    stopButton_->setAccessibleName(tr("Stop"));
    stopButton_->setToolTip(tr("Stops the work under way"));
    stopButton_->setFocusPolicy(Qt::NoFocus);
    stopButton_->hide();
    bar->addPermanentWidget(stopButton_);

    // The bar rests on the toolbar, hidden, until long work docks it into the second panel.
    progressBar1_ = new QProgressBar(toolbar1_);
    progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar1_->setTextVisible(false);
    progressBar1_->hide();
}

}  // namespace karvio
