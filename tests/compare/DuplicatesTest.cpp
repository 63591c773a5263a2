// Duplicates and single copies over many files held in memory, against what a plain map of the
// same keys finds: names and sizes that repeat within and across discs, keys whose digests meet
// without being equal, files without a recorded hash, every order of the groups.
#include <gtest/gtest.h>
#include <xxhash.h>

#include <map>
#include <random>
#include <set>
#include <unordered_map>

#include "Duplicates.h"

using namespace karvio;

namespace {

using Key = std::pair<std::string, int64_t>;

// `discs` discs of `files` files each below one folder, named from a pool small enough that many
// names and sizes repeat.
std::vector<ListedCd> MakeDiscs(int discs, int files, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<ListedCd> cds(static_cast<size_t>(discs));
    int32_t id = 0;
    for (int c = 0; c < discs; ++c) {
        ListedCd& cd = cds[static_cast<size_t>(c)];
        cd.cdId = c + 1;
        ListingEntry folder;
        folder.id = ++id;
        folder.directory = true;
        cd.listing.Add(folder, "folder");
        for (int i = 0; i < files; ++i) {
            ListingEntry e;
            e.id = ++id;
            e.parent = 0;
            e.size = static_cast<int64_t>(rng() % 40);
            cd.listing.Add(e, "n" + std::to_string(rng() % 2500) + (rng() % 9 == 0 ? " \xE9" : ""));
        }
    }
    return cds;
}

// Two names that the grouping's 32-bit digest of name and size (`size` here) cannot tell apart,
// found by trying names until two meet.
std::pair<std::string, std::string> NamesWhoseDigestsMeet(int64_t size) {
    std::unordered_map<uint32_t, std::string> seen;
    for (int i = 0;; ++i) {
        std::string name = "meet" + std::to_string(i);
        const uint32_t digest =
            static_cast<uint32_t>(XXH3_64bits_withSeed(name.data(), name.size(), static_cast<uint64_t>(size)) >> 32);
        const auto [it, added] = seen.emplace(digest, name);
        if (!added) return {it->second, name};
    }
}

void AddFile(ListedCd& cd, int32_t id, const std::string& name, int64_t size) {
    ListingEntry e;
    e.id = id;
    e.parent = 0;
    e.size = size;
    cd.listing.Add(e, name);
}

// Every file's key, with the files holding it in catalogue order.
std::map<Key, std::vector<FileRef>> PlainGrouping(const std::vector<ListedCd>& cds, int64_t minSize) {
    std::map<Key, std::vector<FileRef>> byKey;
    for (uint32_t c = 0; c < cds.size(); ++c) {
        for (uint32_t i = 0; i < cds[c].listing.size(); ++i) {
            const ListingEntry& e = cds[c].listing[i];
            if (!e.directory && e.size >= minSize) byKey[{std::string(cds[c].listing.Name(i)), e.size}].push_back({c, i});
        }
    }
    return byKey;
}

std::set<std::vector<std::pair<uint32_t, uint32_t>>> Copies(const std::vector<DuplicateGroup>& groups) {
    std::set<std::vector<std::pair<uint32_t, uint32_t>>> all;
    for (const DuplicateGroup& g : groups) {
        std::vector<std::pair<uint32_t, uint32_t>> copies;
        for (const FileRef& r : g.copies) copies.emplace_back(r.cd, r.entry);
        all.insert(copies);
    }
    return all;
}

TEST(DuplicatesTest, ManyFilesGroupAsAPlainMapDoes) {
    std::vector<ListedCd> cds = MakeDiscs(5, 4000, 11);
    // Different files whose digests meet, each with a true copy on another disc.
    const auto [one, other] = NamesWhoseDigestsMeet(7);
    int32_t id = 1'000'000;
    for (int c = 0; c < 2; ++c) {
        AddFile(cds[static_cast<size_t>(c)], ++id, one, 7);
        AddFile(cds[static_cast<size_t>(c + 2)], ++id, other, 7);
    }
    for (const int64_t minSize : {int64_t{0}, int64_t{25}}) {
        const std::map<Key, std::vector<FileRef>> byKey = PlainGrouping(cds, minSize);
        std::set<std::vector<std::pair<uint32_t, uint32_t>>> expected;
        std::vector<FileRef> expectedSingles;
        for (const auto& [key, refs] : byKey) {
            std::vector<std::pair<uint32_t, uint32_t>> copies;
            for (const FileRef& r : refs) copies.emplace_back(r.cd, r.entry);
            if (refs.size() > 1) expected.insert(copies);
            const bool oneDisc =
                std::all_of(refs.begin(), refs.end(), [&](const FileRef& r) { return r.cd == refs[0].cd; });
            if (oneDisc) expectedSingles.insert(expectedSingles.end(), refs.begin(), refs.end());
        }
        std::sort(expectedSingles.begin(), expectedSingles.end(),
                  [](const FileRef& a, const FileRef& b) { return std::pair(a.cd, a.entry) < std::pair(b.cd, b.entry); });
        ASSERT_GT(expected.size(), 100u);

        for (const DuplicateOrder order :
             {DuplicateOrder::Spare, DuplicateOrder::Size, DuplicateOrder::Copies, DuplicateOrder::Name}) {
            const std::vector<DuplicateGroup> groups = FindDuplicates(cds, DuplicateKey::NameAndSize, minSize, order);
            EXPECT_EQ(Copies(groups), expected);
            for (size_t g = 1; g < groups.size(); ++g) {
                const DuplicateGroup& a = groups[g - 1];
                const DuplicateGroup& b = groups[g];
                auto name = [&](const DuplicateGroup& d) { return cds[d.copies[0].cd].listing.Name(d.copies[0].entry); };
                const bool inOrder = order == DuplicateOrder::Spare  ? a.Spare() >= b.Spare()
                                     : order == DuplicateOrder::Size ? a.size >= b.size
                                     : order == DuplicateOrder::Copies ? a.copies.size() >= b.copies.size()
                                                                       : name(a) <= name(b);
                EXPECT_TRUE(inOrder) << "group " << g;
            }
        }
        EXPECT_EQ(FindSingleCopies(cds, DuplicateKey::NameAndSize, minSize), expectedSingles);
        std::vector<FileRef> onThird;
        for (const FileRef& r : expectedSingles) {
            if (r.cd == 3) onThird.push_back(r);
        }
        EXPECT_EQ(FindSingleCopies(cds, DuplicateKey::NameAndSize, minSize, {3}), onThird);
    }
}

TEST(DuplicatesTest, ByContentHashesThatShareHalfAreNotTheSame) {
    std::vector<ListedCd> cds = MakeDiscs(3, 3000, 12);
    // A hash from each file's size and the last byte of its name: many copies by content under
    // other names. Every seventh file has none; files whose ids end in 6 get another high half,
    // so that they look like the rest in all the grouping digests and are not the same.
    std::map<int32_t, ContentHash> hashes;
    std::map<std::pair<ContentHash, int64_t>, std::vector<FileRef>> byHash;
    for (uint32_t c = 0; c < cds.size(); ++c) {
        for (uint32_t i = 0; i < cds[c].listing.size(); ++i) {
            const ListingEntry& e = cds[c].listing[i];
            if (e.directory || e.id % 7 == 0) continue;
            const std::string_view name = cds[c].listing.Name(i);
            const auto digit = static_cast<uint64_t>(name.back());
            ContentHash h{digit * 1000 + static_cast<uint64_t>(e.size), digit};
            if (e.id % 10 == 6) h.high += 1'000'000;
            hashes[e.id] = h;
            byHash[{h, e.size}].push_back({c, i});
        }
    }
    const HashLookup lookup = [&](int32_t id) -> std::optional<ContentHash> {
        const auto it = hashes.find(id);
        return it == hashes.end() ? std::nullopt : std::optional(it->second);
    };
    std::set<std::vector<std::pair<uint32_t, uint32_t>>> expected;
    size_t singles = 0;
    for (const auto& [key, refs] : byHash) {
        std::vector<std::pair<uint32_t, uint32_t>> copies;
        for (const FileRef& r : refs) copies.emplace_back(r.cd, r.entry);
        if (refs.size() > 1) expected.insert(copies);
        if (std::all_of(refs.begin(), refs.end(), [&](const FileRef& r) { return r.cd == refs[0].cd; }))
            singles += refs.size();
    }
    const std::vector<DuplicateGroup> groups = FindDuplicates(cds, DuplicateKey::Hash, 0, DuplicateOrder::Spare, lookup);
    EXPECT_EQ(Copies(groups), expected);
    for (const DuplicateGroup& g : groups) {
        ASSERT_TRUE(g.hash);
        for (const FileRef& r : g.copies) EXPECT_EQ(hashes[cds[r.cd].listing[r.entry].id], *g.hash);
    }
    // Files without a hash have no known copy.
    size_t unhashed = 0;
    for (const ListedCd& cd : cds) {
        for (const ListingEntry& e : cd.listing.Entries()) unhashed += !e.directory && e.id % 7 == 0;
    }
    EXPECT_EQ(FindSingleCopies(cds, DuplicateKey::Hash, 0, {}, lookup).size(), singles + unhashed);
}

}  // namespace
