// The catalogue as one tree: the root "Karvio", the categories nested as the user arranged them,
// the CDs and scanned folders under their category and, once a CD's node is first opened, its
// directories. Files are never nodes; the explorer's contents list reads them from the store.
//
// Nodes are compact rows in one array, addressed by a 32-bit handle (1 is the root, 0 none) that
// stays valid while the node lives and is never reused before the next full rebuild. A node keeps
// its parent, its row among its siblings and its children's handles; captions are the stored bytes
// in one pool. Keys are not stored: a node's key is its parent's key, "\" and the node's own
// segment (".Category" and the id for a category, the id for a CD, the name for a directory), so a
// directory name that contains "\" is still one node, and keys compare byte for byte.
//
// Children are kept sorted by caption (QCollator of the user's locale, letter case ignored, byte
// order between captions the collator finds equal). One column. User-interface thread; a CD's
// directories are read on a worker of their own (LoadDirectories).
#pragma once

#include <QAbstractItemModel>
#include <QCollator>
#include <QHash>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace karvio {

class BusyScope;
struct CatalogueIdentity;

// The directories of one CD as the tree shows them, read from the store: every directory once,
// parents before their children and each node's children in their shown order, so the rows
// become nodes in one pass without sorting.
struct CdDirectoryRows {
    struct Row {
        int32_t parent;  // index of the parent's row; -1: the CD's own node
        int32_t tag;     // the directory's id; 0 for a folder above a scan's start folder
        uint32_t captionOffset;
        uint32_t captionLength;
    };
    std::vector<Row> rows;
    std::string captions;     // the names, back to back
    bool unreadable = false;  // the catalogue could not be opened: nothing was read
    bool replaced = false;    // another file has the catalogue's name now: nothing was read

    std::string_view Caption(const Row& row) const {
        return std::string_view(captions).substr(row.captionOffset, row.captionLength);
    }
};

// Reads the directories of CD `cdId` from the catalogue file `path`, each directory record once
// in store order, and orders them as the tree shows them. A directory whose parent directory
// cannot be found (an inconsistent record) goes under the CD. A CD scanned from a folder below the
// top of its volume gets the folders above that folder too, with tag 0 (they stand for no
// record). Ends early once `stop` is set, with rows that are of no use then. With `expected`, the
// catalogue it opens must be that file (the ids are its ids): one that replaced it meanwhile (a
// compaction, a restored backup) is not read. Any thread: it opens its own store object and drives
// the progress sink of the thread it runs on.
CdDirectoryRows ReadCdDirectories(const std::string& path, int32_t cdId,
                                  const std::atomic<bool>& stop,
                                  const CatalogueIdentity* expected = nullptr);

using NodeHandle = uint32_t;
inline constexpr NodeHandle kNoNode = 0;
inline constexpr NodeHandle kRootNode = 1;

class CategoryTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    // Roles beyond Qt's: what a view or command asks of a node.
    enum Role {
        KindRole = Qt::UserRole + 1,  // int: the item kind code (icon index)
        TagRole,                      // int: the record id (0 for the root)
        HandleRole,                   // uint: the node's handle
        KeyRole,                      // QByteArray: the node's key, byte for byte
    };

    explicit CategoryTreeModel(QObject* parent = nullptr);
    ~CategoryTreeModel() override;

    // Removes every node and adds the root again (key "Root", caption "Karvio", bold, icon 1).
    void Clear();

    // Adds a child of `parent` in its sorted place and returns its handle; kNoNode when `parent`
    // is not a live node. `bold` marks a category made by the user in this session.
    NodeHandle AddNode(NodeHandle parent, int kind, int32_t tag, std::string_view caption,
                       bool bold = false);
    // Removes the node and everything below it. The root cannot be removed.
    void RemoveNode(NodeHandle node);
    // Removes every child of the node (and below); the node itself stays.
    void RemoveChildren(NodeHandle node);
    // Gives the node a new caption (and moves it to its sorted place among its siblings).
    void SetCaption(NodeHandle node, std::string_view caption);
    void SetKind(NodeHandle node, int kind);
    void SetBold(NodeHandle node, bool bold);

    bool IsLive(NodeHandle node) const;
    int Kind(NodeHandle node) const;
    int32_t Tag(NodeHandle node) const;
    bool Bold(NodeHandle node) const;
    NodeHandle Parent(NodeHandle node) const;
    // The node's children in their shown order.
    const std::vector<NodeHandle>& Children(NodeHandle node) const;
    int ChildCount(NodeHandle node) const;
    // The caption's stored bytes, and as the user reads it.
    std::string_view CaptionBytes(NodeHandle node) const;
    QString Caption(NodeHandle node) const;
    // The node's key ("Root", "Root\.Category12", "Root\.Category12\900\Photos\2004").
    std::string Key(NodeHandle node) const;
    // The live node with that key, or kNoNode. A category key is also found by the category's id
    // when its node is not where its stored parents would put it (an orphan under the root).
    NodeHandle FindByKey(std::string_view key) const;
    // The node of a category or CD record, or kNoNode.
    NodeHandle CategoryNode(int32_t categoryId) const;
    NodeHandle CdNode(int32_t cdId) const;
    // The ids of the categories and CDs that have nodes.
    std::vector<int32_t> CategoryIds() const;
    std::vector<int32_t> CdIds() const;
    size_t CdCount() const { return static_cast<size_t>(cds_.size()); }
    // Number of nodes ever made since the last rebuild (the highest handle in use).
    size_t NodeCount() const { return nodes_.size() - 1; }
    // Bytes held by the nodes, their children lists and the caption pool.
    size_t MemoryUsed() const;

    QModelIndex IndexOf(NodeHandle node) const;
    NodeHandle HandleOf(const QModelIndex& index) const;

    // Whether the CD node's directories have been read.
    bool DirectoriesLoaded(NodeHandle cdNode) const;
    // Reads the CD node's directories on a worker thread and attaches them once read (in time
    // slices, so the event loop is never held long), with the busy pointer and the progress bar
    // meanwhile. Returns at once. `then` runs on this thread once the node's directories are
    // there: at once when they already are; after the load otherwise (a second request while
    // one runs only adds its `then`). A load whose CD node goes, whose CD is replaced (another
    // id) or whose tree is rebuilt meanwhile is dropped quietly with its `then`; one that cannot
    // open the catalogue attaches nothing, leaves the node unread and tells directoriesUnreadable.
    void LoadDirectories(NodeHandle cdNode, std::function<void()> then = {});
    // Whether the node's directories are being read.
    bool DirectoriesLoading(NodeHandle cdNode) const;
    // Whether any load has not ended yet (dropped ones too, until their worker has ended).
    bool LoadsRunning() const { return !loads_.empty(); }
    // Attaches the rows as the directories of a CD node that has none yet and marks it read; what
    // waits for a load of the node under way goes on at once.
    void AttachDirectories(NodeHandle cdNode, const CdDirectoryRows& rows);
    // Marks a CD node as read (its directories were read, or it has none to read).
    void SetDirectoriesLoaded(NodeHandle cdNode, bool loaded);
    // Attaches a prepared list of sorted child handles at once (a bulk load); the children were
    // made with NewDetachedNode and already carry `parent` as their parent.
    NodeHandle NewDetachedNode(NodeHandle parent, int kind, int32_t tag, std::string_view caption);
    // Appends `child` to the children of `parent`, a node not yet shown (detached).
    void AppendDetached(NodeHandle parent, NodeHandle child);
    void AttachChildren(NodeHandle parent, std::vector<NodeHandle> children);
    // Sorts the children of a detached subtree (below `node`, which is not yet shown).
    void SortDetached(NodeHandle node);

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Editing and drag and drop. The model stores nothing itself: it reports a finished caption
    // edit, a refused drag and a drop, and the explorer decides, stores and moves the node.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

    // Makes `node` a child of `newParent` in its sorted place; the node keeps its children, and
    // its key follows its new place. False when `newParent` is the node or lies below it.
    bool MoveNode(NodeHandle node, NodeHandle newParent);

signals:
    // A caption edit ended with `text` (possibly empty) on the node.
    void captionEdited(NodeHandle node, const QString& text);
    // A drag was started on the root, a directory or a file.
    void dragRefused();
    // An item of the explorer was dropped on `target` (kNoNode: on no node).
    void itemDropped(NodeHandle source, int32_t sourceKind, int32_t sourceTag, NodeHandle target);
    // A CD node's directories were read and attached.
    void directoriesLoaded(NodeHandle cdNode);
    // Reading a CD node's directories found the catalogue unreadable; nothing was attached.
    void directoriesUnreadable(NodeHandle cdNode);

public:
    // Caption order of two captions, as the children are kept.
    bool CaptionLess(std::string_view a, std::string_view b) const;

private:
    struct Node {
        NodeHandle parent = kNoNode;
        uint32_t row = 0;
        int32_t kind = 0;  // 0 for a removed node
        int32_t tag = 0;
        uint32_t captionOffset = 0;
        uint32_t captionLength = 0;
        uint8_t flags = 0;
        std::vector<NodeHandle> children;
    };
    static constexpr uint8_t kBold = 1;
    static constexpr uint8_t kLoaded = 2;

    struct DirectoryLoad;

    NodeHandle NewNode(NodeHandle parent, int kind, int32_t tag, std::string_view caption);
    DirectoryLoad* FindLoad(NodeHandle cdNode) const;
    bool LoadStillWanted(const DirectoryLoad& load) const;
    // Begins the reads of waiting loads, the newest first, up to the most read at once.
    void StartReads();
    void OnLoadRead(DirectoryLoad* load);
    // Ends a load that is no longer wanted (see LoadDirectories); false when it still is.
    bool EndUnwantedLoad(DirectoryLoad* load);
    // Makes nodes of the load's rows for a time slice; attaches them when all are made.
    void BuildSlice(DirectoryLoad* load);
    // Runs the next of what waits for an attached load, then the rest in later events.
    void GoOn(DirectoryLoad* load);
    // Takes the load out (stopping its worker); ends the busy state with the last one.
    std::unique_ptr<DirectoryLoad> TakeLoad(DirectoryLoad* load);
    // Makes the rows' nodes from `from` on, detached; false when the time ran out first.
    bool MakeDirectoryNodes(NodeHandle cdNode, const CdDirectoryRows& rows, size_t& next,
                            std::vector<NodeHandle>& handles, std::vector<NodeHandle>& top,
                            qint64 budgetNs);
    // Attaches children made detached and already in their shown order.
    void AttachOrdered(NodeHandle parent, std::vector<NodeHandle> children);
    uint32_t SortedRow(NodeHandle parent, std::string_view caption) const;
    void Renumber(NodeHandle parent, size_t from);
    void Forget(NodeHandle node);
    void Segment(NodeHandle node, std::string& out) const;
    bool Match(NodeHandle node, std::string_view rest, NodeHandle& found) const;

    std::vector<Node> nodes_;  // index = handle; [0] unused
    std::string pool_;
    QHash<int32_t, NodeHandle> categories_;
    QHash<int32_t, NodeHandle> cds_;
    QCollator collator_;
    // Bumped by Clear: a load begun before a rebuild is for nodes that are gone.
    uint64_t generation_ = 0;
    std::vector<std::unique_ptr<DirectoryLoad>> loads_;
    std::unique_ptr<BusyScope> busy_;  // while any load runs
};

// Fills the model with the root and every category (`keepExisting` False: from scratch). With
// `keepExisting` True nothing is removed or moved: a category's node takes its new caption and
// icon in place, a new category gets a node. A category whose parent category is gone is shown
// under the root. Categories only; the explorer adds the CDs.
void BuildCategoryTree(CategoryTreeModel& model, bool keepExisting);

// Adds every CD of the catalogue under its category (under the root when the category is gone).
void AddCdNodes(CategoryTreeModel& model);

// Brings a built tree in step with the catalogue without rebuilding it: categories and CDs that
// are gone lose their nodes, new ones get nodes, and moved, renamed or re-iconed ones are moved
// and changed in place. A CD's directory nodes stay as they were read (a CD's directories never
// change: a rescan makes a new CD), so handles, expanded nodes and the selection of everything
// still there survive, and no CD is read again. False when the catalogue cannot be read.
bool SyncCatalogueTree(CategoryTreeModel& model);

// Adds the directories of CD `cdId` under its node `cdNode` (which has none yet) at once, read on
// the calling thread (ReadCdDirectories) with the wait cursor and the main window's progress bar:
// it holds the thread for the whole read, so the windows use CategoryTreeModel::LoadDirectories
// and keep this for what needs the directories there and then. False when the node was not a CD,
// was already loaded or the catalogue could not be read.
bool LoadCdDirectories(CategoryTreeModel& model, NodeHandle cdNode, int32_t cdId);

// The CD id in a tree key: the first segment after "Root" that does not begin with "."; 0 for
// the root and for category keys.
int32_t CdIdFromKey(std::string_view key);

}  // namespace karvio
