#include "CatalogueListing.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "CatalogueDetails.h"
#include "DetailsDatabase.h"

#include "classData.h"

namespace karvio {

ListedCd ReadListedCd(classData& data, int32_t cdId) {
    ListedCd cd;
    cd.cdId = cdId;
    {
        classCd& record = data.GetCdGoto(cdId);
        cd.name = record.GetCdName();
        cd.category = record.GetCdCategory();
        cd.basePath = record.GetCdBasepath();
    }
    if (cd.category > 0 && data.IsListedCategory(cd.category)) cd.categoryName = data.GetCatGoto(cd.category).GetCatName();
    ReadCdListing(data, cdId, cd.listing);
    return cd;
}

std::vector<ListedCd> ReadCatalogueListing(classData& data, const std::vector<int32_t>& only) {
    std::vector<int32_t> ids;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
        const int32_t id = cd->GetCdId();
        if (only.empty() || std::find(only.begin(), only.end(), id) != only.end()) ids.push_back(id);
    }
    std::vector<ListedCd> cds;
    cds.reserve(ids.size());
    for (int32_t id : ids) cds.push_back(ReadListedCd(data, id));
    return cds;
}

HashLookup RecordedHashes(classData& data, const std::vector<const ListedCd*>& cds, size_t* count,
                          std::string* note) {
    if (count) *count = 0;
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data, note);
    if (!db) return {};
    auto hashes = std::make_shared<std::unordered_map<int32_t, ContentHash>>();
    std::vector<FileDetails> rows;
    for (const ListedCd* cd : cds) {
        if (!RecordedCdDetails(*db, data, cd->cdId)) continue;
        rows.clear();
        db->ForEachHash(cd->cdId, [&](const FileDetails& row) {
            rows.push_back(row);
            return true;
        });
        if (rows.empty()) continue;
        // Rows come in id order; each file of the listing finds its own by a binary search.
        for (const ListingEntry& e : cd->listing.Entries()) {
            if (e.directory) continue;
            const auto it = std::lower_bound(rows.begin(), rows.end(), e.id,
                                             [](const FileDetails& row, int32_t id) { return row.fileId < id; });
            if (it == rows.end() || it->fileId != e.id) continue;
            if (!it->Fits(cd->listing.Name(e), static_cast<double>(e.size), e.date)) continue;
            hashes->emplace(e.id, *it->hash);
        }
    }
    if (count) *count = hashes->size();
    if (hashes->empty()) return {};
    return [hashes](int32_t fileId) -> std::optional<ContentHash> {
        const auto it = hashes->find(fileId);
        if (it == hashes->end()) return std::nullopt;
        return it->second;
    };
}

}  // namespace karvio
