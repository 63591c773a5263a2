#include "search/SearchResultsModel.h"

#include <algorithm>
#include <cmath>

#include "CatalogueText.h"
#include "DateText.h"
#include "Format.h"
#include "ListExports.h"
#include "controls/AttributeText.h"
#include "controls/ItemIcons.h"

namespace karvio {

namespace {

const char* const kHeadings[kSearchColumnCount] = {
    QT_TRANSLATE_NOOP("karvio::SearchResultsModel", "FileName"),
    QT_TRANSLATE_NOOP("karvio::SearchResultsModel", "CD Name"),
    QT_TRANSLATE_NOOP("karvio::SearchResultsModel", "Path"),
    QT_TRANSLATE_NOOP("karvio::SearchResultsModel", "Date"),
    QT_TRANSLATE_NOOP("karvio::SearchResultsModel", "Size"),
    QT_TRANSLATE_NOOP("karvio::SearchResultsModel", "Attributes"),
    QT_TRANSLATE_NOOP("karvio::SearchResultsModel", "Notes"),
    "FileId"};

QString Shown(std::string_view bytes) {
    return QString::fromStdString(DecodeCatalogueText(bytes));
}

QString Trimmed(const std::string& padded) {
    return QString::fromStdString(padded).trimmed();
}

template <typename T>
int Compare(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

SearchResultsModel::SearchResultsModel(QObject* parent) : QAbstractTableModel(parent) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
    slots_.push_back({0, 0});  // text id 0 is the empty text
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int SearchResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kSearchColumnCount;
}

QVariant SearchResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kSearchColumnCount) return {};
    if (role == Qt::DisplayRole) return tr(kHeadings[section]);
    if (role == Qt::TextAlignmentRole && section == kColSize)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return Text(index.row(), index.column());
        case Qt::TextAlignmentRole:
            if (index.column() == kColSize)
                return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
            return {};
        case Qt::DecorationRole:
            if (index.column() == kColFileName) {
                const int kind = Record(index.row()).kind;
                auto found = icons_.find(kind);
                if (found == icons_.end()) found = icons_.emplace(kind, ItemIcon(kind)).first;
                return found->second;
            }
            return {};
        default:
            return {};
    }
}

QString SearchResultsModel::Text(int row, int column) const {
    const Row& r = RowAt(row);
    switch (column) {
        case kColFileName:
            return Shown(TextOf(r.name));
        case kColCdName:
            return Shown(TextOf(r.cdName));
        case kColPath: {
            // Shown as the system writes paths; the row keeps the catalogue's text.
            const std::string_view path = TextOf(r.path);
            return QString::fromStdString(r.kind == SearchHitKind::Cd ? NativeBasePath(path)
                                                                      : NativeCataloguePath(path));
        }
        case kColDate:
            return QString::fromStdString(DateToText(r.date));
        case kColSize:
            return Trimmed(FormatSize(r.size));
        case kColAttributes:
            return AttributesText(r.attributes);
        case kColNotes:
            return Shown(FlattenLines(std::string(TextOf(r.notes))));
        case kColFileId:
            return QString::number(r.id);
        default:
            return {};
    }
}

RecordRef SearchResultsModel::Record(int row) const {
    const Row& r = RowAt(row);
    switch (r.kind) {
        case SearchHitKind::Cd:
            return {kIconCd, r.cdId, 0, 0};
        case SearchHitKind::Directory:
            return {kIconDirectory, r.cdId, r.dirId, 0};
        default:
            return {kIconFile, r.cdId, r.dirId, r.id};
    }
}

SearchHitKind SearchResultsModel::Kind(int row) const {
    return RowAt(row).kind;
}
int32_t SearchResultsModel::Id(int row) const {
    return RowAt(row).id;
}
void SearchResultsModel::WriteExportRow(int row, ListWriter& writer) const {
    const Row& r = RowAt(row);
    const char* kind = r.kind == SearchHitKind::Cd          ? "cd"
                       : r.kind == SearchHitKind::Directory ? "dir"
                                                            : "file";
    const std::string path = CatalogueRowPath(kind, TextOf(r.path), TextOf(r.name));
    // A directory's size is stored negated.
    const double bytes = std::fabs(r.size);
    const int64_t size =
        std::isfinite(bytes) && bytes < 9.2e18 ? static_cast<int64_t>(std::llround(bytes)) : 0;
    WriteCatalogueRow(writer, {kind, r.id, r.cdId, TextOf(r.cdName), path, TextOf(r.name), size,
                               r.date, r.attributes, TextOf(r.notes)});
}

std::string_view SearchResultsModel::Name(int row) const {
    return TextOf(RowAt(row).name);
}
std::string_view SearchResultsModel::Path(int row) const {
    return TextOf(RowAt(row).path);
}

SearchResultsModel::TextId SearchResultsModel::Intern(const std::string& text, TextId* last) {
    if (text.empty()) return 0;
    if (last && *last != 0 && TextOf(*last) == text) return *last;
    const Slot slot{pool_.size(), static_cast<uint32_t>(text.size())};
    pool_.insert(pool_.end(), text.begin(), text.end());
    slots_.push_back(slot);
    const auto id = static_cast<TextId>(slots_.size() - 1);
    if (last) *last = id;
    return id;
}

std::string_view SearchResultsModel::TextOf(TextId id) const {
    const Slot& slot = slots_[id];
    return {pool_.data() + slot.offset, slot.length};
}

void SearchResultsModel::AddPending(const SearchHit& hit) {
    Row row{};
    row.kind = hit.kind;
    row.id = hit.id;
    row.cdId = hit.cdId;
    row.dirId = hit.dirId;
    row.attributes = hit.attributes;
    row.date = hit.date;
    row.size = hit.size;
    row.name = Intern(hit.name, nullptr);
    row.cdName = Intern(hit.cdName, &lastCdName_);
    row.path = Intern(hit.path, &lastPath_);
    row.notes = Intern(hit.notes, nullptr);
    pending_.push_back(row);
}

int SearchResultsModel::Flush() {
    if (pending_.empty()) return 0;
    const auto first = static_cast<int>(order_.size());
    const auto count = static_cast<int>(pending_.size());
    beginInsertRows({}, first, first + count - 1);
    for (const Row& row : pending_) {
        order_.push_back(static_cast<uint32_t>(rows_.size()));
        rows_.push_back(row);
    }
    pending_.clear();
    endInsertRows();
    if (sortColumn_ >= 0) {
        // The new rows go to their sorted places: the earlier rows are in order already.
        Relayout([&] {
            const auto middle = order_.begin() + first;
            auto before = [this](uint32_t a, uint32_t b) { return Before(a, b); };
            std::sort(middle, order_.end(), before);
            std::inplace_merge(order_.begin(), middle, order_.end(), before);
        });
    }
    return count;
}

int SearchResultsModel::LastAddedRow() const {
    if (rows_.empty()) return -1;
    if (sortColumn_ < 0) return static_cast<int>(order_.size()) - 1;
    const auto newest = static_cast<uint32_t>(rows_.size() - 1);
    const auto found = std::find(order_.begin(), order_.end(), newest);
    return static_cast<int>(found - order_.begin());
}

void SearchResultsModel::Clear() {
    beginResetModel();
    rows_.clear();
    order_.clear();
    pending_.clear();
    pool_.clear();
    slots_.assign(1, Slot{0, 0});
    keys_.clear();
    lastCdName_ = lastPath_ = 0;
    endResetModel();
}

void SearchResultsModel::RemoveCd(int32_t cdId) {
    std::erase_if(pending_, [cdId](const Row& r) { return r.cdId == cdId; });
    if (std::none_of(rows_.begin(), rows_.end(), [cdId](const Row& r) { return r.cdId == cdId; }))
        return;
    beginResetModel();
    // New positions of the rows kept, so the shown order (sorted or not) stays.
    std::vector<uint32_t> moved(rows_.size(), UINT32_MAX);
    std::vector<Row> kept;
    kept.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].cdId == cdId) continue;
        moved[i] = static_cast<uint32_t>(kept.size());
        kept.push_back(rows_[i]);
    }
    std::vector<uint32_t> order;
    order.reserve(kept.size());
    for (const uint32_t index : order_) {
        if (moved[index] != UINT32_MAX) order.push_back(moved[index]);
    }
    rows_ = std::move(kept);
    order_ = std::move(order);
    endResetModel();
}

void SearchResultsModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kSearchColumnCount) return;
    sortColumn_ = column;
    sortOrder_ = order;
    Relayout([&] {
        std::stable_sort(order_.begin(), order_.end(),
                         [this](uint32_t a, uint32_t b) { return Before(a, b); });
    });
}

template <typename Reorder>
void SearchResultsModel::Relayout(Reorder reorder) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<uint32_t> held;
    held.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& index : before)
        held.push_back(order_[static_cast<size_t>(index.row())]);
    reorder();
    std::vector<int> shownAt(rows_.size());
    for (size_t row = 0; row < order_.size(); ++row) shownAt[order_[row]] = static_cast<int>(row);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.push_back(index(shownAt[held[static_cast<size_t>(i)]], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const QCollatorSortKey& SearchResultsModel::KeyOf(TextId id) const {
    if (keys_.size() < slots_.size()) keys_.resize(slots_.size());
    std::optional<QCollatorSortKey>& key = keys_[id];
    if (!key)
        key.emplace(collator_.sortKey(Shown(FlattenLines(std::string(TextOf(id)))).toCaseFolded()));
    return *key;
}

int SearchResultsModel::CompareText(TextId a, TextId b) const {
    if (a == b) return 0;
    return KeyOf(a).compare(KeyOf(b));
}

bool SearchResultsModel::Before(uint32_t a, uint32_t b) const {
    const Row& x = rows_[a];
    const Row& y = rows_[b];
    int c = 0;
    switch (sortColumn_) {
        case kColFileName:
            c = CompareText(x.name, y.name);
            break;
        case kColCdName:
            c = CompareText(x.cdName, y.cdName);
            break;
        case kColPath:
            c = CompareText(x.path, y.path);
            break;
        case kColDate:
            c = Compare(x.date, y.date);
            break;
        case kColSize:
            c = Compare(std::fabs(x.size), std::fabs(y.size));
            break;
        case kColAttributes: {
            auto keyOf = [this](int32_t attributes) -> const QCollatorSortKey& {
                auto found = attributeKeys_.find(attributes);
                if (found == attributeKeys_.end())
                    found = attributeKeys_
                                .emplace(attributes, collator_.sortKey(AttributesText(attributes)))
                                .first;
                return found->second;
            };
            c = x.attributes == y.attributes ? 0 : keyOf(x.attributes).compare(keyOf(y.attributes));
            break;
        }
        case kColNotes:
            c = CompareText(x.notes, y.notes);
            break;
        case kColFileId:
            c = Compare(x.id, y.id);
            break;
        default:
            break;
    }
    if (sortOrder_ == Qt::DescendingOrder) c = -c;
    // Equal keys keep the order in which the walk found them.
    return c != 0 ? c < 0 : a < b;
}

}  // namespace karvio
