#include "explorer/CategoryTreeModel.h"

#include <QApplication>
#include <QCollatorSortKey>
#include <QCursor>
#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <algorithm>
#include <charconv>
#include <limits>
#include <numeric>
#include <unordered_map>
#include <utility>

#include "CatalogueText.h"
#include "ProgramInfo.h"
#include "Progress.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "controls/MountedMarker.h"
#include "controls/NaturalOrder.h"
#include "controls/ThemeColors.h"
#include "explorer/CategoryLookups.h"
#include "explorer/ExplorerDrag.h"
#include "mainwindow/BusyScope.h"
#include "startup/ProgramValues.h"

namespace karvio {

namespace {

const std::vector<NodeHandle> kNoChildren;

// The longest the user-interface thread spends at once making the nodes of a CD's directories.
constexpr qint64 kBuildSliceNs = 15'000'000;
// The most CDs whose directories are read at once; further requests wait their turn.
constexpr size_t kMostReads = 2;

QString Decoded(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString::fromStdString(DecodeCatalogueText(bytes));
}

bool IsCategoryKind(int kind) {
    return kind >= kIconCategory;
}

// Puts `items` in caption order, as the children of a node are kept: one collation sort key per
// caption (so a list of 100,000 costs one collation each, then only byte comparisons), and byte
// order between captions the collator finds equal. `captionOf` gives an item's stored bytes.
template <typename Item, typename CaptionOf>
void SortByCaption(std::vector<Item>& items, const QCollator& collator, CaptionOf captionOf) {
    if (items.size() < 2) return;
    std::vector<QCollatorSortKey> keys;
    keys.reserve(items.size());
    for (const Item& item : items) keys.push_back(collator.sortKey(Decoded(captionOf(item))));
    std::vector<uint32_t> order(items.size());
    std::iota(order.begin(), order.end(), 0U);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const int c = keys[a].compare(keys[b]);
        if (c != 0) return c < 0;
        return captionOf(items[a]) < captionOf(items[b]);
    });
    std::vector<Item> sorted(items.size());
    for (size_t i = 0; i < order.size(); ++i) sorted[i] = items[order[i]];
    items = std::move(sorted);
}

// Shows the wait cursor for the lifetime of the object (when there is a screen to show it on).
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

CategoryTreeModel::CategoryTreeModel(QObject* parent)
    : QAbstractItemModel(parent), collator_(NaturalCollator()) {
    nodes_.resize(1);
    NodeHandle root = NewNode(kNoNode, kIconRoot, 0, CategoryDisplayName(0).toStdString());
    nodes_[root].flags |= kBold;
}

// A CD's directories on their way to the tree: read by a worker, then made into nodes in slices.
struct CategoryTreeModel::DirectoryLoad {
    NodeHandle cdNode = kNoNode;
    int32_t cdId = 0;
    uint64_t generation = 0;
    std::string path;             // the catalogue file
    CatalogueIdentity catalogue;  // the file the CD's id belongs to
    bool started = false;         // its read has begun (it may have ended)
    std::atomic<bool> stop{false};
    CdDirectoryRows rows;  // the worker's until it has ended
    std::unique_ptr<BackgroundWork> work;
    std::vector<std::function<void()>> then;
    // Making the nodes: the next row, each row's node and the CD node's own children.
    size_t next = 0;
    std::vector<NodeHandle> handles;
    std::vector<NodeHandle> top;
};

CategoryTreeModel::~CategoryTreeModel() {
    // The workers end at their next record; none of their results is taken.
    for (auto& load : loads_) load->stop = true;
    loads_.clear();
}

void CategoryTreeModel::Clear() {
    // Loads under way are for the nodes being removed.
    ++generation_;
    for (auto& load : loads_) load->stop = true;
    beginResetModel();
    nodes_.clear();
    nodes_.shrink_to_fit();
    nodes_.resize(1);
    pool_.clear();
    pool_.shrink_to_fit();
    categories_.clear();
    cds_.clear();
    NodeHandle root = NewNode(kNoNode, kIconRoot, 0, CategoryDisplayName(0).toStdString());
    nodes_[root].flags |= kBold;
    endResetModel();
}

NodeHandle CategoryTreeModel::NewNode(NodeHandle parent, int kind, int32_t tag,
                                      std::string_view caption) {
    Node node;
    node.parent = parent;
    node.kind = kind;
    node.tag = tag;
    node.captionOffset = static_cast<uint32_t>(pool_.size());
    node.captionLength = static_cast<uint32_t>(caption.size());
    pool_.append(caption);
    nodes_.push_back(std::move(node));
    const auto handle = static_cast<NodeHandle>(nodes_.size() - 1);
    if (IsCategoryKind(kind)) {
        categories_.insert(tag, handle);
    } else if (kind == kIconCd || kind == kIconFolder) {
        cds_.insert(tag, handle);
    }
    return handle;
}

bool CategoryTreeModel::CaptionLess(std::string_view a, std::string_view b) const {
    const int order = collator_.compare(Decoded(a), Decoded(b));
    if (order != 0) return order < 0;
    return a < b;
}

uint32_t CategoryTreeModel::SortedRow(NodeHandle parent, std::string_view caption) const {
    const std::vector<NodeHandle>& siblings = nodes_[parent].children;
    const QString shown = Decoded(caption);
    auto it = std::lower_bound(siblings.begin(), siblings.end(), 0, [&](NodeHandle sibling, int) {
        const std::string_view other = CaptionBytes(sibling);
        const int order = collator_.compare(Decoded(other), shown);
        return order != 0 ? order < 0 : other < caption;
    });
    return static_cast<uint32_t>(it - siblings.begin());
}

void CategoryTreeModel::Renumber(NodeHandle parent, size_t from) {
    std::vector<NodeHandle>& children = nodes_[parent].children;
    for (size_t i = from; i < children.size(); ++i)
        nodes_[children[i]].row = static_cast<uint32_t>(i);
}

NodeHandle CategoryTreeModel::AddNode(NodeHandle parent, int kind, int32_t tag,
                                      std::string_view caption, bool bold) {
    if (!IsLive(parent)) return kNoNode;
    const uint32_t row = SortedRow(parent, caption);
    beginInsertRows(IndexOf(parent), static_cast<int>(row), static_cast<int>(row));
    const NodeHandle handle = NewNode(parent, kind, tag, caption);
    if (bold) nodes_[handle].flags |= kBold;
    std::vector<NodeHandle>& children = nodes_[parent].children;
    children.insert(children.begin() + row, handle);
    Renumber(parent, row);
    endInsertRows();
    return handle;
}

void CategoryTreeModel::Forget(NodeHandle node) {
    std::vector<NodeHandle> stack{node};
    while (!stack.empty()) {
        const NodeHandle n = stack.back();
        stack.pop_back();
        Node& item = nodes_[n];
        for (NodeHandle c : item.children) stack.push_back(c);
        if (IsCategoryKind(item.kind)) {
            auto it = categories_.find(item.tag);
            if (it != categories_.end() && it.value() == n) categories_.erase(it);
        } else if (item.kind == kIconCd || item.kind == kIconFolder) {
            auto it = cds_.find(item.tag);
            if (it != cds_.end() && it.value() == n) cds_.erase(it);
        }
        item.kind = 0;
        item.children = {};
    }
}

void CategoryTreeModel::RemoveNode(NodeHandle node) {
    if (!IsLive(node) || node == kRootNode) return;
    const NodeHandle parent = nodes_[node].parent;
    const uint32_t row = nodes_[node].row;
    beginRemoveRows(IndexOf(parent), static_cast<int>(row), static_cast<int>(row));
    std::vector<NodeHandle>& siblings = nodes_[parent].children;
    siblings.erase(siblings.begin() + row);
    Renumber(parent, row);
    Forget(node);
    endRemoveRows();
}

void CategoryTreeModel::RemoveChildren(NodeHandle node) {
    if (!IsLive(node) || nodes_[node].children.empty()) return;
    beginRemoveRows(IndexOf(node), 0, static_cast<int>(nodes_[node].children.size()) - 1);
    std::vector<NodeHandle> children = std::move(nodes_[node].children);
    nodes_[node].children = {};
    for (NodeHandle c : children) Forget(c);
    endRemoveRows();
}

void CategoryTreeModel::SetCaption(NodeHandle node, std::string_view caption) {
    if (!IsLive(node)) return;
    Node& item = nodes_[node];
    if (CaptionBytes(node) == caption) return;
    item.captionOffset = static_cast<uint32_t>(pool_.size());
    item.captionLength = static_cast<uint32_t>(caption.size());
    pool_.append(caption);
    const NodeHandle parent = item.parent;
    if (parent != kNoNode) {
        // Take the node out of its siblings and put it back in its new sorted place.
        std::vector<NodeHandle>& siblings = nodes_[parent].children;
        const uint32_t from = item.row;
        siblings.erase(siblings.begin() + from);
        uint32_t to = SortedRow(parent, caption);
        siblings.insert(siblings.begin() + from, node);  // back for the move notice
        if (to != from) {
            const int destination = static_cast<int>(to > from ? to + 1 : to);
            const QModelIndex p = IndexOf(parent);
            beginMoveRows(p, static_cast<int>(from), static_cast<int>(from), p, destination);
            siblings.erase(siblings.begin() + from);
            siblings.insert(siblings.begin() + to, node);
            Renumber(parent, std::min(from, to));
            endMoveRows();
        }
    }
    const QModelIndex index = IndexOf(node);
    emit dataChanged(index, index);
}

void CategoryTreeModel::SetKind(NodeHandle node, int kind) {
    if (!IsLive(node) || kind <= 0) return;
    nodes_[node].kind = kind;
    const QModelIndex index = IndexOf(node);
    emit dataChanged(index, index);
}

void CategoryTreeModel::SetBold(NodeHandle node, bool bold) {
    if (!IsLive(node)) return;
    if (bold) {
        nodes_[node].flags |= kBold;
    } else {
        nodes_[node].flags &= static_cast<uint8_t>(~kBold);
    }
    const QModelIndex index = IndexOf(node);
    emit dataChanged(index, index);
}

bool CategoryTreeModel::IsLive(NodeHandle node) const {
    return node != kNoNode && node < nodes_.size() && nodes_[node].kind != 0;
}

int CategoryTreeModel::Kind(NodeHandle node) const {
    return IsLive(node) ? nodes_[node].kind : 0;
}
int32_t CategoryTreeModel::Tag(NodeHandle node) const {
    return IsLive(node) ? nodes_[node].tag : 0;
}
bool CategoryTreeModel::Bold(NodeHandle node) const {
    return IsLive(node) && (nodes_[node].flags & kBold) != 0;
}
NodeHandle CategoryTreeModel::Parent(NodeHandle node) const {
    return IsLive(node) ? nodes_[node].parent : kNoNode;
}
const std::vector<NodeHandle>& CategoryTreeModel::Children(NodeHandle node) const {
    return IsLive(node) ? nodes_[node].children : kNoChildren;
}
int CategoryTreeModel::ChildCount(NodeHandle node) const {
    return static_cast<int>(Children(node).size());
}

std::string_view CategoryTreeModel::CaptionBytes(NodeHandle node) const {
    if (node == kNoNode || node >= nodes_.size()) return {};
    const Node& item = nodes_[node];
    return std::string_view(pool_).substr(item.captionOffset, item.captionLength);
}

QString CategoryTreeModel::Caption(NodeHandle node) const {
    return Decoded(CaptionBytes(node));
}

void CategoryTreeModel::Segment(NodeHandle node, std::string& out) const {
    const Node& item = nodes_[node];
    if (node == kRootNode) {
        out += "Root";
    } else if (IsCategoryKind(item.kind)) {
        out += ".Category";
        out += std::to_string(item.tag);
    } else if (item.kind == kIconCd || item.kind == kIconFolder) {
        out += std::to_string(item.tag);
    } else {
        out += CaptionBytes(node);
    }
}

std::string CategoryTreeModel::Key(NodeHandle node) const {
    if (!IsLive(node)) return {};
    std::vector<NodeHandle> chain;
    for (NodeHandle n = node; n != kNoNode; n = nodes_[n].parent) chain.push_back(n);
    std::string key;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin()) key += '\\';
        Segment(*it, key);
    }
    return key;
}

bool CategoryTreeModel::Match(NodeHandle node, std::string_view rest, NodeHandle& found) const {
    if (rest.empty()) {
        found = node;
        return true;
    }
    if (rest.front() != '\\') return false;
    rest.remove_prefix(1);
    std::string segment;
    for (NodeHandle child : nodes_[node].children) {
        segment.clear();
        Segment(child, segment);
        if (rest.size() < segment.size() || rest.compare(0, segment.size(), segment) != 0) continue;
        // A directory name may itself hold "\": try every child whose segment fits.
        if (Match(child, rest.substr(segment.size()), found)) return true;
    }
    return false;
}

NodeHandle CategoryTreeModel::FindByKey(std::string_view key) const {
    constexpr std::string_view kRoot = "Root";
    if (key.substr(0, kRoot.size()) != kRoot) return kNoNode;
    NodeHandle found = kNoNode;
    if (Match(kRootNode, key.substr(kRoot.size()), found)) return found;
    // A category whose stored parents no longer lead to its node (an orphan placed under the
    // root): the key's last segment still names it.
    const size_t last = key.rfind('\\');
    if (last == std::string_view::npos) return kNoNode;
    std::string_view tail = key.substr(last + 1);
    constexpr std::string_view kCategory = ".Category";
    int32_t id = 0;
    bool category = false;
    if (tail.substr(0, kCategory.size()) == kCategory) {
        tail.remove_prefix(kCategory.size());
        category = true;
    }
    const auto [end, error] = std::from_chars(tail.data(), tail.data() + tail.size(), id);
    if (error != std::errc() || end != tail.data() + tail.size() || id <= 0) return kNoNode;
    if (category) return CategoryNode(id);
    if (CdIdFromKey(key) == id) return CdNode(id);
    return kNoNode;
}

NodeHandle CategoryTreeModel::CategoryNode(int32_t categoryId) const {
    return categories_.value(categoryId);
}

NodeHandle CategoryTreeModel::CdNode(int32_t cdId) const {
    return cds_.value(cdId, kNoNode);
}

std::vector<int32_t> CategoryTreeModel::CategoryIds() const {
    return {categories_.keyBegin(), categories_.keyEnd()};
}

std::vector<int32_t> CategoryTreeModel::CdIds() const {
    return {cds_.keyBegin(), cds_.keyEnd()};
}

size_t CategoryTreeModel::MemoryUsed() const {
    size_t bytes = nodes_.capacity() * sizeof(Node) + pool_.capacity();
    for (const Node& node : nodes_) bytes += node.children.capacity() * sizeof(NodeHandle);
    bytes += static_cast<size_t>(categories_.capacity() + cds_.capacity()) * 16;
    return bytes;
}

QModelIndex CategoryTreeModel::IndexOf(NodeHandle node) const {
    if (!IsLive(node)) return {};
    return createIndex(static_cast<int>(nodes_[node].row), 0, static_cast<quintptr>(node));
}

NodeHandle CategoryTreeModel::HandleOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return kNoNode;
    const auto handle = static_cast<NodeHandle>(index.internalId());
    return IsLive(handle) ? handle : kNoNode;
}

bool CategoryTreeModel::DirectoriesLoaded(NodeHandle cdNode) const {
    return IsLive(cdNode) && (nodes_[cdNode].flags & kLoaded) != 0;
}

void CategoryTreeModel::SetDirectoriesLoaded(NodeHandle cdNode, bool loaded) {
    if (!IsLive(cdNode)) return;
    if (loaded) {
        nodes_[cdNode].flags |= kLoaded;
    } else {
        nodes_[cdNode].flags &= static_cast<uint8_t>(~kLoaded);
    }
}

NodeHandle CategoryTreeModel::NewDetachedNode(NodeHandle parent, int kind, int32_t tag,
                                              std::string_view caption) {
    return NewNode(parent, kind, tag, caption);
}

void CategoryTreeModel::AppendDetached(NodeHandle parent, NodeHandle child) {
    nodes_[parent].children.push_back(child);
}

void CategoryTreeModel::SortDetached(NodeHandle top) {
    std::vector<NodeHandle> stack{top};
    while (!stack.empty()) {
        const NodeHandle n = stack.back();
        stack.pop_back();
        std::vector<NodeHandle>& children = nodes_[n].children;
        SortByCaption(children, collator_, [this](NodeHandle c) { return CaptionBytes(c); });
        for (size_t i = 0; i < children.size(); ++i) {
            nodes_[children[i]].row = static_cast<uint32_t>(i);
            if (!nodes_[children[i]].children.empty()) stack.push_back(children[i]);
        }
    }
}

void CategoryTreeModel::AttachChildren(NodeHandle parent, std::vector<NodeHandle> children) {
    if (!IsLive(parent) || children.empty()) return;
    if (!nodes_[parent].children.empty()) {
        // Not a fresh node: insert one at a time in sorted places.
        for (NodeHandle c : children) {
            const uint32_t row = SortedRow(parent, CaptionBytes(c));
            beginInsertRows(IndexOf(parent), static_cast<int>(row), static_cast<int>(row));
            std::vector<NodeHandle>& siblings = nodes_[parent].children;
            siblings.insert(siblings.begin() + row, c);
            Renumber(parent, row);
            endInsertRows();
        }
        return;
    }
    beginInsertRows(IndexOf(parent), 0, static_cast<int>(children.size()) - 1);
    nodes_[parent].children = std::move(children);
    SortDetached(parent);
    endInsertRows();
}

QModelIndex CategoryTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    NodeHandle p = kNoNode;
    if (!parent.isValid()) {
        if (row != 0) return {};
        return IndexOf(kRootNode);
    }
    p = HandleOf(parent);
    if (p == kNoNode) return {};
    const std::vector<NodeHandle>& children = nodes_[p].children;
    if (static_cast<size_t>(row) >= children.size()) return {};
    return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
}

QModelIndex CategoryTreeModel::parent(const QModelIndex& child) const {
    const NodeHandle node = HandleOf(child);
    if (node == kNoNode) return {};
    return IndexOf(nodes_[node].parent);
}

int CategoryTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return 1;
    if (parent.column() != 0) return 0;
    return ChildCount(HandleOf(parent));
}

int CategoryTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool CategoryTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return true;
    const NodeHandle node = HandleOf(parent);
    if (node == kNoNode) return false;
    const Node& item = nodes_[node];
    if ((item.kind == kIconCd || item.kind == kIconFolder) && (item.flags & kLoaded) == 0)
        return true;
    return !item.children.empty();
}

QVariant CategoryTreeModel::data(const QModelIndex& index, int role) const {
    const NodeHandle node = HandleOf(index);
    if (node == kNoNode) return {};
    const Node& item = nodes_[node];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::AccessibleTextRole:
            return Caption(node);
        case Qt::DecorationRole:
            return item.kind == kIconCd || item.kind == kIconFolder
                       ? CdItemIcon(item.kind, item.tag)
                       : ItemIcon(item.kind);
        case Qt::ToolTipRole:
            return item.kind == kIconCd || item.kind == kIconFolder
                       ? QVariant(MountedToolTip(item.tag))
                       : QVariant();
        case Qt::ForegroundRole:
            if (node == kRootNode || IsCategoryKind(item.kind))
                return ReadableColor(DisplayColorToQColor(DisplayColor1), QApplication::palette());
            if (item.kind == kIconDirectory)
                return ReadableColor(DisplayColorToQColor(DisplayColor2), QApplication::palette());
            return {};
        case Qt::FontRole:
            if (item.flags & kBold) {
                QFont font = QApplication::font();
                font.setBold(true);
                return font;
            }
            return {};
        case KindRole:
            return item.kind;
        case TagRole:
            return item.tag;
        case HandleRole:
            return static_cast<uint>(node);
        case KeyRole:
            return QByteArray::fromStdString(Key(node));
        default:
            return {};
    }
}

Qt::ItemFlags CategoryTreeModel::flags(const QModelIndex& index) const {
    const NodeHandle node = HandleOf(index);
    if (node == kNoNode) return Qt::NoItemFlags;
    // Every node may start a drag (a refused one is told so) and take a drop (a drop on a CD or
    // a directory is refused with its message); only names the store keeps, and the root's
    // caption, can be edited.
    Qt::ItemFlags flags =
        Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    const int kind = nodes_[node].kind;
    if (kind == kIconRoot || kind == kIconCd || kind == kIconFolder || IsCategoryKind(kind))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool CategoryTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const NodeHandle node = HandleOf(index);
    if (node == kNoNode || role != Qt::EditRole) return false;
    emit captionEdited(node, value.toString());
    return true;
}

QStringList CategoryTreeModel::mimeTypes() const {
    return {QString::fromLatin1(kExplorerItemMimeType)};
}

QMimeData* CategoryTreeModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty()) return nullptr;
    const NodeHandle node = HandleOf(indexes.first());
    if (node == kNoNode) return nullptr;
    const Node& item = nodes_[node];
    if (!IsDraggableKind(item.kind)) {
        // Called only when a drag starts; the refusal is the explorer's to tell.
        emit const_cast<CategoryTreeModel*>(this)->dragRefused();
        return nullptr;
    }
    return NewExplorerItemMime({node, item.kind, item.tag});
}

bool CategoryTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                        const QModelIndex&) const {
    return (action & supportedDropActions()) && ReadExplorerItemMime(data).has_value();
}

bool CategoryTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                     const QModelIndex& parent) {
    if (!(action & supportedDropActions())) return false;
    const std::optional<ExplorerDragItem> item = ReadExplorerItemMime(data);
    if (!item) return false;
    // The views drop on items, never between them; a drop between rows would go to their parent.
    const NodeHandle target = HandleOf(parent);
    emit itemDropped(item->node, item->kind, item->tag, target);
    return true;
}

// A drop only moves a node within the tree; Copy keeps a view from removing the dragged rows.
Qt::DropActions CategoryTreeModel::supportedDragActions() const {
    return Qt::CopyAction;
}
Qt::DropActions CategoryTreeModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

bool CategoryTreeModel::MoveNode(NodeHandle node, NodeHandle newParent) {
    if (!IsLive(node) || !IsLive(newParent) || node == kRootNode) return false;
    for (NodeHandle up = newParent; up != kNoNode; up = nodes_[up].parent) {
        if (up == node) return false;
    }
    const NodeHandle oldParent = nodes_[node].parent;
    if (oldParent == newParent) return true;
    const uint32_t from = nodes_[node].row;
    const uint32_t to = SortedRow(newParent, CaptionBytes(node));
    if (!beginMoveRows(IndexOf(oldParent), static_cast<int>(from), static_cast<int>(from),
                       IndexOf(newParent), static_cast<int>(to))) {
        return false;
    }
    std::vector<NodeHandle>& siblings = nodes_[oldParent].children;
    siblings.erase(siblings.begin() + from);
    Renumber(oldParent, from);
    std::vector<NodeHandle>& children = nodes_[newParent].children;
    children.insert(children.begin() + to, node);
    nodes_[node].parent = newParent;
    Renumber(newParent, to);
    endMoveRows();
    return true;
}

bool CategoryTreeModel::canFetchMore(const QModelIndex& parent) const {
    const NodeHandle node = HandleOf(parent);
    if (node == kNoNode) return false;
    const Node& item = nodes_[node];
    // While its directories are read the view does not ask again.
    return (item.kind == kIconCd || item.kind == kIconFolder) && (item.flags & kLoaded) == 0 &&
           FindLoad(node) == nullptr;
}

void CategoryTreeModel::fetchMore(const QModelIndex& parent) {
    // The read runs on a worker: nothing waits here, inside the view's own layout pass.
    if (canFetchMore(parent)) LoadDirectories(HandleOf(parent));
}

// ---------------------------------------------------------------------------------------------
// A CD's directories, read on a worker and attached on this thread.

CategoryTreeModel::DirectoryLoad* CategoryTreeModel::FindLoad(NodeHandle cdNode) const {
    for (const auto& load : loads_) {
        if (load->cdNode == cdNode && LoadStillWanted(*load)) return load.get();
    }
    return nullptr;
}

bool CategoryTreeModel::LoadStillWanted(const DirectoryLoad& load) const {
    // A rebuilt tree, a removed node or a node that now stands for another CD (a rescan) drops
    // the load; so does a node whose directories came by another way meanwhile.
    if (load.generation != generation_ || !IsLive(load.cdNode)) return false;
    const Node& item = nodes_[load.cdNode];
    return (item.kind == kIconCd || item.kind == kIconFolder) && item.tag == load.cdId &&
           (item.flags & kLoaded) == 0;
}

bool CategoryTreeModel::DirectoriesLoading(NodeHandle cdNode) const {
    return FindLoad(cdNode) != nullptr;
}

void CategoryTreeModel::LoadDirectories(NodeHandle cdNode, std::function<void()> then) {
    const int kind = Kind(cdNode);
    if (kind != kIconCd && kind != kIconFolder) return;
    if (DirectoriesLoaded(cdNode)) {
        if (then) then();
        return;
    }
    if (DirectoryLoad* running = FindLoad(cdNode)) {
        if (then) running->then.push_back(std::move(then));
        return;
    }
    auto load = std::make_unique<DirectoryLoad>();
    DirectoryLoad* raw = load.get();
    raw->cdNode = cdNode;
    raw->cdId = nodes_[cdNode].tag;
    raw->generation = generation_;
    if (then) raw->then.push_back(std::move(then));
    // The file is named here, where the CD's id is valid: the worker must not read what this
    // thread may change.
    raw->path = GetDataFileName();
    raw->catalogue = ReadCatalogueIdentity(raw->path);
    if (!busy_) busy_ = std::make_unique<BusyScope>(false, BusyScope::kMenusStay);
    loads_.push_back(std::move(load));
    StartReads();
}

void CategoryTreeModel::StartReads() {
    // Loads no longer wanted before their read began end here (with what waited for them).
    // One at a time, looked for afresh: what waited may ask for other loads.
    for (;;) {
        auto unwanted = std::find_if(loads_.begin(), loads_.end(), [this](const auto& load) {
            return !load->started && !LoadStillWanted(*load);
        });
        if (unwanted == loads_.end()) break;
        EndUnwantedLoad(unwanted->get());
    }
    size_t reading = 0;
    for (const auto& load : loads_) reading += load->work ? 1 : 0;
    // The newest first: keys held down across a shelf of CDs ask for each, and the one the user
    // stops at is the one wanted now.
    for (auto it = loads_.rbegin(); it != loads_.rend() && reading < kMostReads; ++it) {
        DirectoryLoad* raw = it->get();
        if (raw->started) continue;
        raw->started = true;
        ++reading;
        raw->work = std::make_unique<BackgroundWork>(
            this,
            [raw] {
                raw->rows = ReadCdDirectories(raw->path, raw->cdId, raw->stop, &raw->catalogue);
            },
            [this, raw] { OnLoadRead(raw); }, busy_->WorkerProgress());
    }
}

std::unique_ptr<CategoryTreeModel::DirectoryLoad> CategoryTreeModel::TakeLoad(DirectoryLoad* load) {
    std::unique_ptr<DirectoryLoad> taken;
    for (auto it = loads_.begin(); it != loads_.end(); ++it) {
        if (it->get() != load) continue;
        taken = std::move(*it);
        loads_.erase(it);
        break;
    }
    if (taken) taken->stop = true;
    if (loads_.empty()) busy_.reset();
    return taken;
}

bool CategoryTreeModel::EndUnwantedLoad(DirectoryLoad* load) {
    if (LoadStillWanted(*load)) return false;
    // The nodes made so far were never attached: nothing shows them, and they are let go.
    if (load->generation == generation_) {
        for (NodeHandle made : load->handles) nodes_[made].kind = 0;
    }
    const bool readMeanwhile = load->generation == generation_ && DirectoriesLoaded(load->cdNode) &&
                               nodes_[load->cdNode].tag == load->cdId;
    const std::unique_ptr<DirectoryLoad> ended = TakeLoad(load);
    // Read by another way meanwhile (all at once, for a report): what waited goes on.
    if (readMeanwhile) {
        for (const std::function<void()>& then : ended->then) then();
    }
    return true;
}

void CategoryTreeModel::OnLoadRead(DirectoryLoad* load) {
    // The worker has ended (or is ending): waiting for its thread costs nothing.
    load->work.reset();
    StartReads();
    if (EndUnwantedLoad(load)) return;
    // A catalogue replaced meanwhile: the windows hear of it and rebuild their trees.
    if (load->rows.replaced) {
        TakeLoad(load);
        return;
    }
    if (load->rows.unreadable) {
        const NodeHandle cdNode = load->cdNode;
        TakeLoad(load);
        emit directoriesUnreadable(cdNode);
        return;
    }
    BuildSlice(load);
}

void CategoryTreeModel::BuildSlice(DirectoryLoad* load) {
    if (EndUnwantedLoad(load)) return;
    if (!MakeDirectoryNodes(load->cdNode, load->rows, load->next, load->handles, load->top,
                            kBuildSliceNs)) {
        QMetaObject::invokeMethod(
            this, [this, load] { BuildSlice(load); }, Qt::QueuedConnection);
        return;
    }
    const NodeHandle cdNode = load->cdNode;
    nodes_[cdNode].flags |= kLoaded;
    AttachOrdered(cdNode, std::move(load->top));
    load->rows = {};
    load->handles = {};
    emit directoriesLoaded(cdNode);
    GoOn(load);
}

void CategoryTreeModel::GoOn(DirectoryLoad* load) {
    // What waited for the directories goes on one caller at a time, each in an event of its own
    // (one lists a folder, another expands one), so their work adds up in no single event. One
    // may rebuild the tree or remove the CD: the others are then dropped.
    if (load->then.empty() || load->generation != generation_ || !IsLive(load->cdNode)) {
        TakeLoad(load);
        return;
    }
    const std::function<void()> next = std::move(load->then.front());
    load->then.erase(load->then.begin());
    QMetaObject::invokeMethod(
        this, [this, load] { GoOn(load); }, Qt::QueuedConnection);
    next();
}

bool CategoryTreeModel::MakeDirectoryNodes(NodeHandle cdNode, const CdDirectoryRows& rows,
                                           size_t& next, std::vector<NodeHandle>& handles,
                                           std::vector<NodeHandle>& top, qint64 budgetNs) {
    QElapsedTimer clock;
    clock.start();
    handles.reserve(rows.rows.size());
    constexpr size_t kLookEvery = 512;
    while (next < rows.rows.size()) {
        const CdDirectoryRows::Row& row = rows.rows[next];
        const NodeHandle parent =
            row.parent < 0 ? cdNode : handles[static_cast<size_t>(row.parent)];
        const NodeHandle node = NewNode(parent, kIconDirectory, row.tag, rows.Caption(row));
        // Rows come in their shown order: a node's row among its siblings is where it goes.
        std::vector<NodeHandle>& siblings = row.parent < 0 ? top : nodes_[parent].children;
        nodes_[node].row = static_cast<uint32_t>(siblings.size());
        siblings.push_back(node);
        handles.push_back(node);
        ++next;
        if (next % kLookEvery == 0 && clock.nsecsElapsed() >= budgetNs)
            return next == rows.rows.size();
    }
    return true;
}

void CategoryTreeModel::AttachOrdered(NodeHandle parent, std::vector<NodeHandle> children) {
    if (!IsLive(parent) || children.empty()) return;
    if (!nodes_[parent].children.empty()) {
        AttachChildren(parent, std::move(children));  // each into its sorted place
        return;
    }
    beginInsertRows(IndexOf(parent), 0, static_cast<int>(children.size()) - 1);
    nodes_[parent].children = std::move(children);
    endInsertRows();
}

void CategoryTreeModel::AttachDirectories(NodeHandle cdNode, const CdDirectoryRows& rows) {
    if (!IsLive(cdNode)) return;
    size_t next = 0;
    std::vector<NodeHandle> handles, top;
    // A load of the node under way has nothing left to do: what waits for it goes on now.
    std::vector<std::function<void()>> waiting;
    if (DirectoryLoad* running = FindLoad(cdNode)) waiting = std::exchange(running->then, {});
    MakeDirectoryNodes(cdNode, rows, next, handles, top, std::numeric_limits<qint64>::max());
    nodes_[cdNode].flags |= kLoaded;
    AttachOrdered(cdNode, std::move(top));
    for (const std::function<void()>& then : waiting) then();
}

// ---------------------------------------------------------------------------------------------

void BuildCategoryTree(CategoryTreeModel& model, bool keepExisting) {
    if (!keepExisting) model.Clear();
    struct Row {
        int32_t id;
        int32_t parentId;
        int32_t icon;
        std::string name;
        std::string parentKey;
    };
    std::vector<Row> rows;
    {
        classData data;
        if (data.GetError() != kErrorNone) return;
        for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext()) {
            rows.push_back({cat->GetCatId(), cat->GetCatParentId(), cat->GetCatImageId(),
                            cat->GetCatName(), "Root" + cat->GetCategoryPath()});
        }
    }
    // A parent's key is a proper prefix of its children's parent keys, so this order places
    // every parent before its children.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.parentKey < b.parentKey; });
    for (const Row& row : rows) {
        const int icon = row.icon >= kIconCategory ? row.icon : kIconCategory;
        NodeHandle node = model.CategoryNode(row.id);
        if (node != kNoNode) {
            model.SetCaption(node, row.name);
            model.SetKind(node, icon);
            continue;
        }
        NodeHandle parent = row.parentId == 0 ? kRootNode : model.CategoryNode(row.parentId);
        // The parent category is gone (or its parents loop): the category is still shown.
        if (parent == kNoNode) parent = kRootNode;
        model.AddNode(parent, icon, row.id, row.name);
    }
}

void AddCdNodes(CategoryTreeModel& model) {
    struct CdRow {
        int32_t id;
        int32_t category;
        int kind;
        std::string name;
    };
    std::vector<CdRow> cds;
    {
        classData data;
        if (data.GetError() != kErrorNone) return;
        for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
            cds.push_back({cd->GetCdId(), cd->GetCdCategory(),
                           cd->GetCdMediaType() == 5 ? kIconCd : kIconFolder, cd->GetCdName()});
        }
    }
    // Group by parent so each parent's new children are sorted once and shown with one notice.
    std::unordered_map<NodeHandle, std::vector<NodeHandle>> byParent;
    std::vector<NodeHandle> parents;
    for (const CdRow& cd : cds) {
        if (model.CdNode(cd.id) != kNoNode) continue;
        NodeHandle parent = cd.category > 0 ? model.CategoryNode(cd.category) : kRootNode;
        // A CD whose category is gone is shown under the root rather than hidden.
        if (parent == kNoNode) parent = kRootNode;
        auto [it, fresh] = byParent.try_emplace(parent);
        if (fresh) parents.push_back(parent);
        it->second.push_back(model.NewDetachedNode(parent, cd.kind, cd.id, cd.name));
    }
    for (NodeHandle parent : parents) model.AttachChildren(parent, std::move(byParent[parent]));
}

bool SyncCatalogueTree(CategoryTreeModel& model) {
    struct CatRow {
        int32_t id, parentId, icon;
        std::string name, parentKey;
    };
    struct CdRow {
        int32_t id, category;
        int kind;
        std::string name;
    };
    std::vector<CatRow> cats;
    std::vector<CdRow> cds;
    {
        classData data;
        if (data.GetError() != kErrorNone) return false;
        for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext()) {
            const int32_t icon = cat->GetCatImageId();
            cats.push_back({cat->GetCatId(), cat->GetCatParentId(),
                            icon >= kIconCategory ? icon : kIconCategory, cat->GetCatName(),
                            "Root" + cat->GetCategoryPath()});
        }
        for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
            cds.push_back({cd->GetCdId(), cd->GetCdCategory(),
                           cd->GetCdMediaType() == 5 ? kIconCd : kIconFolder, cd->GetCdName()});
        }
    }
    std::unordered_map<int32_t, bool> liveCats, liveCds;
    for (const CatRow& cat : cats) liveCats.emplace(cat.id, true);
    for (const CdRow& cd : cds) liveCds.emplace(cd.id, true);
    // Where a category or CD belongs: under its live category, else under the root.
    auto placeOf = [&](int32_t categoryId) {
        if (categoryId <= 0 || !liveCats.count(categoryId)) return kRootNode;
        const NodeHandle node = model.CategoryNode(categoryId);
        return node == kNoNode ? kRootNode : node;
    };
    // A node that is there is changed and moved in place; a move into its own subtree (parents
    // that loop) is refused and the node stays.
    auto sync = [&](NodeHandle node, NodeHandle parent, int kind, int32_t id,
                    const std::string& name) {
        if (node == kNoNode) {
            model.AddNode(parent, kind, id, name);
            return;
        }
        if (model.Kind(node) != kind) model.SetKind(node, kind);
        model.SetCaption(node, name);
        if (model.Parent(node) != parent) model.MoveNode(node, parent);
    };

    // Parents before their children, as the builder places them.
    std::stable_sort(cats.begin(), cats.end(),
                     [](const CatRow& a, const CatRow& b) { return a.parentKey < b.parentKey; });
    for (const CatRow& cat : cats)
        sync(model.CategoryNode(cat.id), placeOf(cat.parentId), cat.icon, cat.id, cat.name);
    for (const CdRow& cd : cds)
        sync(model.CdNode(cd.id), placeOf(cd.category), cd.kind, cd.id, cd.name);
    // Gone CDs, then gone categories (by now they hold nothing that is still there).
    for (int32_t id : model.CdIds()) {
        if (!liveCds.count(id)) model.RemoveNode(model.CdNode(id));
    }
    for (int32_t id : model.CategoryIds()) {
        if (!liveCats.count(id)) model.RemoveNode(model.CategoryNode(id));
    }
    return true;
}

CdDirectoryRows ReadCdDirectories(const std::string& path, int32_t cdId,
                                  const std::atomic<bool>& stop,
                                  const CatalogueIdentity* expected) {
    CdDirectoryRows out;
    // The nodes in the order they are made (store order, with the folders above a scan's start
    // folder before its first directory), then placed in their shown order below.
    struct Made {
        int32_t tag;
        uint32_t captionOffset, captionLength;
    };
    std::vector<Made> made;
    std::vector<std::vector<uint32_t>> children(1);        // [0]: the CD node's; [i + 1]: made[i]'s
    std::unordered_map<std::string, uint32_t> byFullName;  // -> index in children
    std::string& captions = out.captions;
    auto make = [&](uint32_t parent, int32_t tag, std::string_view caption) {
        made.push_back(
            {tag, static_cast<uint32_t>(captions.size()), static_cast<uint32_t>(caption.size())});
        captions.append(caption);
        children.emplace_back();
        const auto index = static_cast<uint32_t>(made.size());
        children[parent].push_back(index);
        return index;
    };
    {
        classData data(path, classData::ForReading{});
        if (data.GetError() != kErrorNone) {
            out.unreadable = true;
            return out;
        }
        if (expected &&
            CompareCatalogueIdentity(*expected, data.Identity()) == CatalogueChange::Replaced) {
            out.replaced = true;
            return out;
        }
        ProgressStart(100);
        classCd& cd = data.GetCdGoto(cdId);
        bool first = true;
        for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
            if (stop.load(std::memory_order_relaxed)) break;
            ProgressStep();
            std::string path = dir->GetDirPath();
            const bool topLevel = path.empty() || path == "\\";
            if (first && !topLevel) {
                // A scan that began below the top of its volume: the folders above it. They
                // stand for no record (tag 0): each lists only the next folder of the path.
                uint32_t current = 0;
                std::string fullName;
                size_t start = 0;
                while (start <= path.size()) {
                    size_t end = path.find('\\', start);
                    if (end == std::string::npos) end = path.size();
                    const std::string component = path.substr(start, end - start);
                    start = end + 1;
                    if (component.empty()) continue;
                    fullName += fullName.empty() ? component : "\\" + component;
                    auto found = byFullName.find(fullName);
                    if (found != byFullName.end()) {
                        current = found->second;
                        continue;
                    }
                    current = make(current, 0, component);
                    byFullName.emplace(fullName, current);
                }
            }
            first = false;
            const std::string name = dir->GetDirName();
            if (name.empty()) continue;  // the CD's top directory: its node is the CD's own
            while (!path.empty() && path.back() == '\\') path.pop_back();
            while (!path.empty() && path.front() == '\\') path.erase(0, 1);
            uint32_t parent = 0;
            if (!path.empty()) {
                auto found = byFullName.find(path);
                // A directory whose parent record is missing is still shown, under the CD.
                if (found != byFullName.end()) parent = found->second;
            }
            const uint32_t node = make(parent, dir->GetDirId(), name);
            byFullName.emplace(path.empty() ? name : path + "\\" + name, node);
        }
        ProgressEnd();
    }
    byFullName = {};

    // Each node's children in caption order, as the model keeps them.
    const QCollator collator = NaturalCollator();
    auto caption = [&](uint32_t index) {
        const Made& m = made[index - 1];
        return std::string_view(captions).substr(m.captionOffset, m.captionLength);
    };
    for (std::vector<uint32_t>& list : children) {
        if (stop.load(std::memory_order_relaxed)) return out;  // nobody waits for the rows
        SortByCaption(list, collator, caption);
    }

    // Parents before children, each node's children in their order: a walk down the tree.
    out.rows.reserve(made.size());
    std::vector<std::pair<uint32_t, int32_t>> stack;  // (made index, its parent's row)
    for (auto it = children[0].rbegin(); it != children[0].rend(); ++it) stack.push_back({*it, -1});
    while (!stack.empty()) {
        const auto [index, parentRow] = stack.back();
        stack.pop_back();
        const Made& m = made[index - 1];
        const auto row = static_cast<int32_t>(out.rows.size());
        out.rows.push_back({parentRow, m.tag, m.captionOffset, m.captionLength});
        const std::vector<uint32_t>& below = children[index];
        for (auto it = below.rbegin(); it != below.rend(); ++it) stack.push_back({*it, row});
    }
    return out;
}

bool LoadCdDirectories(CategoryTreeModel& model, NodeHandle cdNode, int32_t cdId) {
    const int kind = model.Kind(cdNode);
    if ((kind != kIconCd && kind != kIconFolder) || model.DirectoriesLoaded(cdNode)) return false;
    WaitCursor wait;
    const std::atomic<bool> never{false};
    const CdDirectoryRows rows = ReadCdDirectories(GetDataFileName(), cdId, never);
    if (rows.unreadable) return false;
    model.AttachDirectories(cdNode, rows);
    return true;
}

int32_t CdIdFromKey(std::string_view key) {
    // Positions are 0-based here; npos stands for "no further backslash".
    size_t p = 0;
    for (;;) {
        const size_t slash = key.find('\\', p);
        if (slash == std::string_view::npos) {
            // Back at the start, where the walk would begin again: no CD segment.
            p = 0;
            break;
        }
        p = slash + 1;
        if (p >= key.size() || key[p] != '.') break;
    }
    if (p >= key.size()) return 0;
    int32_t id = 0;
    const char* begin = key.data() + p;
    const char* end = key.data() + key.size();
    const size_t slash = key.find('\\', p);
    if (slash != std::string_view::npos) end = key.data() + slash;
    const auto result = std::from_chars(begin, end, id);
    if (result.ec != std::errc()) return 0;
    return id;
}

}  // namespace karvio
