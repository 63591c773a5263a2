// The system file's write buffer: writes over bytes that already reached the file wait for the
// next flush, yet every read sees them (also after their block left the read cache), and a flush
// puts appended bytes and earlier-offset writes on disk exactly as written.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <numeric>
#include <vector>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueFile.h"
#include "DataSync.h"

using namespace karvio;
using karvio::testing::ReadAllBytes;
using karvio::testing::TempDir;

namespace {

std::vector<unsigned char> Pattern(size_t size, unsigned seed) {
    std::vector<unsigned char> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 31 + seed);
    return bytes;
}

std::vector<unsigned char> Read(CatalogueFile& file, int64_t offset, size_t size) {
    std::vector<unsigned char> bytes(size);
    EXPECT_TRUE(file.ReadAt(offset, bytes.data(), size));
    return bytes;
}

}  // namespace

TEST(BufferedWrite, EarlierOffsetWritesAreReadBackBeforeAndAfterTheFlush) {
    TempDir dir;
    const std::string path = dir.File("b.cd");
    auto opened = OpenSystemCatalogueFile(path, true);
    ASSERT_TRUE(opened.file);
    CatalogueFile& file = *opened.file;

    // 12 MiB on disk: more than the read cache holds, so early blocks get evicted.
    const size_t size = 12 * 1024 * 1024;
    std::vector<unsigned char> expected = Pattern(size, 7);
    for (size_t at = 0; at < size; at += 100000) {
        const size_t n = std::min<size_t>(100000, size - at);
        ASSERT_TRUE(file.WriteAt(static_cast<int64_t>(at), expected.data() + at, n));
    }
    ASSERT_TRUE(file.Flush());

    // Writes below the flushed length: one read first (cached), one never read, one rewritten
    // twice, one reaching past the end into newly appended bytes.
    struct Write {
        int64_t offset;
        size_t size;
        unsigned seed;
    };
    const Write writes[] = {{100, 84, 1},
                            {5 * 1024 * 1024 + 3, 300, 2},
                            {100, 84, 3},
                            {65536 - 10, 20, 4},
                            {static_cast<int64_t>(size) - 8, 40, 5}};
    (void)Read(file, 0, 4096);
    file.BeginBatch();
    for (const Write& w : writes) {
        const std::vector<unsigned char> bytes = Pattern(w.size, w.seed);
        ASSERT_TRUE(file.WriteAt(w.offset, bytes.data(), w.size));
        if (w.offset + w.size > expected.size()) expected.resize(w.offset + w.size);
        std::copy(bytes.begin(), bytes.end(), expected.begin() + w.offset);
    }
    EXPECT_EQ(file.Length(), static_cast<int64_t>(expected.size()));

    // Reading the whole file in small pieces pushes every block through the cache twice.
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t at = 0; at < expected.size(); at += 4000) {
            const size_t n = std::min<size_t>(4000, expected.size() - at);
            ASSERT_EQ(Read(file, static_cast<int64_t>(at), n),
                      std::vector<unsigned char>(expected.begin() + at, expected.begin() + at + n))
                << "at " << at << ", pass " << pass;
        }
    }
    // A read larger than a cache block takes another road.
    const size_t big = 200000;
    EXPECT_EQ(Read(file, 5 * 1024 * 1024 - 1000, big),
              std::vector<unsigned char>(expected.begin() + 5 * 1024 * 1024 - 1000,
                                         expected.begin() + 5 * 1024 * 1024 - 1000 + big));

    EXPECT_NE(ReadAllBytes(path), expected) << "inside a batch the writes are still held";
    ASSERT_TRUE(file.EndBatch());
    EXPECT_EQ(ReadAllBytes(path), expected);
}

namespace {

// What the file held each time the store synced it, as a power cut then would leave it.
struct SyncRecord {
    int64_t length;
    std::vector<unsigned char> linkBytes;  // the 8 bytes at offset 100
};
std::vector<SyncRecord> syncs;
bool failSyncs = false;

int RecordingSync(int fd) {
    struct stat st {};
    ::fstat(fd, &st);
    std::vector<unsigned char> bytes(8);
    if (::pread(fd, bytes.data(), bytes.size(), 100) != 8) bytes.clear();
    syncs.push_back({static_cast<int64_t>(st.st_size), bytes});
    if (!failSyncs) return 0;
    errno = EIO;
    return -1;
}

}  // namespace

// A write below the end may link to records appended with it: those are made durable first, so a
// power cut never leaves a link to bytes the disk did not get. A sync that fails fails the flush
// and leaves the file as it was.
TEST(BufferedWrite, AppendedBytesAreDurableBeforeAWriteThatMayLinkToThem) {
    TempDir dir;
    const std::string path = dir.File("s.cd");
    auto opened = OpenSystemCatalogueFile(path, true);
    ASSERT_TRUE(opened.file);
    CatalogueFile& file = *opened.file;
    const std::vector<unsigned char> start = Pattern(4096, 1), records = Pattern(1000, 2),
                                     link = Pattern(8, 3);
    ASSERT_TRUE(file.WriteAt(0, start.data(), start.size()));
    syncs.clear();
    failSyncs = false;
    const DataSyncFunction previous = SetDataSyncFunction(RecordingSync);

    // Records appended, then a link written on its own: the records are synced in between.
    const std::vector<unsigned char> more = Pattern(100, 4);
    ASSERT_TRUE(file.WriteAt(4096, more.data(), more.size()));
    EXPECT_TRUE(syncs.empty()) << "appends alone need no sync";
    ASSERT_TRUE(file.WriteAt(100, link.data(), link.size()));
    ASSERT_EQ(syncs.size(), 1u);
    EXPECT_EQ(syncs[0].length, 4196);
    EXPECT_EQ(syncs[0].linkBytes,
              std::vector<unsigned char>(start.begin() + 100, start.begin() + 108));
    ASSERT_TRUE(file.WriteAt(200, link.data(), link.size()));
    EXPECT_EQ(syncs.size(), 1u) << "nothing appended since the last sync";

    // Records and a link in one flush: the same order.
    file.BeginBatch();
    ASSERT_TRUE(file.WriteAt(4196, records.data(), records.size()));
    const std::vector<unsigned char> link2 = Pattern(8, 6);
    ASSERT_TRUE(file.WriteAt(100, link2.data(), link2.size()));
    ASSERT_TRUE(file.EndBatch());
    ASSERT_EQ(syncs.size(), 2u);
    EXPECT_EQ(syncs[1].length, 5196) << "the records were written before the sync";
    EXPECT_EQ(syncs[1].linkBytes, link) << "the new link waits for the sync";
    std::vector<unsigned char> expected = ReadAllBytes(path);
    EXPECT_EQ(std::vector<unsigned char>(expected.begin() + 100, expected.begin() + 108), link2);

    // The sync fails: neither the link nor the records stay, and the failure is said.
    failSyncs = true;
    file.BeginBatch();
    ASSERT_TRUE(file.WriteAt(5196, records.data(), records.size()));
    const std::vector<unsigned char> other = Pattern(8, 5);
    ASSERT_TRUE(file.WriteAt(300, other.data(), other.size()));
    EXPECT_FALSE(file.EndBatch());
    EXPECT_NE(file.LastError().find("Input/output error"), std::string::npos) << file.LastError();
    SetDataSyncFunction(previous);
    EXPECT_EQ(ReadAllBytes(path), expected);
}
