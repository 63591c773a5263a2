// The scan and edit dialogs, the scan progress window, the folder and category pickers and the
// CD commands, driven through their widgets on a temporary catalogue and real folders.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "CatalogueCheck.h"
#include "DialogTestSupport.h"
#include "MountTable.h"
#include "TransferRecords.h"
#include "VolumeServices.h"
#include "classCd.h"
#include "controls/ctlFolderBrowser.h"
#include "controls/ctlIconLabel.h"
#include "mainwindow/CatalogueEvents.h"
#include "scan/CdCommands.h"
#include "scan/frmAnimation.h"
#include "scan/frmEdit.h"
#include "scan/frmScan.h"

using namespace karvio;
namespace fs = std::filesystem;

namespace {

void MakeTree(const std::string& root, int dirs, int filesPerDir) {
    fs::create_directories(root);
    for (int d = 0; d < dirs; ++d) {
        const std::string dir = root + "/dir" + std::to_string(d);
        fs::create_directories(dir);
        for (int f = 0; f < filesPerDir; ++f) std::ofstream(dir + "/f" + std::to_string(f) + ".txt") << "0123456789";
    }
}

int CdCount() {
    classData data;
    return data.GetCdCount();
}

std::vector<int32_t> CdIds() {
    std::vector<int32_t> ids;
    classData data;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) ids.push_back(cd->GetCdId());
    return ids;
}

// Restores the pickers' real dialogs after a test scripted them.
struct ScriptedPickers {
    ScriptedPickers(ctlFolderBrowser::Chooser chooser, ctlIconLabel::Selector selector) {
        ctlFolderBrowser::SetChooser(std::move(chooser));
        ctlIconLabel::SetSelector(std::move(selector));
    }
    ~ScriptedPickers() {
        ctlFolderBrowser::SetChooser({});
        ctlIconLabel::SetSelector({});
    }
};

class ScanDialogs : public karvio::testing::DialogTest {};

}  // namespace

TEST_F(ScanDialogs, PickersBrowseTypeAndCancel) {
    std::vector<QString> starts;
    QString answer;
    int32_t category = -1;
    ScriptedPickers pickers(
        [&](QWidget*, const QString& title, const QString& start) {
            EXPECT_EQ(title, "Select a folder");
            starts.push_back(start);
            return answer;
        },
        [&](QWidget*, int32_t) { return category; });

    ctlFolderBrowser folder;
    QSignalSpy changes(&folder, &ctlFolderBrowser::Change);
    folder.show();
    QTest::keyClicks(folder.txtFolder(), "/tmp/");
    EXPECT_EQ(folder.Text(), "/tmp/");
    const int typed = changes.count();
    EXPECT_EQ(typed, 5);
    // Alt+Down opens the chooser on the path without its trailing separator; cancel keeps it.
    QTest::keyClick(folder.txtFolder(), Qt::Key_Down, Qt::AltModifier);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], "/tmp");
    EXPECT_EQ(folder.Text(), "/tmp/");
    answer = "/usr/share";
    QTest::mouseClick(folder.cmdBrowse(), Qt::LeftButton);
    EXPECT_EQ(folder.Text(), "/usr/share");
    EXPECT_EQ(changes.count(), typed + 1);
    folder.SetText("/");
    QTest::mouseClick(folder.cmdBrowse(), Qt::LeftButton);
    EXPECT_EQ(starts.back(), "/");

    int32_t music = 0;
    {
        classData data;
        CatInfo info;
        info.CatName = "Music";
        info.CatImageId = 9;
        music = AddCatInfo(data, info);
    }
    ctlIconLabel picker;
    EXPECT_EQ(picker.CategoryId(), 0);
    EXPECT_EQ(picker.Caption(), "Karvio");
    category = music;
    QTest::mouseClick(picker.cmdBrowse(), Qt::LeftButton);
    EXPECT_EQ(picker.CategoryId(), music);
    EXPECT_EQ(picker.Caption(), "Music");
    category = -1;  // cancelled: nothing changes
    QTest::mouseClick(picker.cmdBrowse(), Qt::LeftButton);
    EXPECT_EQ(picker.CategoryId(), music);
    EXPECT_EQ(picker.Caption(), "Music");
    picker.SetCategoryId(12345);  // not a category: read nothing from there
    EXPECT_EQ(picker.Caption(), "Karvio");

    // In a form the mnemonic of each picker's label reaches the part that takes the keys.
    QWidget form;
    auto* layout = new QFormLayout(&form);
    auto* name = new QLineEdit;
    auto* drive = new ctlFolderBrowser;
    auto* inForm = new ctlIconLabel;
    layout->addRow("&Name", name);
    layout->addRow("&Drive", drive);
    layout->addRow("Ca&tegory", inForm);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    name->setFocus();
    QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(drive->txtFolder()->hasFocus());
    QTest::keyClick(&form, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(inForm->cmdBrowse()->hasFocus());
    QTest::keyClick(&form, Qt::Key_N, Qt::AltModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(drive->txtFolder()->hasFocus()) << "Tab goes straight to the folder's text";
}

TEST_F(ScanDialogs, DefaultDriveFromTheMountTable) {
    const std::string root = Folder("sys");
    for (const char* d : {"/cd1", "/cd2", "/disk", "/labels", "/block"}) fs::create_directories(root + d);
    std::ofstream(root + "/cd2/track.txt") << "x";
    auto write = [&](const std::string& table) { std::ofstream(root + "/mountinfo") << table; };
    ScopedVolumeSources sources(VolumeSources{root + "/mountinfo", root + "/labels", root + "/block"});

    // The first CD drive has no readable medium (its mount point cannot be read).
    fs::remove(root + "/cd1");
    write("1 0 254:0 / / rw - ext4 /dev/vda rw\n"
          "2 1 11:0 / " + root + "/cd1 ro - iso9660 /dev/sr0 ro\n"
          "3 1 11:1 / " + root + "/cd2 ro - iso9660 /dev/sr1 ro\n");
    EXPECT_EQ(DefaultScanDrive(), root + "/cd2");
    write("1 0 254:0 / / rw - ext4 /dev/vda rw\n"
          "2 1 11:0 / " + root + "/cd1 ro - iso9660 /dev/sr0 ro\n"
          "3 1 8:1 / " + root + "/disk rw - ext4 /dev/sdb1 rw\n");
    EXPECT_EQ(DefaultScanDrive(), "/");  // "/" is the first fixed volume in mount order
    write("2 1 11:0 / " + root + "/cd1 ro - iso9660 /dev/sr0 ro\n"
          "3 1 8:1 / " + root + "/disk rw - ext4 /dev/sdb1 rw\n");
    EXPECT_EQ(DefaultScanDrive(), root + "/disk");
    write("");
    EXPECT_EQ(DefaultScanDrive(), "/");
}

TEST_F(ScanDialogs, StartRefusesBadFoldersAndKeepsWhatWasTyped) {
    frmAnimation animation;
    frmScan dialog(0, 0, animation);
    dialog.show();
    EXPECT_FALSE(dialog.ctlFolderBrowser1()->Text().isEmpty());
    EXPECT_EQ(dialog.txtLabel()->text(), dialog.txtLabelInternal()->text());

    // Another folder resets the name to that volume's label, or the folder's name without one.
    const std::string tree = Folder("tree");
    MakeTree(tree, 1, 2);
    dialog.txtLabel()->setText("typed");
    dialog.ctlFolderBrowser1()->SetText(QString::fromStdString(tree));
    EXPECT_EQ(dialog.txtLabel()->text().toStdString(), ProposedDiscName(tree, GetVolumeLabel(tree)));

    dialog.txtLabel()->setText("My disc");
    dialog.txtNotes()->setPlainText("some notes");
    QTest::keyClicks(dialog.ctlFolderBrowser1()->txtFolder(), "/missing");
    dialog.txtLabel()->setText("My disc");
    QTest::mouseClick(dialog.btnOK(), Qt::LeftButton);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], "No CD Found to Scan or CD Not Ready");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_EQ(dialog.txtLabel()->text(), "My disc");
    EXPECT_EQ(dialog.txtNotes()->toPlainText(), "some notes");

    const std::string file = tree + "/dir0/f0.txt";
    dialog.ctlFolderBrowser1()->SetText(QString::fromStdString(file));
    QTest::mouseClick(dialog.btnOK(), Qt::LeftButton);
    EXPECT_NE(asked_.back().find("is not a folder"), std::string::npos) << asked_.back();
    if (::geteuid() != 0) {
        const std::string locked = Folder("locked");
        fs::create_directories(locked);
        ::chmod(locked.c_str(), 0);
        dialog.ctlFolderBrowser1()->SetText(QString::fromStdString(locked));
        QTest::mouseClick(dialog.btnOK(), Qt::LeftButton);
        EXPECT_NE(asked_.back().find("cannot be read"), std::string::npos) << asked_.back();
        ::chmod(locked.c_str(), 0755);
    }
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(CdCount(), 0);
}

TEST_F(ScanDialogs, AddEditRescanAndDeleteThroughTheCommands) {
    const std::string tree = Folder("Photos");
    MakeTree(tree, 3, 4);
    int32_t category = 0;
    {
        classData data;
        CatInfo info;
        info.CatName = "Pictures";
        info.CatImageId = 6;
        category = AddCatInfo(data, info);
    }
    QSignalSpy changed(&CatalogueEvents::Instance(), &CatalogueEvents::catalogueChanged);
    QSignalSpy removed(&CatalogueEvents::Instance(), &CatalogueEvents::cdRemoved);

    // Cancelled: nothing is added.
    WhenModal([](QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>("btnCancel"), Qt::LeftButton); });
    EXPECT_EQ(AddCd(category), 0);
    EXPECT_EQ(CdCount(), 0);

    WhenModal([&](QWidget* w) {
        auto* scan = qobject_cast<frmScan*>(w);
        ASSERT_NE(scan, nullptr);
        EXPECT_EQ(scan->txtCategory()->CategoryId(), category);
        scan->ctlFolderBrowser1()->SetText(QString::fromStdString(tree));
        scan->txtLabel()->selectAll();
        QTest::keyClicks(scan->txtLabel(), "Holiday");
        scan->txtNotes()->setPlainText("beach and hills");
        QTest::mouseClick(scan->btnOK(), Qt::LeftButton);
    });
    const int32_t cdId = AddCd(category);
    ASSERT_GT(cdId, 0);
    EXPECT_EQ(changed.count(), 1);
    CdInfo cd = GetCdInfoById(cdId);
    EXPECT_EQ(cd.CdName, "Holiday");
    EXPECT_EQ(cd.CdNotes, "beach and hills");
    EXPECT_EQ(cd.CdCategory, category);
    EXPECT_EQ(cd.CdBasepath, tree + "/");
    EXPECT_EQ(cd.CdNumOfFiles, 12);
    EXPECT_EQ(cd.CdNumOfSubdirs, 3);

    // Edit: the base path alone writes nothing; notes and base path write both.
    WhenModal([](QWidget* w) {
        auto* edit = qobject_cast<frmEdit*>(w);
        edit->txtBasePath()->setText("/elsewhere/");
        QTest::mouseClick(edit->btnOK(), Qt::LeftButton);
    });
    EXPECT_EQ(EditCdDetails(HeldRecord::Of(RecordKind::Cd, cdId)), 0);
    EXPECT_EQ(GetCdInfoById(cdId).CdBasepath, tree + "/");
    WhenModal([](QWidget* w) {
        auto* edit = qobject_cast<frmEdit*>(w);
        edit->txtBasePath()->setText("/elsewhere/");
        edit->txtNotes()->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit->txtNotes(), " again");
        QTest::mouseClick(edit->btnOK(), Qt::LeftButton);
    });
    EXPECT_EQ(EditCdDetails(HeldRecord::Of(RecordKind::Cd, cdId)), kCdTextsChanged);
    cd = GetCdInfoById(cdId);
    EXPECT_EQ(cd.CdNotes, "beach and hills again");
    EXPECT_EQ(cd.CdBasepath, "/elsewhere/");
    EXPECT_EQ(cd.CdMediaType, kMediaNoRoot);
    EXPECT_EQ(EditCdDetails(HeldRecord::Of(RecordKind::Cd, 0)), 0);

    // The category only, through the picker; then Cancel with changes asks, No stays open.
    {
        ScriptedPickers pickers({}, [](QWidget*, int32_t) { return 0; });
        WhenModal([](QWidget* w) {
            auto* edit = qobject_cast<frmEdit*>(w);
            QTest::mouseClick(edit->txtCategory()->cmdBrowse(), Qt::LeftButton);
            QTest::mouseClick(edit->btnOK(), Qt::LeftButton);
        });
        EXPECT_EQ(EditCdDetails(HeldRecord::Of(RecordKind::Cd, cdId)), kCdCategoryChanged);
        EXPECT_EQ(GetCdInfoById(cdId).CdCategory, 0);
    }
    int questions = 0;
    WhenModal([&](QWidget* w) {
        auto* edit = qobject_cast<frmEdit*>(w);
        edit->txtLabel()->setText("Lost");
        WhenModal([&](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(message, nullptr);
            EXPECT_EQ(message->text(), "Exit and lose all changes !!");
            ++questions;
            message->button(QMessageBox::No)->click();
            WhenModal([](QWidget* still) {
                EXPECT_NE(qobject_cast<frmEdit*>(still), nullptr);
                WhenModal([](QWidget* again) {
                    qobject_cast<QMessageBox*>(again)->button(QMessageBox::Yes)->click();
                });
                QTest::mouseClick(still->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
            });
        });
        QTest::mouseClick(edit->btnCancel(), Qt::LeftButton);
    });
    EXPECT_EQ(EditCdDetails(HeldRecord::Of(RecordKind::Cd, cdId)), 0);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(GetCdInfoById(cdId).CdName, "Holiday");

    // Rescan: the stored name and notes are proposed and kept, a file note carries over.
    {
        classData data;
        data.GetCdGoto(cdId).GetDirFirst();
        classDir& dir = data.GetCdGoto(cdId).GetDirNext();  // dir0, the first with files
        ASSERT_EQ(dir.GetDirName(), "dir0");
        SetFileNotesById(data.GetCdGoto(cdId).GetDirGoto(dir.GetDirId()).GetFileFirst().GetFileId(), "kept");
    }
    {
        classData data;
        CdInfo back = ReadCdInfo(data, cdId);
        back.CdBasepath = tree + "/";
        UpdateCdInfo(data, back);
    }
    WhenModal([&](QWidget* w) {
        auto* scan = qobject_cast<frmScan*>(w);
        EXPECT_EQ(scan->txtLabel()->text(), "Holiday");
        EXPECT_EQ(scan->txtNotes()->toPlainText(), "beach and hills again");
        EXPECT_EQ(scan->ctlFolderBrowser1()->Text().toStdString(), tree);
        QTest::mouseClick(scan->btnOK(), Qt::LeftButton);
    });
    const int32_t newId = RescanCd(HeldRecord::Of(RecordKind::Cd, cdId));
    ASSERT_GT(newId, 0);
    EXPECT_NE(newId, cdId);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.takeFirst().at(0).toInt(), cdId);
    EXPECT_EQ(CdIds(), std::vector<int32_t>{newId});
    {
        classData data;
        data.GetCdGoto(newId).GetDirFirst();
        classDir& dir = data.GetCdGoto(newId).GetDirNext();
        EXPECT_EQ(data.GetCdGoto(newId).GetDirGoto(dir.GetDirId()).GetFileFirst().GetFileNotes(), "kept");
    }

    // Delete: No keeps the CD, Yes removes it and says so.
    answers_ = {vbNo};
    EXPECT_FALSE(DeleteCd(HeldRecord::Named(RecordKind::Cd, newId, "Holiday"), "Holiday"));
    EXPECT_EQ(CdCount(), 1);
    answers_ = {vbYes, vbOK};
    asked_.clear();
    EXPECT_TRUE(DeleteCd(HeldRecord::Named(RecordKind::Cd, newId, "Holiday"), "Holiday"));
    ASSERT_EQ(asked_.size(), 2u);
    EXPECT_EQ(asked_[0], "Remove Cd\r\n[Holiday]");
    EXPECT_EQ(asked_[1], "CD removed");
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(CdCount(), 0);
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
}

TEST_F(ScanDialogs, CancelAsksAndAVanishedMediumStopsTheScan) {
    const std::string tree = Folder("big");
    // Large enough that the walk is still running when the questions are answered.
    MakeTree(tree, 200, 150);
    {
        frmAnimation animation;
        animation.SetVars(0, tree + "/", "Big", "", "label", 0);
        animation.show();
        EXPECT_TRUE(animation.windowTitle() == "Processing Directories !! Please Wait");
        // The shipped picture or the painted one: either way the window has its animation.
        EXPECT_EQ(animation.PlaysAnimationFile(), fs::exists(FindResource("images/NewFileTree.gif")));
    }

    // No goes on, the close box never closes, Yes stops and nothing is added.
    frmAnimation animation;
    animation.SetVars(0, tree + "/", "Big", "", "label", 0);
    int step = 0;
    QTimer poke;
    poke.setInterval(1);
    QObject::connect(&poke, &QTimer::timeout, [&] {
        if (!animation.IsScanning() || step > 0) return;
        step = 1;
        poke.stop();
        answers_ = {vbNo, vbNo, vbYes};
        QTest::mouseClick(animation.btnCancel(), Qt::LeftButton);
        EXPECT_TRUE(animation.btnCancel()->isEnabled());
        animation.close();
        EXPECT_TRUE(animation.isVisible());
        QTest::mouseClick(animation.btnCancel(), Qt::LeftButton);
        EXPECT_FALSE(animation.btnCancel()->isEnabled());
    });
    poke.start();
    int32_t newId = -1;
    animation.ScanCd(newId);
    poke.stop();
    EXPECT_EQ(step, 1) << "the walk ended before the questions were answered";
    EXPECT_EQ(newId, 0);
    EXPECT_EQ(std::count(asked_.begin(), asked_.end(), std::string(kCancelScanQuestion)), 3);
    EXPECT_EQ(CdCount(), 0);

    // A scan that completes, then one whose medium goes away half way.
    frmAnimation first;
    first.SetVars(0, tree + "/", "Kept", "", "label", 0);
    first.ScanCd(newId);
    ASSERT_GT(newId, 0);
    // The progress names places as the system does, from the volume's mount point.
    const QString place = first.findChild<QLabel*>("Label1")->text();
    if (place != "Starting...") {
        EXPECT_FALSE(place.contains('\\')) << place.toStdString();
        EXPECT_TRUE(place.contains("/")) << place.toStdString();
    }
    frmAnimation lost;
    lost.SetMediumCheckInterval(0);
    lost.SetVars(0, tree + "/", "Lost", "", "label", 0);
    QTimer pull;
    pull.setInterval(1);
    QObject::connect(&pull, &QTimer::timeout, [&] {
        if (!lost.IsScanning()) return;
        fs::rename(tree, tree + "-gone");
        pull.stop();
    });
    pull.start();
    asked_.clear();
    int32_t lostId = -1;
    lost.ScanCd(lostId);
    EXPECT_EQ(lostId, 0);
    EXPECT_TRUE(lost.MediumLost());
    ASSERT_FALSE(asked_.empty());
    EXPECT_NE(asked_.back().find("medium was removed"), std::string::npos);
    EXPECT_EQ(CdIds(), std::vector<int32_t>{newId});
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
}
