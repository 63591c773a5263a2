// The mounted marker of the catalogue views and the identity in the properties window, on a
// fixture mount table: a CD is marked while its volume is mounted and not once it is gone.
#include <QLabel>
#include <filesystem>
#include <fstream>

#include "DialogTestSupport.h"
#include "MountTable.h"
#include "TransferRecords.h"
#include "VolumeLocator.h"
#include "VolumePresence.h"
#include "../support/DetailsSupport.h"
#include "CatalogueDetails.h"
#include "VolumeSidecar.h"
#include "controls/ItemIcons.h"
#include "controls/MountedMarker.h"
#include "views/frmProperties.h"

using namespace karvio;
namespace fs = std::filesystem;

namespace {

class VolumeMarker : public karvio::testing::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        root_ = Folder("sys");
        fs::create_directories(root_ + "/uuid");
        fs::create_directories(root_ + "/disc");
        fs::create_directory_symlink("../../sr0", root_ + "/uuid/U-HOLIDAY");
        {
            classData data;
            CdInfo cd;
            cd.CdName = "Holiday";
            cd.CdBasepath = "/media/me/HOLIDAY";
            cd.CdMediaType = 5;
            cd.CdLastScanned = 45000;
            cdId_ = AddCdInfo(data, cd);
            data.GetCdCommit(cdId_);
            plainId_ = AddCdInfo(data, cd);
            data.GetCdCommit(plainId_);
        }
        VolumeEntry entry;
        entry.cdId = cdId_;
        entry.lastScanned = 45000;
        entry.identity.uuid = "U-HOLIDAY";
        entry.identity.label = "HOLIDAY";
        entry.identity.fsType = "iso9660";
        ASSERT_TRUE(karvio::testing::RecordVolumeForTest(DataFilePath, entry));
        VolumeSources s;
        s.mountInfo = root_ + "/mountinfo";
        s.labelDir = root_ + "/labels";
        s.sysDevBlock = root_ + "/no-sys";
        s.uuidDir = root_ + "/uuid";
        sources_ = std::make_unique<ScopedVolumeSources>(s);
    }
    void TearDown() override {
        sources_.reset();
        ForgetVolumeProbes();
        ForgetVolumePresence();
        DialogTest::TearDown();
    }
    void Mount(bool mounted) {
        std::ofstream table(root_ + "/mountinfo");
        table << "1 0 254:0 / / rw - ext4 /dev/vda rw\n";
        if (mounted) table << "80 1 11:0 / " << root_ << "/disc ro - iso9660 /dev/sr0 ro\n";
        table.close();
        ForgetVolumeProbes();
        ForgetVolumePresence();
    }
    std::string root_;
    int32_t cdId_ = 0, plainId_ = 0;
    std::unique_ptr<ScopedVolumeSources> sources_;
};

TEST_F(VolumeMarker, ACdIsMarkedWhileItsVolumeIsMounted) {
    const QImage plain = ItemIcon(kIconCd).pixmap(16, 16).toImage();
    Mount(true);
    EXPECT_TRUE(IsCdVolumeMounted(cdId_));
    EXPECT_FALSE(IsCdVolumeMounted(plainId_));
    EXPECT_NE(CdItemIcon(kIconCd, cdId_).pixmap(16, 16).toImage(), plain);
    EXPECT_EQ(CdItemIcon(kIconCd, plainId_).pixmap(16, 16).toImage(), plain);
    EXPECT_EQ(MountedToolTip(cdId_).toStdString(), "Mounted now at " + root_ + "/disc");

    frmProperties shown(kIconCd, cdId_);
    const QString text = shown.lblVolume()->text();
    EXPECT_TRUE(text.startsWith("HOLIDAY (iso9660)")) << text.toStdString();
    EXPECT_TRUE(text.contains("UUID U-HOLIDAY"));
    EXPECT_TRUE(text.contains(QString::fromStdString("Mounted now at " + root_ + "/disc")));
    frmProperties unknown(kIconCd, plainId_);
    EXPECT_TRUE(unknown.lblVolume()->text().startsWith("Not recorded"));

    Mount(false);
    EXPECT_FALSE(IsCdVolumeMounted(cdId_));
    EXPECT_EQ(CdItemIcon(kIconCd, cdId_).pixmap(16, 16).toImage(), plain);
    frmProperties away(kIconCd, cdId_);
    EXPECT_TRUE(away.lblVolume()->text().endsWith("Not mounted now"));
}

TEST_F(VolumeMarker, ADamagedIdentitiesFileIsNamedAndMarksNothing) {
    Mount(true);
    std::ofstream(DetailsDatabase::PathFor(DataFilePath)) << "broken";
    ForgetVolumePresence();
    EXPECT_FALSE(IsCdVolumeMounted(cdId_));
    frmProperties shown(kIconCd, cdId_);
    EXPECT_TRUE(shown.lblVolume()->text().contains(".db")) << shown.lblVolume()->text().toStdString();
}

}  // namespace
