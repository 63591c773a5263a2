// The rows of the duplicates window: groups of copies of the same file, each opening to its
// copies (disc, category, path), or, for the files on one disc only, one row per file. Holds the
// listings the answer was found in, so names and paths are read from them as the rows are drawn.
// Sorting orders the groups (or the files) by a column; a group's copies keep catalogue order.
// User-interface thread.
#pragma once

#include <QAbstractItemModel>
#include <cstdint>
#include <string>
#include <vector>

#include "Duplicates.h"
#include "mainwindow/MainWindowTargets.h"

namespace karvio {

// What one search for duplicates found.
struct DuplicatesAnswer {
    std::vector<ListedCd> cds;
    bool single = false;                 // files on one disc only
    std::vector<DuplicateGroup> groups;  // without `single`
    std::vector<FileRef> singles;        // with `single`
    size_t hashes = 0;                   // recorded content hashes the search could use
    std::string note;                    // why the details could not be read, if they could not
};

enum DuplicatesColumn {
    kDupColName,
    kDupColCopies,
    kDupColSize,
    kDupColSpace,
    kDupColDisc,
    kDupColCategory,
    kDupColPath,
    kDupColumnCount
};

class DuplicatesModel : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit DuplicatesModel(QObject* parent = nullptr);

    void SetAnswer(DuplicatesAnswer answer);
    void Clear();
    const DuplicatesAnswer& Answer() const { return answer_; }

    // The group (or file on one disc only) of the answer shown at top-level row `row`.
    size_t TopAt(int row) const { return Top(row); }
    // The file a row stands for: a copy, a file on one disc only, or a group's first copy.
    FileRef FileAt(const QModelIndex& index) const;
    bool IsGroup(const QModelIndex& index) const;
    // The catalogue record of that file, as the views reveal it.
    RecordRef Record(const QModelIndex& index) const;
    // Its name as stored (catalogue bytes).
    std::string StoredName(const QModelIndex& index) const;

    // Totals for the status line: rows (groups or files), files, and the bytes that removing all
    // copies but one would free (for files on one disc only: their bytes).
    int64_t FileCount() const;
    int64_t Bytes() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // The column the rows were last sorted by, -1 while they stand as found.
    int SortColumn() const { return sortColumn_; }
    Qt::SortOrder SortOrder() const { return sortOrder_; }

private:
    // The top-level row's group (or single file) behind `row`.
    size_t Top(int row) const { return order_[static_cast<size_t>(row)]; }
    const ListingEntry& Entry(const FileRef& ref) const {
        return answer_.cds[ref.cd].listing[ref.entry];
    }
    QString Name(const FileRef& ref) const;

    DuplicatesAnswer answer_;
    std::vector<uint32_t> order_;  // top-level rows in shown order
    std::vector<int> rowOf_;       // the shown row of each group (or single file)
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace karvio
