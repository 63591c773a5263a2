#include "explorer/ExplorerPlace.h"

#include <unordered_map>

#include "classData.h"
#include "controls/ItemIcons.h"

namespace karvio {

namespace {

bool IsContainerKind(int kind) {
    return kind == kIconCd || kind == kIconFolder;
}

}  // namespace

TreePlace PlaceOf(const CategoryTreeModel& model, NodeHandle node) {
    TreePlace place;
    if (!model.IsLive(node)) return place;
    place.kind = model.Kind(node);
    NodeHandle up = node;
    if (place.kind == kIconDirectory) {
        std::vector<std::string> reversed;
        while (model.Kind(up) == kIconDirectory) {
            reversed.emplace_back(model.CaptionBytes(up));
            up = model.Parent(up);
        }
        place.path.assign(reversed.rbegin(), reversed.rend());
    }
    if (IsContainerKind(model.Kind(up)) || place.kind >= kIconCategory) place.id = model.Tag(up);
    for (up = model.Parent(up); up != kNoNode; up = model.Parent(up)) {
        if (model.Kind(up) >= kIconCategory) place.categories.push_back(model.Tag(up));
    }
    return place;
}

NodeHandle FindPlace(const CategoryTreeModel& model, const TreePlace& place, bool nearest) {
    if (place.kind == 0) return nearest ? kRootNode : kNoNode;
    if (place.kind == kIconRoot) return kRootNode;
    const bool inCd = IsContainerKind(place.kind) || place.kind == kIconDirectory;
    NodeHandle node = inCd ? model.CdNode(place.id) : model.CategoryNode(place.id);
    if (node != kNoNode && place.kind == kIconDirectory) {
        for (const std::string& name : place.path) {
            NodeHandle next = kNoNode;
            for (NodeHandle child : model.Children(node)) {
                if (model.CaptionBytes(child) == name) {
                    next = child;
                    break;
                }
            }
            if (next == kNoNode) return nearest ? node : kNoNode;
            node = next;
        }
    }
    if (node != kNoNode) return node;
    if (!nearest) return kNoNode;
    for (int32_t category : place.categories) {
        const NodeHandle up = model.CategoryNode(category);
        if (up != kNoNode) return up;
    }
    return kRootNode;
}

NodeHandle UnreadCdOf(const CategoryTreeModel& model, const TreePlace& place) {
    if (place.kind != kIconDirectory) return kNoNode;
    const NodeHandle cd = model.CdNode(place.id);
    return cd != kNoNode && !model.DirectoriesLoaded(cd) ? cd : kNoNode;
}

void RenumberPlace(TreePlace& place, const CatalogueRenumbering& ids, bool replaced) {
    auto take = [replaced](const std::unordered_map<int32_t, int32_t>& map, int32_t& id) {
        if (auto it = map.find(id); it != map.end()) {
            id = it->second;
        } else if (replaced) {
            id = 0;
        }
    };
    const bool inCd = IsContainerKind(place.kind) || place.kind == kIconDirectory;
    take(inCd ? ids.cds : ids.categories, place.id);
    for (int32_t& category : place.categories) take(ids.categories, category);
}

CatalogueRenumbering RenumberingByNames(const CategoryTreeModel& model) {
    // name -> id, or 0 where the name is not unique; and id -> name as the catalogue has it now.
    using ByName = std::unordered_map<std::string, int32_t>;
    using ById = std::unordered_map<int32_t, std::string>;
    auto add = [](ByName& names, std::string name, int32_t id) {
        auto [it, fresh] = names.emplace(std::move(name), id);
        if (!fresh) it->second = 0;
    };
    ByName newCds, newCats;
    ById cdsNow, catsNow;
    {
        classData data;
        if (data.GetError() != kErrorNone) return {};
        for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
            add(newCds, cd->GetCdName(), cd->GetCdId());
            cdsNow.emplace(cd->GetCdId(), cd->GetCdName());
        }
        for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext()) {
            add(newCats, cat->GetCatName(), cat->GetCatId());
            catsNow.emplace(cat->GetCatId(), cat->GetCatName());
        }
    }
    // An id that still names a record of the same name keeps it (the same file, changed in
    // place); any other goes to the record that alone has its name now.
    auto match = [](const std::vector<int32_t>& ids, auto nameOf, const ById& now,
                    const ByName& byName, std::unordered_map<int32_t, int32_t>& out) {
        ByName before;
        for (int32_t id : ids) {
            auto [it, fresh] = before.emplace(nameOf(id), id);
            if (!fresh) it->second = 0;
        }
        for (int32_t id : ids) {
            const std::string name = nameOf(id);
            if (auto same = now.find(id); same != now.end() && same->second == name) {
                out.emplace(id, id);
                continue;
            }
            auto it = byName.find(name);
            if (before[name] != 0 && it != byName.end() && it->second != 0)
                out.emplace(id, it->second);
        }
    };
    CatalogueRenumbering ids;
    match(
        model.CdIds(),
        [&](int32_t id) { return std::string(model.CaptionBytes(model.CdNode(id))); }, cdsNow,
        newCds, ids.cds);
    match(
        model.CategoryIds(),
        [&](int32_t id) { return std::string(model.CaptionBytes(model.CategoryNode(id))); },
        catsNow, newCats, ids.categories);
    return ids;
}

}  // namespace karvio
