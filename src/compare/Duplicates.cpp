#include "Duplicates.h"

#include <algorithm>
#include <bit>
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

// What makes two files the same, and the files of the listings put in order by a digest of it.
//
// A file is keyed by one 64-bit integer: a 32-bit digest of its key (size and name, or size and
// content hash) above its place in one numbering of every entry of every listing. Sorting these
// integers puts equal digests together in catalogue order; keys are compared only where digests
// meet, which but for the rare collision (a few hundred pairs in a million files) means between
// true copies. Eight bytes a file keeps what a million files make fresh in memory small, which
// costs more than the sorting itself.
class Keys {
public:
    Keys(const std::vector<ListedCd>& cds, DuplicateKey key, const HashLookup& hashes)
        : cds_(cds), key_(key), hashes_(hashes) {
        starts_.reserve(cds.size() + 1);
        uint64_t entries = 0;
        for (const ListedCd& cd : cds) {
            starts_.push_back(static_cast<uint32_t>(entries));
            entries += cd.listing.size();
        }
        starts_.push_back(static_cast<uint32_t>(entries));
    }

    const ListingEntry& Entry(const FileRef& r) const { return cds_[r.cd].listing[r.entry]; }
    std::string_view Name(const FileRef& r) const { return cds_[r.cd].listing.Name(r.entry); }
    // The recorded hash of a file, when there is one.
    std::optional<ContentHash> Hash(const FileRef& r) const {
        return hashes_ ? hashes_(Entry(r).id) : std::nullopt;
    }
    bool Same(const FileRef& a, const FileRef& b) const {
        if (Entry(a).size != Entry(b).size) return false;
        if (key_ == DuplicateKey::Hash) return Hash(a) == Hash(b);
        return Name(a) == Name(b);
    }

    // Every file of at least `minSize` bytes that has a key, as (digest << 32 | place), sorted.
    // The files are dealt out to buckets by the digest's top bits (a dozen a bucket; digests are
    // spread evenly), each bucket then sorted where it lies: two passes over the listings instead
    // of a sort of the whole.
    std::vector<uint64_t> Files(int64_t minSize) const {
        // Buckets for every entry (the files of at least minSize are fewer).
        const int bits = std::clamp(static_cast<int>(std::bit_width(starts_.back() / kPerBucket)), 1, 24);
        const int shift = 64 - bits;
        std::vector<uint32_t> next((size_t{1} << bits) + 1, 0);
        ForEachKeyed(minSize, [&](uint64_t k) { ++next[(k >> shift) + 1]; });
        std::partial_sum(next.begin(), next.end(), next.begin());
        const uint32_t count = next.back();
        std::vector<uint64_t> files(count);
        ForEachKeyed(minSize, [&](uint64_t k) { files[next[k >> shift]++] = k; });
        // Now next[b] is where bucket b ends.
        uint32_t first = 0;
        for (const uint32_t end : next) {
            std::sort(files.begin() + first, files.begin() + end);
            first = end;
        }
        return files;
    }

    // Calls `run(members)` for every set of files with equal keys among `files` (from Files()),
    // single files too when `singles`, members in catalogue order.
    template <typename Run>
    void ForEachRun(const std::vector<uint64_t>& files, bool singles, Run run) const {
        std::vector<FileRef> members, met;
        std::vector<bool> taken;
        for (size_t first = 0; first < files.size();) {
            const uint64_t digest = files[first] >> 32;
            size_t last = first + 1;
            while (last < files.size() && files[last] >> 32 == digest) ++last;
            if (last - first == 1) {
                if (singles) {
                    members.assign(1, Ref(files[first]));
                    run(members);
                }
                first = last;
                continue;
            }
            // Equal digests almost always mean equal keys; a collision is told apart here.
            met.clear();
            for (size_t i = first; i < last; ++i) met.push_back(Ref(files[i]));
            taken.assign(met.size(), false);
            for (size_t i = 0; i < met.size(); ++i) {
                if (taken[i]) continue;
                members.assign(1, met[i]);
                for (size_t j = i + 1; j < met.size(); ++j) {
                    if (!taken[j] && Same(met[i], met[j])) {
                        taken[j] = true;
                        members.push_back(met[j]);
                    }
                }
                if (singles || members.size() > 1) run(members);
            }
            first = last;
        }
    }

private:
    static constexpr size_t kPerBucket = 16;

    // Calls `f(digest << 32 | place)` for every file of at least `minSize` bytes with a key, in
    // catalogue order.
    template <typename F>
    void ForEachKeyed(int64_t minSize, F f) const {
        for (size_t c = 0; c < cds_.size(); ++c) {
            const FileListing& listing = cds_[c].listing;
            const std::vector<ListingEntry>& entries = listing.Entries();
            const uint64_t start = starts_[c];
            for (size_t i = 0; i < entries.size(); ++i) {
                const ListingEntry& e = entries[i];
                if (e.directory || e.size < minSize) continue;
                const auto size = static_cast<uint64_t>(e.size);
                uint64_t digest = 0;
                if (key_ == DuplicateKey::Hash) {
                    const std::optional<ContentHash> hash = hashes_ ? hashes_(e.id) : std::nullopt;
                    if (!hash) continue;
                    digest = hash->low ^ (size * 0x9E3779B97F4A7C15ull);
                } else {
                    const std::string_view name = listing.Name(e);
                    digest = XXH3_64bits_withSeed(name.data(), name.size(), size);
                }
                f((digest & 0xFFFFFFFF00000000ull) | (start + i));
            }
        }
    }

    FileRef Ref(uint64_t keyed) const {
        const auto place = static_cast<uint32_t>(keyed);
        const auto cd = static_cast<uint32_t>(std::upper_bound(starts_.begin(), starts_.end(), place) - starts_.begin() - 1);
        return {cd, place - starts_[cd]};
    }

    const std::vector<ListedCd>& cds_;
    DuplicateKey key_;
    const HashLookup& hashes_;
    std::vector<uint32_t> starts_;  // where each listing's entries start in the one numbering
};

}  // namespace

std::vector<DuplicateGroup> FindDuplicates(const std::vector<ListedCd>& cds, DuplicateKey key, int64_t minSize,
                                           DuplicateOrder order, const HashLookup& hashes) {
    const Keys keys(cds, key, hashes);
    const std::vector<uint64_t> files = keys.Files(minSize);
    std::vector<DuplicateGroup> groups;
    keys.ForEachRun(files, false, [&](const std::vector<FileRef>& members) {
        DuplicateGroup group;
        group.size = keys.Entry(members[0]).size;
        if (key == DuplicateKey::Hash) group.hash = keys.Hash(members[0]);
        group.copies = members;
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
    const Keys keys(cds, key, hashes);
    keys.ForEachRun(keys.Files(minSize), true, [&](const std::vector<FileRef>& members) {
        const uint32_t disc = members[0].cd;
        if (!std::all_of(members.begin(), members.end(), [&](const FileRef& r) { return r.cd == disc; })) return;
        for (const FileRef& r : members) keep(r);
    });
    std::sort(singles.begin(), singles.end(),
              [](const FileRef& a, const FileRef& b) { return a.cd != b.cd ? a.cd < b.cd : a.entry < b.entry; });
    return singles;
}

}  // namespace karvio
