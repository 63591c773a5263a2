// The properties window opened from the explorer's tree and list: what it shows is what the
// records hold, and notes typed into it are saved however it is closed, and only when changed.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "DateText.h"
#include "DialogTestSupport.h"
#include "FolderLoads.h"
#include "Format.h"
#include "TransferRecords.h"
#include "controls/ItemIcons.h"
#include "controls/SizeText.h"
#include "explorer/frmBrowse2.h"
#include "support/SampleCatalogue.h"
#include "views/frmProperties.h"

namespace karvio {
namespace {

using testing::SampleDir;
using testing::SampleFile;

struct Shown {
    QString name, size, time, attr, count, notes, title;
};

Shown Read(QWidget* modal) {
    auto* dialog = qobject_cast<frmProperties*>(modal);
    if (!dialog) return {};
    return {dialog->lblFileName()->text(), dialog->lblSize()->text(), dialog->lblTime()->text(),
            dialog->lblAttr()->text(),     dialog->lblCount()->text(), dialog->fldNotes()->toPlainText(),
            dialog->windowTitle()};
}

QString Date(double date) { return QString::fromStdString(DateToText(date)); }

class Properties : public testing::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        classData data(DataFilePath);
        cdId_ = testing::AddSampleCd(
            data, "Alpha",
            {SampleDir("", "\\", {SampleFile("top.txt", 1234, "top notes")}),
             SampleDir("Photos", "\\", {SampleFile("a.jpg", 300), SampleFile("b.jpg", 200)}, "holiday"),
             SampleDir("Old", "Photos")},
            0, "first disc");
        folderId_ = testing::AddSampleCd(data, "Home folder", {SampleDir("", "\\")});
        CdInfo folder = ReadCdInfo(data, folderId_);
        folder.CdMediaType = 3;  // a fixed disk: a scanned folder
        UpdateCdInfo(data, folder);
    }

    // Opens the properties of the current item with `open`, lets `act` look and answer.
    Shown Open(const std::function<void()>& open, const std::function<void(frmProperties*)>& act) {
        Shown seen;
        bool opened = false;
        WhenModal([&](QWidget* modal) {
            opened = true;
            seen = Read(modal);
            auto* dialog = qobject_cast<frmProperties*>(modal);
            if (dialog) act(dialog);
            else modal->close();
        });
        open();
        EXPECT_TRUE(opened) << "no properties window came up";
        return seen;
    }
    static void PressOk(frmProperties* dialog) { QTest::mouseClick(dialog->btnOK(), Qt::LeftButton); }

    int ListRowNamed(frmBrowse2& view, const QString& name) {
        for (int row = 0; row < view.ListModel()->rowCount(); ++row)
            if (view.ListModel()->Name(row) == name) return row;
        return -1;
    }
    // The explorer comes back to the front when a dialog closes; the focus follows it.
    static void Activate(frmBrowse2& view) {
        QApplication::setActiveWindow(&view);
        view.activateWindow();
    }
    void ClickTree(frmBrowse2& view, NodeHandle node) {
        const QModelIndex index = view.TreeModel()->IndexOf(node);
        Activate(view);
        view.TreeView1()->setFocus();
        view.TreeView1()->setCurrentIndex(index);
        emit view.TreeView1()->clicked(index);
        EXPECT_TRUE(testing::AwaitFolders(*view.TreeModel()));
    }
    void SelectListRow(frmBrowse2& view, const QString& name) {
        const int row = ListRowNamed(view, name);
        ASSERT_GE(row, 0) << name.toStdString();
        Activate(view);
        view.ListView1()->setFocus();
        view.ListView1()->selectionModel()->setCurrentIndex(
            view.ListModel()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    int32_t cdId_ = 0, folderId_ = 0;
};

TEST_F(Properties, ShowWhatTheRecordsHoldFromTreeAndList) {
    frmBrowse2 view;
    view.resize(800, 500);
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    const NodeHandle cdNode = tree->CdNode(cdId_);

    // A CD, from the tree.
    ClickTree(view, cdNode);
    const CdInfo cd = GetCdInfoById(cdId_);
    Shown seen = Open([&] { view.popMenuTreeProperties(); }, PressOk);
    EXPECT_EQ(seen.title, "Properties");
    EXPECT_EQ(seen.name, "Alpha");
    EXPECT_EQ(seen.size, FullSizeText(cd.CdTotalSize));
    EXPECT_EQ(seen.time, Date(cd.CdLastScanned));
    EXPECT_EQ(seen.attr, "");
    EXPECT_EQ(seen.count, "Total number of files [3]\r\nTotal number of subdirectories [2]");
    EXPECT_EQ(seen.notes, "first disc");

    // A directory, from the list, through the main menu's command while the list has the focus.
    SelectListRow(view, "Photos");
    const DirInfo photos = GetDirInfoById(view.ListModel()->Row(ListRowNamed(view, "Photos")).tag);
    seen = Open([&] { view.PropertiesMainMenu(); }, PressOk);
    EXPECT_EQ(seen.name, "Photos");
    EXPECT_EQ(seen.size, FullSizeText(500));
    EXPECT_EQ(seen.time, Date(photos.DirDate));
    EXPECT_EQ(seen.attr, "directory");
    EXPECT_EQ(seen.count.left(seen.count.indexOf('\r')), "Total number of files [2]");
    EXPECT_EQ(seen.notes, "holiday");

    // A file, from the list: no counts.
    SelectListRow(view, "top.txt");
    seen = Open([&] { view.popMenuListProperties(); }, PressOk);
    EXPECT_EQ(seen.name, "top.txt");
    EXPECT_EQ(seen.size, FullSizeText(1234));
    EXPECT_EQ(seen.time, Date(44000.25));
    EXPECT_EQ(seen.count, "");
    EXPECT_EQ(seen.notes, "top notes");

    // A scanned folder, from the tree, counts in its own words; a directory node from the tree.
    ClickTree(view, tree->CdNode(folderId_));
    seen = Open([&] { view.PropertiesMainMenu(); }, PressOk);
    EXPECT_EQ(seen.name, "Home folder");
    EXPECT_EQ(seen.count, "No files under this folder\r\nNo subdirectories under this folder");
    NodeHandle photosNode = kNoNode;
    for (NodeHandle child : tree->Children(cdNode))
        if (tree->Caption(child) == "Photos") photosNode = child;
    ASSERT_NE(photosNode, kNoNode);
    ClickTree(view, photosNode);
    seen = Open([&] { view.popMenuTreeProperties(); }, PressOk);
    EXPECT_EQ(seen.name, "Photos");

    // Categories and the root have no properties window of their own here.
    ClickTree(view, kRootNode);
    bool opened = false;
    QTimer closer;  // owned here, so it cannot outlive the check
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    closer.start();
    view.popMenuTreeProperties();
    QTest::qWait(30);
    EXPECT_FALSE(opened);
}

TEST_F(Properties, NotesTypedAreSavedOnOkCloseBoxOrEscapeAndOnlyWhenChanged) {
    frmBrowse2 view;
    view.resize(800, 500);
    view.show();
    const NodeHandle cdNode = view.TreeModel()->CdNode(cdId_);
    ClickTree(view, cdNode);
    SelectListRow(view, "top.txt");
    const int32_t fileId = view.ListModel()->Row(ListRowNamed(view, "top.txt")).tag;

    // Typed with the keyboard, saved by OK, and the list shows the new notes.
    Open([&] { view.popMenuListProperties(); }, [](frmProperties* dialog) {
        dialog->fldNotes()->setFocus();
        dialog->fldNotes()->selectAll();
        QTest::keyClicks(dialog->fldNotes(), "second copy");
        PressOk(dialog);
    });
    EXPECT_EQ(GetFileInfoById(fileId).FileNotes, "second copy");
    EXPECT_EQ(view.ListModel()->CellText(ListRowNamed(view, "top.txt"), kListColNotes), "second copy");

    // The close box keeps what was typed, and so does Escape.
    frmProperties byCloseBox(kIconFile, fileId);
    byCloseBox.show();
    byCloseBox.fldNotes()->setPlainText("line one\nline two");
    byCloseBox.close();
    EXPECT_TRUE(byCloseBox.Changed());
    EXPECT_EQ(GetFileInfoById(fileId).FileNotes, "line one\nline two");
    frmProperties byEscape(kIconCd, cdId_);
    byEscape.show();
    byEscape.fldNotes()->setFocus();
    QTest::keyClicks(byEscape.fldNotes(), "boxed ");
    QTest::keyClick(&byEscape, Qt::Key_Escape);
    EXPECT_TRUE(byEscape.Changed());
    EXPECT_EQ(GetCdInfoById(cdId_).CdNotes, "boxed first disc");

    // Blanks added around the notes are no change: nothing is written.
    frmProperties blanks(kIconCd, cdId_);
    blanks.fldNotes()->setPlainText("  boxed first disc \n");
    QTest::mouseClick(blanks.btnOK(), Qt::LeftButton);
    EXPECT_FALSE(blanks.Changed());
    EXPECT_EQ(GetCdInfoById(cdId_).CdNotes, "boxed first disc");
}

TEST_F(Properties, StoredLineBreaksAndOddTextsAreNotRewrittenByLooking) {
    // Notes written with carriage returns, and a name in the old single-byte encoding.
    {
        classData data(DataFilePath);
        CdInfo cd = ReadCdInfo(data, cdId_);
        cd.CdNotes = "shelf 3\r\nbox 7";
        cd.CdName = "Caf\xe9";
        UpdateCdInfo(data, cd);
    }
    frmProperties dialog(kIconCd, cdId_);
    EXPECT_EQ(dialog.lblFileName()->text(), QString::fromUtf8("Caf\xc3\xa9"));
    EXPECT_EQ(dialog.fldNotes()->toPlainText(), "shelf 3\nbox 7");
    QTest::mouseClick(dialog.btnOK(), Qt::LeftButton);
    EXPECT_FALSE(dialog.Changed()) << "opening and closing changed nothing";
    EXPECT_EQ(GetCdInfoById(cdId_).CdNotes, "shelf 3\r\nbox 7");

    // Edited, the notes keep the line breaks they were stored with.
    frmProperties edited(kIconCd, cdId_);
    edited.fldNotes()->setPlainText("shelf 3\nbox 8");
    QTest::mouseClick(edited.btnOK(), Qt::LeftButton);
    EXPECT_TRUE(edited.Changed());
    EXPECT_EQ(GetCdInfoById(cdId_).CdNotes, "shelf 3\r\nbox 8");

    // No record (id 0) shows an empty window and writes nothing.
    frmProperties gone(kIconFile, 0);
    EXPECT_EQ(gone.lblFileName()->text(), "");
    QTest::mouseClick(gone.btnOK(), Qt::LeftButton);
    EXPECT_FALSE(gone.Changed());
    EXPECT_EQ(CountsText(0, 3, "folder"), "No files under this folder\r\nTotal number of subdirectories [3]");
}

}  // namespace
}  // namespace karvio
