#include "explorer/ContentsListModel.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

#include "CatalogueDate.h"
#include "CatalogueText.h"
#include "DateText.h"
#include "Format.h"
#include "controls/ItemIcons.h"
#include "controls/MountedMarker.h"
#include "controls/NaturalOrder.h"
#include "controls/SizeText.h"
#include "explorer/ExplorerDrag.h"
#include "controls/AttributeText.h"
#include "views/DetailsText.h"

namespace karvio {

namespace {

QString Decoded(std::string_view bytes) {
    return QString::fromStdString(DecodeCatalogueText(bytes));
}

bool IsCategoryKind(int32_t kind) { return kind >= kIconCategory; }

}  // namespace

QString DateSortingKey(double date) {
    const LocalDateTime f = FieldsFromDate(date);
    return QString::asprintf("%04d%02d%02d%02d%02d%02d", f.year, f.month, f.day, f.hour, f.minute,
                             f.second);
}

ContentsListModel::ContentsListModel(QObject* parent)
    : QAbstractTableModel(parent), collator_(NaturalCollator()) {
    connect(&SizeDisplay::Instance(), &SizeDisplay::changed, this, [this] {
        if (!rows_.empty()) emit dataChanged(index(0, kListColSize), index(rowCount() - 1, kListColSize));
    });
}

void ContentsListModel::Clear() {
    beginResetModel();
    details_.Close();
    rows_.clear();
    staged_.clear();
    pool_.clear();
    endResetModel();
}

void ContentsListModel::Stage(int32_t kind, int32_t tag, int64_t node, std::string_view name,
                              double size, double date, int32_t attr, std::string_view notes) {
    ListRow row;
    row.kind = kind;
    row.tag = tag;
    row.node = node;
    row.size = size;
    row.date = date;
    row.attr = attr;
    row.nameOffset = static_cast<uint32_t>(pool_.size());
    row.nameLength = static_cast<uint32_t>(name.size());
    pool_.append(name);
    row.notesOffset = static_cast<uint32_t>(pool_.size());
    row.notesLength = static_cast<uint32_t>(notes.size());
    pool_.append(notes);
    staged_.push_back(row);
}

void ContentsListModel::Flush() {
    if (staged_.empty()) return;
    if (IsSorted()) {
        // A sorted list takes every batch into its kept order.
        beginResetModel();
        rows_.insert(rows_.end(), staged_.begin(), staged_.end());
        staged_.clear();
        SortRows(rows_, sortColumn_, sortOrder_);
        endResetModel();
        return;
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(staged_.size()) - 1);
    rows_.insert(rows_.end(), staged_.begin(), staged_.end());
    staged_.clear();
    endInsertRows();
}

std::string_view ContentsListModel::Bytes(uint32_t offset, uint32_t length) const {
    return std::string_view(pool_).substr(offset, length);
}

QString ContentsListModel::Name(int row) const {
    const ListRow& r = Row(row);
    return Decoded(Bytes(r.nameOffset, r.nameLength));
}

std::string_view ContentsListModel::NameBytes(int row) const {
    const ListRow& r = Row(row);
    return Bytes(r.nameOffset, r.nameLength);
}

QString ContentsListModel::Notes(int row) const {
    const ListRow& r = Row(row);
    return Decoded(Bytes(r.notesOffset, r.notesLength));
}

void ContentsListModel::SetNotes(int row, std::string_view notes) {
    ListRow& r = rows_[static_cast<size_t>(row)];
    r.notesOffset = static_cast<uint32_t>(pool_.size());
    r.notesLength = static_cast<uint32_t>(notes.size());
    pool_.append(notes);
    emit dataChanged(index(row, 0), index(row, kListColumnCount - 1));
}

bool ContentsListModel::HasOwnValues(const ListRow& row) {
    // Categories and the root have no size, date or attributes, and neither has a folder shown
    // above a scanned folder (a directory row with no record of its own).
    return !IsCategoryKind(row.kind) && row.kind != kIconRoot &&
           !(row.kind == kIconDirectory && row.tag <= 0);
}

double ContentsListModel::ShownSize(const ListRow& row) {
    return HasOwnValues(row) ? std::fabs(row.size) : 0;
}

QString ContentsListModel::AttrText(const ListRow& row) {
    if (IsCategoryKind(row.kind)) return tr("Category");
    if (row.kind == kIconCd) return tr("CD");
    if (row.kind == kIconFolder) return tr("Folder");
    if (!HasOwnValues(row)) return {};
    return AttributesText(row.attr);
}

void ContentsListModel::OpenDetails(classData& data, int32_t cdId) {
    int32_t first = INT32_MAX, last = 0;
    for (const std::vector<ListRow>* rows : {&rows_, &staged_}) {
        for (const ListRow& r : *rows) {
            if (r.kind != kIconFile) continue;
            first = std::min(first, r.tag);
            last = std::max(last, r.tag);
        }
    }
    details_.Open(data, cdId, first, last);
    if (IsSorted() && IsMediaColumn(sortColumn_)) Resort();
}

void ContentsListModel::SetThumbnailSide(int side) {
    if (side == thumbnailSide_) return;
    thumbnailSide_ = side;
    if (!rows_.empty() && details_.AnyThumbnail())
        emit dataChanged(index(0, kListColName), index(rowCount() - 1, kListColName), {Qt::DecorationRole});
}

const FileDetails* ContentsListModel::RowDetails(const ListRow& row) const {
    // Members inside an archive carry the archive's id: only a file's own row has details.
    if (row.kind != kIconFile) return nullptr;
    return details_.Details(row.tag, Bytes(row.nameOffset, row.nameLength), row.size, row.date);
}

QString ContentsListModel::MediaText(const ListRow& row, int column) const {
    const FileDetails* details = RowDetails(row);
    if (!details) return {};
    const MediaFields& m = details->media;
    auto text = [](const std::string& bytes) { return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())); };
    switch (column) {
        case kListColTaken: return m.taken > 0 ? QString::fromStdString(DateToText(m.taken)) : QString();
        case kListColCamera: return text(m.camera);
        case kListColArtist: return text(m.artist);
        case kListColAlbum: return text(m.album);
        case kListColTitle: return text(m.title);
        case kListColDuration: return DurationText(m.duration);
        case kListColDimensions: return DimensionsText(m.width, m.height);
        default: return {};
    }
}

void ContentsListModel::MarkArchives(const std::vector<int32_t>& fileIds) {
    if (fileIds.empty()) return;
    for (size_t k = 0; k < rows_.size(); ++k) {
        ListRow& r = rows_[k];
        if (r.kind == kIconFile && std::binary_search(fileIds.begin(), fileIds.end(), r.tag)) {
            r.archive = true;
            const QModelIndex at = index(static_cast<int>(k), kListColName);
            emit dataChanged(at, at, {Qt::DecorationRole});
        }
    }
}

QString ContentsListModel::CellText(int row, int column) const {
    const ListRow& r = Row(row);
    switch (column) {
        case kListColName: return Name(row);
        case kListColSize:
            if (IsCategoryKind(r.kind)) return tr("Category");
            if (!HasOwnValues(r)) return {};
            return ListSizeText(r.size);
        case kListColDate:
            if (!HasOwnValues(r)) return {};
            return QString::fromStdString(DateToText(r.date));
        case kListColAttr:
            if (r.kind == kIconArchiveFolder || r.kind == kIconArchiveMember) return {};
            return AttrText(r);
        case kListColNotes:
            return QString::fromStdString(
                FlattenLines(DecodeCatalogueText(Bytes(r.notesOffset, r.notesLength))));
        case kListColTreeNodeIndex: return QString::number(r.node);
        case kListColDateSorting:
            if (!HasOwnValues(r)) return QStringLiteral(" ");
            return DateSortingKey(r.date);
        default: return IsMediaColumn(column) ? MediaText(r, column) : QString();
    }
}

QIcon ContentsListModel::RowIcon(const ListRow& row) const {
    if (row.kind == kIconCd || row.kind == kIconFolder) return CdItemIcon(row.kind, row.tag);
    if (row.archive) return ArchiveIcon();
    if (thumbnailSide_ > 0 && row.kind == kIconFile && details_.HasThumbnail(row.tag)) {
        QIcon thumbnail = details_.Thumbnail(row.tag, Bytes(row.nameOffset, row.nameLength), row.size, row.date,
                                             thumbnailSide_);
        if (!thumbnail.isNull()) return thumbnail;
    }
    if (row.kind == kIconArchiveFolder) return ItemIcon(kIconDirectory);
    if (row.kind != kIconFile && row.kind != kIconArchiveMember) return ItemIcon(row.kind);
    // A file shows its type's picture from the desktop theme, the file picture otherwise.
    const QString name = Decoded(Bytes(row.nameOffset, row.nameLength));
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot > 0 ? name.mid(dot + 1).toLower() : QString();
    auto found = fileIcons_.constFind(suffix);
    if (found != fileIcons_.constEnd()) return *found;
    QIcon icon;
    if (!suffix.isEmpty()) icon = FileTypeIcon(name);
    if (icon.isNull()) icon = ItemIcon(kIconFile);
    fileIcons_.insert(suffix, icon);
    return icon;
}

int ContentsListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ContentsListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumnCount;
}

QVariant ContentsListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const ListRow& r = Row(index.row());
    switch (role) {
        case Qt::DisplayRole: return CellText(index.row(), index.column());
        case Qt::DecorationRole:
            return index.column() == kListColName ? QVariant(RowIcon(r)) : QVariant();
        case Qt::ToolTipRole:
            // The size cell tells the exact count; every other cell the notes.
            if (index.column() == kListColSize && HasOwnValues(r)) return ExactSizeText(r.size);
            return CellText(index.row(), kListColNotes);
        case Qt::TextAlignmentRole:
            if (index.column() == kListColSize || index.column() == kListColDuration ||
                index.column() == kListColDimensions)
                return int(Qt::AlignRight | Qt::AlignVCenter);
            if (index.column() == kListColDate || index.column() == kListColAttr || index.column() == kListColTaken)
                return int(Qt::AlignHCenter | Qt::AlignVCenter);
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case KindRole: return r.kind;
        case TagRole: return r.tag;
        case NodeRole: return static_cast<qlonglong>(r.node);
        default: return {};
    }
}

QVariant ContentsListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const captions[kListColumnCount] = {
        QT_TR_NOOP("Name"),  QT_TR_NOOP("Size"), QT_TR_NOOP("Date"), QT_TR_NOOP("Attr"),
        QT_TR_NOOP("Notes"), "TreeNodeIndex",    "DateSorting", QT_TR_NOOP("Taken"),
        QT_TR_NOOP("Camera"), QT_TR_NOOP("Artist"), QT_TR_NOOP("Album"), QT_TR_NOOP("Title"),
        QT_TR_NOOP("Duration"), QT_TR_NOOP("Dimensions")};
    if (section < 0 || section >= kListColumnCount) return {};
    return tr(captions[section]);
}

Qt::ItemFlags ContentsListModel::flags(const QModelIndex& index) const {
    // A drop beside the rows goes to the node the tree has selected.
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren |
                          Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    const int32_t kind = Row(index.row()).kind;
    if (index.column() == kListColName && IsDraggableKind(kind)) flags |= Qt::ItemIsEditable;
    return flags;
}

void ContentsListModel::SetName(int row, std::string_view name) {
    if (row < 0 || row >= rowCount()) return;
    ListRow& r = rows_[static_cast<size_t>(row)];
    r.nameOffset = static_cast<uint32_t>(pool_.size());
    r.nameLength = static_cast<uint32_t>(name.size());
    pool_.append(name);
    emit dataChanged(index(row, 0), index(row, kListColumnCount - 1));
}

bool ContentsListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::EditRole) return false;
    emit nameEdited(index.row(), value.toString());
    return true;
}

QStringList ContentsListModel::mimeTypes() const {
    return {QString::fromLatin1(kExplorerItemMimeType)};
}

QMimeData* ContentsListModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty() || !indexes.first().isValid() || indexes.first().row() >= rowCount())
        return nullptr;
    const ListRow& r = Row(indexes.first().row());
    if (!IsDraggableKind(r.kind) || r.node <= 0) {
        // Called only when a drag starts; the refusal is the explorer's to tell.
        emit const_cast<ContentsListModel*>(this)->dragRefused();
        return nullptr;
    }
    return NewExplorerItemMime({static_cast<NodeHandle>(r.node), r.kind, r.tag});
}

bool ContentsListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                        const QModelIndex&) const {
    return (action & supportedDropActions()) && ReadExplorerItemMime(data).has_value();
}

bool ContentsListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                     const QModelIndex& parent) {
    if (!(action & supportedDropActions())) return false;
    const std::optional<ExplorerDragItem> item = ReadExplorerItemMime(data);
    if (!item) return false;
    const int row = parent.isValid() && parent.row() < rowCount() ? parent.row() : -1;
    emit itemDropped(item->node, item->kind, item->tag, row);
    return true;
}

// A drop only moves a node of the tree; Copy keeps a view from removing the dragged rows.
Qt::DropActions ContentsListModel::supportedDragActions() const { return Qt::CopyAction; }
Qt::DropActions ContentsListModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

void ContentsListModel::SortBy(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kListColumnCount) return;
    // The "Date" column sorts by the date itself, as its hidden key column would.
    sortColumn_ = column == kListColDate ? kListColDateSorting : column;
    sortOrder_ = order;
    Resort();
}

void ContentsListModel::Resort() {
    if (!IsSorted()) return;
    emit layoutAboutToBeChanged();
    SortRows(rows_, sortColumn_, sortOrder_);
    emit layoutChanged();
}

void ContentsListModel::SortStagedByName() {
    if (!InNameOrder(staged_)) SortRows(staged_, kListColName, Qt::AscendingOrder);
}

bool ContentsListModel::InNameOrder(const std::vector<ListRow>& rows) const {
    QString previous;
    for (size_t i = 0; i < rows.size(); ++i) {
        QString name = Decoded(Bytes(rows[i].nameOffset, rows[i].nameLength));
        if (i > 0 && (rows[i - 1].kind == kIconFile) == (rows[i].kind == kIconFile)) {
            const int order = collator_.compare(previous, name);
            if (order > 0) return false;
            if (order == 0 && Bytes(rows[i - 1].nameOffset, rows[i - 1].nameLength) >
                                  Bytes(rows[i].nameOffset, rows[i].nameLength))
                return false;
        } else if (i > 0 && rows[i - 1].kind == kIconFile) {
            return false;  // a folder after a file
        }
        previous = std::move(name);
    }
    return true;
}

void ContentsListModel::SortRows(std::vector<ListRow>& rows, int column, Qt::SortOrder order) const {
    if (rows.size() < 2) return;
    const bool byText = column == kListColName || column == kListColNotes || column == kListColAttr ||
                        column == kListColCamera || column == kListColArtist || column == kListColAlbum ||
                        column == kListColTitle;
    // Media columns sort by the values the details hold, read once per row.
    std::vector<double> numbers;
    if (column == kListColTaken || column == kListColDuration || column == kListColDimensions) {
        numbers.reserve(rows.size());
        for (const ListRow& r : rows) {
            const FileDetails* d = RowDetails(r);
            double value = 0;
            if (d && column == kListColTaken) value = d->media.taken;
            if (d && column == kListColDuration) value = d->media.duration;
            if (d && column == kListColDimensions) value = double(d->media.width) * d->media.height;
            numbers.push_back(value);
        }
    }
    // Text columns compare collation keys made once per row, not texts decoded per comparison.
    std::vector<QCollatorSortKey> keys;
    if (byText) {
        keys.reserve(rows.size());
        for (const ListRow& r : rows) {
            QString text;
            if (column == kListColNotes) {
                text = Decoded(Bytes(r.notesOffset, r.notesLength));
            } else if (column == kListColAttr) {
                text = AttrText(r);
            } else if (IsMediaColumn(column)) {
                text = MediaText(r, column);
            } else {
                text = Decoded(Bytes(r.nameOffset, r.nameLength));
            }
            keys.push_back(collator_.sortKey(text));
        }
    }
    // The column's own order: sizes as shown (a directory's is stored negated), dates by date.
    auto columnLess = [&](size_t a, size_t b) -> bool {
        const ListRow& x = rows[a];
        const ListRow& y = rows[b];
        switch (column) {
            case kListColSize: return ShownSize(x) < ShownSize(y);
            case kListColDate:
            case kListColDateSorting: return x.date < y.date;
            case kListColTreeNodeIndex: return x.node < y.node;
            case kListColTaken:
            case kListColDuration:
            case kListColDimensions:
                if (numbers[a] != numbers[b]) return numbers[a] < numbers[b];
                return Bytes(x.nameOffset, x.nameLength) < Bytes(y.nameOffset, y.nameLength);
            default: {
                const int c = keys[a].compare(keys[b]);
                if (c != 0) return c < 0;
                // Names the collation finds equal ("a" and "A") keep one order: their bytes'.
                return Bytes(x.nameOffset, x.nameLength) < Bytes(y.nameOffset, y.nameLength);
            }
        }
    };
    // Folders (every row that is not a file) come before the files in either order.
    auto less = [&](size_t a, size_t b) -> bool {
        const bool fileA = rows[a].kind == kIconFile;
        const bool fileB = rows[b].kind == kIconFile;
        if (fileA != fileB) return fileB;
        return order == Qt::AscendingOrder ? columnLess(a, b) : columnLess(b, a);
    };
    std::vector<size_t> indices(rows.size());
    for (size_t k = 0; k < indices.size(); ++k) indices[k] = k;
    std::stable_sort(indices.begin(), indices.end(), less);
    std::vector<ListRow> sorted;
    sorted.reserve(rows.size());
    for (size_t k : indices) sorted.push_back(rows[k]);
    rows = std::move(sorted);
}

}  // namespace karvio
