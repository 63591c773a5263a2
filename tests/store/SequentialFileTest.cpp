// The whole-file writer behind backup and compaction: a file written over many sync steps, with
// patches both below and inside its buffer, comes out byte for byte, and a sync that fails while
// the file is being written makes the write fail, even though the final sync would not see it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <vector>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "SequentialFile.h"

using namespace karvio;
using karvio::testing::ReadAllBytes;
using karvio::testing::TempDir;

namespace {

std::atomic<int> syncs{0};
std::atomic<int> failAtSync{0};  // 0: never

int CountingSync(int fd) {
    const int n = ++syncs;
    if (n == failAtSync) {
        errno = EIO;
        return -1;
    }
    return ::fdatasync(fd);
}

struct SyncSeam {
    DataSyncFunction previous;
    explicit SyncSeam(int failAt) {
        syncs = 0;
        failAtSync = failAt;
        previous = SetDataSyncFunction(CountingSync);
    }
    ~SyncSeam() { SetDataSyncFunction(previous); }
};

// 36 MB in pieces of odd sizes, so chunks and sync steps fall inside pieces.
std::vector<unsigned char> Write(SequentialFile& out) {
    std::vector<unsigned char> expected;
    std::vector<unsigned char> piece;
    for (size_t i = 0; expected.size() < 36u * 1024 * 1024; ++i) {
        piece.assign(1000 + (i * 7919) % 70000, static_cast<unsigned char>(i));
        out.Append(piece.data(), piece.size());
        expected.insert(expected.end(), piece.begin(), piece.end());
    }
    return expected;
}

}  // namespace

TEST(SequentialFile, ALargeFileIsSyncedAsItIsWrittenAndComesOutAsAppendedAndPatched) {
    TempDir dir;
    const std::string path = dir.File("big.bin");
    SyncSeam seam(0);
    SequentialFile out;
    ASSERT_TRUE(out.Create(path));
    std::vector<unsigned char> expected = Write(out);
    const int syncsWhileWriting = syncs;
    // One patch long written, one across the edge of what was handed over, one in the buffer.
    const unsigned char mark[] = {0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89};
    for (const int64_t at :
         {int64_t{10}, out.Position() - 5 * 1024 * 1024 - 3, out.Position() - 8}) {
        out.Patch(at, mark, sizeof mark);
        std::copy(std::begin(mark), std::end(mark), expected.begin() + at);
    }
    ASSERT_TRUE(out.Finish()) << out.Error();
    EXPECT_GE(syncsWhileWriting, 1);
    EXPECT_TRUE(ReadAllBytes(path) == expected);
}

TEST(SequentialFile, ASyncFailingWhileTheFileIsWrittenFailsTheWrite) {
    TempDir dir;
    SyncSeam seam(1);
    SequentialFile out;
    ASSERT_TRUE(out.Create(dir.File("big.bin")));
    Write(out);
    EXPECT_FALSE(out.Finish());
    EXPECT_NE(out.Error().find("sync"), std::string::npos) << out.Error();
    EXPECT_GE(syncs.load(), 1);
}

TEST(SequentialFile, ASmallFileStartsNoSyncs) {
    TempDir dir;
    SyncSeam seam(1);
    SequentialFile out;
    ASSERT_TRUE(out.Create(dir.File("small.bin")));
    const std::string text(100000, 'x');
    out.Append(text.data(), text.size());
    EXPECT_TRUE(out.Finish()) << out.Error();
    EXPECT_EQ(syncs.load(), 0);
}
