// What a user who keeps many discs trusts the two views for: right results (the folders above a
// scanned folder, sorting, a removed category), the place kept through rescans, edits,
// compaction, view switches and other programs' changes, every node of a deep tree in reach, and
// where an item lies. Driven through the real widgets on fixture catalogues; another program is
// the real karvio-cli.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "DialogTestSupport.h"
#include "FolderLoads.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "TransferRecords.h"
#include "VolumeServices.h"
#include "classData.h"
#include "controls/EmptyHint.h"
#include "controls/ItemIcons.h"
#include "controls/SizeText.h"
#include "controls/SplitPanel.h"
#include "controls/ctlFolderBrowser.h"
#include "explorer/frmBrowse2.h"
#include "explorer/frmCategorySelect.h"
#include "maintenance/MaintenanceCommands.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/CatalogueWatch.h"
#include "mainwindow/frmMenu.h"
#include "scan/frmAnimation.h"
#include "scan/frmEdit.h"
#include "scan/frmScan.h"
#include "startup/ProgramValues.h"
#include "support/SampleCatalogue.h"
#include "views/frmBrowseCD.h"
#include "views/frmProperties.h"

namespace karvio {
namespace {

using testing::SampleDir;
using testing::SampleFile;

// karvio-cli on the test's catalogue, as another program; its output.
QString Cli(const QStringList& args) {
    QProcess cli;
    cli.start(QStringLiteral(KARVIO_BUILD_DIR "/bin/karvio-cli"),
              QStringList{"--data", QString::fromStdString(DataFilePath), "--yes"} + args);
    cli.waitForFinished(60000);
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    return QString::fromUtf8(cli.readAllStandardOutput()).trimmed();
}

class Browse : public testing::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        SizeDisplay::Instance().SetExact(false);
        RefreshExplorer = RefreshCdView = false;
    }

    // Two categories, one disc in each with nested folders, and one at the root.
    void MakeShelf() {
        classData data;
        CatInfo music;
        music.CatName = "Music";
        music.CatImageId = kIconCategory;
        musicId_ = AddCatInfo(data, music);
        CatInfo old = music;
        old.CatName = "Old";
        oldId_ = AddCatInfo(data, old);
        alphaId_ = testing::AddSampleCd(
            data, "Alpha",
            {SampleDir("", "\\", {SampleFile("top.txt", 10)}), SampleDir("Photos", "\\"),
             SampleDir("2004", "Photos", {SampleFile("a.jpg", 300), SampleFile("b.jpg", 5000)}),
             SampleDir("2005", "Photos")},
            musicId_);
        betaId_ = testing::AddSampleCd(data, "Beta", {SampleDir("", "\\", {SampleFile("x", 1)})}, oldId_);
        looseId_ = testing::AddSampleCd(data, "Loose", {SampleDir("", "\\")});
    }

    static NodeHandle Child(CategoryTreeModel* tree, NodeHandle parent, const QString& caption) {
        for (NodeHandle child : tree->Children(parent))
            if (tree->Caption(child) == caption) return child;
        return kNoNode;
    }
    // A CD's folders are read on a worker: the test waits for them as the user would.
    static void AwaitFolders(frmBrowse2& view) {
        EXPECT_TRUE(testing::AwaitFolders(*view.TreeModel()));
    }
    static void Click(frmBrowse2& view, NodeHandle node) {
        view.TreeView1()->setCurrentIndex(view.TreeModel()->IndexOf(node));
        emit view.TreeView1()->clicked(view.TreeModel()->IndexOf(node));
        AwaitFolders(view);
    }
    static QStringList Names(frmBrowse2& view) {
        QStringList names;
        for (int row = 0; row < view.ListModel()->rowCount(); ++row) names << view.ListModel()->Name(row);
        return names;
    }
    static int RowNamed(frmBrowse2& view, const QString& name) {
        for (int row = 0; row < view.ListModel()->rowCount(); ++row)
            if (view.ListModel()->Name(row) == name) return row;
        return -1;
    }
    static void PickRow(frmBrowse2& view, const QString& name) {
        const int row = RowNamed(view, name);
        ASSERT_GE(row, 0) << name.toStdString();
        view.ListView1()->selectionModel()->setCurrentIndex(
            view.ListModel()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    static QString SelectedRow(frmBrowse2& view) {
        const QModelIndexList rows = view.ListView1()->selectionModel()->selectedRows();
        return rows.isEmpty() ? QString() : view.ListModel()->Name(rows.first().row());
    }
    // Opens Alpha, expands Photos, selects 2004 and its row b.jpg.
    static NodeHandle GoTo2004(frmBrowse2& view, int32_t alphaId) {
        CategoryTreeModel* tree = view.TreeModel();
        Click(view, tree->CdNode(alphaId));
        const NodeHandle photos = Child(tree, tree->CdNode(alphaId), "Photos");
        view.TreeView1()->expand(tree->IndexOf(photos));
        const NodeHandle y2004 = Child(tree, photos, "2004");
        Click(view, y2004);
        PickRow(view, "b.jpg");
        return y2004;
    }
    // Whether the selection is 2004 below Alpha's (current) node with b.jpg picked and Photos open.
    static void ExpectAt2004(frmBrowse2& view, const char* when) {
        AwaitFolders(view);
        CategoryTreeModel* tree = view.TreeModel();
        const NodeHandle selected = view.SelectedNode();
        EXPECT_EQ(tree->Caption(selected), "2004") << when;
        EXPECT_EQ(tree->Caption(tree->Parent(selected)), "Photos") << when;
        EXPECT_EQ(tree->Caption(tree->Parent(tree->Parent(selected))), "Alpha") << when;
        EXPECT_TRUE(view.TreeView1()->isExpanded(tree->IndexOf(tree->Parent(selected)))) << when;
        EXPECT_EQ(view.ListedNode(), selected) << when;
        EXPECT_EQ(Names(view), (QStringList{"a.jpg", "b.jpg"})) << when;
        EXPECT_EQ(SelectedRow(view), "b.jpg") << when;
    }

    int32_t musicId_ = 0, oldId_ = 0, alphaId_ = 0, betaId_ = 0, looseId_ = 0;
};

// A disc scanned from /usr/share/doc shows usr and share above doc; they list only the next
// folder of the path and show nothing of their own, and nothing opens their properties.
TEST_F(Browse, FoldersAboveAScannedFolderListOnlyThePath) {
    int32_t cd = 0, doc = 0;
    {
        classData data;
        cd = testing::AddSampleCd(data, "Docs",
                                  {SampleDir("doc", "usr\\share", {SampleFile("b.txt", 100), SampleFile("a.txt", 50)}),
                                   SampleDir("sub", "usr\\share\\doc", {SampleFile("x", 1)})});
        doc = data.GetCdGoto(cd).GetDirFirst().GetDirId();
    }
    frmBrowse2 view;
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    Click(view, tree->CdNode(cd));
    EXPECT_EQ(Names(view), QStringList{"usr"});
    const NodeHandle usr = Child(tree, tree->CdNode(cd), "usr");
    Click(view, usr);
    EXPECT_EQ(Names(view), QStringList{"share"});
    for (int column : {kListColSize, kListColDate, kListColAttr}) EXPECT_EQ(view.ListModel()->CellText(0, column), "");
    Click(view, Child(tree, usr, "share"));
    ASSERT_EQ(Names(view), QStringList{"doc"});
    EXPECT_EQ(view.ListModel()->CellText(0, kListColSize), "151 bytes");
    QTest::keyClick(view.TreeView1(), Qt::Key_F10);  // the properties of "share": none to show
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // Found by its record, "doc" is the node below share, not the first folder of the path.
    view.RevealRecord({kIconDirectory, cd, doc, 0});
    AwaitFolders(view);
    EXPECT_EQ(tree->Caption(view.ListedNode()), "share");
    EXPECT_EQ(SelectedRow(view), "doc");
    PickRow(view, "doc");
    QTest::keyClick(view.ListView1(), Qt::Key_Return);
    EXPECT_EQ(Names(view), (QStringList{"sub", "a.txt", "b.txt"}));
}

// Folders come first in every column and either order; sizes sort as shown; names in the
// natural order, letter case ignored.
TEST_F(Browse, SortsFoldersFirstByShownSizeAndNaturalNames) {
    int32_t cd = 0;
    {
        classData data;
        cd = testing::AddSampleCd(data, "Sorted",
                                  {SampleDir("", "\\", {SampleFile("b10.txt", 300), SampleFile("B2.txt", 20),
                                                        SampleFile("a.txt", 4000)}),
                                   SampleDir("usr copy 10", "\\", {SampleFile("f", 5000)}),
                                   SampleDir("usr copy 2", "\\", {SampleFile("f", 10)}), SampleDir("Alpha", "\\")});
    }
    frmBrowse2 view;
    view.show();
    Click(view, view.TreeModel()->CdNode(cd));
    EXPECT_EQ(Names(view), (QStringList{"Alpha", "usr copy 2", "usr copy 10", "a.txt", "B2.txt", "b10.txt"}));
    QHeaderView* header = static_cast<QTreeView*>(view.ListView1())->header();
    emit header->sectionClicked(kListColSize);
    EXPECT_EQ(Names(view), (QStringList{"Alpha", "usr copy 2", "usr copy 10", "B2.txt", "b10.txt", "a.txt"}));
    emit header->sectionClicked(kListColSize);
    EXPECT_EQ(Names(view), (QStringList{"usr copy 10", "usr copy 2", "Alpha", "a.txt", "b10.txt", "B2.txt"}));
    emit header->sectionClicked(kListColName);
    EXPECT_EQ(Names(view), (QStringList{"Alpha", "usr copy 2", "usr copy 10", "a.txt", "B2.txt", "b10.txt"}));
    emit header->sectionClicked(kListColName);
    EXPECT_EQ(Names(view), (QStringList{"usr copy 10", "usr copy 2", "Alpha", "b10.txt", "B2.txt", "a.txt"}));

    // Sizes as file managers show them, the exact count in the tool tip and on request.
    const int a = RowNamed(view, "a.txt");
    EXPECT_EQ(view.ListModel()->CellText(a, kListColSize), "3.9 KB");
    EXPECT_EQ(view.ListModel()->data(view.ListModel()->index(a, kListColSize), Qt::ToolTipRole), "4,000 bytes");
    SizeDisplay::Instance().SetExact(true);
    EXPECT_EQ(view.ListModel()->CellText(a, kListColSize), "4,000");
    SizeDisplay::Instance().SetExact(false);
    EXPECT_EQ(HumanSizeText(-132014655), "125.9 MB");
    EXPECT_EQ(HumanSizeText(1023), "1,023 bytes");
    EXPECT_EQ(HumanSizeText(1048575), "1.0 MB");
}

// The CD panel: a removed category is blank, the CD list sorts naturally and by size, and its
// panes keep 10 to 90 per cent.
TEST_F(Browse, CdPanelShowsRightCategoriesSortsAndKeepsItsPanes) {
    {
        classData data;
        CatInfo gone;
        gone.CatName = "Gone";
        gone.CatImageId = kIconCategory;
        const int32_t goneId = AddCatInfo(data, gone);
        CatInfo kept = gone;
        kept.CatName = "Kept";
        const int32_t keptId = AddCatInfo(data, kept);
        testing::AddSampleCd(data, "disc 10", {SampleDir("", "\\", {SampleFile("f", 3000)})}, goneId);
        testing::AddSampleCd(data, "Disc 2", {SampleDir("", "\\", {SampleFile("f", 20)})}, keptId);
        testing::AddSampleCd(data, "alpha", {SampleDir("", "\\", {SampleFile("f", 100)})});
        data.GetCatDelete(goneId);
    }
    frmBrowseCD view;
    view.resize(900, 600);
    view.show();
    view.RefillListCds(0, true);
    auto* model = static_cast<QStandardItemModel*>(view.CdList()->model());
    auto column = [&](int c) {
        QStringList texts;
        for (int r = 0; r < model->rowCount(); ++r) texts << model->item(r, c)->text();
        return texts;
    };
    EXPECT_EQ(column(6), (QStringList{" ", "Kept", " "}));
    view.CdList()->sortByColumn(0, Qt::AscendingOrder);
    EXPECT_EQ(column(0), (QStringList{"alpha", "Disc 2", "disc 10"}));
    view.CdList()->sortByColumn(3, Qt::DescendingOrder);
    EXPECT_EQ(column(0), (QStringList{"disc 10", "alpha", "Disc 2"}));
    EXPECT_EQ(column(3), (QStringList{"2.9 KB", "100 bytes", "20 bytes"}));
    view.RefillListCds(0, false);
    EXPECT_EQ(column(0), (QStringList{"disc 10", "alpha", "Disc 2"})) << "a refill keeps the user's order";

    auto* panes = view.findChild<SplitPanel*>("SplitPanel1");
    ASSERT_NE(panes, nullptr);
    QWidget* bar = panes->Splitter();
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(10, 2));
    QMouseEvent up(QEvent::MouseMove, QPointF(10, -900), bar->mapToGlobal(QPointF(10, -900)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &up);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(10, 2));
    EXPECT_EQ(panes->SplitPercent(), 10);
    EXPECT_GT(view.CdList()->height(), 0);
}

// Another program removes and adds discs: both views show it at once and keep the place; a
// removed selection gives way to the nearest node above it.
TEST_F(Browse, ViewsFollowAnotherProgramKeepingThePlace) {
    MakeShelf();
    CatalogueWatch watch(nullptr, 600000);
    frmBrowse2 view;
    view.show();
    GoTo2004(view, alphaId_);
    frmBrowseCD panel;
    panel.show();
    panel.RefillListCds(alphaId_, true);
    QTreeView* cdTree = panel.Tree();
    CdTreeModel* cdModel = panel.TreeModel();
    const QModelIndex photos = cdModel->IndexOfNode(cdModel->NodeAtPath({"Photos"}));
    cdTree->expand(photos);
    cdTree->setCurrentIndex(cdModel->IndexOfNode(cdModel->NodeAtPath({"Photos", "2004", "b.jpg"})));

    Cli({"cd", "remove", QString::number(looseId_)});
    Cli({"category", "rename", QString::number(oldId_), "Older"});
    EXPECT_EQ(watch.Check(), CatalogueChange::Changed);
    CategoryTreeModel* tree = view.TreeModel();
    EXPECT_EQ(tree->CdNode(looseId_), kNoNode);
    EXPECT_EQ(tree->Caption(tree->CategoryNode(oldId_)), "Older");
    ExpectAt2004(view, "after another program's change");
    EXPECT_EQ(panel.SelectedCdId(), alphaId_);
    EXPECT_TRUE(cdTree->isExpanded(cdModel->IndexOfNode(cdModel->NodeAtPath({"Photos"}))));
    EXPECT_EQ(cdModel->PathOf(cdModel->NodeOf(cdTree->currentIndex())), (QStringList{"Photos", "2004", "b.jpg"}));

    Cli({"cd", "remove", QString::number(alphaId_)});
    EXPECT_EQ(watch.Check(), CatalogueChange::Changed);
    EXPECT_EQ(tree->CdNode(alphaId_), kNoNode);
    EXPECT_EQ(view.SelectedNode(), tree->CategoryNode(musicId_));
    EXPECT_EQ(view.ListedNode(), tree->CategoryNode(musicId_));
    EXPECT_TRUE(Names(view).isEmpty());
    EXPECT_EQ(panel.SelectedCdId(), betaId_);
    EXPECT_NE(panel.TreeModel()->CdId(), alphaId_);
}

// The place survives a compaction here (through its id map) and by another program (by names),
// a switch of the views, a rescan and an edit of the disc's details.
TEST_F(Browse, PlaceSurvivesCompactionViewSwitchAndEdits) {
    MakeShelf();
    frmMenu menu;
    ScriptAnswers();
    frmBrowse2 view;
    view.show();
    GoTo2004(view, alphaId_);

    answers_ = {vbYes};
    RunCompactCommand(menu);
    ASSERT_EQ(asked_.back(), "Compact Data Files ??");
    ExpectAt2004(view, "after compaction");

    CatalogueWatch watch(nullptr, 600000);
    Cli({"compact"});
    EXPECT_EQ(watch.Check(), CatalogueChange::Replaced);
    ExpectAt2004(view, "after another program's compaction");

    // Back from the other view with the catalogue changed meanwhile.
    view.hide();
    RefreshExplorer = true;
    view.show();
    ExpectAt2004(view, "after a view switch");

    // Edit Details moves the disc to another category; its node goes along, still open.
    const int32_t alpha = view.TreeModel()->Tag(view.TreeModel()->Parent(view.TreeModel()->Parent(view.SelectedNode())));
    const NodeHandle selected = view.SelectedNode();
    Click(view, view.TreeModel()->CdNode(alpha));
    WhenModal([](QWidget* w) {
        auto* edit = qobject_cast<frmEdit*>(w);
        ASSERT_NE(edit, nullptr);
        edit->txtLabel()->setText("Alpha two");
        QTest::mouseClick(edit->btnOK(), Qt::LeftButton);
    });
    view.MainMenu_CdEdit();
    EXPECT_EQ(view.TreeModel()->Caption(view.TreeModel()->CdNode(alpha)), "Alpha two");
    EXPECT_TRUE(view.TreeModel()->IsLive(selected)) << "the disc's folders were not read again";
    EXPECT_EQ(view.TreeModel()->Caption(view.SelectedNode()), "Alpha two");
}

// A search made while the traditional view was hidden fills its CD list (the search walks the
// discs in that list's order); when the view comes up, its selected disc's tree shows too.
TEST_F(Browse, TraditionalViewShownAfterASearchShowsItsDiscsTree) {
    MakeShelf();
    frmBrowseCD panel;
    RefreshCdView = true;
    EXPECT_FALSE(panel.CdIdsForSearch().empty());
    EXPECT_FALSE(panel.HasTreeNodes());
    panel.show();
    ASSERT_GT(panel.SelectedCdId(), 0);
    EXPECT_TRUE(panel.HasTreeNodes());
    EXPECT_EQ(panel.TreeModel()->CdId(), panel.SelectedCdId());
}

// A rescan makes a new disc; it opens where the old one was.
TEST_F(Browse, RescanKeepsExpandedFolders) {
    const std::string folder = Folder("Trip");
    QDir().mkpath(QString::fromStdString(folder + "/Day 1/Beach"));
    QDir().mkpath(QString::fromStdString(folder + "/Day 2"));
    const QString cdText = Cli({"scan", QString::fromStdString(folder), "--name", "Journey"});
    const int32_t cd = cdText.toInt();
    ASSERT_GT(cd, 0) << cdText.toStdString();
    frmBrowse2 view;
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    // Below the disc: the folders above "Trip" on its volume, then "Trip" and "Day 1".
    auto day1Of = [tree](NodeHandle node) {
        while (node != kNoNode && tree->Caption(node) != "Trip")
            node = tree->ChildCount(node) == 1 ? tree->Children(node).front() : kNoNode;
        return node == kNoNode ? kNoNode : Child(tree, node, "Day 1");
    };
    Click(view, tree->CdNode(cd));
    const NodeHandle day1 = day1Of(tree->CdNode(cd));
    ASSERT_NE(day1, kNoNode);
    view.TreeView1()->expand(tree->IndexOf(day1));
    Click(view, tree->CdNode(cd));  // a rescan starts on the disc
    view.TreeView1()->setFocus();

    WhenModal([](QWidget* w) {
        auto* scan = qobject_cast<frmScan*>(w);
        ASSERT_NE(scan, nullptr);
        QTest::mouseClick(scan->btnOK(), Qt::LeftButton);
    });
    view.MainMenu_CdRescan();
    AwaitFolders(view);
    EXPECT_EQ(tree->CdNode(cd), kNoNode);
    const NodeHandle now = view.SelectedNode();
    EXPECT_EQ(tree->Caption(now), "Journey");
    EXPECT_NE(tree->Tag(now), cd);
    EXPECT_EQ(view.ListedNode(), now);
    EXPECT_EQ(Names(view).size(), 1) << "the disc lists the first folder of its path";
    const NodeHandle newDay1 = day1Of(now);
    ASSERT_NE(newDay1, kNoNode);
    EXPECT_TRUE(view.TreeView1()->isExpanded(tree->IndexOf(newDay1)));
}

// Every level of a 60-level folder is reached: the tree scrolls sideways to the current node,
// and keys act on it.
TEST_F(Browse, DeepFoldersAreInReach) {
    int32_t cd = 0, deepest = 0;
    {
        classData data;
        std::vector<SampleDir> dirs{SampleDir("", "\\")};
        std::string path = "\\";
        for (int level = 1; level <= 60; ++level) {
            const std::string name = "Level " + std::to_string(level);
            dirs.emplace_back(name, path);
            path = path == "\\" ? name : path + "\\" + name;
        }
        cd = testing::AddSampleCd(data, "Deep", dirs);
        classCd& disc = data.GetCdGoto(cd);
        for (classDir* dir = &disc.GetDirFirst(); !disc.GetDirEof(); dir = &disc.GetDirNext()) deepest = dir->GetDirId();
    }
    frmBrowse2 view;
    view.resize(700, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.RevealRecord({kIconDirectory, cd, deepest, 0});
    AwaitFolders(view);
    QTreeView* treeView = view.TreeView1();
    const NodeHandle level59 = view.ListedNode();
    treeView->expand(view.TreeModel()->IndexOf(level59));
    Click(view, level59);
    treeView->horizontalScrollBar()->setValue(0);
    treeView->setFocus();
    QTest::keyClick(treeView, Qt::Key_Down);
    const QModelIndex current = treeView->currentIndex();
    EXPECT_EQ(current.data().toString(), "Level 60");
    EXPECT_GT(treeView->horizontalScrollBar()->maximum(), 0) << "the tree scrolls sideways";
    const QRect shown = treeView->visualRect(current);
    EXPECT_GE(shown.left(), 0);
    EXPECT_LE(shown.left() + treeView->sizeHintForIndex(current).width(), treeView->viewport()->width());

    // F10 opens the properties of that very folder, which say where it lies.
    QString name, where;
    WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<frmProperties*>(w);
        ASSERT_NE(dialog, nullptr);
        name = dialog->lblFileName()->text();
        where = dialog->lblPath()->text();
        dialog->accept();
    });
    QTest::keyClick(treeView, Qt::Key_F10);
    EXPECT_EQ(name, "Level 60");
    EXPECT_TRUE(where.startsWith("/media/Deep/Level 1/Level 2/")) << where.toStdString();
    EXPECT_TRUE(where.endsWith("/Level 59/Level 60")) << where.toStdString();
}

// The status bar and the properties tell where the selected item lies and on which disc.
TEST_F(Browse, StatusBarAndPropertiesTellWhereAnItemLies) {
    MakeShelf();
    frmMenu menu;
    ScriptAnswers();
    frmBrowse2 view;
    menu.SetExplorerView(&view);
    view.show();
    QApplication::setActiveWindow(&view);
    view.activateWindow();
    GoTo2004(view, alphaId_);
    EXPECT_EQ(menu.ItemLocationText(), "Path: /media/Alpha/Photos/2004    Disc: Alpha");
    view.ListView1()->setFocus();
    PickRow(view, "a.jpg");
    EXPECT_EQ(menu.ItemLocationText(), "Path: /media/Alpha/Photos/2004/a.jpg    Disc: Alpha");
    // In a narrow window the path gives up its middle; the disc's name stays whole.
    auto* place = menu.findChild<QLabel*>("StatusPlace");
    ASSERT_NE(place, nullptr);
    menu.resize(1400, 400);
    menu.show();
    QTRY_COMPARE(place->text(), menu.ItemLocationText());
    for (int width = 1400; place->text() == menu.ItemLocationText() && width > 300; width -= 20) {
        menu.resize(width, 400);
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(place->text().startsWith("Path: /me")) << place->text().toStdString();
    EXPECT_TRUE(place->text().contains(QChar(0x2026))) << place->text().toStdString();
    EXPECT_TRUE(place->text().endsWith("a.jpg    Disc: Alpha")) << place->text().toStdString();
    EXPECT_EQ(place->toolTip(), menu.ItemLocationText());
    menu.resize(1400, 400);
    QTRY_COMPARE(place->text(), menu.ItemLocationText());
    menu.hide();
    Click(view, view.TreeModel()->CategoryNode(musicId_));
    view.TreeView1()->setFocus();
    EXPECT_EQ(menu.ItemLocationText(), "");

    int32_t big = 0;
    {
        classData data;
        classCd& alpha = data.GetCdGoto(alphaId_);
        for (classDir* d = &alpha.GetDirFirst(); !alpha.GetDirEof(); d = &alpha.GetDirNext()) {
            for (ClassFile* f = &d->GetFileFirst(); !d->GetFileEof(); f = &d->GetFileNext())
                if (f->GetFileName() == "b.jpg") big = f->GetFileId();
        }
    }
    frmProperties props(kIconFile, big, nullptr);
    EXPECT_EQ(props.lblPath()->text(), "/media/Alpha/Photos/2004/b.jpg");
    EXPECT_EQ(props.lblDisc()->text(), "Alpha");
    EXPECT_EQ(props.lblSize()->text(), "4.9 KB (5,000 bytes)");
}

// An empty catalogue tells how to add the first disc; the category dialog's changes show in the
// explorer's tree at once.
TEST_F(Browse, FirstStartHintAndCategoryDialogChanges) {
    frmBrowse2 view;
    view.show();
    auto* hint = view.ListView1()->viewport()->findChild<EmptyHint*>();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().contains("CD > Add"));
    frmBrowseCD panel;
    panel.show();
    panel.RefillListCds(0, true);
    auto* panelHint = panel.CdList()->viewport()->findChild<EmptyHint*>();
    ASSERT_NE(panelHint, nullptr);
    EXPECT_TRUE(panelHint->isVisible());

    // The category dialog, as the scan dialog's picker opens it: a new category, then Cancel.
    WhenModal([](QWidget* w) {
        auto* dialog = qobject_cast<frmCategorySelect*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->btnAdd_Click();
        dialog->reject();
    });
    int32_t result = 0;
    frmCategorySelect::SelectCategory(0, result, nullptr);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(view.TreeModel()->ChildCount(kRootNode), 1);
    EXPECT_EQ(view.TreeModel()->Caption(view.TreeModel()->Children(kRootNode).front()), "New Category");

    {
        classData data;
        testing::AddSampleCd(data, "First", {SampleDir("", "\\")});
    }
    view.Resync();
    EXPECT_FALSE(hint->isVisible());
}

// A folder scanned from a volume without a label proposes its own name.
TEST_F(Browse, FolderNameIsTheProposedDiscName) {
    EXPECT_EQ(ProposedDiscName("/data/Photos", kNoLabel), "Photos");
    EXPECT_EQ(ProposedDiscName("/data/Photos/", kNoLabel), "Photos");
    EXPECT_EQ(ProposedDiscName("/", kNoLabel), kNoLabel);
    EXPECT_EQ(ProposedDiscName("/media/usb", "HOLIDAY"), "HOLIDAY");
    const std::string folder = Folder("Summer 2024");
    QDir().mkpath(QString::fromStdString(folder));
    if (GetVolumeLabel(folder) != kNoLabel) GTEST_SKIP() << "the temporary folder's volume has a label";
    const int32_t cd = Cli({"scan", QString::fromStdString(folder)}).toInt();
    EXPECT_EQ(GetCdInfoById(cd).CdName, "Summer 2024");
    WhenModal([&](QWidget* w) {
        auto* scan = qobject_cast<frmScan*>(w);
        ASSERT_NE(scan, nullptr);
        scan->ctlFolderBrowser1()->SetText(QString::fromStdString(folder));
        EXPECT_EQ(scan->txtLabel()->text(), "Summer 2024");
        scan->reject();
    });
    bool cancelled = false;
    frmAnimation animation;
    frmScan::ScanCd(0, 0, cancelled, animation, nullptr);
    EXPECT_TRUE(cancelled);
}

}  // namespace
}  // namespace karvio
