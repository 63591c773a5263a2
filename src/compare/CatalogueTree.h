// The catalogue as one tree of folders and files, as the mounted catalogue shows it: categories
// (nested as they are) holding their CDs, each CD a folder holding its directories and files
// with their catalogued sizes, dates and attributes; or one CD's tree alone. Every folder's
// children are sorted by name and stored side by side, so a name is found by binary search and
// a folder is listed by walking a range. Names of files and directories are the bytes the scan
// read; category and CD names are decoded to UTF-8, "/" in them written "∕", and a name that two
// siblings share gets the record id added. Immutable once built; any number of threads may read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CatalogueListing.h"

namespace karvio {

class classData;

struct TreeNode {
    uint32_t parent = 0;
    uint32_t firstChild = 0, childCount = 0;
    uint32_t nameOffset = 0, nameLength = 0;
    bool directory = true;
    int64_t size = 0;  // a file's; 0 for folders
    double date = 0;
    int32_t attributes = 0;
    int32_t cd = -1;     // index into Cds() of the CD it belongs to; -1 above the CDs
    int32_t entry = -1;  // its entry in that CD's listing; -1 for the CD's own folder
};

class CatalogueTree {
public:
    // Reads the catalogue `data` has open: every CD under its category, or only CD `onlyCd`
    // (then its tree is the root). REQUIRES: `onlyCd` is 0 or names a listed CD.
    static CatalogueTree Build(classData& data, int32_t onlyCd = 0);
    // An empty root folder.
    static CatalogueTree Empty();

    static constexpr uint32_t kRoot = 0;
    size_t size() const { return nodes_.size(); }
    const TreeNode& Node(uint32_t i) const { return nodes_[i]; }
    std::string_view Name(uint32_t i) const {
        return std::string_view(names_).substr(nodes_[i].nameOffset, nodes_[i].nameLength);
    }
    // The child of `folder` named `name`.
    std::optional<uint32_t> Child(uint32_t folder, std::string_view name) const;
    const std::vector<ListedCd>& Cds() const { return cds_; }
    // The sum of the sizes of the files.
    int64_t FileBytes() const;

private:
    uint32_t AddNode(TreeNode node, std::string_view name);
    // Gives folder `folder` the children `children` (nodes not yet placed), sorted, side by side.
    void Place(uint32_t folder, std::vector<std::pair<TreeNode, std::string>> children);
    int32_t RecordId(const TreeNode& node) const;
    void AddCdContents(uint32_t cdNode, uint32_t cdIndex);

    std::vector<TreeNode> nodes_;
    std::string names_;
    std::vector<ListedCd> cds_;
};

}  // namespace karvio
