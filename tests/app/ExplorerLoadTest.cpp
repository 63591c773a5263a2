// A CD's directories in the explorer are read on a worker and attached afterwards: the windows
// keep running meanwhile, every way of opening a CD still ends where it did, and a load whose CD,
// tree or catalogue changed under it is dropped without a trace.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "CatalogueCopy.h"
#include "CatalogueEdits.h"
#include "DialogTestSupport.h"
#include "FolderLoads.h"
#include "ProgramInfo.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "explorer/frmBrowse2.h"
#include "startup/ProgramValues.h"
#include "support/SampleCatalogue.h"

namespace karvio {
namespace {

using testing::SampleDir;
using testing::SampleFile;

constexpr int kGroups = 40;
constexpr int kSubsPerGroup = 300;

class ExplorerLoad : public testing::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        RefreshExplorer = RefreshCdView = false;
        classData data;
        // Removed again at once: the ids of the CDs after it change with a compaction.
        const int32_t gone = testing::AddSampleCd(data, "Gone", {SampleDir("", "\\")});
        alphaId_ = testing::AddSampleCd(
            data, "Alpha",
            {SampleDir("", "\\", {SampleFile("top.txt", 10)}), SampleDir("Photos", "\\"),
             SampleDir("2004", "Photos", {SampleFile("a.jpg", 300), SampleFile("b.jpg", 5000)}),
             SampleDir("2005", "Photos")});
        // A CD of 12,000 folders in a scrambled order, names differing in letter case among them.
        std::vector<SampleDir> dirs{SampleDir("", "\\", {SampleFile("index.html", 1)})};
        for (int g = 0; g < kGroups; ++g) {
            const std::string group =
                (g % 2 ? "group " : "Group ") + std::to_string((g * 17) % kGroups);
            dirs.emplace_back(group, "\\");
            for (int s = 0; s < kSubsPerGroup; ++s)
                dirs.emplace_back("Sub " + std::to_string((s * 611) % kSubsPerGroup), group);
        }
        bigId_ = testing::AddSampleCd(data, "Big", dirs);
        data.GetCdDelete(gone);
    }

    // Lets the event loop run until no load is under way.
    static bool Settle(CategoryTreeModel* tree) { return testing::AwaitFolders(*tree); }
    static void Click(frmBrowse2& view, NodeHandle node) {
        view.TreeView1()->setCurrentIndex(view.TreeModel()->IndexOf(node));
        emit view.TreeView1()->clicked(view.TreeModel()->IndexOf(node));
    }
    static NodeHandle Child(const CategoryTreeModel* tree, NodeHandle parent,
                            const QString& caption) {
        for (NodeHandle child : tree->Children(parent))
            if (tree->Caption(child) == caption) return child;
        return kNoNode;
    }
    static QStringList Names(frmBrowse2& view) {
        QStringList names;
        for (int row = 0; row < view.ListModel()->rowCount(); ++row)
            names << view.ListModel()->Name(row);
        return names;
    }
    // The subtree below `node` as lines of depth, caption and tag, in the shown order.
    static QStringList Shape(const CategoryTreeModel& tree, NodeHandle node, int depth = 0) {
        QStringList lines;
        for (NodeHandle child : tree.Children(node)) {
            lines << QStringLiteral("%1 %2 %3")
                         .arg(depth)
                         .arg(tree.Caption(child))
                         .arg(tree.Tag(child));
            lines += Shape(tree, child, depth + 1);
        }
        return lines;
    }
    // The big CD's folders as one read on this thread gives them.
    QStringList ExpectedBigShape() {
        CategoryTreeModel model;
        BuildCategoryTree(model, false);
        AddCdNodes(model);
        EXPECT_TRUE(LoadCdDirectories(model, model.CdNode(bigId_), bigId_));
        return Shape(model, model.CdNode(bigId_));
    }
    // Every directory node of the tree hangs below a CD whose directories are all there.
    static void ExpectSound(const CategoryTreeModel& tree) {
        std::vector<NodeHandle> stack{kRootNode};
        while (!stack.empty()) {
            const NodeHandle node = stack.back();
            stack.pop_back();
            const int kind = tree.Kind(node);
            if ((kind == kIconCd || kind == kIconFolder) && !tree.DirectoriesLoaded(node)) {
                EXPECT_EQ(tree.ChildCount(node), 0) << tree.Key(node);
            }
            for (NodeHandle child : tree.Children(node)) {
                EXPECT_EQ(tree.Parent(child), node);
                stack.push_back(child);
            }
        }
    }

    int32_t alphaId_ = 0, bigId_ = 0;
};

TEST_F(ExplorerLoad, ExpandingACdReadsItsFoldersWhileTheWindowsRun) {
    const QStringList expected = ExpectedBigShape();
    ASSERT_EQ(expected.size(), kGroups * (kSubsPerGroup + 1));
    frmBrowse2 view;
    view.resize(700, 500);
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    QAbstractItemModelTester tester(tree, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const NodeHandle big = tree->CdNode(bigId_);
    const QModelIndex index = tree->IndexOf(big);
    // A timer beside the load: how often it fired by the time the folders were shown.
    int ticks = 0, ticksWhenShown = -1;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    QObject::connect(tree, &QAbstractItemModel::rowsInserted, [&](const QModelIndex& parent) {
        if (parent == index) ticksWhenShown = ticks;
    });
    timer.start();

    view.TreeView1()->expand(index);
    // The view asked, and returned at once: the folders are on their way.
    EXPECT_TRUE(tree->DirectoriesLoading(big));
    EXPECT_FALSE(tree->DirectoriesLoaded(big));
    EXPECT_FALSE(tree->canFetchMore(index)) << "the view would ask again";
    EXPECT_NE(QApplication::overrideCursor(), nullptr)
        << "no busy pointer while the folders are read";
    // Other ways of asking meanwhile add nothing.
    tree->fetchMore(index);
    int continued = 0;
    tree->LoadDirectories(big, [&] { ++continued; });
    tree->LoadDirectories(big, [&] { ++continued; });
    EXPECT_EQ(continued, 0);

    ASSERT_TRUE(Settle(tree));
    EXPECT_GT(ticksWhenShown, 0) << "the event loop did not run during the load";
    EXPECT_EQ(continued, 2);
    EXPECT_TRUE(tree->DirectoriesLoaded(big));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Shape(*tree, big), expected) << "read twice, or in another order than a read at once";
    EXPECT_TRUE(view.TreeView1()->isExpanded(index));
    EXPECT_EQ(view.TreeView1()->model()->rowCount(index), kGroups);
    // Once there, a request is answered at once.
    tree->LoadDirectories(big, [&] { ++continued; });
    EXPECT_EQ(continued, 3);
    EXPECT_FALSE(tree->LoadsRunning());
}

TEST_F(ExplorerLoad, ClickingACdListsItsFilesAtOnceAndItsFoldersOnceRead) {
    frmBrowse2 view;
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    QAbstractItemModelTester tester(tree, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const NodeHandle alpha = tree->CdNode(alphaId_);
    Click(view, alpha);
    EXPECT_FALSE(tree->DirectoriesLoaded(alpha)) << "the click waited for the folders";
    EXPECT_EQ(Names(view), QStringList{"top.txt"});
    ASSERT_TRUE(Settle(tree));
    EXPECT_EQ(Names(view), (QStringList{"Photos", "top.txt"}));
    EXPECT_TRUE(view.TreeView1()->isExpanded(tree->IndexOf(alpha)));

    // A report asked for while the folders are read reads them at once; the list follows.
    view.RefillListCds(0, kNoNode);
    const NodeHandle again = tree->CdNode(alphaId_);
    Click(view, again);
    ASSERT_TRUE(tree->DirectoriesLoading(again));
    const std::optional<PreviewSource> source = view.PreviewStart();
    ASSERT_TRUE(source.has_value());
    EXPECT_TRUE(tree->DirectoriesLoaded(again));
    EXPECT_EQ(Names(view), (QStringList{"Photos", "top.txt"}));
    ASSERT_TRUE(Settle(tree));
    EXPECT_EQ(tree->ChildCount(again), 1) << "read twice";
    EXPECT_TRUE(view.TreeView1()->isExpanded(tree->IndexOf(again)));

    // The Preview command readies the report's CD first: its folders are read on the worker, and
    // the report starts once they are there.
    view.RefillListCds(0, kNoNode);
    const NodeHandle third = tree->CdNode(alphaId_);
    Click(view, third);
    int prepared = 0;
    view.PreparePreview([&] { ++prepared; });
    EXPECT_EQ(prepared, 0) << "the preview waited on the user-interface thread";
    EXPECT_TRUE(tree->DirectoriesLoading(third));
    ASSERT_TRUE(Settle(tree));
    EXPECT_EQ(prepared, 1);
    EXPECT_TRUE(tree->DirectoriesLoaded(third));
    view.PreparePreview([&] { ++prepared; });
    EXPECT_EQ(prepared, 2) << "read folders are not waited for";

    // The user goes elsewhere before the folders are there: the list stays where the user went.
    const NodeHandle big = tree->CdNode(bigId_);
    Click(view, big);
    Click(view, kRootNode);
    ASSERT_TRUE(Settle(tree));
    EXPECT_EQ(view.ListedNode(), kRootNode);
    EXPECT_EQ(Names(view), (QStringList{"Alpha", "Big"}));
    EXPECT_EQ(tree->ChildCount(big), kGroups);
}

TEST_F(ExplorerLoad, KeysHeldDownAcrossAShelfOfCdsEndOnTheLastOne) {
    std::vector<int32_t> shelf;
    {
        classData data;
        for (int i = 0; i < 12; ++i) {
            const std::string n = std::to_string(10 + i);
            shelf.push_back(testing::AddSampleCd(
                data, "Shelf " + n, {SampleDir("", "\\"), SampleDir("In " + n, "\\")}));
        }
    }
    frmBrowse2 view;
    view.resize(600, 900);
    view.show();
    QApplication::setActiveWindow(&view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    CategoryTreeModel* tree = view.TreeModel();
    view.TreeView1()->setFocus();
    Click(view, tree->CdNode(shelf.front()));
    for (size_t i = 1; i < shelf.size(); ++i) QTest::keyClick(view.TreeView1(), Qt::Key_Down);
    const NodeHandle last = tree->CdNode(shelf.back());
    ASSERT_EQ(view.SelectedNode(), last);
    ASSERT_TRUE(Settle(tree));
    EXPECT_EQ(view.ListedNode(), last);
    EXPECT_EQ(Names(view), QStringList{"In 21"});
    for (int32_t cd : shelf) {
        EXPECT_TRUE(tree->DirectoriesLoaded(tree->CdNode(cd)));
        EXPECT_EQ(tree->ChildCount(tree->CdNode(cd)), 1);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ExplorerLoad, GoingToAPlaceInsideAnUnreadCdLandsOnItsFolder) {
    frmBrowse2 view;
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    QAbstractItemModelTester tester(tree, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Click(view, tree->CdNode(alphaId_));
    ASSERT_TRUE(Settle(tree));
    const NodeHandle photos = Child(tree, tree->CdNode(alphaId_), "Photos");
    view.TreeView1()->expand(tree->IndexOf(photos));
    Click(view, Child(tree, photos, "2004"));
    const ExplorerPlace place = view.CapturePlace();

    // A rebuild forgets every CD's folders; the place is found again once they are read.
    view.RefillListCds(0, kNoNode);
    view.RestorePlace(place);
    const NodeHandle alpha = tree->CdNode(alphaId_);
    EXPECT_EQ(view.SelectedNode(), alpha) << "the place was found by waiting for the folders";
    ASSERT_TRUE(Settle(tree));
    const NodeHandle selected = view.SelectedNode();
    EXPECT_EQ(tree->Caption(selected), "2004");
    EXPECT_EQ(tree->Parent(tree->Parent(selected)), alpha);
    EXPECT_TRUE(view.TreeView1()->isExpanded(tree->IndexOf(tree->Parent(selected))));
    EXPECT_EQ(view.ListedNode(), selected);
    EXPECT_EQ(Names(view), (QStringList{"a.jpg", "b.jpg"}));

    // Rebuilt again before the folders are there: the place is still the one being found.
    view.RefillListCds(0, kNoNode);
    view.RestorePlace(place);
    view.RefillListCds();
    ASSERT_TRUE(Settle(tree));
    EXPECT_EQ(tree->Caption(view.SelectedNode()), "2004");
    EXPECT_EQ(Names(view), (QStringList{"a.jpg", "b.jpg"}));

    // Gone elsewhere meanwhile: the user's choice stands.
    view.RefillListCds(0, kNoNode);
    view.RestorePlace(place);
    Click(view, tree->CdNode(bigId_));
    ASSERT_TRUE(Settle(tree));
    EXPECT_EQ(view.SelectedNode(), tree->CdNode(bigId_));

    // A file found by a search, in a folder of a CD not read yet.
    view.RefillListCds(0, kNoNode);
    int32_t dirId = 0, fileId = 0;
    {
        classData data;
        classCd& cd = data.GetCdGoto(alphaId_);
        for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext())
            if (dir->GetDirName() == "2004") dirId = dir->GetDirId();
        classDir& dir = data.GetCdGoto(alphaId_).GetDirGoto(dirId);
        for (ClassFile* file = &dir.GetFileFirst(); !dir.GetFileEof(); file = &dir.GetFileNext())
            if (file->GetFileName() == "b.jpg") fileId = file->GetFileId();
    }
    view.RevealRecord({kIconFile, alphaId_, dirId, fileId});
    ASSERT_TRUE(Settle(tree));
    EXPECT_EQ(tree->Caption(view.SelectedNode()), "2004");
    const QModelIndexList rows = view.ListView1()->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(view.ListModel()->Name(rows.first().row()), "b.jpg");
}

TEST_F(ExplorerLoad, ALoadWhoseCdOrCatalogueChangesIsDroppedQuietly) {
    frmBrowse2 view;
    view.show();
    // No model tester here: it would read every CD's folders as soon as the tree changes.
    CategoryTreeModel* tree = view.TreeModel();

    // Removed (here through another window) while its folders are read.
    NodeHandle big = tree->CdNode(bigId_);
    Click(view, big);
    ASSERT_FALSE(tree->DirectoriesLoaded(big));
    {
        CatalogueEdits edits;
        ASSERT_EQ(edits.RemoveCd(HeldRecord::Named(RecordKind::Cd, bigId_, "Big")).status,
                  EditStatus::Done);
    }
    view.Resync();
    EXPECT_FALSE(tree->IsLive(big));
    ASSERT_TRUE(Settle(tree));
    ExpectSound(*tree);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Names(view), QStringList{"Alpha"});
    EXPECT_TRUE(asked_.empty());

    // Compacted by another program while its folders are read: the ids change under the load.
    Click(view, tree->CdNode(alphaId_));
    ASSERT_FALSE(tree->DirectoriesLoaded(tree->CdNode(alphaId_)));
    ASSERT_EQ(CompactDataFiles({}, {}, false).outcome, MaintenanceOutcome::Done);
    view.ReloadCatalogue();  // as the catalogue's watch does
    ASSERT_TRUE(Settle(tree));
    ExpectSound(*tree);
    ASSERT_EQ(tree->CdIds().size(), 1U);
    const NodeHandle alpha = tree->CdNode(tree->CdIds().front());
    EXPECT_EQ(tree->Caption(alpha), "Alpha");
    EXPECT_EQ(Shape(*tree, alpha),
              (QStringList{"0 Photos " + QString::number(tree->Tag(Child(tree, alpha, "Photos"))),
                           "1 2004 " + QString::number(tree->Tag(
                                           Child(tree, Child(tree, alpha, "Photos"), "2004"))),
                           "1 2005 " + QString::number(tree->Tag(
                                           Child(tree, Child(tree, alpha, "Photos"), "2005")))}));
    EXPECT_EQ(view.SelectedNode(), alpha);
    EXPECT_EQ(Names(view), (QStringList{"Photos", "top.txt"}));

    // The catalogue switched while a load runs.
    Click(view, kRootNode);
    view.RefillListCds(0, kNoNode);
    Click(view, tree->CdNode(tree->CdIds().front()));
    const std::string other = dir_.filePath("Other.cd").toStdString();
    {
        classData data(other);
        testing::AddSampleCd(data, "Other", {SampleDir("", "\\"), SampleDir("Only", "\\")});
    }
    DataFilePath = other;
    view.ReloadCatalogue();
    ASSERT_TRUE(Settle(tree));
    ExpectSound(*tree);
    const NodeHandle only = tree->CdNode(tree->CdIds().front());
    EXPECT_EQ(tree->Caption(only), "Other");
    view.TreeView1()->expand(tree->IndexOf(only));
    ASSERT_TRUE(Settle(tree));
    EXPECT_EQ(Shape(*tree, only).size(), 1);

    // A window closed while a load runs takes its load along.
    DataFilePath = dir_.filePath("Dialogs.cd").toStdString();
    auto closing = std::make_unique<frmBrowse2>();
    closing->show();
    Click(*closing, closing->TreeModel()->CdNode(closing->TreeModel()->CdIds().front()));
    ASSERT_TRUE(closing->TreeModel()->LoadsRunning());
    closing.reset();
    QTest::qWait(50);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ExplorerLoad, AFileReplacedBeforeTheReadIsNotRead) {
    const CatalogueIdentity before = ReadCatalogueIdentity(DataFilePath);
    const std::atomic<bool> never{false};
    const CdDirectoryRows rows = ReadCdDirectories(DataFilePath, alphaId_, never, &before);
    EXPECT_FALSE(rows.replaced);
    EXPECT_EQ(rows.rows.size(), 3U);
    ASSERT_EQ(CompactDataFiles({}, {}, false).outcome, MaintenanceOutcome::Done);
    const CdDirectoryRows after = ReadCdDirectories(DataFilePath, alphaId_, never, &before);
    EXPECT_TRUE(after.replaced);
    EXPECT_TRUE(after.rows.empty());
    // A stop ends the walk early.
    const std::atomic<bool> stop{true};
    EXPECT_TRUE(ReadCdDirectories(DataFilePath, bigId_, stop).rows.empty());
}

TEST_F(ExplorerLoad, AnUnreadableCatalogueEndsTheLoadWithItsMessageAndAttachesNothing) {
    frmBrowse2 view;
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    const NodeHandle alpha = tree->CdNode(alphaId_);
    // Cut short behind the program's back.
    QFile file(QString::fromStdString(DataFilePath));
    ASSERT_TRUE(file.resize(file.size() - 20));
    asked_.clear();
    view.TreeView1()->expand(tree->IndexOf(alpha));
    ASSERT_TRUE(Settle(tree));
    EXPECT_EQ(tree->ChildCount(alpha), 0);
    EXPECT_FALSE(tree->DirectoriesLoaded(alpha)) << "a later try would find nothing to read";
    ASSERT_EQ(asked_.size(), 1U);
    classData check;
    EXPECT_EQ(asked_.front(), check.OpenFailureText(check.GetError()));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace karvio
