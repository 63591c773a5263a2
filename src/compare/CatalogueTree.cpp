#include "CatalogueTree.h"

#include <algorithm>
#include <map>

#include "CatalogueText.h"
#include "classData.h"

namespace karvio {

namespace {

// A category's or CD's name as a file name: UTF-8, no "/", never empty, "." or "..".
std::string FolderName(const std::string& bytes) {
    std::string name = DecodeCatalogueText(bytes);
    std::string out;
    for (char c : name) {
        if (c == '/') {
            out += "\xe2\x88\x95";  // U+2215 DIVISION SLASH
        } else if (c != '\0') {
            out += c;
        }
    }
    if (out.empty() || out == "." || out == "..") out = "(no name)";
    return out;
}

}  // namespace

uint32_t CatalogueTree::AddNode(TreeNode node, std::string_view name) {
    node.nameOffset = static_cast<uint32_t>(names_.size());
    node.nameLength = static_cast<uint32_t>(name.size());
    names_.append(name);
    nodes_.push_back(node);
    return static_cast<uint32_t>(nodes_.size() - 1);
}

int32_t CatalogueTree::RecordId(const TreeNode& n) const {
    if (n.cd < 0) return static_cast<int32_t>(n.size);  // a category's id, kept there until placed
    const ListedCd& cd = cds_[static_cast<size_t>(n.cd)];
    return n.entry < 0 ? cd.cdId : cd.listing[static_cast<size_t>(n.entry)].id;
}

void CatalogueTree::Place(uint32_t folder, std::vector<std::pair<TreeNode, std::string>> children) {
    auto byName = [](const auto& a, const auto& b) { return a.second < b.second; };
    std::sort(children.begin(), children.end(), byName);
    // Siblings that share a name (two CDs called "Backup") are told apart by their record id.
    for (bool renamed = true; renamed;) {
        renamed = false;
        for (size_t i = 0; i + 1 < children.size();) {
            size_t last = i;
            while (last + 1 < children.size() && children[last + 1].second == children[i].second) ++last;
            for (size_t k = i; last > i && k <= last; ++k) {
                children[k].second += " (" + std::to_string(RecordId(children[k].first)) + ")";
                renamed = true;
            }
            i = last + 1;
        }
        if (renamed) std::sort(children.begin(), children.end(), byName);
    }
    nodes_[folder].firstChild = static_cast<uint32_t>(nodes_.size());
    nodes_[folder].childCount = static_cast<uint32_t>(children.size());
    for (auto& [node, name] : children) {
        node.parent = folder;
        AddNode(node, name);
    }
}

void CatalogueTree::AddCdContents(uint32_t cdNode, uint32_t cdIndex) {
    const FileListing& listing = cds_[cdIndex].listing;
    // The children of every entry (and of the CD's folder, at the end), in listing order.
    std::vector<uint32_t> counts(listing.size() + 1, 0);
    const uint32_t top = static_cast<uint32_t>(listing.size());
    auto slot = [&](int32_t parent) { return parent < 0 ? top : static_cast<uint32_t>(parent); };
    for (const ListingEntry& e : listing.Entries()) ++counts[slot(e.parent)];
    std::vector<uint32_t> starts(counts.size() + 1, 0);
    for (size_t i = 0; i < counts.size(); ++i) starts[i + 1] = starts[i] + counts[i];
    std::vector<uint32_t> children(listing.size());
    std::vector<uint32_t> fill(starts.begin(), starts.end() - 1);
    for (uint32_t i = 0; i < listing.size(); ++i) children[fill[slot(listing[i].parent)]++] = i;

    // Breadth first: each folder's children are placed together.
    std::vector<std::pair<uint32_t, uint32_t>> queue{{cdNode, top}};  // (tree node, listing slot)
    for (size_t q = 0; q < queue.size(); ++q) {
        const auto [node, entrySlot] = queue[q];
        std::vector<std::pair<TreeNode, std::string>> kids;
        kids.reserve(counts[entrySlot]);
        for (uint32_t k = starts[entrySlot]; k < starts[entrySlot + 1]; ++k) {
            const ListingEntry& e = listing[children[k]];
            TreeNode n;
            n.directory = e.directory;
            n.size = e.directory ? 0 : e.size;
            n.date = e.date;
            n.attributes = e.attributes;
            n.cd = static_cast<int32_t>(cdIndex);
            n.entry = static_cast<int32_t>(children[k]);
            std::string name(listing.Name(e));
            if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
                name = FolderName(name);
            }
            kids.emplace_back(n, std::move(name));
        }
        Place(node, std::move(kids));
        const TreeNode& placed = nodes_[node];
        for (uint32_t c = placed.firstChild; c < placed.firstChild + placed.childCount; ++c) {
            if (nodes_[c].directory) queue.emplace_back(c, static_cast<uint32_t>(nodes_[c].entry));
        }
    }
}

CatalogueTree CatalogueTree::Empty() {
    CatalogueTree tree;
    tree.AddNode(TreeNode{}, "");
    return tree;
}

CatalogueTree CatalogueTree::Build(classData& data, int32_t onlyCd) {
    CatalogueTree tree = Empty();
    if (onlyCd != 0) {
        tree.cds_.push_back(ReadListedCd(data, onlyCd));
        tree.nodes_[kRoot].cd = 0;
        tree.nodes_[kRoot].date = data.GetCdGoto(onlyCd).GetCdLastScanned();
        tree.AddCdContents(kRoot, 0);
        return tree;
    }
    tree.cds_ = ReadCatalogueListing(data);

    struct Category {
        int32_t id, parent;
        std::string name;
        double created;
    };
    std::vector<Category> categories;
    for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext()) {
        categories.push_back({cat->GetCatId(), cat->GetCatParentId(), cat->GetCatName(), cat->GetCatCreated()});
    }
    std::map<int32_t, size_t> categoryIndex;
    for (size_t i = 0; i < categories.size(); ++i) categoryIndex[categories[i].id] = i;
    // A category whose parent is not listed hangs at the root, as a CD of an unlisted category.
    auto parentOf = [&](int32_t parent) { return categoryIndex.count(parent) ? parent : 0; };

    std::vector<std::pair<int32_t, uint32_t>> queue{{0, kRoot}};  // (category id, its node)
    for (size_t q = 0; q < queue.size(); ++q) {
        const auto [categoryId, node] = queue[q];
        std::vector<std::pair<TreeNode, std::string>> kids;
        for (const Category& c : categories) {
            if (c.id == categoryId || parentOf(c.parent) != categoryId) continue;
            TreeNode n;
            n.date = c.created;
            n.size = c.id;  // kept here until placed: names shared by siblings take the id
            kids.emplace_back(n, FolderName(c.name));
        }
        for (size_t i = 0; i < tree.cds_.size(); ++i) {
            if (parentOf(tree.cds_[i].category) != categoryId) continue;
            TreeNode n;
            n.cd = static_cast<int32_t>(i);
            n.date = data.GetCdGoto(tree.cds_[i].cdId).GetCdLastScanned();
            kids.emplace_back(n, FolderName(tree.cds_[i].name));
        }
        tree.Place(node, std::move(kids));
        const TreeNode& placed = tree.nodes_[node];
        for (uint32_t c = placed.firstChild; c < placed.firstChild + placed.childCount; ++c) {
            TreeNode& child = tree.nodes_[c];
            if (child.cd < 0) {
                queue.emplace_back(static_cast<int32_t>(child.size), c);
                child.size = 0;
            }
        }
    }
    for (uint32_t i = 0; i < tree.nodes_.size(); ++i) {
        if (tree.nodes_[i].cd >= 0 && tree.nodes_[i].entry < 0 && i != kRoot) {
            tree.AddCdContents(i, static_cast<uint32_t>(tree.nodes_[i].cd));
        }
    }
    return tree;
}

std::optional<uint32_t> CatalogueTree::Child(uint32_t folder, std::string_view name) const {
    const TreeNode& f = nodes_[folder];
    uint32_t low = f.firstChild, high = f.firstChild + f.childCount;
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        const std::string_view m = Name(mid);
        if (m == name) return mid;
        if (m < name) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return std::nullopt;
}

int64_t CatalogueTree::FileBytes() const {
    int64_t total = 0;
    for (const TreeNode& n : nodes_) {
        if (!n.directory) total += n.size;
    }
    return total;
}

}  // namespace karvio
