#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "Format.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "support/SampleCatalogue.h"
#include "TransferRecords.h"
#include "classData.h"
#include "startup/ProgramValues.h"
#include "views/frmBrowseCD.h"

namespace karvio {
namespace {

class CdPanel : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("Panel.cd").toStdString();
        DataFilePath = path_;
    }
    void TearDown() override {
        DataFilePath.clear();
        SetMessageSink({});
    }
    QString Cell(frmBrowseCD& view, int row, int column) {
        return view.CdList()->model()->index(row, column).data().toString();
    }
    QString Caption(frmBrowseCD& view, const QModelIndex& index) {
        return view.TreeModel()->data(index, Qt::DisplayRole).toString();
    }
    QTemporaryDir dir_;
    std::string path_;
};

TEST_F(CdPanel, ListShowsEveryCdWithItsColumnsAndSelectsOne) {
    {
        classData data(path_);
        testing::BuildSampleCatalogue(data);
    }
    frmBrowseCD view;
    view.resize(900, 600);
    view.RefillListCds(0, true);
    ASSERT_EQ(view.CdList()->model()->rowCount(), 3);
    ASSERT_EQ(view.CdList()->model()->columnCount(), 9);
    EXPECT_EQ(Cell(view, 0, 0), "Alpha");
    EXPECT_EQ(Cell(view, 0, 1), "first disc");
    EXPECT_EQ(Cell(view, 0, 6), "Jazz");
    EXPECT_EQ(Cell(view, 2, 6), " ");
    EXPECT_EQ(Cell(view, 0, 7), "/media/Alpha");
    EXPECT_EQ(Cell(view, 0, 8), "CD-ROM");
    EXPECT_TRUE(view.HasTreeNodes());
    EXPECT_EQ(view.NameLabel()->text(), "Alpha");
    view.grab().save(QStringLiteral("/tmp/cdpanel-widget.png"));

    // Picking another row shows that CD's tree.
    view.CdList()->setCurrentIndex(view.CdList()->model()->index(1, 0));
    const QModelIndex root = view.TreeModel()->index(0, 0);
    EXPECT_EQ(Caption(view, root), "Beta");
    EXPECT_EQ(view.TreeModel()->rowCount(root), 1);

    EXPECT_EQ(MediaTypeText(2), "Removable");
    EXPECT_EQ(MediaTypeText(3), "Fixed disk");
    EXPECT_EQ(MediaTypeText(99), "Unknown");
}

TEST_F(CdPanel, TreeIsWholeAndRootFilesHangUnderTheCd) {
    int32_t cdId = 0;
    {
        classData data(path_);
        cdId = testing::AddSampleCd(
            data, "Scan",
            {{"Photos", "home\\ann", {{"index.html", 1}}},
             {"2001", "Photos", {{"beach.jpg", 2}}},
             {"Lost", "Nowhere\\Gone", {{"orphan.txt", 3}}}});
    }
    frmBrowseCD view;
    view.RefillListCds(cdId, true);
    CdTreeModel* model = view.TreeModel();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Warning);
    const QModelIndex root = model->index(0, 0);
    EXPECT_EQ(Caption(view, root), "Scan");
    // The scanned folder, whose path names no node, and the directory whose parent is missing
    // both hang under the CD rather than being lost.
    QStringList top;
    for (int r = 0; r < model->rowCount(root); ++r) top << Caption(view, model->index(r, 0, root));
    EXPECT_TRUE(top.contains("Photos")) << top.join(',').toStdString();
    EXPECT_TRUE(top.contains("Lost")) << top.join(',').toStdString();
    EXPECT_EQ(view.Tree()->currentIndex(), root);
}

TEST_F(CdPanel, NotesEditedInPlaceReachTheStoreOnlyWhenChanged) {
    int32_t cdId = 0;
    {
        classData data(path_);
        cdId = testing::AddSampleCd(data, "Notes", {{"", "\\", {{"a.txt", 1}}}}, 0, "old");
    }
    frmBrowseCD view;
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    view.RefillListCds(cdId, true);
    QPlainTextEdit* notes = view.Notes();
    EXPECT_EQ(notes->toPlainText(), "old");
    notes->setFocus();
    notes->selectAll();
    QTest::keyClicks(notes, "line one");
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, "two");
    view.CdList()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(GetCdInfoById(cdId).CdNotes, "line one\ntwo");
    EXPECT_EQ(Cell(view, 0, 1).toStdString(), FlattenLines("line one\ntwo"));
    EXPECT_TRUE(RefreshExplorer);

    // Leaving the box with the text unchanged writes nothing.
    RefreshExplorer = false;
    notes->setFocus();
    view.CdList()->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(RefreshExplorer);
}

TEST_F(CdPanel, DeleteKeyRemovesTheCdAfterYes) {
    {
        classData data(path_);
        testing::BuildSampleCatalogue(data);
    }
    frmBrowseCD view;
    view.show();
    view.RefillListCds(0, true);
    int asked = 0;
    SetMessageSink([&](const std::string&, const MsgButtonSet&) {
        ++asked;
        return vbNo;
    });
    QTest::keyClick(view.CdList(), Qt::Key_Delete);
    EXPECT_EQ(view.CdList()->model()->rowCount(), 3);
    SetMessageSink([&](const std::string&, const MsgButtonSet&) {
        ++asked;
        return vbYes;
    });
    QTest::keyClick(view.CdList(), Qt::Key_Delete);
    EXPECT_GE(asked, 2);
    EXPECT_EQ(view.CdList()->model()->rowCount(), 2);
    EXPECT_FALSE(view.HasTreeNodes());
}

TEST_F(CdPanel, EmptyCatalogueAndSearchOrder) {
    {
        classData data(path_);
    }
    frmBrowseCD view;
    view.RefillListCds(0, true);
    EXPECT_EQ(view.CdList()->model()->rowCount(), 0);
    EXPECT_FALSE(view.HasTreeNodes());
    EXPECT_TRUE(view.CdIdsForSearch().empty());
    {
        classData data(path_);
        testing::AddSampleCd(data, "One", {}, 0, "zebra");
        testing::AddSampleCd(data, "Two", {}, 0, "apple");
    }
    RefreshCdView = true;
    const std::vector<int32_t> ids = view.CdIdsForSearch();
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(GetCdInfoById(ids[0]).CdName, "Two");
}

}  // namespace
}  // namespace karvio
