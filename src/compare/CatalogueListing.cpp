#include "CatalogueListing.h"

#include <algorithm>

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

}  // namespace karvio
