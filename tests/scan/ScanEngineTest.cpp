// The scan engine on trees the tests build: the records, counts and paths it stores, rescans
// that keep notes, and stopped scans that leave the catalogue as it was.
#include <fstream>
#include <iterator>

#include "CatalogueCheck.h"
#include "MountTable.h"
#include "PathServices.h"
#include "ScanFixture.h"
#include "VolumeServices.h"

using namespace karvio;
using namespace karvio::testing;

namespace {

std::vector<unsigned char> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The header's last-opened date changes at every open of the catalogue; nothing else may.
constexpr size_t kLastOpenedAt = 42, kLastOpenedSize = 8;

void ExpectSameApartFromAppendedBytes(const std::vector<unsigned char>& before,
                                      const std::vector<unsigned char>& after) {
    ASSERT_GE(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        if (i >= kLastOpenedAt && i < kLastOpenedAt + kLastOpenedSize) continue;
        ASSERT_EQ(before[i], after[i]) << "byte " << i << " changed";
    }
}

// Makes the test's tree directory a volume root of its own in a fixture mount table.
class VolumeRootScanTest : public ScanTest {
protected:
    void SetUp() override {
        ScanTest::SetUp();
        std::ofstream(dataDir_.File("mountinfo"))
            << "1 0 254:0 / / rw - ext4 /dev/vda rw\n"
            << "2 1 254:1 / " << Root() << " rw - ext4 /dev/vdb rw\n";
        sources_ = std::make_unique<ScopedVolumeSources>(
            VolumeSources{dataDir_.File("mountinfo"), dataDir_.File("no-labels"), dataDir_.File("no-sys")});
    }
    std::unique_ptr<ScopedVolumeSources> sources_;
};

// Calls a function at the Nth directory and at the Nth file the walk reports.
class ScriptedProgress : public ScanProgress {
public:
    std::function<void(std::string_view)> onDirectory;
    std::function<void(int)> onFile;
    std::vector<std::string> directories;

    void DirectoryStarted(std::string_view path, const ScanCounts&) override {
        directories.emplace_back(path);
        if (onDirectory) onDirectory(path);
    }
    void FileAdded(std::string_view, std::string_view, const ScanCounts& soFar) override {
        if (onFile) onFile(soFar.files);
    }
};

}  // namespace

TEST_F(VolumeRootScanTest, ExampleFolderStoresTheCountsAndNegatedSizes) {
    MakeDir(Path("ex"));
    MakeDir(Path("ex/sub"));
    for (const char* f : {"ex/a", "ex/b", "ex/c"}) MakeFile(Path(f), 10);
    for (const char* f : {"ex/sub/d", "ex/sub/e"}) MakeFile(Path(f), 5);

    const int32_t id = Scan(AddBackslash(Path("ex")));
    ASSERT_GT(id, 0);
    const CdInfo cd = GetCdInfoById(id);
    EXPECT_EQ(cd.CdNumOfFiles, 5);
    EXPECT_EQ(cd.CdNumOfSubdirs, 1);
    EXPECT_EQ(cd.CdTotalSize, 40);
    EXPECT_EQ(cd.CdBasepath, Path("ex") + "/");
    EXPECT_EQ(cd.CdName, "Disc");
    EXPECT_EQ(cd.CdLabel, "LABEL");
    EXPECT_EQ(cd.CdNotes, "disc notes");
    EXPECT_EQ(cd.CdMediaType, kMediaFixed);
    EXPECT_GT(cd.CdLastScanned, 40000);

    const auto tree = ReadTree(id);
    ASSERT_EQ(tree.size(), 2u);
    const DirInfo& top = tree[0].info;
    EXPECT_EQ(top.DirName, "ex");
    EXPECT_EQ(top.DirPath, "\\");
    EXPECT_EQ(top.DirSize, -40);
    EXPECT_EQ(top.DirCountOfFiles, 5);
    EXPECT_EQ(top.DirCountOfDirs, 1);
    EXPECT_EQ(top.DirCountOfFilesDirect, 3);
    EXPECT_EQ(top.DirDate, GetFolderDate(Path("ex")));  // the folder's own date, not the zero date
    EXPECT_GT(top.DirDate, 40000);
    EXPECT_EQ(top.DirAttr, kAttrDirectory);
    const DirInfo& sub = tree[1].info;
    EXPECT_EQ(sub.DirName, "sub");
    EXPECT_EQ(sub.DirPath, "ex");
    EXPECT_EQ(sub.DirSize, -10);
    EXPECT_EQ(sub.DirCountOfFiles, 2);
    EXPECT_EQ(sub.DirCountOfDirs, 0);
    EXPECT_EQ(sub.DirCountOfFilesDirect, 2);
    EXPECT_GT(sub.DirDate, 40000);
    ASSERT_EQ(tree[0].files.size(), 3u);
    EXPECT_EQ(tree[0].files[0].name, "a");
    EXPECT_EQ(tree[0].files[2].size, 10);
    ASSERT_EQ(tree[1].files.size(), 2u);
    EXPECT_EQ(tree[1].files[1].name, "e");
    EXPECT_EQ(tree[1].files[1].size, 5);
    EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
}

TEST_F(VolumeRootScanTest, VolumeRootAndFolderStoreTheirBasePathsAndDirectoryPaths) {
    MakeDir(Path("Photos"));
    MakeDir(Path("Photos/2001"));
    MakeFile(Path("Photos/2001/x.jpg"), 3);
    MakeFile(Path("top.txt"), 1);

    const int32_t rootCd = Scan(Root() + "/");
    const auto rootTree = ReadTree(rootCd);
    EXPECT_EQ(GetCdInfoById(rootCd).CdBasepath, Root());
    ASSERT_EQ(rootTree.size(), 3u);
    EXPECT_EQ(rootTree[0].info.DirName, "");
    EXPECT_EQ(rootTree[0].info.DirPath, "\\");
    // The volume root's record carries the root's own attributes and date.
    EXPECT_EQ(rootTree[0].info.DirAttr, kAttrDirectory);
    EXPECT_GT(rootTree[0].info.DirDate, 40000);
    EXPECT_EQ(rootTree[1].info.DirName, "Photos");
    EXPECT_EQ(rootTree[1].info.DirPath, "\\");
    EXPECT_EQ(rootTree[2].info.DirName, "2001");
    EXPECT_EQ(rootTree[2].info.DirPath, "Photos");
    EXPECT_EQ(rootTree[2].fullName, "Photos\\2001");

    const int32_t folderCd = Scan(Path("Photos/"));
    const auto folderTree = ReadTree(folderCd);
    EXPECT_EQ(GetCdInfoById(folderCd).CdBasepath, Path("Photos/"));
    ASSERT_EQ(folderTree.size(), 2u);
    EXPECT_EQ(folderTree[0].info.DirName, "Photos");
    EXPECT_EQ(folderTree[0].info.DirPath, "\\");
    EXPECT_EQ(folderTree[1].info.DirPath, "Photos");
    EXPECT_EQ(folderTree[1].files[0].name, "x.jpg");
    EXPECT_EQ(GetCdInfoById(folderCd).CdNumOfSubdirs, 1);

    // Two levels down: the top directory's path is its parent's path on the volume.
    const int32_t deepCd = Scan(Path("Photos/2001/"));
    const auto deepTree = ReadTree(deepCd);
    ASSERT_EQ(deepTree.size(), 1u);
    EXPECT_EQ(deepTree[0].info.DirName, "2001");
    EXPECT_EQ(deepTree[0].info.DirPath, "Photos");
}

TEST_F(VolumeRootScanTest, RescanOfAnUnchangedTreeKeepsEveryNote) {
    // Below the top level, "B" follows "A", which has a subdirectory ("P\A" sorts after "P"),
    // and "A b" sorts between "A" and "A\x" by bytes.
    for (const char* d : {"P", "P/A", "P/A/x", "P/A/x/y", "P/A b", "P/B", "P/C"}) MakeDir(Path(d));
    for (const char* f : {"P/A/a.txt", "P/A/x/deep.txt", "P/A/x/y/deeper.txt", "P/A b/s.txt", "P/B/b1",
                          "P/B/b2", "P/C/c.txt", "top1", "P/top2"}) {
        MakeFile(Path(f), 1);
    }
    const int32_t oldId = Scan(Root() + "/");
    ASSERT_GT(oldId, 0);
    for (const StoredDir& d : ReadTree(oldId)) {
        SetDirNotesById(d.info.DirId, "dir note " + d.fullName);
        for (const StoredFile& f : d.files) SetFileNotesById(f.id, "file note " + d.fullName + "/" + f.name);
    }

    const int32_t newId = Scan(Root() + "/", oldId);
    ASSERT_GT(newId, 0);
    EXPECT_NE(newId, oldId);
    const auto tree = ReadTree(newId);
    ASSERT_EQ(tree.size(), 8u);
    for (const StoredDir& d : tree) {
        EXPECT_EQ(d.info.DirNotes, "dir note " + d.fullName);
        for (const StoredFile& f : d.files) EXPECT_EQ(f.notes, "file note " + d.fullName + "/" + f.name);
    }
    classData data;
    EXPECT_EQ(data.GetCdCount(), 1);
    EXPECT_EQ(data.GetCdFirst().GetCdId(), newId);
    EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
}

TEST_F(VolumeRootScanTest, RescanCarriesNotesPastAddedAndRemovedEntries) {
    for (const char* d : {"A", "C", "D"}) MakeDir(Path(d));
    for (const char* f : {"A/1", "A/2", "A/3", "C/c", "D/d"}) MakeFile(Path(f), 1);
    const int32_t oldId = Scan(Root() + "/");
    for (const StoredDir& d : ReadTree(oldId)) {
        SetDirNotesById(d.info.DirId, "n:" + d.fullName);
        for (const StoredFile& f : d.files) SetFileNotesById(f.id, "n:" + f.name);
    }
    ASSERT_EQ(::unlink(Path("A/2").c_str()), 0);
    MakeFile(Path("A/25"), 1);
    MakeDir(Path("B"));  // new, between A and C
    MakeFile(Path("B/new"), 1);
    ASSERT_EQ(::unlink(Path("C/c").c_str()), 0);
    ASSERT_EQ(::rmdir(Path("C").c_str()), 0);

    const auto tree = ReadTree(Scan(Root() + "/", oldId));
    ASSERT_EQ(tree.size(), 4u);
    EXPECT_EQ(FindDir(tree, "A")->info.DirNotes, "n:A");
    EXPECT_EQ(FindFile(*FindDir(tree, "A"), "1")->notes, "n:1");
    EXPECT_EQ(FindFile(*FindDir(tree, "A"), "25")->notes, "");
    EXPECT_EQ(FindFile(*FindDir(tree, "A"), "3")->notes, "n:3");
    EXPECT_EQ(FindDir(tree, "B")->info.DirNotes, "");
    EXPECT_EQ(FindDir(tree, "D")->info.DirNotes, "n:D");
    EXPECT_EQ(FindFile(*FindDir(tree, "D"), "d")->notes, "n:d");
}

TEST_F(VolumeRootScanTest, StoppedScanAndRescanLeaveTheCatalogueAsItWas) {
    for (int d = 0; d < 5; ++d) {
        MakeDir(Path("d" + std::to_string(d)));
        for (int f = 0; f < 20; ++f) MakeFile(Path("d" + std::to_string(d) + "/f" + std::to_string(f)), f);
    }
    const int32_t first = Scan(Root() + "/");
    SetDirNotesById(ReadTree(first)[1].info.DirId, "kept");
    const std::vector<unsigned char> before = FileBytes(Catalogue());

    for (int32_t oldId : {0, first}) {
        SCOPED_TRACE(oldId == 0 ? "scan" : "rescan");
        messages_.clear();
        answer_ = vbYes;
        ScanEngine engine;
        ScriptedProgress progress;
        progress.onFile = [&engine](int files) {
            if (files == 30) {
                EXPECT_TRUE(engine.Cancel());
            }
        };
        EXPECT_EQ(Scan(Root() + "/", oldId, &progress, &engine), 0);
        EXPECT_EQ(messages_, std::vector<std::string>{kCancelScanQuestion});
        EXPECT_LT(progress.directories.size(), 6u);
        ExpectSameApartFromAppendedBytes(before, FileBytes(Catalogue()));
        EXPECT_EQ(FileBytes(Catalogue()).size(), before.size()) << "the stopped scan gives its space back";
        EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
        classData data;
        EXPECT_EQ(data.GetCdCount(), 1);
        EXPECT_EQ(ReadTree(first)[1].info.DirNotes, "kept");
    }

    // Answering No goes on with the scan; Cancel outside a scan asks nothing.
    messages_.clear();
    answer_ = vbNo;
    ScanEngine engine;
    ScriptedProgress progress;
    progress.onFile = [&engine](int files) {
        if (files == 30) {
            EXPECT_FALSE(engine.Cancel());
        }
    };
    const int32_t done = Scan(Root() + "/", 0, &progress, &engine);
    EXPECT_GT(done, 0);
    EXPECT_EQ(GetCdInfoById(done).CdNumOfFiles, 100);
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_FALSE(engine.Cancel());
    EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(ScanTest, PathThatDoesNotExistGivesAnEmptyCd) {
    const int32_t id = Scan(Path("nothing/here/"));
    ASSERT_GT(id, 0);
    const CdInfo cd = GetCdInfoById(id);
    EXPECT_EQ(cd.CdBasepath, Path("nothing/here/"));
    EXPECT_EQ(cd.CdNumOfFiles, 0);
    EXPECT_EQ(cd.CdTotalSize, 0);
    EXPECT_EQ(cd.CdMediaType, kMediaNoRoot);
    EXPECT_TRUE(ReadTree(id).empty());
    EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
}

TEST_F(ScanTest, ARescanReplacesOnlyTheCdItWasGiven) {
    MakeFile(Path("a.txt"), 3);
    const int32_t first = Scan(Root() + "/");
    const int32_t second = Scan(Root() + "/");
    ASSERT_GT(second, first);
    // What a refused rescan may change: nothing but the time the catalogue was last opened.
    auto bytes = [&] {
        std::vector<unsigned char> now = ReadAllBytes(Catalogue());
        std::fill(now.begin() + 42, now.begin() + 50, 0);
        return now;
    };
    const std::vector<unsigned char> before = bytes();
    auto rescanAs = [&](int32_t id, const HeldRecord& shown) {
        ScanEngine engine;
        engine.SetVars(id, Root() + "/", "Disc", "", "LABEL", 0);
        engine.SetReplacedCd(shown);
        int32_t newId = -1;
        engine.ScanCd(newId);
        return newId;
    };
    // The dialog showed another CD than the one at the id now (another program compacted), or
    // the CD is gone: nothing is scanned, nothing is written, and the user hears why.
    HeldRecord other = HeldRecord::Of(GetCdInfoById(second));
    other.name = "Not this one";
    EXPECT_EQ(rescanAs(second, other), 0);
    EXPECT_EQ(rescanAs(second + 4, HeldRecord::Of(RecordKind::Cd, second + 4)), 0);
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_NE(messages_[0].find(kCatalogueChangedText), std::string::npos) << messages_[0];
    EXPECT_EQ(bytes(), before);
    // As shown, it is replaced: the list keeps the first and the new CD.
    const int32_t replaced = rescanAs(second, HeldRecord::Of(GetCdInfoById(second)));
    ASSERT_GT(replaced, second);
    classData data;
    std::vector<int32_t> ids;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) ids.push_back(cd->GetCdId());
    EXPECT_EQ(ids, (std::vector<int32_t>{first, replaced}));
    EXPECT_TRUE(CheckCatalogue(Catalogue()).Clean());
}
