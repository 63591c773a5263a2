#include "views/CdTreeModel.h"

#include <QCollatorSortKey>
#include <QFont>
#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "CatalogueText.h"
#include "RecordIo.h"
#include "RecordLists.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "controls/MountedMarker.h"
#include "controls/NaturalOrder.h"
#include "views/DetailsText.h"

namespace karvio {

namespace {

constexpr int32_t kMediaTypeCdRom = 5;
constexpr int kReadCaption = 2112;

QString Decoded(std::string_view bytes) { return QString::fromStdString(DecodeCatalogueText(bytes)); }

bool IsRootKey(const std::string& key) { return key.empty() || key == "\\"; }

}  // namespace

CdTreeModel::CdTreeModel(QObject* parent) : QAbstractItemModel(parent), collator_(NaturalCollator()) {}

CdTreeModel::~CdTreeModel() = default;

bool CdTreeModel::Load(std::unique_ptr<classData> data, int32_t cdId, const std::function<void()>& onDirectory) {
    Clear();
    if (!data || !data->IsOpen() || cdId <= 0) return false;
    classCd& cd = data->GetCdGoto(cdId);
    if (cd.GetCdId() != cdId) return false;

    std::vector<DirNode> dirs;
    std::vector<int32_t> rootDirs;
    DirNode root;
    root.dirId = cdId;
    dirs.push_back(root);
    // The keys are needed only while the tree is hung together; the nodes keep where the names lie.
    std::vector<std::string> paths{std::string()}, fullNames{std::string()}, names{std::string()};
    const int64_t length = data->File()->Length();
    for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        if (onDirectory) onDirectory();
        const DirRecord& record = dir->Record();
        // A first file outside the file is damage: the directory shows no expander for it.
        const bool mayHaveFiles = RecordFits(record.FileFirst, FileRecord::kSize, length);
        std::string name = dir->GetDirName();
        if (name.empty()) {
            // The CD's root directory: its files hang below the CD's own node.
            rootDirs.push_back(record.DirId);
            dirs[0].mayHaveFiles = dirs[0].mayHaveFiles || mayHaveFiles;
            continue;
        }
        DirNode node;
        node.dirId = record.DirId;
        node.name = record.DirName;
        node.mayHaveFiles = mayHaveFiles;
        dirs.push_back(node);
        paths.push_back(dir->GetDirPath());
        fullNames.push_back(JoinCataloguePath(paths.back(), name));
        names.push_back(std::move(name));
    }

    const int32_t media = cd.GetCdMediaType();
    const std::string cdName = cd.GetCdName();
    // Which files' members a scan listed: only those are checked against the details as their
    // directories are read.
    std::vector<int32_t> archiveIds;
    if (std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(*data)) archiveIds = db->ArchiveIdsOfCd(cdId);
    beginResetModel();
    data_ = std::move(data);
    cdId_ = cdId;
    rootKind_ = media == kMediaTypeCdRom ? kIconCd : kIconFolder;
    cdName_ = Decoded(cdName);
    // Whether the CD is mounted is looked up once per showing, not per paint.
    rootIcon_ = CdItemIcon(rootKind_, cdId);
    rootToolTip_ = MountedToolTip(cdId);
    dirs_ = std::move(dirs);
    rootDirs_ = std::move(rootDirs);
    archiveIds_ = std::move(archiveIds);
    HangDirectories(paths, fullNames);
    SortDirectories(names);
    endResetModel();
    return true;
}

void CdTreeModel::HangDirectories(const std::vector<std::string>& paths, const std::vector<std::string>& fullNames) {
    // A directory hangs below the first directory whose full name is its path, wherever that one
    // is stored. Its full name is longer than its path, so every step towards the CD shortens
    // the key: damaged records cannot make a loop. A path no directory has leads to the CD.
    const size_t count = dirs_.size();
    std::unordered_map<std::string_view, int32_t> keys;
    keys.reserve(count);
    for (size_t i = 1; i < count; ++i) {
        if (!IsRootKey(fullNames[i])) keys.emplace(fullNames[i], static_cast<int32_t>(i));
    }
    std::vector<int32_t> childCounts(count, 0);
    for (size_t i = 1; i < count; ++i) {
        int32_t parent = 0;
        if (!IsRootKey(paths[i])) {
            const auto it = keys.find(paths[i]);
            if (it != keys.end()) parent = it->second;
        }
        dirs_[i].parent = parent;
        dirs_[i].row = childCounts[static_cast<size_t>(parent)]++;
    }
    int32_t next = 0;
    for (size_t i = 0; i < count; ++i) {
        dirs_[i].childBegin = next;
        dirs_[i].childCount = childCounts[i];
        next += childCounts[i];
    }
    children_.assign(static_cast<size_t>(next), 0);
    for (size_t i = 1; i < count; ++i) {
        const DirNode& node = dirs_[i];
        children_[static_cast<size_t>(dirs_[static_cast<size_t>(node.parent)].childBegin + node.row)] =
            static_cast<int32_t>(i);
    }
}

void CdTreeModel::SortDirectories(const std::vector<std::string>& names) {
    // Each directory's subdirectories in the natural order of their names; the collation key of
    // a name is made once.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const std::string& name : names) keys.push_back(collator_.sortKey(Decoded(name)));
    for (DirNode& dir : dirs_) {
        if (dir.childCount < 2) continue;
        const auto begin = children_.begin() + dir.childBegin;
        const auto end = begin + dir.childCount;
        std::sort(begin, end, [&](int32_t a, int32_t b) {
            const auto ia = static_cast<size_t>(a), ib = static_cast<size_t>(b);
            const int order = keys[ia].compare(keys[ib]);
            return order != 0 ? order < 0 : names[ia] < names[ib];
        });
        for (int32_t row = 0; row < dir.childCount; ++row)
            dirs_[static_cast<size_t>(*(begin + row))].row = row;
    }
}

void CdTreeModel::Clear() {
    beginResetModel();
    dirs_.clear();
    dirs_.shrink_to_fit();
    children_.clear();
    children_.shrink_to_fit();
    files_.clear();
    files_.shrink_to_fit();
    members_.clear();
    members_.shrink_to_fit();
    archiveIds_.clear();
    archiveMembers_.clear();
    rootDirs_.clear();
    cdName_.clear();
    rootIcon_ = QIcon();
    rootToolTip_.clear();
    cdId_ = 0;
    rootKind_ = 0;
    data_.reset();
    endResetModel();
}

void CdTreeModel::LoadFiles(int node) {
    if (!IsDir(node) || !FilesPending(dirs_[static_cast<size_t>(node)])) return;
    std::vector<FileNode> found;
    std::vector<FileInfo> archives;  // files that may be archives with their members listed
    const std::vector<int32_t> sources =
        node == 0 ? rootDirs_ : std::vector<int32_t>{dirs_[static_cast<size_t>(node)].dirId};
    classCd& cd = data_->GetCdGoto(cdId_);
    for (const int32_t source : sources) {
        classDir& dir = cd.GetDirGoto(source);
        // The file cursor walks by the store's list rules: a damaged list ends where it breaks.
        for (ClassFile* file = &dir.GetFileFirst(); !dir.GetFileEof(); file = &dir.GetFileNext()) {
            found.push_back(FileNode{file->GetFileId(), file->Record().FileName, node});
            if (std::binary_search(archiveIds_.begin(), archiveIds_.end(), file->GetFileId())) {
                FileInfo info;
                info.FileId = file->GetFileId();
                info.FileName = file->GetFileName();
                info.FileSize = file->GetFileSize();
                info.FileDate = file->GetFileDate();
                archives.push_back(std::move(info));
            }
        }
    }
    if (found.size() > 1) {
        // Shown in the natural order of their names.
        const int64_t length = data_->File()->Length();
        std::vector<QCollatorSortKey> keys;
        std::vector<std::string> names;
        keys.reserve(found.size());
        names.reserve(found.size());
        for (const FileNode& file : found) {
            // A name outside the file (damage) sorts as an empty one, as it shows.
            const bool readable = file.name.len > 0 && TextFits(file.name, length);
            names.emplace_back(readable ? ReadTextView(data_->File().get(), file.name, textBuffer_, kReadCaption)
                                        : std::string_view());
            keys.push_back(collator_.sortKey(Decoded(names.back())));
        }
        std::vector<size_t> order(found.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const int c = keys[a].compare(keys[b]);
            return c != 0 ? c < 0 : names[a] < names[b];
        });
        std::vector<FileNode> sorted;
        sorted.reserve(found.size());
        for (size_t i : order) sorted.push_back(found[i]);
        found = std::move(sorted);
    }
    // An archive whose members still belong to it (same name, size and date) opens.
    if (!archives.empty()) {
        const std::vector<int32_t> open = ArchivesAmong(*data_, cdId_, archives);
        for (FileNode& file : found) file.archive = std::binary_search(open.begin(), open.end(), file.fileId);
    }
    DirNode& dir = dirs_[static_cast<size_t>(node)];
    if (found.empty()) {
        dir.fileBegin = static_cast<int32_t>(files_.size());
        dir.fileCount = 0;
        // The expander the view drew from mayHaveFiles goes away.
        const QModelIndex index = IndexOfNode(node);
        emit dataChanged(index, index);
        return;
    }
    const int first = dir.childCount;
    beginInsertRows(IndexOfNode(node), first, first + static_cast<int>(found.size()) - 1);
    dir.fileBegin = static_cast<int32_t>(files_.size());
    dir.fileCount = static_cast<int32_t>(found.size());
    files_.insert(files_.end(), found.begin(), found.end());
    endInsertRows();
}

int CdTreeModel::NodeOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return -1;
    return static_cast<int>(index.internalId());
}

QModelIndex CdTreeModel::IndexOfNode(int node) const {
    if (IsMember(node)) return createIndex(Member(node).row, 0, static_cast<quintptr>(node));
    if (IsDir(node)) return createIndex(dirs_[static_cast<size_t>(node)].row, 0, static_cast<quintptr>(node));
    if (!IsFile(node)) return {};
    const FileNode& file = files_[static_cast<size_t>(node) - dirs_.size()];
    const DirNode& dir = dirs_[static_cast<size_t>(file.dir)];
    const int row = dir.childCount + (node - static_cast<int>(dirs_.size()) - dir.fileBegin);
    return createIndex(row, 0, static_cast<quintptr>(node));
}

int CdTreeModel::KindOf(int node) const {
    if (node == 0 && !dirs_.empty()) return rootKind_;
    if (IsDir(node)) return kIconDirectory;
    if (IsMember(node)) return Member(node).isFolder ? kIconArchiveFolder : kIconArchiveMember;
    return IsFile(node) ? kIconFile : 0;
}

bool CdTreeModel::IsArchive(int node) const { return IsFile(node) && File(node).archive; }

int CdTreeModel::ArchiveNodeOf(int node) const { return IsMember(node) ? Member(node).archive : -1; }

double CdTreeModel::MemberSize(int node) const { return IsMember(node) ? Member(node).size : 0; }

double CdTreeModel::MemberDate(int node) const { return IsMember(node) ? Member(node).date : 0; }

bool CdTreeModel::MembersPending(int node) const {
    if (IsFile(node)) return File(node).archive && File(node).memberBegin < 0;
    return IsMember(node) && Member(node).isFolder && Member(node).childBegin < 0;
}

void CdTreeModel::LoadMembers(int node) {
    if (!MembersPending(node)) return;
    const int archiveNode = IsFile(node) ? node : Member(node).archive;
    const int32_t fileId = File(archiveNode).fileId;
    auto it = archiveMembers_.find(fileId);
    if (it == archiveMembers_.end()) {
        std::vector<ArchiveMember> members;
        if (std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(*data_)) members = db->Members(fileId);
        it = archiveMembers_.emplace(fileId, std::move(members)).first;
    }
    const std::string folder = IsFile(node) ? std::string() : Member(node).path;
    const std::vector<ArchiveRow> rows = ArchiveFolderRows(it->second, folder);
    const auto begin = static_cast<int32_t>(members_.size());
    if (!rows.empty()) beginInsertRows(IndexOfNode(node), 0, static_cast<int>(rows.size()) - 1);
    for (size_t k = 0; k < rows.size(); ++k) {
        MemberNode member;
        member.name = rows[k].name;
        member.path = rows[k].isFolder ? (folder.empty() ? rows[k].name : folder + "/" + rows[k].name) : std::string();
        member.parent = node;
        member.row = static_cast<int32_t>(k);
        member.archive = archiveNode;
        member.isFolder = rows[k].isFolder;
        member.size = rows[k].size;
        member.date = rows[k].date;
        members_.push_back(std::move(member));
    }
    if (IsFile(node)) {
        files_[static_cast<size_t>(node) - dirs_.size()].memberBegin = begin;
        files_[static_cast<size_t>(node) - dirs_.size()].memberCount = static_cast<int32_t>(rows.size());
    } else {
        members_[static_cast<size_t>(node - kFirstMemberNode)].childBegin = begin;
        members_[static_cast<size_t>(node - kFirstMemberNode)].childCount = static_cast<int32_t>(rows.size());
    }
    if (!rows.empty()) {
        endInsertRows();
    } else {
        const QModelIndex index = IndexOfNode(node);
        emit dataChanged(index, index);
    }
}

int32_t CdTreeModel::TagOf(int node) const {
    if (IsDir(node)) return dirs_[static_cast<size_t>(node)].dirId;
    if (IsFile(node)) return files_[static_cast<size_t>(node) - dirs_.size()].fileId;
    if (IsMember(node)) return File(Member(node).archive).fileId;
    return 0;
}

QString CdTreeModel::CaptionOf(int node) const {
    if (node == 0 && !dirs_.empty()) return cdName_;
    if (IsDir(node)) return SlotText(dirs_[static_cast<size_t>(node)].name);
    if (IsFile(node)) return SlotText(files_[static_cast<size_t>(node) - dirs_.size()].name);
    // Member names are stored as UTF-8 by the scan.
    if (IsMember(node)) return QString::fromStdString(Member(node).name);
    return {};
}

int CdTreeModel::ParentOf(int node) const {
    if (IsDir(node)) return dirs_[static_cast<size_t>(node)].parent;
    if (IsFile(node)) return files_[static_cast<size_t>(node) - dirs_.size()].dir;
    if (IsMember(node)) return Member(node).parent;
    return -1;
}

QString CdTreeModel::SlotText(StringSlot slot) const {
    if (slot.len <= 0 || !data_) return {};
    CatalogueFile* file = data_->File().get();
    // A slot outside the file (damage) shows as an empty caption; painting never ends the program.
    if (!file || !TextFits(slot, file->Length())) return {};
    return Decoded(ReadTextView(file, slot, textBuffer_, kReadCaption));
}

QStringList CdTreeModel::PathOf(int node) const {
    QStringList path;
    for (int n = node; n > 0; n = ParentOf(n)) path.prepend(CaptionOf(n));
    return path;
}

int CdTreeModel::NodeAtPath(const QStringList& path) {
    if (dirs_.empty()) return -1;
    int node = 0;
    for (const QString& caption : path) {
        if (!IsDir(node)) break;
        LoadFiles(node);
        const DirNode& dir = dirs_[static_cast<size_t>(node)];
        int next = -1;
        for (int32_t i = 0; i < dir.childCount && next < 0; ++i) {
            const int child = children_[static_cast<size_t>(dir.childBegin + i)];
            if (CaptionOf(child) == caption) next = child;
        }
        for (int32_t i = 0; i < dir.fileCount && next < 0; ++i) {
            const int file = static_cast<int>(dirs_.size()) + dir.fileBegin + i;
            if (CaptionOf(file) == caption) next = file;
        }
        if (next < 0) break;
        node = next;
    }
    return node;
}

void CdTreeModel::SetCdName(const QString& name) {
    if (dirs_.empty() || cdName_ == name) return;
    cdName_ = name;
    const QModelIndex index = IndexOfNode(0);
    emit dataChanged(index, index);
}

int CdTreeModel::FindDirectoryNode(int32_t dirId) const {
    if (dirs_.empty()) return -1;
    if (dirId == 0 || std::find(rootDirs_.begin(), rootDirs_.end(), dirId) != rootDirs_.end()) return 0;
    // Directories are walked in ascending record order, so the nodes after the CD are sorted by id.
    const auto begin = dirs_.begin() + 1;
    const auto it = std::lower_bound(begin, dirs_.end(), dirId,
                                     [](const DirNode& node, int32_t id) { return node.dirId < id; });
    if (it == dirs_.end() || it->dirId != dirId) return -1;
    return static_cast<int>(it - dirs_.begin());
}

int CdTreeModel::FindFileNode(int32_t fileId) {
    if (dirs_.empty() || fileId <= 0) return -1;
    if (!RecordFits(fileId, FileRecord::kSize, data_->File()->Length())) return -1;
    ClassFile& file = data_->GetCdGoto(cdId_).GetDirGoto(0).GetFileGoto(fileId);
    if (file.GetFileId() != fileId || file.GetFileCdId() != cdId_) return -1;
    const int dirNode = FindDirectoryNode(file.getFileDirId());
    if (dirNode < 0) return -1;
    LoadFiles(dirNode);
    const DirNode& dir = dirs_[static_cast<size_t>(dirNode)];
    for (int32_t i = 0; i < dir.fileCount; ++i) {
        if (files_[static_cast<size_t>(dir.fileBegin + i)].fileId == fileId)
            return static_cast<int>(dirs_.size()) + dir.fileBegin + i;
    }
    return -1;
}

QModelIndex CdTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) return row == 0 && !dirs_.empty() ? createIndex(0, 0, quintptr(0)) : QModelIndex();
    const int node = NodeOf(parent);
    if (IsFile(node) || IsMember(node)) {
        const int32_t begin = IsFile(node) ? File(node).memberBegin : Member(node).childBegin;
        const int32_t count = IsFile(node) ? File(node).memberCount : Member(node).childCount;
        if (begin < 0 || row >= count) return {};
        return createIndex(row, 0, static_cast<quintptr>(kFirstMemberNode + begin + row));
    }
    if (!IsDir(node)) return {};
    const DirNode& dir = dirs_[static_cast<size_t>(node)];
    if (row < dir.childCount)
        return createIndex(row, 0, static_cast<quintptr>(children_[static_cast<size_t>(dir.childBegin + row)]));
    if (dir.fileBegin < 0 || row - dir.childCount >= dir.fileCount) return {};
    return createIndex(row, 0, static_cast<quintptr>(dirs_.size()) + dir.fileBegin + (row - dir.childCount));
}

QModelIndex CdTreeModel::parent(const QModelIndex& child) const { return IndexOfNode(ParentOf(NodeOf(child))); }

int CdTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    if (!parent.isValid()) return dirs_.empty() ? 0 : 1;
    const int node = NodeOf(parent);
    if (IsFile(node)) return std::max(File(node).memberCount, 0);
    if (IsMember(node)) return Member(node).childCount;
    return IsDir(node) ? RowsOf(dirs_[static_cast<size_t>(node)]) : 0;
}

int CdTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool CdTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return !dirs_.empty();
    if (parent.column() > 0) return false;
    const int node = NodeOf(parent);
    if (MembersPending(node)) return true;
    if (IsFile(node) || IsMember(node)) return rowCount(parent) > 0;
    if (!IsDir(node)) return false;
    const DirNode& dir = dirs_[static_cast<size_t>(node)];
    return RowsOf(dir) > 0 || FilesPending(dir);
}

bool CdTreeModel::canFetchMore(const QModelIndex& parent) const {
    const int node = NodeOf(parent);
    return (IsDir(node) && FilesPending(dirs_[static_cast<size_t>(node)])) || MembersPending(node);
}

void CdTreeModel::fetchMore(const QModelIndex& parent) {
    const int node = NodeOf(parent);
    if (IsDir(node)) {
        LoadFiles(node);
    } else {
        LoadMembers(node);
    }
}

QVariant CdTreeModel::data(const QModelIndex& index, int role) const {
    const int node = NodeOf(index);
    if (node < 0) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole: return CaptionOf(node);
        case Qt::ToolTipRole: return node == 0 && !rootToolTip_.isEmpty() ? QVariant(rootToolTip_) : QVariant();
        case Qt::DecorationRole: {
            if (node == 0) return rootIcon_;
            if (IsArchive(node)) return ArchiveIcon();
            if (IsMember(node)) return ItemIcon(Member(node).isFolder ? kIconDirectory : kIconFile);
            const int kind = KindOf(node);
            QIcon& icon = icons_[static_cast<size_t>(kind)];
            if (icon.isNull()) icon = ItemIcon(kind);
            return icon;
        }
        case Qt::FontRole:
            if (node == 0) {
                QFont font;
                font.setBold(true);
                return font;
            }
            return {};
        default: return {};
    }
}

}  // namespace karvio
