#include "compare/DuplicatesModel.h"

#include <QCollator>
#include <QFont>
#include <QLocale>
#include <algorithm>
#include <numeric>

#include "CatalogueText.h"
#include "controls/ItemIcons.h"
#include "controls/SizeText.h"

namespace karvio {

DuplicatesModel::DuplicatesModel(QObject* parent) : QAbstractItemModel(parent) {}

void DuplicatesModel::SetAnswer(DuplicatesAnswer answer) {
    beginResetModel();
    answer_ = std::move(answer);
    const size_t count = answer_.single ? answer_.singles.size() : answer_.groups.size();
    order_.resize(count);
    std::iota(order_.begin(), order_.end(), 0u);
    rowOf_.resize(count);
    std::iota(rowOf_.begin(), rowOf_.end(), 0);
    sortColumn_ = -1;
    endResetModel();
}

void DuplicatesModel::Clear() {
    SetAnswer({});
}

FileRef DuplicatesModel::FileAt(const QModelIndex& index) const {
    if (!index.isValid()) return {};
    if (index.internalId() != 0) {
        const DuplicateGroup& g = answer_.groups[index.internalId() - 1];
        return g.copies[static_cast<size_t>(index.row())];
    }
    const size_t top = Top(index.row());
    return answer_.single ? answer_.singles[top] : answer_.groups[top].copies.front();
}

bool DuplicatesModel::IsGroup(const QModelIndex& index) const {
    return index.isValid() && index.internalId() == 0 && !answer_.single;
}

RecordRef DuplicatesModel::Record(const QModelIndex& index) const {
    const FileRef ref = FileAt(index);
    const ListedCd& cd = answer_.cds[ref.cd];
    const ListingEntry& e = cd.listing[ref.entry];
    const int32_t dirId =
        e.parent >= 0 ? cd.listing[static_cast<size_t>(e.parent)].id : cd.listing.TopId();
    return {kIconFile, cd.cdId, dirId, e.id};
}

std::string DuplicatesModel::StoredName(const QModelIndex& index) const {
    const FileRef ref = FileAt(index);
    return std::string(answer_.cds[ref.cd].listing.Name(ref.entry));
}

int64_t DuplicatesModel::FileCount() const {
    if (answer_.single) return static_cast<int64_t>(answer_.singles.size());
    int64_t files = 0;
    for (const DuplicateGroup& g : answer_.groups) files += static_cast<int64_t>(g.copies.size());
    return files;
}

int64_t DuplicatesModel::Bytes() const {
    int64_t bytes = 0;
    if (answer_.single) {
        for (const FileRef& r : answer_.singles) bytes += Entry(r).size;
    } else {
        for (const DuplicateGroup& g : answer_.groups) bytes += g.Spare();
    }
    return bytes;
}

QString DuplicatesModel::Name(const FileRef& ref) const {
    return QString::fromStdString(DecodeCatalogueText(answer_.cds[ref.cd].listing.Name(ref.entry)));
}

QModelIndex DuplicatesModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kDupColumnCount) return {};
    if (!parent.isValid()) {
        return row < static_cast<int>(order_.size()) ? createIndex(row, column, quintptr{0})
                                                     : QModelIndex();
    }
    if (!IsGroup(parent)) return {};
    const size_t group = Top(parent.row());
    if (row >= static_cast<int>(answer_.groups[group].copies.size())) return {};
    return createIndex(row, column, static_cast<quintptr>(group + 1));
}

QModelIndex DuplicatesModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0) return {};
    return createIndex(rowOf_[child.internalId() - 1], 0, quintptr{0});
}

int DuplicatesModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(order_.size());
    if (parent.column() != 0 || !IsGroup(parent)) return 0;
    return static_cast<int>(answer_.groups[Top(parent.row())].copies.size());
}

int DuplicatesModel::columnCount(const QModelIndex&) const {
    return kDupColumnCount;
}

QVariant DuplicatesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const bool group = IsGroup(index);
    const FileRef ref = FileAt(index);
    const ListedCd& cd = answer_.cds[ref.cd];
    const ListingEntry& e = cd.listing[ref.entry];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            switch (column) {
                case kDupColName:
                    return Name(ref);
                case kDupColCopies:
                    return group ? QLocale().toString(static_cast<qlonglong>(
                                       answer_.groups[Top(index.row())].copies.size()))
                                 : QVariant();
                case kDupColSize:
                    return ListSizeText(static_cast<double>(e.size));
                case kDupColSpace:
                    return group ? ListSizeText(static_cast<double>(
                                       answer_.groups[Top(index.row())].Space()))
                                 : QVariant();
                case kDupColDisc:
                    if (group) {
                        const size_t discs = answer_.groups[Top(index.row())].Discs();
                        return discs == 1
                                   ? tr("1 disc")
                                   : tr("%1 discs")
                                         .arg(QLocale().toString(static_cast<qlonglong>(discs)));
                    }
                    return QString::fromStdString(DecodeCatalogueText(cd.name));
                case kDupColCategory:
                    return group ? QVariant()
                                 : QString::fromStdString(DecodeCatalogueText(cd.categoryName));
                case kDupColPath:
                    return group ? QVariant()
                                 : QString::fromStdString(cd.listing.VolumePath(ref.entry));
            }
            return {};
        case Qt::ToolTipRole:
            if (column == kDupColSize) return ExactSizeText(static_cast<double>(e.size));
            if (column == kDupColSpace && group) {
                const DuplicateGroup& g = answer_.groups[Top(index.row())];
                return tr("%1 in all; %2 would be freed by keeping one copy")
                    .arg(ExactSizeText(static_cast<double>(g.Space())),
                         ExactSizeText(static_cast<double>(g.Spare())));
            }
            if (column == kDupColName && group && answer_.groups[Top(index.row())].hash) {
                return tr("Content hash %1")
                    .arg(QString::fromStdString(answer_.groups[Top(index.row())].hash->Hex()));
            }
            if (column == kDupColPath && !group)
                return QString::fromStdString(cd.listing.VolumePath(ref.entry));
            return {};
        case Qt::TextAlignmentRole:
            if (column == kDupColCopies || column == kDupColSize || column == kDupColSpace)
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        case Qt::FontRole:
            if (group) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::DecorationRole:
            if (column == kDupColName && !group) return ItemIcon(kIconFile);
            return {};
    }
    return {};
}

QVariant DuplicatesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case kDupColName:
            return tr("Name");
        case kDupColCopies:
            return tr("Copies");
        case kDupColSize:
            return tr("Size");
        case kDupColSpace:
            return tr("Space");
        case kDupColDisc:
            return tr("Disc");
        case kDupColCategory:
            return tr("Category");
        case kDupColPath:
            return tr("Path");
    }
    return {};
}

void DuplicatesModel::sort(int column, Qt::SortOrder order) {
    if (order_.empty()) return;
    sortColumn_ = column;
    sortOrder_ = order;
    beginResetModel();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    auto first = [this](uint32_t top) {
        return answer_.single ? answer_.singles[top] : answer_.groups[top].copies.front();
    };
    // Numbers compare as numbers, texts by the user's collation; ties keep catalogue order.
    auto number = [&](uint32_t top) -> int64_t {
        switch (column) {
            case kDupColCopies:
                return answer_.single ? 1 : static_cast<int64_t>(answer_.groups[top].copies.size());
            case kDupColSpace:
                return answer_.single ? Entry(first(top)).size : answer_.groups[top].Space();
            default:
                return Entry(first(top)).size;
        }
    };
    auto text = [&](uint32_t top) -> QString {
        const FileRef ref = first(top);
        const ListedCd& cd = answer_.cds[ref.cd];
        switch (column) {
            case kDupColDisc:
                return QString::fromStdString(DecodeCatalogueText(cd.name));
            case kDupColCategory:
                return QString::fromStdString(DecodeCatalogueText(cd.categoryName));
            case kDupColPath:
                return QString::fromStdString(cd.listing.VolumePath(ref.entry));
            default:
                return Name(ref);
        }
    };
    std::iota(order_.begin(), order_.end(), 0u);
    const bool numeric = column == kDupColCopies || column == kDupColSize || column == kDupColSpace;
    if (numeric) {
        std::vector<int64_t> keys(order_.size());
        for (uint32_t i = 0; i < keys.size(); ++i) keys[i] = number(i);
        std::stable_sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) {
            return order == Qt::AscendingOrder ? keys[a] < keys[b] : keys[a] > keys[b];
        });
    } else {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(order_.size());
        for (uint32_t i = 0; i < order_.size(); ++i) keys.push_back(collator.sortKey(text(i)));
        std::stable_sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) {
            const int c = keys[a].compare(keys[b]);
            return order == Qt::AscendingOrder ? c < 0 : c > 0;
        });
    }
    for (size_t row = 0; row < order_.size(); ++row) rowOf_[order_[row]] = static_cast<int>(row);
    endResetModel();
}

}  // namespace karvio
