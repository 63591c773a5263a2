// The windows with what scans read inside files: the scan dialog's boxes, remembered; an archive
// in the explorer opened like a folder with Enter or a double-click and left with Backspace, and
// in the CD panel's tree; the properties of a photo with its details and thumbnail; Large Icons
// with the thumbnails of the photos painted; the header's column chooser with the media columns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "DetailsDatabase.h"
#include "DialogTestSupport.h"
#include "FolderLoads.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "ScanEngine.h"
#include "TransferRecords.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "controls/ctlFolderBrowser.h"
#include "explorer/frmBrowse2.h"
#include "scan/frmAnimation.h"
#include "scan/frmScan.h"
#include "startup/Settings.h"
#include "support/MediaFixtures.h"
#include "views/frmBrowseCD.h"
#include "views/frmProperties.h"

namespace karvio {
namespace {

class DetailsWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("Details.cd").toStdString();
        DataFilePath = path_;
        disc_ = dir_.filePath("disc").toStdString();
        std::filesystem::create_directories(disc_);
        ASSERT_TRUE(testing::WriteArchive(disc_ + "/backup.zip", "zip", "",
                                          {{"docs/", ""}, {"docs/report.pdf", "pdf bytes"}, {"readme.txt", "r"}}));
        ASSERT_TRUE(testing::WritePhoto(disc_ + "/beach.jpg", {1200, 800, "Canon", "Canon EOS 5D", "2019:07:14 18:02:55", "Beach"}));
        ScanEngine engine;
        engine.SetVars(0, disc_ + "/", "Disc", "", "DISC", 0);
        engine.SetScanOptions(kScanAllDetails);
        engine.ScanCd(cdId_);
        ASSERT_GT(cdId_, 0);
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
    int RowOf(frmBrowse2& view, const QString& name) {
        for (int row = 0; row < view.ListModel()->rowCount(); ++row) {
            if (view.ListModel()->Name(row) == name) return row;
        }
        return -1;
    }
    // Lists the scanned folder in the explorer, whose files are the archive and the photo (or
    // those of another CD, among them `file`): below the CD, the folders above it on its volume
    // lead to it one at a time.
    void ListScannedFolder(frmBrowse2& view, int32_t cdId = 0, const QString& file = "backup.zip") {
        CategoryTreeModel* tree = view.TreeModel();
        NodeHandle node = tree->CdNode(cdId > 0 ? cdId : cdId_);
        ASSERT_NE(node, kNoNode);
        view.TreeView1()->clicked(tree->IndexOf(node));
        ASSERT_TRUE(testing::AwaitFolders(*tree));
        for (int depth = 0; depth < 64 && RowOf(view, file) < 0; ++depth) {
            ASSERT_EQ(tree->ChildCount(node), 1);
            node = tree->Children(node).front();
            view.TreeView1()->setCurrentIndex(tree->IndexOf(node));
            view.TreeView1()->clicked(tree->IndexOf(node));
        }
    }
    // Scans a second disc, an album of `photos` photos ("p00.jpg", ...; the even ones from a
    // Nikon taken in 2021, the odd ones from a Canon taken in 2019), a song and a text file, with
    // every detail; returns its CD id.
    int32_t ScanAlbum(int photos) {
        const std::string album = dir_.filePath("album").toStdString();
        std::filesystem::create_directories(album);
        for (int k = 0; k < photos; ++k) {
            const bool nikon = k % 2 == 0;
            char name[32];
            std::snprintf(name, sizeof name, "/p%02d.jpg", k);
            EXPECT_TRUE(testing::WritePhoto(album + name, {160, 120, nikon ? "Nikon" : "Canon",
                                                           nikon ? "Nikon D750" : "Canon EOS 5D",
                                                           nikon ? "2021:03:01 10:00:00" : "2019:07:14 18:02:55", ""}));
        }
        EXPECT_TRUE(testing::WriteSong(album + "/song.mp3", {"mp3", 2, "The Artist", "The Album", "The Song"}));
        std::FILE* text = std::fopen((album + "/notes.txt").c_str(), "w");
        std::fputs("notes", text);
        std::fclose(text);
        ScanEngine engine;
        engine.SetVars(0, album + "/", "Album", "", "ALBUM", 0);
        engine.SetScanOptions(kScanAllDetails);
        int32_t cdId = 0;
        engine.ScanCd(cdId);
        return cdId;
    }
    QTemporaryDir dir_;
    std::string path_, disc_;
    int32_t cdId_ = 0;
};

TEST_F(DetailsWindows, AnArchiveOpensLikeAFolderAndBackspaceLeavesIt) {
    frmBrowse2 view;
    view.show();
    ListScannedFolder(view);
    const int zip = RowOf(view, "backup.zip");
    ASSERT_GE(zip, 0);
    EXPECT_TRUE(view.ListModel()->Row(zip).archive);
    EXPECT_FALSE(view.ListModel()->Row(RowOf(view, "beach.jpg")).archive);

    // Enter on the archive lists its top: the folder, then the member.
    QAbstractItemView* list = view.ListView1();
    list->setFocus();
    list->setCurrentIndex(view.ListModel()->index(zip, 0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(view.ListedArchive(), view.ListModel()->Row(0).tag);
    EXPECT_EQ(Names(view), (QStringList{"docs", "readme.txt"}));
    EXPECT_EQ(view.ListModel()->Row(0).kind, kIconArchiveFolder);
    // Enter on a folder inside it opens that folder.
    list->setCurrentIndex(view.ListModel()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(view.ListedArchiveFolder(), "docs");
    EXPECT_EQ(Names(view), QStringList{"report.pdf"});
    EXPECT_EQ(view.ListModel()->Row(0).size, 9);
    EXPECT_EQ(view.ListModel()->CellText(0, kListColAttr), "");
    // Backspace climbs out, folder by folder, back to the archive's own row.
    QTest::keyClick(list, Qt::Key_Backspace);
    EXPECT_EQ(Names(view), (QStringList{"docs", "readme.txt"}));
    QTest::keyClick(list, Qt::Key_Backspace);
    EXPECT_EQ(view.ListedArchive(), 0);
    EXPECT_EQ(list->currentIndex().row(), RowOf(view, "backup.zip"));
}

TEST_F(DetailsWindows, ADoubleClickOpensAnArchiveAndTheFoldersInsideIt) {
    frmBrowse2 view;
    view.resize(900, 600);
    view.show();
    ListScannedFolder(view);
    QAbstractItemView* list = view.ListView1();
    auto doubleClick = [&](const QString& name) {
        const int row = RowOf(view, name);
        ASSERT_GE(row, 0) << name.toStdString();
        const QRect rect = list->visualRect(view.ListModel()->index(row, 0));
        // A double-click reaches a widget as a press and release, then the double-click event;
        // QTest's mouseDClick sends only the last, which an item view takes for a press.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    };
    doubleClick("backup.zip");
    EXPECT_EQ(Names(view), (QStringList{"docs", "readme.txt"}));
    doubleClick("docs");
    EXPECT_EQ(view.ListedArchiveFolder(), "docs");
    EXPECT_EQ(Names(view), QStringList{"report.pdf"});
}

TEST_F(DetailsWindows, AnArchiveInTheCdPanelsTreeOpensBelowItsRow) {
    frmBrowseCD view;
    view.resize(900, 600);
    view.show();
    view.RefillListCds(cdId_, true);
    CdTreeModel* model = view.TreeModel();
    QTreeView* tree = view.Tree();
    // The CD, its scanned folder, and the archive among the folder's files.
    const QModelIndex folder = model->index(0, 0, model->index(0, 0));
    tree->expand(folder);
    QModelIndex zip;
    for (int row = 0; row < model->rowCount(folder); ++row) {
        const QModelIndex at = model->index(row, 0, folder);
        if (at.data().toString() == "backup.zip") zip = at;
        if (at.data().toString() == "beach.jpg") {
            EXPECT_FALSE(model->hasChildren(at));
        }
    }
    ASSERT_TRUE(zip.isValid());
    EXPECT_TRUE(model->hasChildren(zip));
    EXPECT_EQ(model->KindOf(model->NodeOf(zip)), kIconFile);

    // Choosing the archive opens it: its folder and member hang below it.
    tree->setCurrentIndex(zip);
    EXPECT_TRUE(tree->isExpanded(zip));
    ASSERT_EQ(model->rowCount(zip), 2);
    const QModelIndex docs = model->index(0, 0, zip);
    EXPECT_EQ(docs.data().toString(), "docs");
    EXPECT_EQ(model->KindOf(model->NodeOf(docs)), kIconArchiveFolder);
    EXPECT_EQ(model->index(1, 0, zip).data().toString(), "readme.txt");
    EXPECT_EQ(model->parent(docs), zip);
    tree->setCurrentIndex(docs);
    ASSERT_EQ(model->rowCount(docs), 1);
    const QModelIndex report = model->index(0, 0, docs);
    EXPECT_EQ(report.data().toString(), "report.pdf");
    EXPECT_EQ(model->parent(report), docs);
    EXPECT_EQ(model->TagOf(model->NodeOf(report)), model->TagOf(model->NodeOf(zip)));
    EXPECT_EQ(model->ArchiveNodeOf(model->NodeOf(report)), model->NodeOf(zip));

    // A member's details are its own; it has no notes to edit.
    tree->setCurrentIndex(report);
    EXPECT_EQ(view.NameLabel()->text(), "report.pdf");
    EXPECT_TRUE(view.Notes()->isReadOnly());
    tree->setCurrentIndex(zip);
    EXPECT_EQ(view.NameLabel()->text(), "backup.zip");
    EXPECT_FALSE(view.Notes()->isReadOnly());
}

TEST_F(DetailsWindows, PropertiesShowAPhotosDetailsAndThumbnail) {
    FileInfo beach;
    {
        classData data;
        classDir& top = data.GetCdGoto(cdId_).GetDirFirst();
        for (ClassFile* f = &top.GetFileFirst(); !top.GetFileEof(); f = &top.GetFileNext()) {
            if (f->GetFileName() == "beach.jpg") beach = ReadFileInfo(data, f->GetFileId());
        }
    }
    ASSERT_GT(beach.FileId, 0);
    frmProperties dialog(kIconFile, beach.FileId);
    const QString details = dialog.lblDetails()->text();
    EXPECT_TRUE(details.contains("Camera: Canon EOS 5D")) << details.toStdString();
    EXPECT_TRUE(details.contains("Title: Beach")) << details.toStdString();
    EXPECT_TRUE(details.contains("1200 \u00d7 800")) << details.toStdString();
    ASSERT_FALSE(dialog.lblThumbnail()->pixmap().isNull());
    EXPECT_EQ(dialog.lblThumbnail()->pixmap().width(), 128);
}

TEST_F(DetailsWindows, LargeIconsShowTheThumbnailsOfThePhotosPainted) {
    const int32_t album = ScanAlbum(60);
    ASSERT_GT(album, 0);
    frmBrowse2 view;
    view.resize(520, 320);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.SwitchListViewModes(ListViewMode::kLargeIcons);
    ListScannedFolder(view, album, "p00.jpg");
    ContentsListModel* model = view.ListModel();
    auto icon = [&](const QString& name) {
        return model->index(RowOf(view, name), kListColName).data(Qt::DecorationRole).value<QIcon>().pixmap(96, 96);
    };
    // A photo shows itself (160 x 120, blue below its yellow top left), fitted to a square
    // larger than the icons'; a text file its type's icon.
    QListView* icons = qobject_cast<QListView*>(view.ListView1());
    ASSERT_NE(icons, nullptr);
    EXPECT_GT(icons->iconSize().width(), 32);
    view.grab();
    auto showsPhoto = [&](const QString& name) {
        const QColor at = icon(name).toImage().pixelColor(24, 66);
        return std::abs(at.red() - 30) < 40 && std::abs(at.green() - 90) < 40 && std::abs(at.blue() - 160) < 40;
    };
    EXPECT_TRUE(showsPhoto("p01.jpg"));
    EXPECT_FALSE(showsPhoto("notes.txt"));
    // Only the thumbnails of the rows painted were read, not all sixty.
    const int64_t painted = model->Details().ThumbnailsRead();
    EXPECT_GT(painted, 0);
    EXPECT_LT(painted, 40);
    icons->scrollToBottom();
    view.grab();
    EXPECT_GT(model->Details().ThumbnailsRead(), painted);
    // Other modes show the files' icons.
    view.SwitchListViewModes(ListViewMode::kSmallIcons);
    EXPECT_FALSE(showsPhoto("p01.jpg"));
    view.SwitchListViewModes(ListViewMode::kLargeIcons);
    EXPECT_TRUE(showsPhoto("p01.jpg"));
    // A list without pictures keeps the large icons' own size.
    view.TreeView1()->clicked(view.TreeModel()->IndexOf(kRootNode));
    EXPECT_EQ(icons->iconSize().width(), 32);
    view.SwitchListViewModes(ListViewMode::kDetails);
}

TEST_F(DetailsWindows, TheHeadersMenuShowsMediaColumnsThatSortAndAreRemembered) {
    const int32_t album = ScanAlbum(4);
    ASSERT_GT(album, 0);
    // Opens the header's context menu as a right-click does; tells whether its entry `name` is
    // checked (-1: no such entry) and, with `choose`, chooses it.
    auto columnEntry = [](QHeaderView* header, const char* name, bool choose) -> int {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), header->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(header->viewport(), &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return -1;
        QAction* found = menu->findChild<QAction*>(name);
        const int checked = found ? int(found->isChecked()) : -1;
        if (found && choose) found->trigger();
        menu->close();
        return checked;
    };
    {
        frmBrowse2 view;
        view.resize(900, 500);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.SwitchListViewModes(ListViewMode::kDetails);
        ListScannedFolder(view, album, "p00.jpg");
        auto* list = qobject_cast<QTreeView*>(view.ListView1());
        ASSERT_NE(list, nullptr);
        for (int column = kListColFirstMedia; column < kListColumnCount; ++column) EXPECT_TRUE(list->isColumnHidden(column));
        EXPECT_EQ(columnEntry(list->header(), "mnuColumnCamera", true), 0);
        EXPECT_EQ(columnEntry(list->header(), "mnuColumnArtist", true), 0);
        EXPECT_EQ(columnEntry(list->header(), "mnuColumnDuration", true), 0);
        EXPECT_EQ(columnEntry(list->header(), "mnuColumnDimensions", true), 0);
        EXPECT_EQ(columnEntry(list->header(), "mnuColumnAttr", true), 1);
        EXPECT_FALSE(list->isColumnHidden(kListColCamera));
        EXPECT_TRUE(list->isColumnHidden(kListColAttr));
        EXPECT_EQ(columnEntry(list->header(), "mnuColumnCamera", false), 1);

        ContentsListModel* model = view.ListModel();
        EXPECT_EQ(model->index(RowOf(view, "p00.jpg"), kListColCamera).data().toString(), "Nikon D750");
        EXPECT_EQ(model->index(RowOf(view, "p01.jpg"), kListColDimensions).data().toString(), "160 \u00d7 120");
        EXPECT_EQ(model->index(RowOf(view, "song.mp3"), kListColArtist).data().toString(), "The Artist");
        EXPECT_EQ(model->index(RowOf(view, "song.mp3"), kListColDuration).data().toString(), "0:02");
        EXPECT_EQ(model->index(RowOf(view, "notes.txt"), kListColCamera).data().toString(), "");
        EXPECT_FALSE(model->index(RowOf(view, "p00.jpg"), kListColTaken).data().toString().isEmpty());

        // A click on the "Camera" header sorts by camera, a second the other way.
        auto clickHeader = [&](int column) {
            QHeaderView* header = list->header();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                                     header->height() / 2));
        };
        clickHeader(kListColCamera);
        EXPECT_EQ(Names(view), (QStringList{"notes.txt", "song.mp3", "p01.jpg", "p03.jpg", "p00.jpg", "p02.jpg"}));
        clickHeader(kListColCamera);
        EXPECT_EQ(Names(view), (QStringList{"p02.jpg", "p00.jpg", "p03.jpg", "p01.jpg", "song.mp3", "notes.txt"}));
        // Taken sorts by the date, not by its text.
        view.ListModel()->SortBy(kListColTaken, Qt::AscendingOrder);
        EXPECT_EQ(Names(view).mid(2), (QStringList{"p01.jpg", "p03.jpg", "p00.jpg", "p02.jpg"}));
    }
    // A new explorer shows the columns chosen.
    frmBrowse2 again;
    again.resize(900, 500);
    again.show();
    again.SwitchListViewModes(ListViewMode::kDetails);
    auto* list = qobject_cast<QTreeView*>(again.ListView1());
    EXPECT_FALSE(list->isColumnHidden(kListColCamera));
    EXPECT_FALSE(list->isColumnHidden(kListColDuration));
    EXPECT_TRUE(list->isColumnHidden(kListColTaken));
    EXPECT_TRUE(list->isColumnHidden(kListColAttr));
    EXPECT_FALSE(list->isColumnHidden(kListColSize));
    EXPECT_GT(list->columnWidth(kListColCamera), 0);
    EXPECT_EQ(columnEntry(list->header(), "mnuColumnCamera", true), 1);
    EXPECT_TRUE(list->isColumnHidden(kListColCamera));
    SaveSetting("Explorer", "ShownColumns", "Size Date Attr Notes");
}

TEST_F(DetailsWindows, TheScanDialogRemembersItsBoxesAndARescanShowsTheCdsOwn) {
    frmAnimation animation;
    {
        frmScan dialog(0, 0, animation);
        dialog.chkArchives()->setChecked(true);
        dialog.chkMedia()->setChecked(false);
        dialog.chkThumbnails()->setChecked(true);
        dialog.chkHashes()->setChecked(true);
        EXPECT_EQ(dialog.ScanOptions(), uint32_t{kScanArchives | kScanThumbnails | kScanHashes});
        const std::string other = dir_.filePath("other").toStdString();
        std::filesystem::create_directories(other);
        dialog.ctlFolderBrowser1()->SetText(QString::fromStdString(other));
        dialog.btnOK_Click();
        EXPECT_FALSE(dialog.Cancelled());
    }
    frmScan fresh(0, 0, animation);
    EXPECT_TRUE(fresh.chkArchives()->isChecked());
    EXPECT_FALSE(fresh.chkMedia()->isChecked());
    EXPECT_TRUE(fresh.chkThumbnails()->isChecked());
    EXPECT_TRUE(fresh.chkHashes()->isChecked());
    frmScan rescan(cdId_, 0, animation);
    EXPECT_TRUE(rescan.chkArchives()->isChecked());
    EXPECT_TRUE(rescan.chkMedia()->isChecked());
    EXPECT_TRUE(rescan.chkThumbnails()->isChecked());
    EXPECT_FALSE(rescan.chkHashes()->isChecked()) << "the CD was scanned without hashes";
}

}  // namespace
}  // namespace karvio
