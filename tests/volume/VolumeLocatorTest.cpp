// Who a mount is and where a recorded volume is mounted now, on fixture mount tables and udev
// link folders, and on a real loop mount where the machine allows one.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../support/TempDir.h"
#include "FileLocator.h"
#include "MountTable.h"
#include "VolumeLocator.h"

using namespace karvio;
using namespace karvio::testing;

namespace {

class FixtureMounts : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.File("uuid"));
        std::filesystem::create_directories(dir_.File("label"));
        ForgetVolumeProbes();
    }
    void TearDown() override { ForgetVolumeProbes(); }

    void Link(const std::string& folder, const std::string& name, const std::string& device) {
        std::filesystem::create_directory_symlink("../../" + device, dir_.File(folder + "/" + name));
    }
    void Table(const std::string& text) {
        std::ofstream(dir_.File("mountinfo")) << text;
        ForgetVolumeProbes();
    }
    VolumeSources Sources() const {
        VolumeSources s;
        s.mountInfo = dir_.File("mountinfo");
        s.labelDir = dir_.File("label");
        s.sysDevBlock = dir_.File("no-sys");
        s.uuidDir = dir_.File("uuid");
        s.procDir = dir_.File("no-proc");
        return s;
    }
    TempDir dir_;
};

TEST_F(FixtureMounts, IdentityComesFromTheUdevLinksAndFoldersAreRelativeToTheFileSystemRoot) {
    Link("uuid", "1234-ABCD", "sdb1");
    Link("label", "HOLIDAY\\x20PICS", "sdb1");
    Table("1 0 254:0 / / rw - ext4 /dev/vda rw\n"
          "40 1 8:17 / /media/me/HOLIDAY\\040PICS rw - vfat /dev/sdb1 rw\n"
          "41 1 8:17 /Photos /srv/photos rw - vfat /dev/sdb1 rw\n");
    ScopedVolumeSources sources(Sources());

    const std::optional<VolumeIdentity> id = IdentityOfFolder("/media/me/HOLIDAY PICS/Photos/2001/");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->uuid, "1234-ABCD");
    EXPECT_EQ(id->label, "HOLIDAY PICS");
    EXPECT_EQ(id->fsType, "vfat");
    EXPECT_EQ(id->relativePath, "Photos/2001");
    EXPECT_EQ(id->source, "/dev/sdb1");
    // A bind mount of a folder of the same file system: its root is part of the path.
    const std::optional<VolumeIdentity> bound = IdentityOfFolder("/srv/photos/2001");
    ASSERT_TRUE(bound);
    EXPECT_EQ(bound->uuid, "1234-ABCD");
    EXPECT_EQ(bound->relativePath, "Photos/2001");
    const std::optional<VolumeIdentity> root = IdentityOfFolder("/media/me/HOLIDAY PICS");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->relativePath, "");
}

TEST_F(FixtureMounts, AVolumeIsFoundWhereverItIsMountedNow) {
    Link("uuid", "1234-ABCD", "sdc1");
    Link("uuid", "9999-0000", "sdd1");
    VolumeIdentity recorded;
    recorded.uuid = "1234-ABCD";
    recorded.label = "HOLIDAY";
    recorded.fsType = "vfat";
    recorded.relativePath = "Photos";

    // Not mounted at all.
    Table("1 0 254:0 / / rw - ext4 /dev/vda rw\n");
    {
        ScopedVolumeSources sources(Sources());
        EXPECT_FALSE(LocateVolume(recorded));
    }
    // Another disc of the same label elsewhere, and the right one at a new mount point.
    Table("1 0 254:0 / / rw - ext4 /dev/vda rw\n"
          "50 1 8:49 / /media/me/HOLIDAY rw - vfat /dev/sdd1 rw\n"
          "51 1 8:33 / /media/me/HOLIDAY1 rw - vfat /dev/sdc1 rw\n");
    {
        ScopedVolumeSources sources(Sources());
        const std::optional<VolumeLocation> at = LocateVolume(recorded);
        ASSERT_TRUE(at);
        EXPECT_EQ(at->match, VolumeMatch::Uuid);
        EXPECT_EQ(at->volume.mount.mountPoint, "/media/me/HOLIDAY1");
        EXPECT_EQ(at->folderPath, "/media/me/HOLIDAY1/Photos");
    }
    // Only a bind mount of another folder of it: that mount does not hold the recorded folder.
    Table("1 0 254:0 / / rw - ext4 /dev/vda rw\n"
          "52 1 8:33 /Music /srv/music rw - vfat /dev/sdc1 rw\n");
    {
        ScopedVolumeSources sources(Sources());
        EXPECT_FALSE(LocateVolume(recorded));
    }
}

// fuseiso names no device: the image is found through its daemon, the process that holds
// /dev/fuse and names the mount point; another program naming the mount point is no daemon.
TEST_F(FixtureMounts, AFuseDiscImageIsFoundThroughItsDaemon) {
    const std::string content = dir_.File("content");
    std::filesystem::create_directories(content);
    std::ofstream(content + "/x.txt") << "x";
    const std::string image = dir_.File("holiday.iso");
    if (std::system(("genisoimage -quiet -V HOLIDAY -o '" + image + "' '" + content + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "genisoimage is not available";
    }
    auto process = [&](const std::string& pid, const std::string& cmdline, std::vector<std::string> fds) {
        const std::string dir = dir_.File("proc/" + pid);
        std::filesystem::create_directories(dir + "/fd");
        std::ofstream(dir + "/cmdline", std::ios::binary) << cmdline;
        for (size_t k = 0; k < fds.size(); ++k) {
            std::filesystem::create_symlink(fds[k], dir + "/fd/" + std::to_string(k + 3));
        }
    };
    const std::string other = dir_.File("catalogue.cd");
    std::ofstream(other) << "not an image";
    process("100", std::string("karvio-cli\0--data\0") + other + std::string("\0scan\0/media/me/m", 18),
            {other});
    process("200", std::string("fuseiso\0holiday.iso\0m\0", 23), {"/dev/null", image, "/dev/fuse"});
    Table("1 0 254:0 / / rw - ext4 /dev/vda rw\n"
          "70 1 0:40 / /media/me/m rw - fuse.fuseiso fuseiso rw\n");
    VolumeSources s = Sources();
    s.procDir = dir_.File("proc");
    ScopedVolumeSources sources(s);
    const std::optional<VolumeIdentity> id = IdentityOfFolder("/media/me/m");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->label, "HOLIDAY");
    EXPECT_FALSE(id->uuid.empty());
    EXPECT_EQ(id->source, image);
    EXPECT_EQ(id->size, static_cast<double>(std::filesystem::file_size(image)));
}

TEST(VolumeMatching, UuidDecidesThenLabelAndSizeThenTypeSizeAndSource) {
    auto make = [](std::string uuid, std::string label, double size, std::string source = "/dev/sr0") {
        VolumeIdentity v;
        v.uuid = std::move(uuid);
        v.label = std::move(label);
        v.fsType = "iso9660";
        v.size = size;
        v.source = std::move(source);
        return v;
    };
    EXPECT_EQ(MatchVolume(make("A", "DISC", 10), make("A", "OTHER", 20)), VolumeMatch::Uuid);
    // Two discs of one label and size but other UUIDs are two discs.
    EXPECT_EQ(MatchVolume(make("A", "DISC", 10), make("B", "DISC", 10)), VolumeMatch::None);
    EXPECT_EQ(MatchVolume(make("", "DISC", 10), make("B", "DISC", 10)), VolumeMatch::LabelAndSize);
    EXPECT_EQ(MatchVolume(make("", "DISC", 10), make("", "DISC", 11)), VolumeMatch::None);
    EXPECT_EQ(MatchVolume(make("", "DISC", 0), make("", "DISC", 0)), VolumeMatch::None);
    EXPECT_EQ(MatchVolume(make("", "", 10), make("", "DISC", 10)), VolumeMatch::None);
    EXPECT_EQ(MatchVolume(make("", "", 10, "img"), make("", "", 10, "img")), VolumeMatch::TypeSizeSource);
    EXPECT_EQ(MatchVolume(make("", "", 10, "img"), make("", "", 10, "other")), VolumeMatch::None);
    EXPECT_EQ(MatchVolume(VolumeIdentity{}, VolumeIdentity{}), VolumeMatch::None);
}

TEST(VolumeMatching, TheSurestMatchWinsAndBindMountsAreFollowedIntoTheirRoot) {
    VolumeIdentity recorded;
    recorded.uuid = "U";
    recorded.label = "DATA";
    recorded.fsType = "ext4";
    recorded.size = 100;
    recorded.relativePath = "Photos/2001";
    auto mounted = [](std::string point, std::string uuid, std::string root) {
        MountedVolume v;
        v.mount.mountPoint = std::move(point);
        v.identity.uuid = std::move(uuid);
        v.identity.label = "DATA";
        v.identity.fsType = "ext4";
        v.identity.size = 100;
        v.identity.relativePath = std::move(root);
        return v;
    };
    const std::vector<MountedVolume> volumes = {mounted("/a", "", ""), mounted("/b", "U", "Photos"),
                                                mounted("/c", "U", "")};
    const std::optional<VolumeLocation> at = LocateVolume(recorded, volumes);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->match, VolumeMatch::Uuid);
    EXPECT_EQ(at->folderPath, "/b/2001");
    const std::optional<VolumeLocation> onlyLabel = LocateVolume(recorded, {volumes[0]});
    ASSERT_TRUE(onlyLabel);
    EXPECT_EQ(onlyLabel->folderPath, "/a/Photos/2001");
    // The root file system mounted at "/".
    recorded.relativePath = "home/me";
    EXPECT_EQ(LocateVolume(recorded, {mounted("/", "U", "")})->folderPath, "/home/me");
}

TEST(FilePaths, OnTheMountedVolumeAndAtTheStoredBasePath) {
    // Below the scanned folder wherever it is mounted now.
    EXPECT_EQ(FilePathBelow("/media/me/DATA1/Photos", "Photos", "Photos\\2001\\beach.jpg"),
              "/media/me/DATA1/Photos/2001/beach.jpg");
    EXPECT_EQ(FilePathBelow("/media/me/DISC", "", "readme.txt"), "/media/me/DISC/readme.txt");
    EXPECT_EQ(FilePathBelow("/", "", "etc\\hosts"), "/etc/hosts");
    // Only whole components of the scanned folder come off.
    EXPECT_EQ(FilePathBelow("/m/Photos", "Photos", "Photoshop\\a.psd"), "/m/Photos/Photoshop/a.psd");
    EXPECT_EQ(StoredFilePath("/media/me/DATA/Photos/", "Photos", "Photos\\a.png"), "/media/me/DATA/Photos/a.png");
    EXPECT_EQ(StoredFilePath("/data/xPhotos/", "Photos", "Photos\\a.png"), "/data/xPhotos/Photos/a.png");
    EXPECT_EQ(StoredFilePath("/", "", "etc\\hosts"), "/etc/hosts");
}

// A real ext4 image mounted at one path, its folder's identity taken, then mounted elsewhere.
TEST(RealLoopMount, AVolumeMountedAtANewPathIsFoundThere) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root; not run as root";
    TempDir dir;
    const std::string image = dir.File("disc.img");
    const std::string made = "truncate -s 8M '" + image + "' && mkfs.ext4 -q -L KARVIOLOOP '" + image + "' 2>/dev/null";
    if (std::system(made.c_str()) != 0) GTEST_SKIP() << "mkfs.ext4 is not available";
    const std::string first = dir.File("first"), second = dir.File("second");
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    auto mountAt = [&](const std::string& point) {
        return std::system(("mount -o loop '" + image + "' '" + point + "' 2>/dev/null").c_str()) == 0;
    };
    if (!mountAt(first)) GTEST_SKIP() << "loop mounts are not allowed here";
    std::filesystem::create_directories(first + "/Photos");
    std::ofstream(first + "/Photos/beach.jpg") << "sand";
    ForgetVolumeProbes();
    const std::optional<VolumeIdentity> recorded = IdentityOfFolder(first + "/Photos/");
    ASSERT_EQ(::umount(first.c_str()), 0);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->label, "KARVIOLOOP");
    EXPECT_FALSE(recorded->uuid.empty());
    EXPECT_EQ(recorded->relativePath, "Photos");
    EXPECT_FALSE(LocateVolume(*recorded));

    ASSERT_TRUE(mountAt(second));
    const std::optional<VolumeLocation> at = LocateVolume(*recorded);
    const std::string path = at ? FilePathBelow(at->folderPath, "Photos", "Photos\\beach.jpg") : std::string();
    const bool exists = std::filesystem::exists(path);
    ::umount(second.c_str());
    ASSERT_TRUE(at);
    EXPECT_EQ(at->match, VolumeMatch::Uuid);
    EXPECT_EQ(path, second + "/Photos/beach.jpg");
    EXPECT_TRUE(exists);
}

}  // namespace
