// The walk on trees that break naive walkers: odd names, links, huge sparse files, trees deeper
// than PATH_MAX, directories that cannot be read or vanish during the walk, and a real ISO 9660
// image mounted through FUSE. Nothing may crash, loop or be lost.
#include <grp.h>
#include <linux/limits.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "CatalogueCheck.h"
#include "PathServices.h"
#include "ScanFixture.h"
#include "VolumeServices.h"

using namespace karvio;
using namespace karvio::testing;

namespace {

class CallbackProgress : public ScanProgress {
public:
    std::function<void(std::string_view)> onDirectory;
    void DirectoryStarted(std::string_view path, const ScanCounts&) override {
        if (onDirectory) onDirectory(path);
    }
    void FileAdded(std::string_view, std::string_view, const ScanCounts&) override {}
};

// Removes a tree of any depth, relative to descriptors (paths may exceed PATH_MAX).
void RemoveTreeAt(int parentFd, const char* name) {
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        DIR* dir = ::fdopendir(fd);
        std::vector<std::string> names;
        while (dirent* e = ::readdir(dir)) {
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        }
        for (const std::string& n : names) {
            if (::unlinkat(::dirfd(dir), n.c_str(), 0) != 0) RemoveTreeAt(::dirfd(dir), n.c_str());
        }
        ::closedir(dir);
    }
    ::unlinkat(parentFd, name, AT_REMOVEDIR);
}

std::vector<std::string> AllNames(const std::vector<StoredDir>& tree) {
    std::vector<std::string> names;
    for (const StoredDir& d : tree) {
        names.push_back(d.info.DirName);
        for (const StoredFile& f : d.files) names.push_back(f.name);
    }
    return names;
}

const StoredDir* DirNamed(const std::vector<StoredDir>& tree, const std::string& name) {
    for (const StoredDir& d : tree) {
        if (d.info.DirName == name) return &d;
    }
    return nullptr;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

TEST_F(ScanTest, EveryNameIsStoredByteForByte) {
    const std::vector<std::string> fileNames = {
        "Con 자백", "日本語.txt", "фото.jpg", "ελληνικά", "عربي.doc", "emoji 😀",
        std::string("bad \xff\xfe utf8"), std::string("latin1 caf\xe9"), "back\\slash", "new\nline",
        "tab\there", " leading space", "trailing space ", "   ", ".hidden", "..dots", "-dash"};
    const std::vector<std::string> dirNames = {"dir 한국어", std::string("dir \xc3\x28 broken"), "dir\\back",
                                               ".config", "empty", "new\ndir"};
    MakeDir(Path("t"));
    for (const std::string& n : fileNames) MakeFile(Path("t/" + n), static_cast<off_t>(n.size()));
    for (const std::string& n : dirNames) {
        MakeDir(Path("t/" + n));
        if (n != "empty") MakeFile(Path("t/" + n + "/inside"), 1);
    }

    const int32_t id = Scan(Path("t/"));
    const auto tree = ReadTree(id);
    const auto names = AllNames(tree);
    for (const std::string& n : fileNames) EXPECT_TRUE(Contains(names, n)) << n;
    for (const std::string& n : dirNames) EXPECT_TRUE(Contains(names, n)) << n;
    ASSERT_EQ(tree.size(), 1 + dirNames.size());
    EXPECT_EQ(tree[0].files.size(), fileNames.size());
    EXPECT_EQ(GetCdInfoById(id).CdNumOfFiles, static_cast<int32_t>(fileNames.size() + dirNames.size() - 1));

    // Names in ascending byte order, dot names with the hidden bit, sizes as written.
    for (size_t i = 1; i < tree[0].files.size(); ++i) EXPECT_LT(tree[0].files[i - 1].name, tree[0].files[i].name);
    for (const StoredFile& f : tree[0].files) {
        EXPECT_EQ(f.size, static_cast<double>(f.name.size())) << f.name;
        EXPECT_EQ((f.attr & kAttrHidden) != 0, f.name[0] == '.') << f.name;
    }
    for (const StoredDir& d : tree) {
        if (d.info.DirName == ".config") {
            EXPECT_EQ(d.info.DirAttr, kAttrDirectory | kAttrHidden);
        }
        if (d.info.DirName == "empty") {
            EXPECT_EQ(d.info.DirCountOfFiles, 0);
            EXPECT_EQ(d.info.DirSize, 0);
        }
    }
    EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
}

TEST_F(ScanTest, LinksAreCataloguedAsFilesAndNeverFollowed) {
    MakeDir(Path("t"));
    MakeDir(Path("t/real"));
    MakeFile(Path("t/real/f"), 100);
    const struct {
        const char* name;
        const char* target;
    } links[] = {{"loop1", "loop2"}, {"loop2", "loop1"}, {"up", ".."}, {"self", "."},
                 {"dangling", "missing/target"}, {"to-real", "real"}};
    for (const auto& l : links) ASSERT_EQ(::symlink(l.target, Path(std::string("t/") + l.name).c_str()), 0);

    const int32_t id = Scan(Path("t/"));
    const auto tree = ReadTree(id);
    ASSERT_EQ(tree.size(), 2u);  // t and t/real only
    for (const auto& l : links) {
        const StoredFile* f = FindFile(tree[0], l.name);
        ASSERT_NE(f, nullptr) << l.name;
        EXPECT_EQ(f->size, static_cast<double>(std::strlen(l.target))) << l.name;
        EXPECT_EQ(f->attr & kAttrDirectory, 0) << l.name;
    }
    EXPECT_EQ(GetCdInfoById(id).CdNumOfFiles, 7);
}

TEST_F(ScanTest, SparseFileOverFourGiBKeepsItsFullSize) {
    MakeDir(Path("t"));
    const off_t size = (off_t{5} << 30) + 7;
    MakeFile(Path("t/huge.iso"), size);
    MakeFile(Path("t/small"), 3);
    const int32_t id = Scan(Path("t/"));
    const auto tree = ReadTree(id);
    EXPECT_EQ(FindFile(tree[0], "huge.iso")->size, static_cast<double>(size));
    EXPECT_EQ(tree[0].info.DirSize, -static_cast<double>(size + 3));
    EXPECT_EQ(GetCdInfoById(id).CdTotalSize, static_cast<double>(size + 3));
}

TEST_F(ScanTest, TreeDeeperThanPathMaxIsWalkedCompletely) {
    // 1200 levels of 8-character names: about 10,800 bytes of path, with the descriptors of the
    // upper levels closed and reopened on the way back.
    constexpr int kDepth = 1200;
    MakeDir(Path("deep"));
    int fd = ::open(Path("deep").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < kDepth; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "d%07d", i);
        ASSERT_EQ(::mkdirat(fd, name, 0755), 0);
        // A sibling after each level, so every level is left and re-entered.
        ASSERT_EQ(::mkdirat(fd, "z", 0755), 0);
        const int next = ::openat(fd, name, O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        ASSERT_GE(fd, 0);
    }
    const int file = ::openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    ::close(file);
    ::close(fd);

    const int32_t id = Scan(Path("deep/"));
    const auto tree = ReadTree(id);
    const int dirs = 2 * kDepth;
    ASSERT_EQ(tree.size(), static_cast<size_t>(dirs + 1));
    EXPECT_EQ(tree[0].info.DirCountOfDirs, dirs);
    EXPECT_EQ(tree[0].info.DirCountOfFiles, 1);
    // Pre-order: each level, then everything below it, then its sibling "z".
    EXPECT_EQ(tree[kDepth].files.size(), 1u);
    EXPECT_EQ(tree[kDepth].files[0].name, "bottom.txt");
    EXPECT_GT(tree[kDepth].fullName.size(), static_cast<size_t>(PATH_MAX));
    EXPECT_EQ(tree[kDepth + 1].info.DirName, "z");
    EXPECT_EQ(tree.back().info.DirName, "z");
    EXPECT_EQ(GetCdInfoById(id).CdNumOfSubdirs, dirs);
    EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
    RemoveTreeAt(AT_FDCWD, Path("deep").c_str());
}

TEST_F(ScanTest, DirectoriesThatCannotBeReadAreCataloguedWithWhatCanBeSeen) {
    MakeDir(Path("t"));
    for (const char* d : {"t/locked", "t/listonly", "t/ok"}) MakeDir(Path(d));
    for (const char* f : {"t/locked/secret", "t/listonly/f1", "t/listonly/f2", "t/ok/f"}) MakeFile(Path(f), 9);
    ASSERT_EQ(::chmod(Path("t/locked").c_str(), 0), 0);
    ASSERT_EQ(::chmod(Path("t/listonly").c_str(), 0444), 0);  // names can be read, nothing else

    int32_t id = 0;
    if (::geteuid() != 0) {
        id = Scan(Path("t/"));
    } else {
        // Permissions do not stop root: the scan runs in a child that gives up root first.
        ASSERT_EQ(::chmod(Root().c_str(), 0755), 0);
        ASSERT_EQ(::chmod(dataDir_.path().c_str(), 0777), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const gid_t nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
                ::setresuid(nobody, nobody, nobody) != 0) {
                ::_exit(2);
            }
            ::_exit(Scan(Path("t/")) > 0 ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0) << "the scan as nobody failed";
        classData data;
        id = data.GetCdFirst().GetCdId();
    }
    const auto tree = ReadTree(id);
    ASSERT_EQ(tree.size(), 4u);
    const StoredDir* locked = DirNamed(tree, "locked");
    ASSERT_NE(locked, nullptr);
    EXPECT_TRUE(locked->files.empty());
    const StoredDir* listOnly = DirNamed(tree, "listonly");
    ASSERT_NE(listOnly, nullptr);
    ASSERT_EQ(listOnly->files.size(), 2u);
    EXPECT_EQ(listOnly->files[0].name, "f1");
    EXPECT_EQ(listOnly->files[0].size, 0);  // could not be examined
    EXPECT_EQ(DirNamed(tree, "ok")->files.size(), 1u);
    EXPECT_EQ(GetCdInfoById(id).CdNumOfFiles, 3);
}

TEST_F(ScanTest, DirectoriesVanishingDuringTheWalk) {
    MakeDir(Path("t"));
    for (const char* d : {"t/a", "t/b", "t/c"}) {
        MakeDir(Path(d));
        for (int f = 0; f < 3; ++f) MakeFile(Path(std::string(d) + "/f" + std::to_string(f)), 1);
    }
    CallbackProgress progress;
    progress.onDirectory = [this](std::string_view path) {
        std::error_code ec;
        // While in "a", its later sibling "b" goes; on entering "c", "c" itself goes.
        if (path.ends_with("\\a")) std::filesystem::remove_all(Path("t/b"), ec);
        if (path.ends_with("\\c")) std::filesystem::remove_all(Path("t/c"), ec);
    };
    const int32_t id = Scan(Path("t/"), 0, &progress);
    ASSERT_GT(id, 0);
    const auto tree = ReadTree(id);
    ASSERT_EQ(tree.size(), 4u);
    EXPECT_EQ(tree[1].files.size(), 3u);
    EXPECT_TRUE(tree[2].files.empty());
    EXPECT_TRUE(tree[3].files.empty());
    EXPECT_EQ(tree[0].info.DirCountOfFiles, 3);
    EXPECT_EQ(GetCdInfoById(id).CdNumOfFiles, 3);
    EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
}

// An ISO 9660 image mounted with fuseiso: media type 5, the tree as written, and the mount
// point not entered when the folder that holds it is scanned.
TEST_F(ScanTest, IsoImageMountedThroughFuseScansAsCdRom) {
    if (std::system("command -v genisoimage >/dev/null && command -v fuseiso >/dev/null") != 0) {
        GTEST_SKIP() << "genisoimage or fuseiso is not installed";
    }
    if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "FUSE is not available (/dev/fuse)";
    const std::string src = dataDir_.File("src"), iso = dataDir_.File("disc.iso");
    MakeDir(src);
    MakeDir(src + "/Photos");
    MakeFile(src + "/Photos/a.jpg", 1234);
    MakeFile(src + "/readme.txt", 56);
    ASSERT_EQ(std::system(("genisoimage -quiet -R -V DISC -o '" + iso + "' '" + src + "' 2>/dev/null").c_str()), 0);
    MakeDir(Path("holder"));
    MakeDir(Path("holder/mnt"));
    if (std::system(("fuseiso '" + iso + "' '" + Path("holder/mnt") + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "fuseiso could not mount the image (no FUSE permission here)";
    }
    struct Unmount {
        std::string point;
        ~Unmount() { (void)std::system(("fusermount -u '" + point + "' 2>/dev/null").c_str()); }
    } unmount{Path("holder/mnt")};

    EXPECT_EQ(GetMediaType(Path("holder/mnt")), kMediaCdRom);
    const int32_t id = Scan(Path("holder/mnt/"));
    const CdInfo cd = GetCdInfoById(id);
    EXPECT_EQ(cd.CdMediaType, kMediaCdRom);
    EXPECT_EQ(cd.CdBasepath, Path("holder/mnt"));  // a volume root
    EXPECT_EQ(cd.CdNumOfFiles, 2);
    EXPECT_EQ(cd.CdTotalSize, 1234 + 56);
    const auto tree = ReadTree(id);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].info.DirName, "");
    EXPECT_EQ(tree[0].info.DirPath, "\\");
    EXPECT_EQ(tree[0].files[0].name, "readme.txt");
    EXPECT_EQ(tree[1].fullName, "Photos");
    EXPECT_EQ(tree[1].files[0].name, "a.jpg");
    EXPECT_EQ(tree[1].files[0].size, 1234);

    // The folder holding the mount point: the mount point is listed, not entered.
    const auto outer = ReadTree(Scan(Path("holder/")));
    ASSERT_EQ(outer.size(), 2u);
    EXPECT_EQ(outer[1].info.DirName, "mnt");
    EXPECT_TRUE(outer[1].files.empty());
    EXPECT_EQ(outer[1].info.DirCountOfDirs, 0);
}
