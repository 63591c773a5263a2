#include "TreeComparison.h"

#include <algorithm>
#include <cmath>

namespace karvio {

namespace {

// Path order: byte order with the separator first, so that a directory stays next to its
// contents ("a/b" before "a b" and "a-b").
bool PathBefore(const std::string& x, const std::string& y) {
        const size_t n = std::min(x.size(), y.size());
        for (size_t i = 0; i < n; ++i) {
            if (x[i] == y[i]) continue;
            const unsigned char cx = x[i] == '/' ? 0 : static_cast<unsigned char>(x[i]);
            const unsigned char cy = y[i] == '/' ? 0 : static_cast<unsigned char>(y[i]);
            return cx < cy;
        }
        return x.size() < y.size();
}

// Every entry's path with its index, in path order.
std::vector<std::pair<std::string, int32_t>> Paths(const FileListing& listing) {
    std::vector<std::pair<std::string, int32_t>> paths;
    paths.reserve(listing.size());
    // Parents come before their children, so each path is its parent's plus its name.
    std::vector<size_t> pathOf(listing.size());
    for (size_t i = 0; i < listing.size(); ++i) {
        const ListingEntry& e = listing[i];
        std::string path;
        if (e.parent >= 0) {
            path = paths[pathOf[static_cast<size_t>(e.parent)]].first;
            path += '/';
        }
        path += listing.Name(e);
        pathOf[i] = paths.size();
        paths.emplace_back(std::move(path), static_cast<int32_t>(i));
    }
    std::sort(paths.begin(), paths.end(), [](const auto& a, const auto& b) { return PathBefore(a.first, b.first); });
    return paths;
}

bool SameDate(double a, double b) { return std::fabs(a - b) * 86400.0 < 1.0; }

}  // namespace

TreeComparison CompareListings(const FileListing& first, const FileListing& second, const HashLookup& firstHashes,
                               const HashLookup& secondHashes) {
    const auto a = Paths(first);
    const auto b = Paths(second);
    TreeComparison result;
    result.entries.reserve(std::max(a.size(), b.size()));
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        ComparedEntry entry;
        if (j == b.size() || (i < a.size() && PathBefore(a[i].first, b[j].first))) {
            entry.difference = Difference::OnlyFirst;
            entry.path = a[i].first;
            entry.first = a[i++].second;
            entry.directory = first[static_cast<size_t>(entry.first)].directory;
            ++result.onlyFirst;
        } else if (i == a.size() || PathBefore(b[j].first, a[i].first)) {
            entry.difference = Difference::OnlySecond;
            entry.path = b[j].first;
            entry.second = b[j++].second;
            entry.directory = second[static_cast<size_t>(entry.second)].directory;
            ++result.onlySecond;
        } else {
            entry.path = a[i].first;
            entry.first = a[i++].second;
            entry.second = b[j++].second;
            const ListingEntry& x = first[static_cast<size_t>(entry.first)];
            const ListingEntry& y = second[static_cast<size_t>(entry.second)];
            entry.directory = x.directory;
            if (x.directory != y.directory) {
                entry.changes = kChangedKind;
            } else if (!x.directory) {
                if (x.size != y.size) entry.changes |= kChangedSize;
                if (!SameDate(x.date, y.date)) entry.changes |= kChangedDate;
                if (firstHashes && secondHashes) {
                    const auto hx = firstHashes(x.id);
                    const auto hy = hx ? secondHashes(y.id) : std::nullopt;
                    if (hx && hy && !(*hx == *hy)) entry.changes |= kChangedHash;
                }
            }
            entry.difference = entry.changes != 0 ? Difference::Changed : Difference::Same;
            ++(entry.changes != 0 ? result.changed : result.same);
        }
        result.entries.push_back(std::move(entry));
    }
    return result;
}

const char* DifferenceName(Difference difference) {
    switch (difference) {
        case Difference::OnlyFirst: return "only_first";
        case Difference::OnlySecond: return "only_second";
        case Difference::Changed: return "changed";
        case Difference::Same: break;
    }
    return "same";
}

std::string ChangeNames(uint32_t changes) {
    std::string names;
    for (const auto& [bit, name] : {std::pair{kChangedKind, "kind"}, std::pair{kChangedSize, "size"},
                                    std::pair{kChangedDate, "date"}, std::pair{kChangedHash, "hash"}}) {
        if ((changes & bit) == 0) continue;
        if (!names.empty()) names += ',';
        names += name;
    }
    return names;
}

}  // namespace karvio
