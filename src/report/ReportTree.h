// The tree a report is drawn from: nodes with a kind, the record id they stand for (their tag),
// a caption and their children in order, as a view's tree holds them. The windows copy their
// tree view into one; the command-line tool builds it from the catalogue the way the CD panel
// builds a CD's tree. Nodes live in one flat vector, so any depth is safe. A plain value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "classData.h"

namespace karvio {

enum class ReportNodeKind {
    Cd,         // a CD (media type 5); tag: CD id
    Folder,     // a scanned folder (any other media type); tag: CD id
    Directory,  // tag: directory id
    File,       // tag: file id; the report lists files from the catalogue, not from the tree
    Other,      // anything else a view may hold (root, category): not part of a report
};

// The kind of a node from the item kind code its view gives it as image.
ReportNodeKind ReportNodeKindFromImage(int image);

struct ReportNode {
    ReportNodeKind kind = ReportNodeKind::Other;
    int32_t tag = 0;
    std::string caption;  // catalogue bytes
    int parent = -1;      // index of the parent node, -1 for a root
    std::vector<int> children;
};

class ReportTree {
public:
    // Adds a node below `parent` (-1: a root) and returns its index.
    int Add(int parent, ReportNodeKind kind, int32_t tag, std::string caption);

    const ReportNode& Node(int index) const { return nodes_[static_cast<size_t>(index)]; }
    int Size() const { return static_cast<int>(nodes_.size()); }

    // The first directory node standing for directory `dirId`, or -1.
    int FindDirectory(int32_t dirId) const;

private:
    std::vector<ReportNode> nodes_;
};

// The tree of one CD as the CD panel shows it: the CD's node (index 0, captioned with its name),
// every named directory below the node of its path, and with `withFiles` every file below its
// directory. A directory whose path names no node (a scan that began below the top of its
// volume) hangs below the CD's node.
ReportTree BuildCdReportTree(classData& data, int32_t cdId, bool withFiles);

}  // namespace karvio
