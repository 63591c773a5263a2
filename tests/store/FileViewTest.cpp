// Reading records in place: the system file hands out its cached block or its append buffer
// without a copy, and only where a range lies in one piece; store reads fall back to copies
// elsewhere and give the same bytes. A record window keeps a piece across reads and still sees
// every change; the file walk through it follows a directory's list as the file cursor does,
// damaged lists included.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "../support/MemoryCatalogueFile.h"
#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueFile.h"
#include "RecordWindow.h"

using namespace karvio;
using karvio::testing::TempDir;

TEST(FileView, InPlaceWhereTheBytesLieInOnePieceOnly) {
    TempDir dir;
    auto file = OpenCatalogueFile(dir.File("v.cd")).file;
    ASSERT_TRUE(file);
    std::vector<unsigned char> bytes(200000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
    ASSERT_TRUE(file->WriteAt(0, bytes.data(), bytes.size()));
    ASSERT_TRUE(file->Flush());
    ASSERT_TRUE(file->WriteAt(static_cast<int64_t>(bytes.size()), "tail", 4));  // still buffered

    auto same = [&](int64_t offset, size_t size) {
        const unsigned char* view = file->View(offset, size);
        return view && std::memcmp(view, bytes.data() + offset, size) == 0;
    };
    EXPECT_TRUE(same(0, 64));
    EXPECT_TRUE(same(65536 - 64, 64));
    EXPECT_FALSE(file->View(65536 - 32, 64));  // across two cached blocks
    EXPECT_TRUE(same(199000, 1000));
    EXPECT_FALSE(file->View(199990, 20));      // on into the append buffer
    const unsigned char* tail = file->View(200000, 4);
    ASSERT_TRUE(tail);
    EXPECT_EQ(std::memcmp(tail, "tail", 4), 0);
    EXPECT_FALSE(file->View(200002, 4));       // past the end
    EXPECT_FALSE(file->View(-1, 4));
    // A write below the buffer shows in the view at once.
    ASSERT_TRUE(file->WriteAt(100, "new", 3));
    const unsigned char* patched = file->View(100, 3);
    ASSERT_TRUE(patched);
    EXPECT_EQ(std::memcmp(patched, "new", 3), 0);
}

TEST(FileView, AWindowKeepsItsPieceAndSeesEveryChange) {
    TempDir dir;
    auto file = OpenCatalogueFile(dir.File("w.cd")).file;
    ASSERT_TRUE(file);
    std::vector<unsigned char> bytes(2 * 1024 * 1024);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 13 + i / 251);
    ASSERT_TRUE(file->WriteAt(0, bytes.data(), bytes.size()));
    ASSERT_TRUE(file->Flush());
    RecordWindow window(file.get());
    std::string buffer;
    auto text = [&](int64_t pos, int32_t len) {
        return std::string(window.Text({static_cast<int32_t>(pos), len}, buffer, 1));
    };
    auto expected = [&](int64_t pos, size_t len) {
        return std::string(reinterpret_cast<const char*>(bytes.data()) + pos - 1, len);
    };

    // Two reads from one block: the second comes from the piece the first found.
    const unsigned char* first = window.At(1, 8);
    ASSERT_TRUE(first);
    EXPECT_EQ(window.At(1001, 8), first + 1000);
    EXPECT_EQ(text(1001, 20), expected(1001, 20));
    // Across two blocks there is no piece; the text is read into the buffer.
    EXPECT_FALSE(window.At(65536 - 3, 8));
    EXPECT_EQ(text(65536 - 3, 8), expected(65536 - 3, 8));
    // Reads by others of more blocks than the cache holds push the window's block out; the
    // window notices and finds it again.
    EXPECT_EQ(text(1, 8), expected(1, 8));
    unsigned char other[4];
    for (int64_t block = 1; block < 32; ++block) ASSERT_TRUE(file->ReadAt(block * 65536, other, sizeof other));
    EXPECT_EQ(text(1001, 20), expected(1001, 20));
    // A write below the end shows at once, inside a batch and out of it.
    ASSERT_TRUE(file->WriteAt(10, "abc", 3));
    EXPECT_EQ(text(11, 3), "abc");
    file->BeginBatch();
    ASSERT_TRUE(file->WriteAt(20, "held", 4));
    EXPECT_EQ(text(21, 4), "held");
    // Appended bytes are read from the append buffer, also after it has grown and moved.
    const auto end = static_cast<int64_t>(bytes.size());
    ASSERT_TRUE(file->WriteAt(end, "tail", 4));
    EXPECT_EQ(text(end + 1, 4), "tail");
    std::vector<unsigned char> more(300000, 'm');
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(file->WriteAt(file->Length(), more.data(), more.size()));
    EXPECT_EQ(text(end + 1, 4), "tail");
    EXPECT_TRUE(file->EndBatch());
    EXPECT_EQ(text(end + 1, 4), "tail");
    EXPECT_EQ(text(21, 4), "held");
    // Outside the file: no piece, and the read error of the text.
    EXPECT_FALSE(window.At(file->Length() + 1, 1));
    EXPECT_FALSE(window.At(0, 1));

    // A file that hands out no pieces is read through copies.
    auto memory = std::make_shared<karvio::testing::MemoryCatalogueFile>(bytes);
    RecordWindow copying(memory.get());
    EXPECT_FALSE(copying.At(1, 8));
    EXPECT_EQ(std::string(copying.Text({5, 10}, buffer, 1)), expected(5, 10));
}

namespace {

// The file ids of a directory's list, walked by the cursor and by a FileWalk through a window.
std::pair<std::vector<int32_t>, std::vector<int32_t>> BothWalks(classData& data, int32_t cdId, int32_t dirId,
                                                                CatalogueFile* file) {
    classDir& dir = data.GetCdGoto(cdId).GetDirGoto(dirId);
    std::vector<int32_t> cursor, walk;
    for (ClassFile* f = &dir.GetFileFirst(); !dir.GetFileEof(); f = &dir.GetFileNext()) cursor.push_back(f->GetFileId());
    RecordWindow window(file);
    FileWalk files(window);
    for (files.Start(dir.Record()); !files.AtEnd(); files.Next()) walk.push_back(files.Record().FileId);
    return {cursor, walk};
}

}  // namespace

TEST(FileView, AFileWalkFollowsTheListAsTheCursorDoesDamagedOrNot) {
    TempDir dir;
    const std::string path = dir.File("walk.cd");
    int32_t cd = 0, firstDir = 0, photos = 0;
    std::vector<int32_t> files;
    {
        classData data(path);
        cd = karvio::testing::AddSampleCd(data, "A", {{"", "\\", {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}}},
                                                      {"Photos", "\\", {{"p.jpg", 1}}},
                                                      {"Empty", "\\", {}}});
        classCd& c = data.GetCdGoto(cd);
        firstDir = c.GetDirFirst().GetDirId();
        photos = c.GetDirNext().GetDirId();
        classDir& first = c.GetDirGoto(firstDir);
        for (ClassFile* f = &first.GetFileFirst(); !first.GetFileEof(); f = &first.GetFileNext()) {
            files.push_back(f->GetFileId());
        }
    }
    ASSERT_EQ(files.size(), 4u);
    const int32_t photoFile = [&] {
        classData data(path);
        return data.GetCdGoto(cd).GetDirGoto(photos).GetFileFirst().GetFileId();
    }();
    // Each damage sets the FileNext link (offset 12) of the second file.
    auto setNext = [&](int32_t value) {
        std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(files[1] - 1 + 12);
        out.write(reinterpret_cast<const char*>(&value), 4);
    };
    struct Damage {
        const char* what;
        int32_t next;
        size_t walked;  // files of the first directory the walk visits
    };
    const Damage damages[] = {
        {"none", files[2], 4},
        {"a link back to the first file", files[0], 2},
        {"a link to itself", files[1], 2},
        {"a link to a file of another directory", photoFile, 2},
        {"a link into the middle of a record", files[2] + 5, 2},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        setNext(d.next);
        classData data(path);
        const auto [cursor, walk] = BothWalks(data, cd, firstDir, data.File().get());
        EXPECT_EQ(walk, cursor);
        EXPECT_EQ(walk.size(), d.walked);
        // The same through a file with no pieces.
        std::ifstream in(path, std::ios::binary);
        auto memory = std::make_shared<karvio::testing::MemoryCatalogueFile>(
            std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {}));
        EXPECT_EQ(BothWalks(data, cd, firstDir, memory.get()).second, cursor);
    }
    classData data(path);
    EXPECT_TRUE(BothWalks(data, cd, photos, data.File().get()).second == std::vector<int32_t>{photoFile});
}
