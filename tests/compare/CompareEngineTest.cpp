// The engine under duplicates, compare and verify: a CD read from the catalogue lists what a
// walk of the same folder lists; duplicates and single copies equal what a walk of the real trees
// finds; comparisons and verification find every added, removed and changed file; hashes are
// XXH3-128 and reading reports files that vanish or fail with EIO.
#include <gtest/gtest.h>
#include <unistd.h>
#include <xxhash.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "CatalogueListing.h"
#include "ContentHash.h"
#include "DiscVerify.h"
#include "Duplicates.h"
#include "ListWriter.h"
#include "ScanFixture.h"
#include "TreeComparison.h"

using namespace karvio;
using namespace karvio::testing;
namespace fs = std::filesystem;

namespace {

void Write(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Keeps the date of `path` and gives it other bytes of the same length.
void Tamper(const std::string& path) {
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    std::string bytes(static_cast<size_t>(st.st_size), 'x');
    Write(path, bytes);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class CompareEngineTest : public ScanTest {
protected:
    // Three discs: b copies part of a and changes one file, c holds files of its own.
    void SetUp() override {
        ScanTest::SetUp();
        Write(Path("a/song.mp3"), "la la la");
        Write(Path("a/docs/report.txt"), "quarterly");
        Write(Path("a/docs/only-a.txt"), "mine");
        Write(Path("a/docs/deep/x.bin"), std::string(1000, 'q'));
        Write(Path("a/.hidden"), "h");
        fs::copy(Path("a"), Path("b"), fs::copy_options::recursive);
        fs::remove(Path("b/docs/only-a.txt"));
        Write(Path("b/docs/report.txt"), "quarterly, revised");
        Write(Path("b/new.txt"), "fresh");
        Write(Path("c/song.mp3"), "la la la");  // same name and size as a's, another disc
        Write(Path("c/unique.dat"), "1234567");
        a_ = Scan(Path("a"));
        b_ = Scan(Path("b"));
        c_ = Scan(Path("c"));
        ASSERT_GT(a_, 0);
        ASSERT_GT(c_, 0);
    }

    std::vector<ListedCd> All() {
        classData data;
        return ReadCatalogueListing(data);
    }

    int32_t a_ = 0, b_ = 0, c_ = 0;
};

std::set<std::string> PathsOf(const FileListing& listing) {
    std::set<std::string> paths;
    for (size_t i = 0; i < listing.size(); ++i) paths.insert(listing.RelativePath(i));
    return paths;
}

TEST_F(CompareEngineTest, CatalogueListingEqualsWalkOfTheSameFolder) {
    classData data;
    const ListedCd cd = ReadListedCd(data, a_);
    FileListing walked;
    const WalkReport report = WalkFolder(Path("a"), walked);
    EXPECT_TRUE(report.problems.empty());
    EXPECT_EQ(PathsOf(cd.listing), PathsOf(walked));
    EXPECT_EQ(PathsOf(walked), (std::set<std::string>{".hidden", "song.mp3", "docs", "docs/report.txt",
                                                      "docs/only-a.txt", "docs/deep", "docs/deep/x.bin"}));
    EXPECT_EQ(cd.listing.FileBytes(), walked.FileBytes());
    const TreeComparison same = CompareListings(cd.listing, walked);
    EXPECT_FALSE(same.Differs());
    EXPECT_EQ(same.same, 7);
    // Paths from the volume root, for lists the user reads.
    bool found = false;
    for (size_t i = 0; i < cd.listing.size(); ++i) {
        if (cd.listing.Name(i) == "x.bin") {
            found = true;
            EXPECT_TRUE(cd.listing.VolumePath(i).ends_with("/a/docs/deep/x.bin")) << cd.listing.VolumePath(i);
        }
    }
    EXPECT_TRUE(found);
}

TEST(FileListingTest, VolumePathsDecodeEachNameByItself) {
    FileListing listing;
    listing.SetTop("Top/caf\xC3\xA9");
    ListingEntry dir;
    dir.directory = true;
    const int32_t plain = listing.Add(dir, "docs");
    dir.parent = plain;
    const int32_t latin = listing.Add(dir, "d\xE9j\xE0");
    ListingEntry file;
    file.parent = latin;
    const int32_t below = listing.Add(file, "f.txt");
    file.parent = plain;
    const int32_t utf8 = listing.Add(file, "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(listing.VolumePath(static_cast<size_t>(plain)), "/Top/caf\xC3\xA9/docs");
    EXPECT_EQ(listing.VolumePath(static_cast<size_t>(below)), "/Top/caf\xC3\xA9/docs/d\xC3\xA9j\xC3\xA0/f.txt");
    EXPECT_EQ(listing.VolumePath(static_cast<size_t>(utf8)), "/Top/caf\xC3\xA9/docs/\xC3\xA9t\xC3\xA9");
    listing.SetTop("");
    EXPECT_EQ(listing.VolumePath(static_cast<size_t>(utf8)), "/docs/\xC3\xA9t\xC3\xA9");
}

TEST_F(CompareEngineTest, DuplicatesAndSinglesEqualWhatTheRealTreesHold) {
    // What a script finds: files by (name, size) with the discs that hold them.
    std::map<std::pair<std::string, uintmax_t>, std::multiset<std::string>> byKey;
    for (const char* disc : {"a", "b", "c"}) {
        for (const auto& e : fs::recursive_directory_iterator(Path(disc))) {
            if (e.is_regular_file()) byKey[{e.path().filename().string(), e.file_size()}].insert(disc);
        }
    }
    std::set<std::pair<std::string, size_t>> expectedGroups;
    std::multiset<std::string> expectedSingles;
    for (const auto& [key, discs] : byKey) {
        if (discs.size() > 1) expectedGroups.insert({key.first, discs.size()});
        if (std::set<std::string>(discs.begin(), discs.end()).size() == 1) {
            for (const auto& d : discs) expectedSingles.insert(d + ":" + key.first);
        }
    }
    const std::vector<ListedCd> cds = All();
    std::set<std::pair<std::string, size_t>> groups;
    for (const DuplicateGroup& g : FindDuplicates(cds, DuplicateKey::NameAndSize, 0)) {
        groups.insert({std::string(cds[g.copies[0].cd].listing.Name(g.copies[0].entry)), g.copies.size()});
        EXPECT_EQ(g.Space(), g.size * static_cast<int64_t>(g.copies.size()));
    }
    EXPECT_EQ(groups, expectedGroups);

    std::multiset<std::string> singles;
    const char* names[] = {"a", "b", "c"};
    for (const FileRef& r : FindSingleCopies(cds, DuplicateKey::NameAndSize, 0)) {
        singles.insert(std::string(names[r.cd]) + ":" + std::string(cds[r.cd].listing.Name(r.entry)));
    }
    EXPECT_EQ(singles, expectedSingles);

    // --min-size leaves the small files out; a chosen disc lists only its own.
    for (const DuplicateGroup& g : FindDuplicates(cds, DuplicateKey::NameAndSize, 100)) EXPECT_GE(g.size, 100);
    for (const FileRef& r : FindSingleCopies(cds, DuplicateKey::NameAndSize, 0, {2})) EXPECT_EQ(r.cd, 2u);
}

TEST_F(CompareEngineTest, DuplicatesByContentNeedHashesOnBothSides) {
    const std::vector<ListedCd> cds = All();
    // Every file's hash from its bytes on disk, by record id.
    std::map<int32_t, ContentHash> hashes;
    const char* discs[] = {"a", "b", "c"};
    for (uint32_t c = 0; c < cds.size(); ++c) {
        for (size_t i = 0; i < cds[c].listing.size(); ++i) {
            if (cds[c].listing[i].directory) continue;
            const std::string path = Path(std::string(discs[c]) + "/" + cds[c].listing.RelativePath(i));
            const HashResult r = HashFileAt(AT_FDCWD, path.c_str());
            ASSERT_EQ(r.outcome, HashOutcome::Done) << path;
            hashes[cds[c].listing[i].id] = r.hash;
        }
    }
    const HashLookup lookup = [&](int32_t id) -> std::optional<ContentHash> {
        const auto it = hashes.find(id);
        return it == hashes.end() ? std::nullopt : std::optional(it->second);
    };
    const auto groups = FindDuplicates(cds, DuplicateKey::Hash, 0, DuplicateOrder::Spare, lookup);
    // song.mp3 (a, b, c), x.bin (a, b), .hidden (a, b); report.txt differs in b.
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].size, 1000);
    for (const auto& g : groups) EXPECT_TRUE(g.hash.has_value());
    // Without hashes nothing is the same by content, and every file is on one disc only.
    EXPECT_TRUE(FindDuplicates(cds, DuplicateKey::Hash, 0).empty());
    EXPECT_EQ(FindSingleCopies(cds, DuplicateKey::Hash, 0).size(), 5u + 5u + 2u);
}

TEST_F(CompareEngineTest, ComparisonFindsAddedRemovedAndChanged) {
    classData data;
    const ListedCd a = ReadListedCd(data, a_);
    const ListedCd b = ReadListedCd(data, b_);
    const TreeComparison r = CompareListings(a.listing, b.listing);
    std::map<std::string, std::string> seen;
    for (const ComparedEntry& e : r.entries) {
        seen[e.path] = std::string(DifferenceName(e.difference)) + ":" + ChangeNames(e.changes);
    }
    EXPECT_EQ(seen["docs/only-a.txt"], "only_first:");
    EXPECT_EQ(seen["new.txt"], "only_second:");
    EXPECT_EQ(seen["docs/report.txt"].substr(0, 12), "changed:size");
    EXPECT_EQ(seen["song.mp3"], "same:");
    EXPECT_EQ(r.onlyFirst, 1);
    EXPECT_EQ(r.onlySecond, 1);
    EXPECT_EQ(r.changed, 1);
    EXPECT_TRUE(r.Differs());
    // In path order, a directory beside its contents.
    for (size_t i = 1; i < r.entries.size(); ++i) {
        EXPECT_NE(r.entries[i - 1].path, r.entries[i].path);
    }
}

TEST_F(CompareEngineTest, VerifyFindsEveryChangeAndBitRotWithHashes) {
    classData data;
    const ListedCd a = ReadListedCd(data, a_);
    std::map<int32_t, ContentHash> recorded;
    for (size_t i = 0; i < a.listing.size(); ++i) {
        if (a.listing[i].directory) continue;
        recorded[a.listing[i].id] = HashFileAt(AT_FDCWD, Path("a/" + a.listing.RelativePath(i)).c_str()).hash;
    }
    const HashLookup lookup = [&](int32_t id) -> std::optional<ContentHash> {
        const auto it = recorded.find(id);
        return it == recorded.end() ? std::nullopt : std::optional(it->second);
    };
    VerifyReport clean = VerifyDisc(a.listing, Path("a"), lookup);
    EXPECT_FALSE(clean.Differs());
    EXPECT_EQ(clean.filesRead, 5);
    EXPECT_EQ(clean.filesHashed, 5);

    Tamper(Path("a/docs/deep/x.bin"));  // same size and date, other bytes
    fs::remove(Path("a/song.mp3"));
    Write(Path("a/docs/added.txt"), "+");
    Write(Path("a/docs/report.txt"), "quarterly!");
    std::vector<VerifyProgress> progress;
    const VerifyReport r = VerifyDisc(a.listing, Path("a"), lookup, nullptr,
                                      [&](const VerifyProgress& p) { progress.push_back(p); });
    std::map<std::string, VerifyStatus> found;
    for (const VerifyFinding& f : r.findings) found[f.path] = f.status;
    EXPECT_EQ(found, (std::map<std::string, VerifyStatus>{{"docs/deep/x.bin", VerifyStatus::ContentChanged},
                                                          {"song.mp3", VerifyStatus::Missing},
                                                          {"docs/added.txt", VerifyStatus::New},
                                                          {"docs/report.txt", VerifyStatus::Changed}}));
    EXPECT_FALSE(r.Partial());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().filesDone, progress.back().filesTotal);

    // Without hashes the tampered file reads as it should.
    const VerifyReport blind = VerifyDisc(a.listing, Path("a"), {});
    for (const VerifyFinding& f : blind.findings) EXPECT_NE(f.status, VerifyStatus::ContentChanged);

    // A stop ends it with a partial result.
    std::atomic<bool> stop{true};
    EXPECT_TRUE(VerifyDisc(a.listing, Path("a"), lookup, &stop).stopped);
}

TEST(ContentHashTest, Xxh3OfFilesAndTheirFailures) {
    TempDir dir;
    const std::string path = dir.File("f");
    std::string bytes;
    for (int i = 0; i < 3'000'000; ++i) bytes += static_cast<char>(i * 7);
    Write(path, bytes);
    const HashResult r = HashFileAt(AT_FDCWD, path.c_str());
    ASSERT_EQ(r.outcome, HashOutcome::Done);
    const XXH128_hash_t h = XXH3_128bits(bytes.data(), bytes.size());
    EXPECT_EQ(r.hash, (ContentHash{h.high64, h.low64}));
    EXPECT_EQ(r.bytes, 3'000'000);
    EXPECT_EQ(ContentHash::FromHex(r.hash.Hex()), r.hash);
    // xxhsum -H2 of the empty input
    EXPECT_EQ(HashBytes("").Hex(), "99aa06d3014798d86001c324468d497f");

    // Sizes about the pieces a file is read in, one after the other on one thread and on two
    // threads at once: each hash is its own file's.
    std::vector<std::pair<std::string, XXH128_hash_t>> files;
    for (const size_t size : {0, 1, 4095, 65536, 262143, 262144, 262145, 524288, 1048577}) {
        std::string content(size, '\0');
        for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 131 + size) >> 3);
        files.emplace_back(dir.File("s" + std::to_string(size)), XXH3_128bits(content.data(), content.size()));
        Write(files.back().first, content);
    }
    auto hashAll = [&](std::vector<HashResult>& results) {
        for (const auto& file : files) results.push_back(HashFileAt(AT_FDCWD, file.first.c_str()));
    };
    std::vector<HashResult> first, second;
    std::thread other([&] { hashAll(second); });
    hashAll(first);
    other.join();
    for (const std::vector<HashResult>* results : {&first, &second}) {
        ASSERT_EQ(results->size(), files.size());
        for (size_t i = 0; i < files.size(); ++i) {
            EXPECT_EQ((*results)[i].hash, (ContentHash{files[i].second.high64, files[i].second.low64})) << files[i].first;
        }
    }

    EXPECT_EQ(HashFileAt(AT_FDCWD, dir.File("gone").c_str()).outcome, HashOutcome::Vanished);
    ASSERT_EQ(::symlink(path.c_str(), dir.File("link").c_str()), 0);
    EXPECT_EQ(HashFileAt(AT_FDCWD, dir.File("link").c_str()).outcome, HashOutcome::Vanished);
    // A file that gives more bytes than its size said (the kernel's own files say 0) stands for
    // no version of it: reported as changed, never as a hash.
    EXPECT_EQ(HashFileAt(AT_FDCWD, "/proc/self/status").outcome, HashOutcome::Changed);
    // The kernel answers a read of unmapped memory with EIO: a medium that fails.
    const HashResult eio = HashFileAt(AT_FDCWD, "/proc/self/mem");
    EXPECT_EQ(eio.outcome, HashOutcome::IoError);
    EXPECT_EQ(eio.error, EIO);
}

TEST(ListWriterTest, CsvQuotesWhatItMustAndJsonIsTyped) {
    std::string csv, json;
    {
        ListWriter c(ListFormat::Csv, {"name", "size", "date"}, [&](std::string_view t) { csv += t; });
        ListWriter j(ListFormat::Json, {"name", "size", "date"}, [&](std::string_view t) { json += t; });
        for (ListWriter* w : {&c, &j}) {
            w->Text("a,b \"c\"\nd");
            w->Int(5);
            w->Date(0);
            w->EndRow();
            w->CatalogueText("plain");
            w->Int(-1);
            w->Empty();
            w->EndRow();
        }
    }
    EXPECT_EQ(csv, "name,size,date\r\n\"a,b \"\"c\"\"\nd\",5,\r\nplain,-1,\r\n");
    EXPECT_EQ(json, "[\n{\"name\":\"a,b \\\"c\\\"\\nd\",\"size\":5,\"date\":null},\n"
                    "{\"name\":\"plain\",\"size\":-1,\"date\":null}\n]\n");
    std::string empty;
    { ListWriter e(ListFormat::Json, {"x"}, [&](std::string_view t) { empty += t; }); }
    EXPECT_EQ(empty, "[]\n");
}

}  // namespace
