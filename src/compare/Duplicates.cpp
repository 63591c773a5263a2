#include "Duplicates.h"

#include <algorithm>
#include <numeric>

namespace karvio {

size_t DuplicateGroup::Discs() const {
    std::vector<uint32_t> discs;
    for (const FileRef& r : copies) discs.push_back(r.cd);
    std::sort(discs.begin(), discs.end());
    return static_cast<size_t>(std::unique(discs.begin(), discs.end()) - discs.begin());
}

namespace {

// A file with what makes it the same as another.
struct Keyed {
    FileRef ref;
    int64_t size;
    ContentHash hash;  // by content only
};

// Every file of at least `minSize` bytes with its key, sorted so that equal keys stand together
// (size first: most files differ in size, and sizes compare cheaply); catalogue order within.
std::vector<Keyed> KeyedFiles(const std::vector<ListedCd>& cds, DuplicateKey key, int64_t minSize,
                              const HashLookup& hashes) {
    std::vector<Keyed> files;
    for (uint32_t c = 0; c < cds.size(); ++c) {
        const std::vector<ListingEntry>& entries = cds[c].listing.Entries();
        for (uint32_t i = 0; i < entries.size(); ++i) {
            const ListingEntry& e = entries[i];
            if (e.directory || e.size < minSize) continue;
            Keyed k{{c, i}, e.size, {}};
            if (key == DuplicateKey::Hash) {
                const std::optional<ContentHash> hash = hashes ? hashes(e.id) : std::nullopt;
                if (!hash) continue;
                k.hash = *hash;
            }
            files.push_back(k);
        }
    }
    auto name = [&](const FileRef& r) { return cds[r.cd].listing.Name(r.entry); };
    std::sort(files.begin(), files.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.size != b.size) return a.size < b.size;
        if (key == DuplicateKey::Hash) {
            if (!(a.hash == b.hash)) return a.hash < b.hash;
        } else if (const int c = name(a.ref).compare(name(b.ref)); c != 0) {
            return c < 0;
        }
        return a.ref.cd != b.ref.cd ? a.ref.cd < b.ref.cd : a.ref.entry < b.ref.entry;
    });
    return files;
}

// Calls `run(first, last)` for every run of files with equal keys.
template <typename Run>
void ForEachRun(const std::vector<ListedCd>& cds, DuplicateKey key, const std::vector<Keyed>& files, Run run) {
    auto same = [&](const Keyed& a, const Keyed& b) {
        if (a.size != b.size) return false;
        if (key == DuplicateKey::Hash) return a.hash == b.hash;
        return cds[a.ref.cd].listing.Name(a.ref.entry) == cds[b.ref.cd].listing.Name(b.ref.entry);
    };
    for (size_t first = 0; first < files.size();) {
        size_t last = first + 1;
        while (last < files.size() && same(files[first], files[last])) ++last;
        run(first, last);
        first = last;
    }
}

}  // namespace

std::vector<DuplicateGroup> FindDuplicates(const std::vector<ListedCd>& cds, DuplicateKey key, int64_t minSize,
                                           DuplicateOrder order, const HashLookup& hashes) {
    const std::vector<Keyed> files = KeyedFiles(cds, key, minSize, hashes);
    std::vector<DuplicateGroup> groups;
    ForEachRun(cds, key, files, [&](size_t first, size_t last) {
        if (last - first < 2) return;
        DuplicateGroup group;
        group.size = files[first].size;
        if (key == DuplicateKey::Hash) group.hash = files[first].hash;
        for (size_t i = first; i < last; ++i) group.copies.push_back(files[i].ref);
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
    ForEachRun(cds, key, files, [&](size_t first, size_t last) {
        const uint32_t disc = files[first].ref.cd;
        const bool oneDisc =
            std::all_of(files.begin() + first, files.begin() + last, [&](const Keyed& k) { return k.ref.cd == disc; });
        if (!oneDisc) return;
        for (size_t i = first; i < last; ++i) keep(files[i].ref);
    });
    std::sort(singles.begin(), singles.end(),
              [](const FileRef& a, const FileRef& b) { return a.cd != b.cd ? a.cd < b.cd : a.entry < b.entry; });
    return singles;
}

}  // namespace karvio
