// The directory and file tree of one CD as a compact model for the traditional view. One walk
// over the CD's directory records fills a flat array of small nodes (record id, where the name
// lies in the data file, parent, row, a range of subdirectories); a directory's files are read
// from the data file only when the view first asks for them (fetchMore, on expanding), and no
// caption becomes a QString before it is shown. The model keeps its own read-only store object
// open while a tree is shown and reads names through it. A file whose members a scan listed (an
// archive) opens like a directory: its folders and members are read from the details database
// when it is first expanded, one folder at a time. User-interface thread.
#pragma once

#include <QAbstractItemModel>
#include <QCollator>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "DetailsDatabase.h"
#include "Records.h"

namespace karvio {

class classData;

class CdTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit CdTreeModel(QObject* parent = nullptr);
    ~CdTreeModel() override;

    // Builds the tree of CD `cdId` read through `data` (which the model keeps until the next
    // Load or Clear), calling `onDirectory` once per directory record walked. Node 0 is the CD;
    // every named directory hangs below the directory whose full name is its path, or below the
    // CD when no directory has that name (the top of a scanned folder, a damaged record); the
    // files of the CD's root directory hang below the CD. Subdirectories, and files once read,
    // are in the natural order of their names. False, and an empty tree, when `cdId`
    // names no CD.
    bool Load(std::unique_ptr<classData> data, int32_t cdId, const std::function<void()>& onDirectory = {});
    void Clear();

    bool IsEmpty() const { return dirs_.empty(); }
    int32_t CdId() const { return cdId_; }
    // Directory nodes, the CD's own included; file nodes read so far.
    int DirectoryNodeCount() const { return static_cast<int>(dirs_.size()); }
    int LoadedFileCount() const { return static_cast<int>(files_.size()); }

    // Nodes are handles: 0 the CD, then the directories in stored order, then the files in the
    // order they were read. -1 is none.
    int NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOfNode(int node) const;
    // The item kind code (2 CD, 3 scanned folder, 4 directory, 5 file, kIconArchiveFolder and
    // kIconArchiveMember inside an archive; 0 for none).
    int KindOf(int node) const;
    // The record id the node stands for: the CD id, a directory id or a file id; inside an
    // archive, the archive's file id.
    int32_t TagOf(int node) const;
    // Whether file node `node` is an archive whose members open below it.
    bool IsArchive(int node) const;
    // For a node inside an archive: the archive's file node; -1 otherwise.
    int ArchiveNodeOf(int node) const;
    // A node inside an archive: its size and date as the archive records them.
    double MemberSize(int node) const;
    double MemberDate(int node) const;
    QString CaptionOf(int node) const;
    int ParentOf(int node) const;

    // The captions from below the CD down to the node (empty for the CD).
    QStringList PathOf(int node) const;
    // The node at `path` (captions below the CD), reading files where they are not read yet; the
    // deepest node of the path that is there when the whole path is not.
    int NodeAtPath(const QStringList& path);
    // The CD's node shows `name` (after the CD was given a new name).
    void SetCdName(const QString& name);

    // The node of directory record `dirId` (0 for the CD's root directory), -1 when it has none.
    int FindDirectoryNode(int32_t dirId) const;
    // The node of file record `fileId`, reading its directory's files when they are not read
    // yet; -1 when the file is not in this tree.
    int FindFileNode(int32_t fileId);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct DirNode {
        int32_t dirId = 0;       // the CD id for node 0
        StringSlot name;         // unused for node 0
        int32_t parent = -1;
        int32_t row = 0;         // row below the parent
        int32_t childBegin = 0;  // first subdirectory in children_
        int32_t childCount = 0;
        int32_t fileBegin = -1;  // first file in files_; -1 until the files are read
        int32_t fileCount = 0;
        bool mayHaveFiles = false;
    };
    struct FileNode {
        int32_t fileId = 0;
        StringSlot name;
        int32_t dir = 0;  // its directory node
        bool archive = false;
        int32_t memberBegin = -1;  // first top-level member in members_; -1 until read
        int32_t memberCount = 0;
    };
    // A folder or member inside an archive; the children of one node lie together in members_.
    struct MemberNode {
        std::string name;
        std::string path;   // inside the archive, for a folder
        int32_t parent = 0;  // the archive's file node or a folder's member node
        int32_t row = 0;
        int32_t archive = 0;  // the archive's file node
        bool isFolder = false;
        double size = 0, date = 0;
        int32_t childBegin = -1;  // folders: first child in members_; -1 until read
        int32_t childCount = 0;
    };
    // Member nodes are numbered from here, clear of directories and files.
    static constexpr int kFirstMemberNode = 1 << 30;

    bool IsDir(int node) const { return node >= 0 && node < static_cast<int>(dirs_.size()); }
    bool IsFile(int node) const {
        return node >= static_cast<int>(dirs_.size()) && node < static_cast<int>(dirs_.size() + files_.size());
    }
    bool IsMember(int node) const {
        return node >= kFirstMemberNode && node - kFirstMemberNode < static_cast<int>(members_.size());
    }
    const FileNode& File(int node) const { return files_[static_cast<size_t>(node) - dirs_.size()]; }
    const MemberNode& Member(int node) const { return members_[static_cast<size_t>(node - kFirstMemberNode)]; }
    // Whether the node's archive members are still to be read: an archive file or a folder in it.
    bool MembersPending(int node) const;
    // Reads the rows of an archive file node or a folder node inside it.
    void LoadMembers(int node);
    bool FilesPending(const DirNode& dir) const { return dir.fileBegin < 0 && dir.mayHaveFiles; }
    int RowsOf(const DirNode& dir) const { return dir.childCount + (dir.fileBegin < 0 ? 0 : dir.fileCount); }
    void LoadFiles(int node);
    void HangDirectories(const std::vector<std::string>& paths, const std::vector<std::string>& fullNames);
    void SortDirectories(const std::vector<std::string>& names);
    QString SlotText(StringSlot slot) const;

    std::unique_ptr<classData> data_;
    int32_t cdId_ = 0;
    int rootKind_ = 0;
    QString cdName_;
    QIcon rootIcon_;
    QString rootToolTip_;
    std::vector<DirNode> dirs_;
    std::vector<int32_t> children_;  // subdirectory nodes, grouped by parent
    std::vector<FileNode> files_;
    std::vector<MemberNode> members_;
    std::vector<int32_t> archiveIds_;  // files of the CD the details list members of, ascending
    // The members of the archives opened so far, by the archive's file id.
    std::unordered_map<int32_t, std::vector<ArchiveMember>> archiveMembers_;
    std::vector<int32_t> rootDirs_;  // the CD's root directory records (no name), whose files hang below the CD
    mutable std::string textBuffer_;
    mutable std::array<QIcon, 6> icons_;  // by kind code, made on first use
    QCollator collator_;
};

}  // namespace karvio
