// karvio-cli mount as a user meets it: the catalogue browsed with the file system's own calls
// (categories, CDs, directories, files with their catalogued sizes and dates), du's total equal
// to the catalogue's, contents read from the real disc while it is there and ENOMEDIUM when it
// is not, EROFS for every write, another program's scan and a compaction showing after a short
// time, and Ctrl-C unmounting. Skipped where the system has no FUSE.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "CliRunner.h"

using namespace karvio::testing;
namespace fs = std::filesystem;

namespace {

void Write(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string LastLine(const std::string& text) {
    std::istringstream in(text);
    std::string line, last;
    while (std::getline(in, line)) last = line;
    return last;
}

// Waits up to five seconds for `ready`.
template <typename Ready>
bool WaitFor(Ready ready) {
    for (int i = 0; i < 100; ++i) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

class MountCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access("/dev/fuse", R_OK | W_OK) != 0 || std::system("command -v fusermount3 >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "no FUSE here (/dev/fuse or fusermount3 missing): the mount is not tested";
        }
        Write(dir_.File("disc/music/song.mp3"), "la la la");
        Write(dir_.File("disc/readme.txt"), "read me");
        Write(dir_.File("disc/music/big.bin"), std::string(100000, 'b'));
        fs::permissions(dir_.File("disc/readme.txt"), fs::perms::owner_write, fs::perm_options::remove);
        data_ = dir_.File("m.cd");
        ASSERT_EQ(RunCli(data_, {"category", "add", "Archive"}).status, 0);
        const CliResult scan = RunCli(data_, {"scan", dir_.File("disc"), "--name", "First/Disc"});
        ASSERT_EQ(scan.status, 0) << scan.err;
        cd_ = LastLine(scan.out);
        mnt_ = dir_.File("mnt");
        fs::create_directories(mnt_);
        server_ = Start(dir_, data_, {"mount", mnt_}, 1);
        mounted_ = WaitFor([&] { return Exists(mnt_ + "/Archive"); });
        ASSERT_TRUE(mounted_) << "the catalogue did not show at " << mnt_;
    }

    void TearDown() override {
        if (server_.pid > 0) {
            if (mounted_) std::system(("fusermount3 -u -z " + ShellQuote(mnt_) + " 2>/dev/null").c_str());
            Finish(server_);
        }
    }

    TempDir dir_;
    std::string data_, cd_, mnt_;
    Started server_{0, {}, {}};
    bool mounted_ = false;
};

TEST_F(MountCommandTest, BrowsesReadsAndRefusesWrites) {
    std::set<std::string> paths;
    for (const auto& e : fs::recursive_directory_iterator(mnt_)) paths.insert(e.path().string().substr(mnt_.size()));
    // "/" in a CD's name is shown as a division slash.
    const std::string disc = "/First\xe2\x88\x95" "Disc";
    EXPECT_EQ(paths, (std::set<std::string>{"/Archive", disc, disc + "/music", disc + "/music/song.mp3",
                                            disc + "/music/big.bin", disc + "/readme.txt"}));
    struct stat st {};
    ASSERT_EQ(::stat((mnt_ + disc + "/music/big.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 100000);
    struct stat real {};
    ASSERT_EQ(::stat(dir_.File("disc/music/big.bin").c_str(), &real), 0);
    EXPECT_EQ(st.st_mtime, real.st_mtime);
    ASSERT_EQ(::stat((mnt_ + disc + "/readme.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);  // the read-only attribute
    // The mount point itself carries the catalogue's last change.
    ASSERT_EQ(::stat(mnt_.c_str(), &st), 0);
    ASSERT_EQ(::stat(data_.c_str(), &real), 0);
    EXPECT_EQ(st.st_mtime, real.st_mtime);

    // du's apparent total is the catalogue's.
    FILE* du = ::popen(("du -sb " + ShellQuote(mnt_)).c_str(), "r");
    ASSERT_NE(du, nullptr);
    long long total = -1;
    EXPECT_EQ(std::fscanf(du, "%lld", &total), 1);
    ::pclose(du);
    EXPECT_EQ(total, 100000 + 8 + 7);

    std::ifstream song(mnt_ + disc + "/music/song.mp3");
    std::string text;
    std::getline(song, text);
    EXPECT_EQ(text, "la la la");

    for (int flags : {O_WRONLY, O_RDWR, O_WRONLY | O_CREAT}) {
        errno = 0;
        EXPECT_LT(::open((mnt_ + disc + "/readme.txt").c_str(), flags, 0644), 0);
        EXPECT_EQ(errno, EROFS);
    }
    EXPECT_NE(::mkdir((mnt_ + "/new").c_str(), 0755), 0);
    EXPECT_EQ(errno, EROFS);
    EXPECT_NE(::unlink((mnt_ + disc + "/readme.txt").c_str()), 0);
    EXPECT_EQ(errno, EROFS);

    // The disc taken away: its files are still listed, their contents not there.
    fs::rename(dir_.File("disc"), dir_.File("away"));
    errno = 0;
    EXPECT_LT(::open((mnt_ + disc + "/readme.txt").c_str(), O_RDONLY), 0);
    EXPECT_EQ(errno, ENOMEDIUM);
    EXPECT_TRUE(Exists(mnt_ + disc + "/readme.txt"));
}

TEST_F(MountCommandTest, FollowsOtherProgramsChangesAndCompactionAndEndsOnCtrlC) {
    Write(dir_.File("second/only.txt"), "2");
    ASSERT_EQ(RunCli(data_, {"scan", dir_.File("second"), "--name", "Second"}).status, 0);
    EXPECT_TRUE(WaitFor([&] { return Exists(mnt_ + "/Second/only.txt"); }));
    ASSERT_EQ(RunCli(data_, {"--yes", "compact"}).status, 0);
    ASSERT_EQ(RunCli(data_, {"category", "add", "After"}).status, 0);
    EXPECT_TRUE(WaitFor([&] { return Exists(mnt_ + "/After"); }));
    EXPECT_TRUE(Exists(mnt_ + "/Second/only.txt"));

    ::kill(server_.pid, SIGINT);
    std::string err;
    EXPECT_EQ(Finish(server_, nullptr, &err), 0) << err;
    server_.pid = 0;
    EXPECT_FALSE(Exists(mnt_ + "/After"));
    mounted_ = false;
}

}  // namespace
