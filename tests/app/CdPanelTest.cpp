#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <fstream>
#include <map>

#include "CatalogueText.h"
#include "Format.h"
#include "Messages.h"
#include "Records.h"
#include "ProgramInfo.h"
#include "support/SampleCatalogue.h"
#include "TransferRecords.h"
#include "classData.h"
#include "startup/ProgramValues.h"
#include "views/frmBrowseCD.h"

namespace karvio {
namespace {

// Every node of the model below `index` by its path of captions ("\" joined), with its kind
// and tag; directories' files are read as the view reads them, through fetchMore.
void CollectNodes(CdTreeModel* model, const QModelIndex& index, const QString& path,
                  std::map<QString, std::pair<int, int32_t>>& out, bool unique = true) {
    if (model->canFetchMore(index)) model->fetchMore(index);
    for (int r = 0; r < model->rowCount(index); ++r) {
        const QModelIndex child = model->index(r, 0, index);
        const int node = model->NodeOf(child);
        const QString name = model->data(child, Qt::DisplayRole).toString();
        const QString full = path.isEmpty() ? name : path + "\\" + name;
        EXPECT_EQ(model->parent(child), index) << full.toStdString();
        if (unique) {
            EXPECT_FALSE(out.count(full)) << "two nodes named " << full.toStdString();
        }
        out[full] = {model->KindOf(node), model->TagOf(node)};
        CollectNodes(model, child, full, out, unique);
    }
}

// The same from the catalogue's own walk: every named directory by its full name, every file by
// its directory's full name and its name.
std::map<QString, std::pair<int, int32_t>> RecordsOf(const std::string& path, int32_t cdId) {
    std::map<QString, std::pair<int, int32_t>> out;
    classData data(path);
    classCd& cd = data.GetCdGoto(cdId);
    for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        const std::string full = dir->GetDirFullName();
        if (!full.empty()) out[QString::fromStdString(DecodeCatalogueText(full))] = {4, dir->GetDirId()};
        for (ClassFile* file = &dir->GetFileFirst(); !dir->GetFileEof(); file = &dir->GetFileNext())
            out[QString::fromStdString(DecodeCatalogueText(file->GetFileFullName(full.empty() ? "\\" : full)))] =
                {5, file->GetFileId()};
    }
    return out;
}

// Rewrites one field of a directory record in place, as damage would.
void DamageDirectory(const std::string& path, int32_t dirId, int32_t fileFirst) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    uint8_t bytes[DirRecord::kSize];
    file.seekg(dirId - 1);
    file.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    DirRecord record;
    record.Decode(bytes);
    record.FileFirst = fileFirst;
    record.Encode(bytes);
    file.seekp(dirId - 1);
    file.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

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

TEST_F(CdPanel, TreeHoldsEveryRecordAndReadsFilesWhenADirectoryOpens) {
    int32_t cdId = 0;
    {
        classData data(path_);
        cdId = testing::AddSampleCd(
            data, "Whole",
            {{"", "\\", {{"readme.txt", 1}, {"setup.exe", 2}}},
             {"Music", "\\", {{"01 - Intro.mp3", 3}}},
             {"Live 2001", "Music", {{"a.flac", 4}, {"b.flac", 5}}},
             {"Con 자백", "Music\\Live 2001", {{"deep.txt", 6}}},
             {"caf\xe9", "\\", {{"men\xfa.txt", 7}}},
             {"Empty", "\\"}});
    }
    frmBrowseCD view;
    view.resize(700, 500);
    view.show();
    view.RefillListCds(cdId, true);
    CdTreeModel* model = view.TreeModel();
    const QModelIndex root = model->index(0, 0);
    ASSERT_TRUE(root.isValid());
    EXPECT_EQ(view.Tree()->currentIndex(), root);
    EXPECT_EQ(model->KindOf(model->NodeOf(root)), 2);
    EXPECT_EQ(model->TagOf(model->NodeOf(root)), cdId);
    EXPECT_EQ(model->DirectoryNodeCount(), 6);  // the CD and five named directories

    // The root directory's files hang under the CD's node; Music's files are not read yet.
    EXPECT_EQ(model->LoadedFileCount(), 2);
    QStringList top;
    for (int r = 0; r < model->rowCount(root); ++r) top << Caption(view, model->index(r, 0, root));
    // Subdirectories first, each group in the natural order of its names.
    EXPECT_EQ(top, (QStringList{"café", "Empty", "Music", "readme.txt", "setup.exe"}));
    const QModelIndex music = model->index(2, 0, root);
    EXPECT_EQ(model->rowCount(music), 1);
    EXPECT_TRUE(model->hasChildren(music));
    EXPECT_TRUE(model->canFetchMore(music));
    const QModelIndex empty = model->index(1, 0, root);
    EXPECT_FALSE(model->hasChildren(empty));

    // Opening a directory in the view reads its files, after its subdirectories.
    view.Tree()->expand(music);
    ASSERT_EQ(model->rowCount(music), 2);
    const QModelIndex intro = model->index(1, 0, music);
    EXPECT_EQ(Caption(view, intro), "01 - Intro.mp3");
    EXPECT_EQ(model->KindOf(model->NodeOf(intro)), 5);
    EXPECT_FALSE(model->canFetchMore(music));

    // The model keeps its contract while the rest is read (the tester reads every directory;
    // attached after the reset, since it reads directories from inside its own reset handler).
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    // Picking a file shows its record in the details pane.
    view.Tree()->setCurrentIndex(intro);
    EXPECT_EQ(view.NameLabel()->text(), "01 - Intro.mp3");

    // Walked all the way down, the tree holds exactly the catalogue's directories and files,
    // each under the node of its directory, with its record id.
    std::map<QString, std::pair<int, int32_t>> nodes;
    CollectNodes(model, root, QString(), nodes);
    std::map<QString, std::pair<int, int32_t>> records = RecordsOf(path_, cdId);
    EXPECT_EQ(nodes.size(), records.size());
    for (const auto& [name, record] : records) {
        ASSERT_TRUE(nodes.count(name)) << name.toStdString();
        EXPECT_EQ(nodes[name], record) << name.toStdString();
    }
}

TEST_F(CdPanel, DamagedRecordsAreShownUnderTheCdAndNeverLost) {
    int32_t cdId = 0, badDir = 0;
    {
        classData data(path_);
        cdId = testing::AddSampleCd(
            data, "Damaged",
            {{"", "\\", {{"top.txt", 1}}},
             {"Child", "Later", {{"c.txt", 2}}},      // stored before its parent
             {"Later", "\\", {{"l.txt", 3}}},
             {"Lost", "Nowhere\\Gone", {{"orphan.txt", 4}}},
             {"Later", "\\", {{"twin.txt", 5}}},    // a second directory of the same name
             {"Broken", "\\", {{"x.txt", 6}}}});
        classCd& cd = data.GetCdGoto(cdId);
        for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext())
            if (dir->GetDirName() == "Broken") badDir = dir->GetDirId();
    }
    // Its file list points far past the end of the file.
    DamageDirectory(path_, badDir, 0x7FFF0000);
    frmBrowseCD view;
    view.RefillListCds(cdId, true);
    CdTreeModel* model = view.TreeModel();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    std::map<QString, std::pair<int, int32_t>> nodes;
    CollectNodes(model, model->index(0, 0), QString(), nodes, false);
    EXPECT_TRUE(nodes.count("Later\\Child\\c.txt"));
    EXPECT_TRUE(nodes.count("Lost\\orphan.txt"));
    EXPECT_TRUE(nodes.count("Later\\l.txt"));
    EXPECT_TRUE(nodes.count("Later\\twin.txt"));
    EXPECT_TRUE(nodes.count("top.txt"));
    EXPECT_TRUE(nodes.count("Broken"));
    EXPECT_FALSE(nodes.count("Broken\\x.txt"));
    // Both directories named Later are shown, each with its own files.
    int laters = 0;
    const QModelIndex root = model->index(0, 0);
    for (int r = 0; r < model->rowCount(root); ++r) {
        if (Caption(view, model->index(r, 0, root)) == "Later") ++laters;
    }
    EXPECT_EQ(laters, 2);
    EXPECT_EQ(model->FindDirectoryNode(badDir) > 0, true);
}

TEST_F(CdPanel, RevealOpensTheDirectoriesAboveAFile) {
    int32_t cdId = 0, fileId = 0;
    {
        classData data(path_);
        testing::BuildSampleCatalogue(data);
        cdId = testing::AddSampleCd(data, "Deep", {{"", "\\"}, {"a", "\\"}, {"b", "a", {{"x", 1}, {"target", 2}}}});
        classCd& cd = data.GetCdGoto(cdId);
        for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext())
            for (ClassFile* file = &dir->GetFileFirst(); !dir->GetFileEof(); file = &dir->GetFileNext())
                if (file->GetFileName() == "target") fileId = file->GetFileId();
    }
    frmBrowseCD view;
    view.resize(600, 400);
    view.show();
    view.RefillListCds(0, true);
    view.RevealRecord(RecordRef{5, cdId, 0, fileId});
    EXPECT_EQ(view.SelectedCdId(), cdId);
    const QModelIndex current = view.Tree()->currentIndex();
    EXPECT_EQ(Caption(view, current), "target");
    EXPECT_EQ(view.SelectedTreeTag(), fileId);
    EXPECT_TRUE(view.Tree()->isExpanded(current.parent()));
    EXPECT_TRUE(view.Tree()->isExpanded(current.parent().parent()));
    // A file id the shown CD does not hold selects the CD.
    view.RevealRecord(RecordRef{5, cdId, 0, 999999});
    EXPECT_EQ(view.Tree()->currentIndex(), view.TreeModel()->index(0, 0));
}

}  // namespace
}  // namespace karvio
