// Path helpers, the mount table and the volume questions (label, media type, volume root),
// against fixture mount tables, label directories and block-device trees.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "../support/TempDir.h"
#include "CatalogueDate.h"
#include "MountTable.h"
#include "PathServices.h"
#include "VolumeServices.h"

using namespace karvio;
using karvio::testing::TempDir;

namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// mountinfo writes blanks in paths as \040.
std::string Escaped(const std::string& path) {
    std::string out;
    for (char c : path) out += c == ' ' ? std::string("\\040") : std::string(1, c);
    return out;
}

}  // namespace

TEST(PathHelpers, StringRules) {
    struct Case {
        const char* in;
        const char* add;
        const char* strip;
    } cases[] = {
        {"/media/cd/Photos", "/media/cd/Photos/", "/media/cd/Photos"},
        {"/media/cd/Photos/", "/media/cd/Photos/", "/media/cd/Photos"},
        {"/media//cd///Photos", "/media/cd/Photos/", "/media//cd///Photos"},
        {"/", "/", "/"},
        {"", "/", ""},
        {"relative", "relative/", "relative"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AddBackslash(c.in), c.add) << c.in;
        EXPECT_EQ(StripBackslash(c.in), c.strip) << c.in;
    }
    struct Ext {
        const char* name;
        const char* ext;
        const char* out;
    } exts[] = {{"data", "bak", "data.bak"}, {"data.cd", "bak", "data.bak"}, {"a.b.c", "d", "a.b.d"}, {".cd", "x", ".x"}};
    for (const Ext& e : exts) EXPECT_EQ(ChangeExtension(e.name, e.ext), e.out) << e.name;
    EXPECT_EQ(TrimAtNull(std::string("  Label  \0junk", 14)), "Label");
    EXPECT_EQ(TrimAtNull("    "), "");
    EXPECT_EQ(TrimAtNull(std::string("\0abc", 4)), "");
}

TEST(PathHelpers, NormalizePathResolvesByTextOnly) {
    const char* cases[][2] = {{"/a//b/./c/", "/a/b/c"}, {"/a/b/../c", "/a/c"}, {"/..", "/"}, {"//", "/"}, {"/", "/"}};
    for (const auto& c : cases) EXPECT_EQ(NormalizePath(c[0]), c[1]) << c[0];
    char cwd[4096];
    ASSERT_TRUE(::getcwd(cwd, sizeof cwd));
    EXPECT_EQ(NormalizePath("x/y"), NormalizePath(std::string(cwd) + "/x/y"));
}

TEST(MountTable, ParsesEscapesOptionalFieldsAndSkipsBrokenLines) {
    const std::string text =
        "22 1 0:21 / /proc rw,relatime - proc proc rw\n"
        "27 1 254:0 / / rw,relatime shared:1 master:2 - ext4 /dev/vda rw\n"
        "garbage line\n"
        "61 27 11:0 / /media/me/My\\040Disc rw,nosuid - iso9660 /dev/sr0 ro\n"
        "62 27 0:50 /sub /mnt/back\\134slash rw - nfs4 server:/export rw\n"
        "63 27 8:17 / /mnt/usb rw\n";  // no separator: dropped
    const std::vector<MountEntry> mounts = ParseMountInfo(text);
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[1].mountPoint, "/");
    EXPECT_EQ(mounts[1].fsType, "ext4");
    EXPECT_EQ(mounts[1].source, "/dev/vda");
    EXPECT_EQ(mounts[1].major, 254u);
    EXPECT_EQ(mounts[2].mountPoint, "/media/me/My Disc");
    EXPECT_EQ(mounts[2].major, 11u);
    EXPECT_EQ(mounts[3].mountPoint, "/mnt/back\\slash");
    EXPECT_EQ(mounts[3].root, "/sub");
    EXPECT_EQ(MediaTypeOfMount(mounts[2]), kMediaCdRom);
    EXPECT_EQ(MediaTypeOfMount(mounts[3]), kMediaRemote);
}

TEST(MountTable, VolumeRootIsTheLongestMountPointAndTheLastMountOnIt) {
    const std::vector<MountEntry> mounts = ParseMountInfo(
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "2 1 8:2 / /media/cd rw - ext4 /dev/sda2 rw\n"
        "3 1 0:40 / /media/cd rw - fuse.fuseiso fuseiso rw\n"
        "4 1 8:3 / /media/cdrom rw - ext4 /dev/sda3 rw\n");
    struct Case {
        const char* path;
        const char* root;
        const char* type;
    } cases[] = {{"/media/cd/Photos/2001", "/media/cd", "fuse.fuseiso"},
                 {"/media/cd", "/media/cd", "fuse.fuseiso"},
                 {"/media/cdrom/x", "/media/cdrom", "ext4"},
                 {"/media/cdx", "/", "ext4"},
                 {"/", "/", "ext4"}};
    for (const Case& c : cases) {
        const MountEntry* m = FindMount(mounts, c.path);
        ASSERT_NE(m, nullptr) << c.path;
        EXPECT_EQ(m->mountPoint, c.root) << c.path;
        EXPECT_EQ(m->fsType, c.type) << c.path;
    }
}

// A fixture system: a mount table naming directories of a temporary tree as mount points, a
// label directory, and a /sys/dev/block tree with one removable USB disk.
class FixtureVolumes : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = dir_.path().string();
        for (const char* d : {"/cd", "/cd/Photos", "/cd/Photos/2001", "/usb", "/net", "/ram", "/disk",
                              "/dead", "/labels", "/sys", "/sys/dev", "/sys/dev/block", "/sys/devices",
                              "/sys/devices/usb1", "/sys/devices/usb1/sdb", "/sys/devices/usb1/sdb/sdb1",
                              "/sys/devices/pci", "/sys/devices/pci/sdc", "/sys/devices/pci/sdc/sdc1"}) {
            ASSERT_EQ(::mkdir((root_ + d).c_str(), 0755), 0) << d;
        }
        WriteText(root_ + "/sys/devices/usb1/sdb/removable", "0\n");
        WriteText(root_ + "/sys/devices/pci/sdc/removable", "1\n");
        ASSERT_EQ(::symlink("../../devices/usb1/sdb/sdb1", (root_ + "/sys/dev/block/8:17").c_str()), 0);
        ASSERT_EQ(::symlink("../../devices/pci/sdc/sdc1", (root_ + "/sys/dev/block/8:33").c_str()), 0);
        ASSERT_EQ(::symlink("../../sr0", (root_ + "/labels/MY\\x20DISC").c_str()), 0);
        ASSERT_EQ(::symlink("../../sdb1", (root_ + "/labels/STICK").c_str()), 0);
        const std::string r = Escaped(root_);
        WriteText(root_ + "/mountinfo",
                  "1 0 254:0 / / rw - ext4 /dev/vda rw\n"
                  "2 1 11:0 / " + r + "/cd ro - iso9660 /dev/sr0 ro\n"
                  "3 1 8:17 / " + r + "/usb rw - vfat /dev/sdb1 rw\n"
                  "4 1 0:52 / " + r + "/net rw - cifs //server/share rw\n"
                  "5 1 0:53 / " + r + "/ram rw - tmpfs tmpfs rw\n"
                  "6 1 8:33 / " + r + "/disk rw - ext4 /dev/sdc1 rw\n"
                  "7 1 0:22 / /sys rw - sysfs sysfs rw\n"
                  "8 1 0:54 / /run/user/1000 rw - tmpfs tmpfs rw\n"
                  "9 1 8:65 / /run/media/me/CARD rw - exfat /dev/sde1 rw\n"
                  "10 1 0:55 / " + r + "/dead rw - ext4 /dev/nonexistent rw\n");
        // The dead mount's root cannot be read.
        ASSERT_EQ(::rmdir((root_ + "/dead").c_str()), 0);
        sources_ = std::make_unique<ScopedVolumeSources>(
            VolumeSources{root_ + "/mountinfo", root_ + "/labels", root_ + "/sys/dev/block"});
    }

    TempDir dir_;
    std::string root_;
    std::unique_ptr<ScopedVolumeSources> sources_;
};

TEST_F(FixtureVolumes, MediaTypesLabelsAndRelativePaths) {
    struct Case {
        std::string path;
        int32_t media;
        std::string label;
        std::string relative;
    } cases[] = {
        {root_ + "/cd/Photos/2001/", kMediaCdRom, "MY DISC", "Photos\\2001"},
        {root_ + "/cd", kMediaCdRom, "MY DISC", "\\"},
        {root_ + "/usb", kMediaRemovable, "STICK", "\\"},  // not flagged, but below a USB controller
        {root_ + "/net/", kMediaRemote, kNoLabel, "\\"},
        {root_ + "/ram", kMediaRamDisk, kNoLabel, "\\"},
        {root_ + "/disk", kMediaRemovable, kNoLabel, "\\"},
        {root_ + "/nothing/here", kMediaNoRoot, kDiskNotReady, "nothing\\here"},
        {"", kMediaUnknown, kDiskNotReady, "\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetMediaType(c.path), c.media) << c.path;
        EXPECT_EQ(GetVolumeLabel(c.path), c.label) << c.path;
        if (!c.path.empty() && c.path.find("nothing") == std::string::npos) {
            EXPECT_EQ(GetRelativeDirPath(c.path), c.relative) << c.path;
        }
    }
    EXPECT_TRUE(IsVolumeRoot(root_ + "/cd/"));
    EXPECT_FALSE(IsVolumeRoot(root_ + "/cd/Photos"));
    EXPECT_EQ(GetRelativeDirPath(""), "\\");
}

TEST_F(FixtureVolumes, MountedVolumesLeaveOutTheSystemsOwnMounts) {
    std::vector<std::string> points;
    for (const MountEntry& m : MountedVolumes()) points.push_back(m.mountPoint);
    const std::vector<std::string> expected = {"/", root_ + "/cd", root_ + "/usb", root_ + "/net", root_ + "/ram",
                                               root_ + "/disk", "/run/media/me/CARD", root_ + "/dead"};
    EXPECT_EQ(points, expected);
}

TEST_F(FixtureVolumes, TruePathCaseAttributesAndFolderDates) {
    // A volume root loses its trailing "/", a folder keeps what it was given; links resolve.
    EXPECT_EQ(GetTruePathCase(root_ + "/cd/"), root_ + "/cd");
    EXPECT_EQ(GetTruePathCase(root_ + "/cd/Photos/"), root_ + "/cd/Photos/");
    EXPECT_EQ(GetTruePathCase(root_ + "/cd/Photos"), root_ + "/cd/Photos");
    ASSERT_EQ(::symlink("cd/Photos", (root_ + "/link").c_str()), 0);
    EXPECT_EQ(GetTruePathCase(root_ + "/link/2001/"), root_ + "/cd/Photos/2001/");
    EXPECT_EQ(GetTruePathCase(root_ + "/missing/"), "");
    EXPECT_EQ(GetTruePathCase(""), "");
    EXPECT_EQ(GetTruePathCase("/"), "/");

    ASSERT_EQ(::mkdir((root_ + "/.hidden").c_str(), 0555), 0);
    EXPECT_EQ(GetDirAttributes(root_ + "/cd/Photos/"), kAttrDirectory);
    EXPECT_EQ(GetDirAttributes(root_ + "/.hidden"), kAttrDirectory | kAttrHidden | kAttrReadOnly);
    EXPECT_EQ(GetDirAttributes(root_ + "/cd/"), kAttrDirectory);  // a volume root
    EXPECT_EQ(GetDirAttributes(root_ + "/mountinfo"), 0);
    EXPECT_EQ(GetDirAttributes(root_ + "/missing"), 0);

    // A folder's own date, with or without the trailing "/", a volume root's too.
    EXPECT_GT(GetFolderDate(root_ + "/cd/Photos/"), 40000);
    EXPECT_EQ(GetFolderDate(root_ + "/cd/Photos/"), GetFolderDate(root_ + "/cd/Photos"));
    EXPECT_GT(GetFolderDate(root_ + "/cd"), 40000);
    EXPECT_GT(GetFolderDate(root_ + "/.hidden"), 40000);
    EXPECT_EQ(GetFolderDate(root_ + "/mountinfo"), 0);
    EXPECT_EQ(GetFolderDate(root_ + "/missing/"), 0);
}

TEST(FileServices, ExistsAndRename) {
    TempDir dir;
    const std::string a = dir.File("a.cd"), b = dir.File("b.cd");
    WriteText(a, "x");
    EXPECT_TRUE(FileExists(a));
    EXPECT_FALSE(FileExists(dir.path().string()));
    EXPECT_FALSE(FileExists(b));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(RenameFile(a, b));
    EXPECT_FALSE(FileExists(a));
    EXPECT_TRUE(FileExists(b));
    EXPECT_FALSE(RenameFile(a, b));
}

TEST(FileDates, TheWalksConverterAgreesWithFileTimeToDateAcrossDaylightSavingChanges) {
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    for (const char* zone : {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "UTC"}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        FileDateConverter convert;
        // Every 7 minutes and 13 seconds over two years around the 2021 changes, then far dates.
        for (int64_t t = 1600000000; t < 1660000000; t += 433) {
            ASSERT_EQ(convert(t), FileTimeToDate(t)) << zone << " " << t;
        }
        for (int64_t t : {int64_t{0}, int64_t{-86400 * 365}, int64_t{4102444800}}) {
            EXPECT_EQ(convert(t), FileTimeToDate(t)) << zone << " " << t;
        }
    }
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(FileTimeToDate(0), 25569.0);
    EXPECT_EQ(FileTimeToDate(86400 + 43200), 25570.5);
    if (previous) {
        ::setenv("TZ", saved.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

TEST(DeviceLabels, ReadFromAnIsoImage) {
    TempDir dir;
    const std::string src = dir.File("src"), iso = dir.File("disc.iso");
    ASSERT_EQ(::mkdir(src.c_str(), 0755), 0);
    WriteText(src + "/a.txt", "hello");
    const std::string command = "genisoimage -quiet -V 'HOLIDAY 2001' -o '" + iso + "' '" + src + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "genisoimage is not installed";
    EXPECT_EQ(ReadLabelFromDevice(iso), "HOLIDAY 2001");
    EXPECT_EQ(ReadLabelFromDevice(src + "/a.txt"), "");
    EXPECT_EQ(ReadLabelFromDevice(dir.File("missing")), "");
}
