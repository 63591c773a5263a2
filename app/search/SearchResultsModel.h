// The search window's result list as a table model: one compact row per hit (kind, record ids,
// date, size, attributes and handles of its texts in a byte pool) with the shown texts formatted
// in data() on demand. Hits are collected as they arrive and appended in batches by Flush, so a
// walk with hundreds of thousands of hits costs one insert per batch. Sorting is by typed keys
// (texts by the locale's collation, letter case ignored; dates, sizes and ids by value) and keeps
// its order while new batches arrive. User-interface thread.
#pragma once

#include <QAbstractTableModel>
#include <QCollator>
#include <QCollatorSortKey>
#include <QIcon>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "CatalogueSearch.h"
#include "mainwindow/MainWindowTargets.h"

namespace karvio {

class ListWriter;

// The result list's columns, in the order of their headings.
enum SearchColumn : int {
    kColFileName,
    kColCdName,
    kColPath,
    kColDate,
    kColSize,
    kColAttributes,
    kColNotes,
    kColFileId,
    kSearchColumnCount
};

class SearchResultsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit SearchResultsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    // Collects one hit; it is shown at the next Flush.
    void AddPending(const SearchHit& hit);
    // Appends the collected hits as one batch (in sorted place when a sort is on); the number
    // of rows added.
    int Flush();
    // Drops every row and the collected hits; the sort stays as it was.
    void Clear();
    // Drops the rows (shown and collected) of one CD.
    void RemoveCd(int32_t cdId);

    // The record a row stands for (kind 2 for a CD, 4 a directory, 5 a file), and what it
    // shows: texts are catalogue bytes.
    RecordRef Record(int row) const;
    SearchHitKind Kind(int row) const;
    int32_t Id(int row) const;
    std::string_view Name(int row) const;
    std::string_view Path(int row) const;
    // The row's text in a column, as shown.
    QString Text(int row, int column) const;
    // Writes the row as an exported list's catalogue row (the columns of kCatalogueListColumns).
    void WriteExportRow(int row, ListWriter& writer) const;

    int SortColumn() const { return sortColumn_; }
    Qt::SortOrder SortOrder() const { return sortOrder_; }
    size_t PendingCount() const { return pending_.size(); }
    // The shown row of the hit that arrived last; -1 when there is none.
    int LastAddedRow() const;

private:
    using TextId = uint32_t;
    struct Row {
        int32_t id;
        int32_t cdId;
        int32_t dirId;
        int32_t attributes;
        double date;
        double size;
        TextId name, cdName, path, notes;
        SearchHitKind kind;
    };
    struct Slot {
        uint64_t offset;
        uint32_t length;
    };

    TextId Intern(const std::string& text, TextId* last);
    std::string_view TextOf(TextId id) const;
    const Row& RowAt(int row) const { return rows_[order_[static_cast<size_t>(row)]]; }
    // Whether row `a` comes before row `b` in the current sort.
    bool Before(uint32_t a, uint32_t b) const;
    int CompareText(TextId a, TextId b) const;
    const QCollatorSortKey& KeyOf(TextId id) const;
    TextId SortText(const Row& row) const;
    // Reorders order_ by `reorder` and moves the persistent indexes along.
    template <typename Reorder>
    void Relayout(Reorder reorder);

    std::vector<Row> rows_;        // in arrival order
    std::vector<uint32_t> order_;  // shown row -> rows_ index
    std::vector<Row> pending_;
    std::vector<char> pool_;
    std::vector<Slot> slots_;
    TextId lastCdName_ = 0, lastPath_ = 0;  // consecutive hits mostly share these
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    QCollator collator_;
    mutable std::vector<std::optional<QCollatorSortKey>> keys_;  // by text id, made on demand
    mutable std::unordered_map<int32_t, QCollatorSortKey> attributeKeys_;
    // The style makes an icon from its picture files on every call; a list repaints its rows on
    // every batch.
    mutable std::unordered_map<int, QIcon> icons_;
};

}  // namespace karvio
