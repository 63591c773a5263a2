#include "ReportTree.h"

#include <unordered_map>

namespace karvio {

namespace {
constexpr int kImageCd = 2, kImageFolder = 3, kImageDirectory = 4, kImageFile = 5;
constexpr int32_t kMediaTypeCdRom = 5;
}  // namespace

ReportNodeKind ReportNodeKindFromImage(int image) {
    switch (image) {
        case kImageCd: return ReportNodeKind::Cd;
        case kImageFolder: return ReportNodeKind::Folder;
        case kImageDirectory: return ReportNodeKind::Directory;
        case kImageFile: return ReportNodeKind::File;
        default: return ReportNodeKind::Other;
    }
}

int ReportTree::Add(int parent, ReportNodeKind kind, int32_t tag, std::string caption) {
    const int index = static_cast<int>(nodes_.size());
    nodes_.push_back(ReportNode{kind, tag, std::move(caption), parent, {}});
    if (parent >= 0) nodes_[static_cast<size_t>(parent)].children.push_back(index);
    return index;
}

int ReportTree::FindDirectory(int32_t dirId) const {
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (nodes_[i].kind == ReportNodeKind::Directory && nodes_[i].tag == dirId) return static_cast<int>(i);
    }
    return -1;
}

ReportTree BuildCdReportTree(classData& data, int32_t cdId, bool withFiles) {
    ReportTree tree;
    classCd& cd = data.GetCdGoto(cdId);
    const int root = tree.Add(-1, cd.GetCdMediaType() == kMediaTypeCdRom ? ReportNodeKind::Cd : ReportNodeKind::Folder,
                              cd.GetCdId(), cd.GetCdName());
    // Node keys as the CD panel gives them: "\" for the CD, a directory's full name for it.
    std::unordered_map<std::string, int> keys{{"\\", root}};
    auto nodeOf = [&](const std::string& key) {
        const auto it = keys.find(key.empty() ? std::string("\\") : key);
        return it == keys.end() ? root : it->second;
    };
    for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        std::string name = dir->GetDirName();
        if (name.empty()) continue;  // the CD's root directory has no node of its own
        const int node = tree.Add(nodeOf(dir->GetDirPath()), ReportNodeKind::Directory, dir->GetDirId(), std::move(name));
        keys.emplace(dir->GetDirFullName(), node);  // a repeated key keeps its first node
    }
    if (!withFiles) return tree;
    for (classDir* dir = &data.GetCdGoto(cdId).GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        const int parent = nodeOf(dir->GetDirFullName());
        for (ClassFile* file = &dir->GetFileFirst(); !dir->GetFileEof(); file = &dir->GetFileNext()) {
            tree.Add(parent, ReportNodeKind::File, file->GetFileId(), file->GetFileName());
        }
    }
    return tree;
}

}  // namespace karvio
