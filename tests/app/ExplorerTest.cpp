#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "FolderLoads.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "TransferRecords.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "explorer/frmBrowse2.h"
#include "startup/ProgramValues.h"
#include "support/SampleCatalogue.h"

namespace karvio {
namespace {

class Explorer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("Explorer.cd").toStdString();
        DataFilePath = path_;
        classData data(path_);
        CatInfo music;
        music.CatName = "Music";
        music.CatImageId = kIconCategory;
        musicId_ = AddCatInfo(data, music);
        using testing::SampleDir;
        using testing::SampleFile;
        // Two directories whose names differ only in letter case, and one holding a backslash.
        cdId_ = testing::AddSampleCd(
            data, "Alpha",
            {SampleDir("", "\\", {SampleFile("top.txt", 10, "top notes"), SampleFile("big.bin", 5000)}),
             SampleDir("Photos", "\\", {SampleFile("a.jpg", 300)}),
             SampleDir("photos", "\\", {SampleFile("b.jpg", 200)}),
             SampleDir("odd\\name", "\\")},
            musicId_, "first disc");
        looseId_ = testing::AddSampleCd(data, "Loose", {SampleDir("", "\\", {SampleFile("x", 1)})});
    }
    void TearDown() override {
        DataFilePath.clear();
        SetMessageSink({});
    }
    QStringList Names(frmBrowse2& view) {
        QStringList names;
        for (int row = 0; row < view.ListModel()->rowCount(); ++row) names << view.ListModel()->Name(row);
        return names;
    }
    QTemporaryDir dir_;
    std::string path_;
    int32_t musicId_ = 0, cdId_ = 0, looseId_ = 0;
};

TEST_F(Explorer, TreeHoldsCategoriesAndCdsAndOpensACdOnce) {
    frmBrowse2 view;
    QAbstractItemModelTester treeTester(view.TreeModel());
    QAbstractItemModelTester listTester(view.ListModel());
    CategoryTreeModel* tree = view.TreeModel();
    EXPECT_EQ(tree->Caption(kRootNode), "Karvio");
    EXPECT_EQ(view.SelectedNode(), kRootNode);
    // The root lists the category and the CD filed under no category.
    EXPECT_EQ(Names(view), (QStringList{"Loose", "Music"}));
    EXPECT_EQ(view.ListModel()->CellText(1, kListColSize), "Category");
    EXPECT_EQ(view.ListModel()->CellText(1, kListColAttr), "Category");

    const NodeHandle cd = tree->CdNode(cdId_);
    ASSERT_NE(cd, kNoNode);
    EXPECT_EQ(tree->Parent(cd), tree->CategoryNode(musicId_));
    QTest::mouseClick(view.TreeView1()->viewport(), Qt::LeftButton, {},
                      view.TreeView1()->visualRect(tree->IndexOf(cd)).center());
    view.TreeView1()->setCurrentIndex(tree->IndexOf(cd));
    view.TreeView1()->clicked(tree->IndexOf(cd));
    ASSERT_TRUE(testing::AwaitFolders(*tree));
    // Directories first (both letter cases, the backslash name as one), then the top's files.
    EXPECT_EQ(tree->ChildCount(cd), 3);
    const QStringList names = Names(view);
    ASSERT_EQ(names.size(), 5);
    EXPECT_TRUE(names.mid(0, 3).contains("Photos"));
    EXPECT_TRUE(names.mid(0, 3).contains("photos"));
    EXPECT_TRUE(names.mid(0, 3).contains("odd\\name"));
    EXPECT_EQ(names.mid(3), (QStringList{"big.bin", "top.txt"}));
    EXPECT_EQ(view.ListModel()->CellText(3, kListColTreeNodeIndex), "-1");
    EXPECT_EQ(view.ListModel()->CellText(4, kListColNotes), "top notes");
    view.TreeView1()->clicked(tree->IndexOf(cd));
    EXPECT_EQ(tree->ChildCount(cd), 3) << "a second click loads nothing twice";
}

TEST_F(Explorer, NavigatesSortsAndSwitchesModesKeepingTheSelection) {
    frmBrowse2 view;
    view.resize(800, 500);
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    const NodeHandle cd = tree->CdNode(cdId_);
    view.TreeView1()->setCurrentIndex(tree->IndexOf(cd));
    view.TreeView1()->clicked(tree->IndexOf(cd));
    ASSERT_TRUE(testing::AwaitFolders(*tree));

    // Size sorts by value, folders before files; every click on a column flips the order.
    QHeaderView* header = static_cast<QTreeView*>(view.ListView1())->header();
    header->sectionClicked(kListColSize);
    EXPECT_EQ(view.ListModel()->Name(view.ListModel()->rowCount() - 1), "big.bin");
    header->sectionClicked(kListColSize);
    EXPECT_EQ(view.ListModel()->Name(3), "big.bin");

    // Enter on a directory row lists that directory; Backspace goes back up.
    int photos = -1;
    for (int row = 0; row < view.ListModel()->rowCount(); ++row)
        if (view.ListModel()->Name(row) == "Photos") photos = row;
    ASSERT_GE(photos, 0);
    view.ListView1()->setFocus();
    view.ListView1()->selectionModel()->setCurrentIndex(
        view.ListModel()->index(photos, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(view.ListView1(), Qt::Key_Return);
    EXPECT_EQ(Names(view), QStringList{"a.jpg"});
    QTest::keyClick(view.ListView1(), Qt::Key_Backspace);
    EXPECT_EQ(view.ListedNode(), cd);

    view.ListView1()->selectionModel()->setCurrentIndex(
        view.ListModel()->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QString selected = view.ListModel()->Name(0);
    view.SwitchListViewModes(ListViewMode::kLargeIcons);
    const QModelIndexList rows = view.ListView1()->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(view.ListModel()->Name(rows.first().row()), selected);

    // Backspace at the root does nothing.
    view.TreeView1()->setCurrentIndex(tree->IndexOf(kRootNode));
    view.TreeView1()->clicked(tree->IndexOf(kRootNode));
    QTest::keyClick(view.ListView1(), Qt::Key_Backspace);
    EXPECT_EQ(view.ListedNode(), kRootNode);
}

TEST_F(Explorer, OrphanCdsShowUnderTheRootAndPreviewRefusesCategories) {
    {
        classData data(path_);
        data.GetCdGoto(looseId_).setCdCategory(9999, true);  // a category that does not exist
    }
    std::vector<std::string> shown;
    SetMessageSink([&](const std::string& text, const MsgButtonSet&) {
        shown.push_back(text);
        return vbOK;
    });
    frmBrowse2 view;
    CategoryTreeModel* tree = view.TreeModel();
    const NodeHandle loose = tree->CdNode(looseId_);
    ASSERT_NE(loose, kNoNode) << "a CD whose category is gone is never hidden";
    EXPECT_EQ(tree->Parent(loose), kRootNode);

    view.TreeView1()->setCurrentIndex(tree->IndexOf(tree->CategoryNode(musicId_)));
    EXPECT_FALSE(view.PreviewStart().has_value());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Only CDs, Folders or Subdirectories can be previewed");

    const NodeHandle cd = tree->CdNode(cdId_);
    view.TreeView1()->setCurrentIndex(tree->IndexOf(cd));
    const auto source = view.PreviewStart();
    ASSERT_TRUE(source.has_value());
    EXPECT_EQ(source->selectedNode, -1);
    EXPECT_EQ(source->tree.Node(0).tag, cdId_);
    EXPECT_EQ(source->tree.Size(), 4);

    // Revealing a file selects its directory and the file's row.
    classData data(path_);
    classDir& photos = data.GetCdGoto(cdId_).GetDirFirst();
    photos.MoveNext();
    const int32_t dirId = photos.GetDirId();
    const int32_t fileId = photos.GetFileFirst().GetFileId();
    view.RevealRecord({kIconFile, cdId_, dirId, fileId});
    EXPECT_EQ(tree->Tag(view.ListedNode()), dirId);
    const QModelIndexList rows = view.ListView1()->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(view.ListModel()->Row(rows.first().row()).tag, fileId);
}

TEST_F(Explorer, TypeAheadFindsByNameAndTheListModeAndWidthsAreKept) {
    {
        frmBrowse2 view;
        view.resize(800, 500);
        view.show();
        QApplication::setActiveWindow(&view);
        CategoryTreeModel* tree = view.TreeModel();
        // In the tree: typing the start of a caption moves to it and lists it.
        view.TreeView1()->setFocus();
        view.TreeView1()->setCurrentIndex(tree->IndexOf(kRootNode));
        QTest::keyClicks(view.TreeView1(), "mu");
        EXPECT_EQ(view.SelectedNode(), tree->CategoryNode(musicId_));
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(view.TreeView1(), "lo");
        EXPECT_EQ(view.SelectedNode(), tree->CdNode(looseId_));
        EXPECT_EQ(view.ListedNode(), tree->CdNode(looseId_));

        // In the list, in the details and in the icon modes.
        view.TreeView1()->setCurrentIndex(tree->IndexOf(kRootNode));
        emit view.TreeView1()->clicked(tree->IndexOf(kRootNode));
        for (ListViewMode mode : {ListViewMode::kDetails, ListViewMode::kSmallIcons}) {
            view.SwitchListViewModes(mode);
            QAbstractItemView* list = view.ListView1();
            list->setFocus();
            list->setCurrentIndex(view.ListModel()->index(0, 0));
            QTest::qWait(QApplication::keyboardInputInterval() + 50);
            QTest::keyClicks(list, "mus");
            EXPECT_EQ(view.ListModel()->Name(list->currentIndex().row()), "Music");
        }
        // Tabbing into a list selects its current row, so the commands have an item to act on.
        view.ListView1()->clearSelection();
        view.TreeView1()->setFocus();
        QTest::keyClick(view.TreeView1(), Qt::Key_Tab);
        ASSERT_TRUE(view.ListView1()->hasFocus());
        EXPECT_EQ(view.ListView1()->selectionModel()->selectedRows().size(), 1);
        view.SwitchListViewModes(ListViewMode::kList);
        static_cast<QTreeView*>(view.findChild<QTreeView*>("ListView1"))->setColumnWidth(kListColNotes, 333);
    }
    // A new explorer comes back in the mode and with the widths the last one had.
    frmBrowse2 again;
    EXPECT_EQ(again.ListView1()->objectName(), "ListView1Icons");
    EXPECT_EQ(static_cast<QListView*>(again.ListView1())->flow(), QListView::TopToBottom);
    EXPECT_EQ(again.findChild<QTreeView*>("ListView1")->columnWidth(kListColNotes), 333);
    again.SwitchListViewModes(ListViewMode::kDetails);
}

}  // namespace
}  // namespace karvio
