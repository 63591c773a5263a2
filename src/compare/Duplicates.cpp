#include "Duplicates.h"

#include <algorithm>
#include <numeric>

#include <xxhash.h>

namespace karvio {

size_t DuplicateGroup::Discs() const {
    std::vector<uint32_t> discs;
    for (const FileRef& r : copies) discs.push_back(r.cd);
    std::sort(discs.begin(), discs.end());
    return static_cast<size_t>(std::unique(discs.begin(), discs.end()) - discs.begin());
}

namespace {

// A file with what makes it the same as another, and a 64-bit digest of that: files are put in
// order by the digest alone (integers compare fast; names are compared only where digests meet).
struct Keyed {
    uint64_t digest;
    FileRef ref;
    int64_t size;
    ContentHash hash;  // by content only
};

// Every file of at least `minSize` bytes with its key, sorted by digest, catalogue order within.
std::vector<Keyed> KeyedFiles(const std::vector<ListedCd>& cds, DuplicateKey key, int64_t minSize,
                              const HashLookup& hashes) {
    size_t count = 0;
    for (const ListedCd& cd : cds) count += cd.listing.size();
    std::vector<Keyed> files;
    files.reserve(count);
    for (uint32_t c = 0; c < cds.size(); ++c) {
        const FileListing& listing = cds[c].listing;
        const std::vector<ListingEntry>& entries = listing.Entries();
        for (uint32_t i = 0; i < entries.size(); ++i) {
            const ListingEntry& e = entries[i];
            if (e.directory || e.size < minSize) continue;
            Keyed k{0, {c, i}, e.size, {}};
            if (key == DuplicateKey::Hash) {
                const std::optional<ContentHash> hash = hashes ? hashes(e.id) : std::nullopt;
                if (!hash) continue;
                k.hash = *hash;
                k.digest = hash->low ^ (static_cast<uint64_t>(e.size) * 0x9E3779B97F4A7C15ull);
            } else {
                const std::string_view name = listing.Name(e);
                k.digest = XXH3_64bits_withSeed(name.data(), name.size(), static_cast<uint64_t>(e.size));
            }
            files.push_back(k);
        }
    }
    std::sort(files.begin(), files.end(), [](const Keyed& a, const Keyed& b) {
        if (a.digest != b.digest) return a.digest < b.digest;
        return a.ref.cd != b.ref.cd ? a.ref.cd < b.ref.cd : a.ref.entry < b.ref.entry;
    });
    return files;
}

// Calls `run(members)` for every set of files with equal keys, single files included, members in
// catalogue order.
template <typename Run>
void ForEachRun(const std::vector<ListedCd>& cds, DuplicateKey key, const std::vector<Keyed>& files, Run run) {
    auto same = [&](const Keyed& a, const Keyed& b) {
        if (a.size != b.size) return false;
        if (key == DuplicateKey::Hash) return a.hash == b.hash;
        return cds[a.ref.cd].listing.Name(a.ref.entry) == cds[b.ref.cd].listing.Name(b.ref.entry);
    };
    std::vector<const Keyed*> members;
    std::vector<bool> taken;
    for (size_t first = 0; first < files.size();) {
        size_t last = first + 1;
        while (last < files.size() && files[last].digest == files[first].digest) ++last;
        if (last - first == 1) {
            members.assign(1, &files[first]);
            run(members);
            first = last;
            continue;
        }
        // Equal digests almost always mean equal keys; the rare collision is told apart here.
        taken.assign(last - first, false);
        for (size_t i = first; i < last; ++i) {
            if (taken[i - first]) continue;
            members.assign(1, &files[i]);
            for (size_t j = i + 1; j < last; ++j) {
                if (!taken[j - first] && same(files[i], files[j])) {
                    taken[j - first] = true;
                    members.push_back(&files[j]);
                }
            }
            run(members);
        }
        first = last;
    }
}

}  // namespace

std::vector<DuplicateGroup> FindDuplicates(const std::vector<ListedCd>& cds, DuplicateKey key, int64_t minSize,
                                           DuplicateOrder order, const HashLookup& hashes) {
    const std::vector<Keyed> files = KeyedFiles(cds, key, minSize, hashes);
    std::vector<DuplicateGroup> groups;
    ForEachRun(cds, key, files, [&](const std::vector<const Keyed*>& members) {
        if (members.size() < 2) return;
        DuplicateGroup group;
        group.size = members[0]->size;
        if (key == DuplicateKey::Hash) group.hash = members[0]->hash;
        for (const Keyed* k : members) group.copies.push_back(k->ref);
        groups.push_back(std::move(group));
    });
    auto name = [&](const DuplicateGroup& g) { return cds[g.copies[0].cd].listing.Name(g.copies[0].entry); };
    auto firstRef = [](const DuplicateGroup& g) { return std::pair(g.copies[0].cd, g.copies[0].entry); };
    std::stable_sort(groups.begin(), groups.end(), [&](const DuplicateGroup& a, const DuplicateGroup& b) {
        switch (order) {
            case DuplicateOrder::Spare:
                if (a.Spare() != b.Spare()) return a.Spare() > b.Spare();
                break;
            case DuplicateOrder::Size:
                if (a.size != b.size) return a.size > b.size;
                break;
            case DuplicateOrder::Copies:
                if (a.copies.size() != b.copies.size()) return a.copies.size() > b.copies.size();
                break;
            case DuplicateOrder::Name:
                if (const int c = name(a).compare(name(b)); c != 0) return c < 0;
                break;
        }
        return firstRef(a) < firstRef(b);
    });
    return groups;
}

std::vector<FileRef> FindSingleCopies(const std::vector<ListedCd>& cds, DuplicateKey key, int64_t minSize,
                                      const std::vector<uint32_t>& among, const HashLookup& hashes) {
    std::vector<bool> wanted(cds.size(), among.empty());
    for (uint32_t c : among) {
        if (c < wanted.size()) wanted[c] = true;
    }
    std::vector<FileRef> singles;
    auto keep = [&](const FileRef& r) {
        if (wanted[r.cd]) singles.push_back(r);
    };
    if (key == DuplicateKey::Hash) {
        // A file without a hash has no known copy: every one of them is single.
        for (uint32_t c = 0; c < cds.size(); ++c) {
            const std::vector<ListingEntry>& entries = cds[c].listing.Entries();
            for (uint32_t i = 0; i < entries.size(); ++i) {
                const ListingEntry& e = entries[i];
                if (!e.directory && e.size >= minSize && !(hashes && hashes(e.id))) keep({c, i});
            }
        }
    }
    const std::vector<Keyed> files = KeyedFiles(cds, key, minSize, hashes);
    ForEachRun(cds, key, files, [&](const std::vector<const Keyed*>& members) {
        const uint32_t disc = members[0]->ref.cd;
        if (!std::all_of(members.begin(), members.end(), [&](const Keyed* k) { return k->ref.cd == disc; })) return;
        for (const Keyed* k : members) keep(k->ref);
    });
    std::sort(singles.begin(), singles.end(),
              [](const FileRef& a, const FileRef& b) { return a.cd != b.cd ? a.cd < b.cd : a.entry < b.entry; });
    return singles;
}

}  // namespace karvio
