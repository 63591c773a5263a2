// Windows that hold record ids while another program changes the catalogue under them: a
// compaction, a removal or a rescan by karvio-cli (a separate process) while a dialog is open.
// What the user typed is never written into another record or a dead one: the program says the
// catalogue was changed, the views reload, and the typed text waits on the clipboard.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <fstream>

#include "CatalogueCheck.h"
#include "CatalogueEdits.h"
#include "DialogTestSupport.h"
#include "TransferRecords.h"
#include "controls/ItemIcons.h"
#include "scan/CdCommands.h"
#include "explorer/frmBrowse2.h"
#include "explorer/frmCategorySelect.h"
#include "support/SampleCatalogue.h"
#include "views/frmBrowseCD.h"
#include "views/frmProperties.h"

namespace karvio {
namespace {

using testing::SampleDir;
using testing::SampleFile;

class StaleRecords : public testing::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        {
            classData data(DataFilePath);
            // Three CDs of the same shape: once the catalogue is packed, the first removed and
            // the catalogue compacted, the second sits where the first was and the third where
            // the second was.
            for (const char* name : {"Alpha", "Bravo", "Charl"}) {
                testing::AddSampleCd(data, name,
                                     {SampleDir("", "\\", {SampleFile("a.txt", 1)}),
                                      SampleDir("Docs", "\\", {SampleFile("b.txt", 2)})},
                                     0, std::string(name) + " notes");
            }
        }
        Cli("compact");
        classData data;
        for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) ids_.push_back(cd->GetCdId());
        ASSERT_EQ(ids_.size(), 3u);
    }
    void TearDown() override {
        // The reloads a refused edit asks for are delivered before the next test's windows.
        QCoreApplication::processEvents();
        DialogTest::TearDown();
    }

    // Runs karvio-cli on the catalogue in a process of its own, answering its questions Yes.
    void Cli(const std::string& args) {
        const std::string command = std::string(KARVIO_BUILD_DIR) + "/bin/karvio-cli --yes --data '" + DataFilePath +
                                    "' " + args + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    static std::string Notes(int32_t cdId) {
        classData data;
        return data.GetCdGoto(cdId).GetCdNotes();
    }
    // Every CD name and notes text, in list order.
    static std::string AllNotes() {
        classData data;
        std::string all;
        for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext())
            all += cd->GetCdName() + ":" + cd->GetCdNotes() + ";";
        return all;
    }
    bool Told() const {
        for (const std::string& text : asked_)
            if (text.find(kCatalogueChangedText) != std::string::npos) return true;
        return false;
    }
    // Opens the properties of CD `id` as the explorer does, lets `meanwhile` change the
    // catalogue while the window is up, then types `typed` and presses OK.
    bool TypeNotesWhile(int32_t id, const std::string& shownName, const std::function<void()>& meanwhile,
                        const QString& typed) {
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<frmProperties*>(modal);
            ASSERT_NE(dialog, nullptr);
            meanwhile();
            dialog->fldNotes()->setPlainText(typed);
            QTest::mouseClick(dialog->btnOK(), Qt::LeftButton);
        });
        return frmProperties::ShowProperties(kIconCd, id, nullptr, shownName);
    }

    std::vector<int32_t> ids_;
};

TEST_F(StaleRecords, PropertiesNotesAfterAnotherProgramsCompactionGoNowhere) {
    const std::string before = AllNotes();
    EXPECT_FALSE(TypeNotesWhile(ids_[1], "Bravo", [&] {
        Cli("cd remove " + std::to_string(ids_[0]));
        Cli("compact");
    }, QStringLiteral("typed for Bravo")));
    // The third CD now stands where the second stood: its notes are its own.
    EXPECT_EQ(Notes(ids_[1]), "Charl notes");
    EXPECT_NE(AllNotes().find("Bravo:Bravo notes"), std::string::npos) << AllNotes();
    EXPECT_TRUE(Told());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("typed for Bravo"));
    EXPECT_EQ(AllNotes().find("typed"), std::string::npos) << AllNotes();
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
    EXPECT_EQ(AllNotes(), "Bravo:Bravo notes;Charl:Charl notes;") << "before: " << before;
}

TEST_F(StaleRecords, PropertiesNotesOfARemovedOrRescannedCdAreNotLostSilently) {
    EXPECT_FALSE(TypeNotesWhile(ids_[1], "Bravo", [&] { Cli("cd remove " + std::to_string(ids_[1])); },
                                QStringLiteral("for a removed CD")));
    EXPECT_TRUE(Told());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("for a removed CD"));
    asked_.clear();

    const std::string folder = Folder("disc");
    std::filesystem::create_directories(folder + "/sub");
    std::ofstream(folder + "/sub/file.txt") << "x";
    EXPECT_FALSE(TypeNotesWhile(ids_[2], "Charl", [&] { Cli("rescan " + std::to_string(ids_[2]) + " '" + folder + "'"); },
                                QStringLiteral("for a rescanned CD")));
    EXPECT_TRUE(Told());
    // The rescan kept the notes it found; nothing typed went anywhere.
    EXPECT_EQ(AllNotes().find("for a"), std::string::npos) << AllNotes();
    EXPECT_NE(AllNotes().find("Charl notes"), std::string::npos) << AllNotes();
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());

    // Opened on an id that already names another record: no window, the same message.
    asked_.clear();
    EXPECT_FALSE(frmProperties::ShowProperties(kIconCd, ids_[0], nullptr, "Bravo"));
    EXPECT_TRUE(Told());
}

TEST_F(StaleRecords, EditDetailsAfterAnotherProgramsCompactionSaveNothing) {
    WhenModal([&](QWidget* modal) {
        Cli("cd remove " + std::to_string(ids_[0]));
        Cli("compact");
        auto* notes = modal->findChild<QPlainTextEdit*>(QStringLiteral("txtNotes"));
        auto* ok = modal->findChild<QPushButton*>(QStringLiteral("btnOK"));
        ASSERT_TRUE(notes && ok);
        notes->setPlainText(QStringLiteral("details typed"));
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    EXPECT_EQ(EditCdDetails(HeldRecord::Named(RecordKind::Cd, ids_[1], "Bravo")), 0);
    EXPECT_TRUE(Told());
    EXPECT_EQ(AllNotes(), "Bravo:Bravo notes;Charl:Charl notes;");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("details typed"));
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
}

TEST_F(StaleRecords, ExplorerRenameAndDropOfACdAnotherProgramRemoved) {
    frmBrowse2 view;
    view.resize(800, 500);
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    const NodeHandle bravo = tree->CdNode(ids_[1]);
    ASSERT_NE(bravo, kNoNode);
    view.TreeView1()->setFocus();
    view.TreeView1()->setCurrentIndex(tree->IndexOf(bravo));
    view.TreeView1()->clicked(tree->IndexOf(bravo));

    Cli("cd remove " + std::to_string(ids_[1]));
    QTest::keyClick(view.TreeView1(), Qt::Key_F2);
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : view.TreeView1()->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) editor = e;
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Bravo renamed"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Told());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Bravo renamed"));
    // The view loaded the catalogue again: the removed CD is gone from it.
    for (int wait = 0; wait < 100 && view.TreeModel()->CdNode(ids_[1]) != kNoNode; ++wait) QTest::qWait(20);
    EXPECT_EQ(view.TreeModel()->CdNode(ids_[1]), kNoNode);
    EXPECT_EQ(AllNotes().find("renamed"), std::string::npos);

    // A category another program filled meanwhile is not removed from under its CDs.
    CatInfo info;
    info.CatName = "Shelf";
    info.CatImageId = kIconCategory;
    const EditResult shelf = CatalogueEdits().AddCategory(info);
    ASSERT_TRUE(shelf.Done());
    view.RefillListCds();
    const NodeHandle node = view.TreeModel()->CategoryNode(shelf.id);
    ASSERT_NE(node, kNoNode);
    Cli("cd category " + std::to_string(ids_[2]) + " " + std::to_string(shelf.id));
    view.TreeView1()->setFocus();
    view.TreeView1()->setCurrentIndex(view.TreeModel()->IndexOf(node));
    view.TreeView1()->clicked(view.TreeModel()->IndexOf(node));
    asked_.clear();
    answers_ = {vbYes};
    QTest::keyClick(view.TreeView1(), Qt::Key_Delete);
    ASSERT_FALSE(asked_.empty());
    EXPECT_EQ(asked_.front(),
              "Cannot delete category because it contains children!! remove all children and try again");
    {
        classData data;
        EXPECT_TRUE(data.IsListedCategory(shelf.id));
    }
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
}

TEST_F(StaleRecords, CategoryDialogMovesAndRemovesOnlyWhatTheStoreStillHolds) {
    CatInfo info;
    info.CatImageId = kIconCategory;
    info.CatName = "Shelf";
    const int32_t shelf = CatalogueEdits().AddCategory(info).id;
    info.CatName = "Box";
    const int32_t box = CatalogueEdits().AddCategory(info).id;
    ASSERT_GT(shelf, 0);
    ASSERT_GT(box, 0);
    frmCategorySelect dialog;
    dialog.show();
    // Another program files a CD under the shelf and removes the box.
    Cli("cd category " + std::to_string(ids_[0]) + " " + std::to_string(shelf));
    Cli("category remove " + std::to_string(box));
    ASSERT_TRUE(dialog.SelectNode(shelf));
    answers_ = {vbYes};
    dialog.btnRemove_Click();
    ASSERT_FALSE(asked_.empty());
    EXPECT_EQ(asked_.back(), "Cannot delete category [Shelf] because it contains CDs!! move or remove its CDs and try again");
    EXPECT_FALSE(dialog.MoveCategory(box, shelf));
    EXPECT_TRUE(Told());
    for (int wait = 0; wait < 100 && dialog.SelectNode(box); ++wait) QTest::qWait(20);
    EXPECT_FALSE(dialog.SelectNode(box)) << "the dialog shows the categories as they are now";
    classData data;
    EXPECT_TRUE(data.IsListedCategory(shelf));
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
}

TEST_F(StaleRecords, CdPanelDetailsNotesAfterACompaction) {
    frmBrowseCD view;
    view.resize(900, 600);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    view.RefillListCds(ids_[1], true);
    QPlainTextEdit* notes = view.Notes();
    ASSERT_EQ(notes->toPlainText(), QStringLiteral("Bravo notes"));
    notes->setFocus();
    Cli("cd remove " + std::to_string(ids_[0]));
    Cli("compact");
    notes->setPlainText(QStringLiteral("typed in the pane"));
    view.CdList()->setFocus();  // the box loses the focus: the notes are saved
    QCoreApplication::processEvents();
    EXPECT_TRUE(Told());
    EXPECT_EQ(AllNotes().find("typed"), std::string::npos) << AllNotes();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("typed in the pane"));
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
}

}  // namespace
}  // namespace karvio
