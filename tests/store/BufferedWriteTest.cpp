// The system file's write buffer: writes over bytes that already reached the file wait for the
// next flush, yet every read sees them (also after their block left the read cache), and a flush
// puts appended bytes and earlier-offset writes on disk exactly as written.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueFile.h"

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
    const Write writes[] = {{100, 84, 1}, {5 * 1024 * 1024 + 3, 300, 2}, {100, 84, 3},
                            {65536 - 10, 20, 4}, {static_cast<int64_t>(size) - 8, 40, 5}};
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
