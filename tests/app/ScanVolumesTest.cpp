// The scan dialog and the mounted volumes: the list it offers (discs with a medium first, by
// label) and a new scan of a volume folder a CD already holds, which proposes a rescan of it.
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "CatalogueDetails.h"
#include "DialogTestSupport.h"
#include "MountTable.h"
#include "TransferRecords.h"
#include "VolumeLocator.h"
#include "VolumeSidecar.h"
#include "controls/ctlFolderBrowser.h"
#include "mainwindow/CatalogueEvents.h"
#include "scan/CdCommands.h"
#include "scan/frmAnimation.h"
#include "scan/frmScan.h"

using namespace karvio;
namespace fs = std::filesystem;

namespace {

class ScanVolumes : public karvio::testing::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        root_ = Folder("sys");
        for (const char* d : {"/disc", "/stick", "/empty-drive", "/uuid", "/labels"}) fs::create_directories(root_ + d);
        fs::create_directories(root_ + "/disc/Photos");
        std::ofstream(root_ + "/disc/Photos/beach.jpg") << "sand";
        fs::create_directory_symlink("../../sr1", root_ + "/uuid/2026-12-07-10-00-00-00");
        fs::create_directory_symlink("../../sr1", root_ + "/labels/HOLIDAY");
        fs::create_directory_symlink("../../sdb1", root_ + "/labels/STICK");
        fs::remove(root_ + "/empty-drive");  // a drive without a medium cannot be read
        std::ofstream(root_ + "/mountinfo")
            << "1 0 254:0 / / rw - ext4 /dev/vda rw\n"
            << "30 1 8:17 / " << root_ << "/stick rw - ext4 /dev/sdb1 rw\n"
            << "31 1 11:0 / " << root_ << "/empty-drive ro - iso9660 /dev/sr0 ro\n"
            << "32 1 11:1 / " << root_ << "/disc ro - iso9660 /dev/sr1 ro\n";
        VolumeSources s;
        s.mountInfo = root_ + "/mountinfo";
        s.labelDir = root_ + "/labels";
        s.sysDevBlock = root_ + "/no-sys";
        s.uuidDir = root_ + "/uuid";
        sources_ = std::make_unique<ScopedVolumeSources>(s);
        ForgetVolumeProbes();
    }
    void TearDown() override {
        sources_.reset();
        ForgetVolumeProbes();
        DialogTest::TearDown();
    }
    std::string root_;
    std::unique_ptr<ScopedVolumeSources> sources_;
};

TEST_F(ScanVolumes, TheDriveListOffersMountedVolumesByLabelDiscsWithAMediumFirst) {
    frmAnimation animation;
    frmScan dialog(0, 0, animation);
    QComboBox* list = dialog.cboVolumes();
    ASSERT_EQ(list->count(), 3);
    EXPECT_TRUE(list->itemText(0).startsWith("HOLIDAY")) << list->itemText(0).toStdString();
    EXPECT_EQ(list->itemData(0).toString().toStdString(), root_ + "/disc");
    EXPECT_TRUE(list->itemText(1).endsWith("/")) << list->itemText(1).toStdString();
    EXPECT_TRUE(list->itemText(2).startsWith("STICK"));
    // The proposed drive is the disc, and it is the one shown.
    EXPECT_EQ(dialog.ctlFolderBrowser1()->Text().toStdString(), root_ + "/disc");
    EXPECT_EQ(list->currentIndex(), 0);
    // Choosing a volume fills the drive and its label.
    list->setCurrentIndex(2);
    emit list->activated(2);
    EXPECT_EQ(dialog.ctlFolderBrowser1()->Text().toStdString(), root_ + "/stick");
    EXPECT_EQ(dialog.txtLabelInternal()->text(), "STICK");
}

TEST_F(ScanVolumes, ScanningAFolderACdAlreadyHoldsProposesARescanOfIt) {
    fs::remove(root_ + "/labels/HOLIDAY");  // the label read by the scan, the identity by its UUID
    const std::string folder = root_ + "/disc/Photos";
    auto scan = [&](std::deque<int> answers) {
        answers_ = std::move(answers);
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<frmScan*>(modal);
            ASSERT_TRUE(dialog);
            dialog->ctlFolderBrowser1()->SetText(QString::fromStdString(folder));
            dialog->txtLabel()->setText("Beach photos");
            dialog->btnOK_Click();
            if (dialog->isVisible()) dialog->reject();
        });
        return AddCd(0);
    };
    const int32_t first = scan({});
    ASSERT_GT(first, 0);
    EXPECT_TRUE(asked_.empty());
    {
        classData data;
        ASSERT_TRUE(RecordedVolumeOf(data, first));
        data.GetCdGoto(first).SetCdNotes("kept notes", true);
    }

    // No: a second CD of the same folder.
    const int32_t second = scan({vbNo});
    ASSERT_GT(second, 0);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], "This volume is already catalogued as the CD [Beach photos].\r\n"
                         "Rescan that CD instead (its notes are kept)?");
    { classData data; EXPECT_EQ(data.GetCdCount(), 2); }
    DeleteCdById(second);

    // Cancel: the dialog stays, nothing is scanned.
    asked_.clear();
    EXPECT_EQ(scan({vbCancel}), 0);
    { classData data; EXPECT_EQ(data.GetCdCount(), 1); }

    // Yes: the CD is rescanned, replaced by its new record, and the views hear of it.
    asked_.clear();
    QSignalSpy removed(&CatalogueEvents::Instance(), &CatalogueEvents::cdRemoved);
    const int32_t third = scan({vbYes});
    ASSERT_GT(third, 0);
    EXPECT_NE(third, first);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][0].toInt(), first);
    classData data;
    EXPECT_EQ(data.GetCdCount(), 1);
    EXPECT_EQ(data.GetCdGoto(third).GetCdNotes(), "kept notes");
    EXPECT_TRUE(RecordedVolumeOf(data, third));
}

}  // namespace
