// Launching a file of a CD whose volume identity is known: found where the volume is mounted
// now, the insert-disc question answered by a mount while it is up and naming another disc that
// was inserted instead, and the whole loop on a real loop mount with the real message box.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Messages.h"
#include "ProgramInfo.h"
#include "ScanEngine.h"
#include "TransferRecords.h"
#include "VolumeLocator.h"
#include "../support/DetailsSupport.h"
#include "CatalogueDetails.h"
#include "VolumeSidecar.h"
#include "classData.h"
#include "msgbox/MessageService.h"
#include "msgbox/ctlMsgBox.h"
#include "msgbox/frmMsgBox.h"
#include "startup/LaunchFile.h"

namespace karvio {
namespace {

MountedVolume Mounted(int id, const std::string& point, const std::string& uuid, const std::string& label) {
    MountedVolume v;
    v.mount.mountId = id;
    v.mount.mountPoint = point;
    v.identity.uuid = uuid;
    v.identity.label = label;
    v.identity.fsType = "iso9660";
    v.identity.size = 1000;
    return v;
}

// One CD "Holiday 2001" scanned from the folder Photos of the disc HOLIDAY (UUID U-1), then
// mounted at /media/me/HOLIDAY; it holds Photos\2001\beach.jpg.
class VolumeLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("Launch.cd").toStdString();
        DataFilePath = path_;
        classData data(path_);
        CdInfo cd;
        cd.CdName = "Holiday 2001";
        cd.CdBasepath = "/media/me/HOLIDAY/Photos/";
        cd.CdMediaType = 5;
        cd.CdLastScanned = 45000.25;
        const int32_t cdId = AddCdInfo(data, cd);
        AddFolder(data, cdId, "Photos", "\\", "index.html");
        const int32_t yearId = AddFolder(data, cdId, "2001", "Photos", "beach.jpg");
        data.GetCdCommit(cdId);
        fileId_ = data.GetCdGoto(cdId).GetDirGoto(yearId).GetFileFirst().GetFileId();
        VolumeEntry entry;
        entry.cdId = cdId;
        entry.lastScanned = data.GetCdGoto(cdId).GetCdLastScanned();
        entry.files = data.GetCdGoto(cdId).GetCdNumOfFiles();
        entry.identity = Mounted(0, "", "U-1", "HOLIDAY").identity;
        entry.identity.relativePath = "Photos";
        ASSERT_TRUE(testing::RecordVolumeForTest(path_, entry));
    }
    void TearDown() override {
        DataFilePath.clear();
        SetMessageSink({});
    }

    int32_t AddFolder(classData& data, int32_t cdId, const std::string& name, const std::string& path,
                      const std::string& file) {
        DirInfo dir;
        dir.DirCdId = cdId;
        dir.DirName = name;
        dir.DirPath = path;
        const int32_t id = AddDirInfo(data, dir);
        classDir& cursor = data.GetCdGoto(0).Dirs();
        cursor.GetFileAppendStart();
        FileInfo info;
        info.FileName = file;
        AddFileInfo(data, info);
        cursor.GetFileAppendFinish();
        return id;
    }

    LaunchServices Services() {
        LaunchServices s;
        s.fileExists = [this](const std::string& path) { return existing_.contains(QString::fromStdString(path)); };
        s.hasAssociation = [](const std::string&) { return true; };
        s.open = [this](const std::string& path) {
            opened_.push_back(path);
            return true;
        };
        s.mountedVolumes = [this] { return mounted_; };
        return s;
    }

    QTemporaryDir dir_;
    std::string path_;
    int32_t fileId_ = 0;
    std::vector<MountedVolume> mounted_;
    QStringList existing_;
    std::vector<std::string> opened_;
};

TEST_F(VolumeLaunch, TheFileOpensWhereItsVolumeIsMountedNowAndTheBasePathIsTheFallback) {
    mounted_ = {Mounted(40, "/media/me/HOLIDAY", "U-2", "HOLIDAY"), Mounted(41, "/media/me/HOLIDAY1", "U-1", "HOLIDAY")};
    existing_ = {"/media/me/HOLIDAY1/Photos/2001/beach.jpg", "/media/me/HOLIDAY/Photos/2001/beach.jpg"};
    SetMessageSink([](const std::string&, const MsgButtonSet&) { return vbCancel; });
    EXPECT_EQ(LaunchFile(fileId_, Services()), LaunchResult::kOpened);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], "/media/me/HOLIDAY1/Photos/2001/beach.jpg");

    // The volume is mounted but the file is not on it: the stored base path is tried.
    opened_.clear();
    existing_ = {"/media/me/HOLIDAY/Photos/2001/beach.jpg"};
    EXPECT_EQ(LaunchFile(fileId_, Services()), LaunchResult::kOpened);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], "/media/me/HOLIDAY/Photos/2001/beach.jpg");
}

TEST_F(VolumeLaunch, TheQuestionNamesAnotherDiscAndAnswersItselfWhenTheRightOneIsMounted) {
    mounted_ = {Mounted(1, "/", "root", "")};
    std::vector<std::string> asked;
    std::vector<bool> rechecks;
    LaunchServices services = Services();
    services.ask = [&](const std::string& question, const std::function<bool(bool)>& recheck) {
        asked.push_back(question);
        // Nothing changed yet: the question stays.
        rechecks.push_back(recheck(true));
        if (asked.size() == 1) {
            // The user inserts another disc.
            mounted_.push_back(Mounted(60, "/media/me/BIRTHDAY", "U-9", "BIRTHDAY"));
        } else {
            // Then the right one, at a path of its own.
            mounted_.push_back(Mounted(61, "/run/media/me/HOLIDAY", "U-1", "HOLIDAY"));
            existing_ = {"/run/media/me/HOLIDAY/Photos/2001/beach.jpg"};
        }
        rechecks.push_back(recheck(true));
        return rechecks.back() ? vbRetry : vbCancel;
    };
    EXPECT_EQ(LaunchFile(fileId_, services), LaunchResult::kOpened);
    ASSERT_EQ(asked.size(), 2u);
    const std::string question = "Insert CD Labeld\r\nHoliday 2001\r\nLooking for: /media/me/HOLIDAY/Photos/2001/beach.jpg";
    EXPECT_EQ(asked[0], question);
    EXPECT_EQ(asked[1], question + "\r\nthis is BIRTHDAY, not Holiday 2001");
    EXPECT_EQ(rechecks, (std::vector<bool>{false, true, false, true}));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], "/run/media/me/HOLIDAY/Photos/2001/beach.jpg");
}

TEST_F(VolumeLaunch, ADamagedOrMissingIdentityFallsBackToTheBasePath) {
    std::ofstream(DetailsDatabase::PathFor(path_)) << "not a database";
    mounted_ = {Mounted(41, "/media/me/HOLIDAY1", "U-1", "HOLIDAY")};
    existing_ = {"/media/me/HOLIDAY/Photos/2001/beach.jpg"};
    SetMessageSink([](const std::string&, const MsgButtonSet&) { return vbCancel; });
    EXPECT_EQ(LaunchFile(fileId_, Services()), LaunchResult::kOpened);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], "/media/me/HOLIDAY/Photos/2001/beach.jpg");
}

// The real thing: an ext4 image scanned at one mount point and unmounted; the launch asks for
// it with the real message box, and mounting it elsewhere answers the question by itself.
TEST(VolumeLaunchOnALoopMount, TheQuestionWaitsAndOpensTheFileWhenTheVolumeIsMounted) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root; not run as root";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string root = dir.path().toStdString();
    const std::string image = root + "/disc.img", first = root + "/first", second = root + "/second";
    if (std::system(("truncate -s 8M '" + image + "' && mkfs.ext4 -q -L KARVIOAPP '" + image + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "mkfs.ext4 is not available";
    }
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    auto mountAt = [&](const std::string& point) {
        return std::system(("mount -o loop '" + image + "' '" + point + "' 2>/dev/null").c_str()) == 0;
    };
    if (!mountAt(first)) GTEST_SKIP() << "loop mounts are not allowed here";
    std::filesystem::create_directories(first + "/Photos");
    std::ofstream(first + "/Photos/beach.jpg") << "sand";

    DataFilePath = root + "/Loop.cd";
    SetMessageSink([](const std::string&, const MsgButtonSet& set) { return set.DefaultValue(); });
    ScanEngine engine;
    engine.SetVars(0, first + "/Photos/", "Beach", "", "KARVIOAPP", 0);
    int32_t cdId = 0;
    engine.ScanCd(cdId);
    ::umount(first.c_str());
    ASSERT_GT(cdId, 0);
    int32_t fileId = 0;
    {
        classData data;
        classCd& cd = data.GetCdGoto(cdId);
        fileId = cd.GetDirGoto(cd.Record().DirFirst).GetFileFirst().GetFileId();
    }

    ctlMsgBox box;
    InstallMessageBox(&box);
    bool mounted = false;
    QTimer::singleShot(300, [&] { mounted = mountAt(second); });
    // Never hang: a question still up long after the mount is cancelled.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] {
        if (auto* form = qobject_cast<frmMsgBox*>(QApplication::activeModalWidget())) form->PressButton(2);
    });
    giveUp.start(10000);
    LaunchServices services = LaunchServices::Desktop();
    std::vector<std::string> opened;
    services.hasAssociation = [](const std::string&) { return true; };
    services.open = [&opened](const std::string& path) {
        opened.push_back(path);
        return true;
    };
    const LaunchResult result = LaunchFile(fileId, services);
    if (mounted) ::umount(second.c_str());
    InstallMessageBox(nullptr);
    SetMessageSink({});
    DataFilePath.clear();
    ASSERT_TRUE(mounted);
    EXPECT_EQ(result, LaunchResult::kOpened);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], second + "/Photos/beach.jpg");
}

}  // namespace
}  // namespace karvio
