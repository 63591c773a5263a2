// The explorer's contents list: the rows of one tree node's children (categories, CDs, folders,
// directories) followed by the files of the directory the node stands for. A row is compact
// (kind, record id, tree node, size, date, attributes and where its texts lie in a byte pool);
// the texts shown are formatted in data() when a view asks. Seven columns: "Name", "Size",
// "Date", "Attr", "Notes" and the hidden "TreeNodeIndex" and "DateSorting"; then the media
// columns ("Taken", "Camera", "Artist", "Album", "Title", "Duration", "Dimensions") and, in Large
// Icons, pictures' thumbnails, both read from the details database for the rows a view paints.
// Sorting is by typed keys: sizes by value, dates by date, texts by the locale's collation.
// User-interface thread.
#pragma once

#include <QAbstractTableModel>
#include <QCollator>
#include <QHash>
#include <QIcon>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "explorer/ListDetails.h"

namespace karvio {

class classData;

enum ListColumn {
    kListColName,
    kListColSize,
    kListColDate,
    kListColAttr,
    kListColNotes,
    kListColTreeNodeIndex,
    kListColDateSorting,
    kListColTaken,
    kListColCamera,
    kListColArtist,
    kListColAlbum,
    kListColTitle,
    kListColDuration,
    kListColDimensions,
    kListColumnCount,
    kListColFirstMedia = kListColTaken
};

struct ListRow {
    int32_t kind = 0;
    int32_t tag = 0;       // record id
    int64_t node = -1;     // tree node handle; -1 for a file
    double size = 0;
    double date = 0;
    int32_t attr = 0;
    uint32_t nameOffset = 0, nameLength = 0;
    uint32_t notesOffset = 0, notesLength = 0;
    bool archive = false;  // a file whose members open like a folder's
};

class ContentsListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Role { KindRole = Qt::UserRole + 1, TagRole, NodeRole };

    explicit ContentsListModel(QObject* parent = nullptr);

    // Removes every row.
    void Clear();
    // Rows are gathered with Stage and shown with Flush, so a long fill shows them in batches.
    void Stage(int32_t kind, int32_t tag, int64_t node, std::string_view name, double size,
               double date, int32_t attr, std::string_view notes);
    void Flush();
    // Puts the rows staged so far in name order, folders first (a directory's files come in the
    // byte order of the scan, which often is that order already).
    void SortStagedByName();
    size_t StagedCount() const { return staged_.size(); }

    const ListRow& Row(int row) const { return rows_[static_cast<size_t>(row)]; }
    QString Name(int row) const;
    std::string_view NameBytes(int row) const;
    QString Notes(int row) const;  // as stored (several lines)
    void SetNotes(int row, std::string_view notes);
    // Reads which of the listed files (the rows shown and staged) of CD `cdId` have details,
    // through the catalogue `data` has open; the details themselves are read as views ask.
    void OpenDetails(classData& data, int32_t cdId);
    // Large Icons show pictures' thumbnails in squares of `side` pixels (0: the files' icons).
    void SetThumbnailSide(int side);
    // Whether some listed file has a thumbnail.
    bool HasThumbnails() const { return details_.AnyThumbnail(); }
    const ListDetails& Details() const { return details_; }
    static bool IsMediaColumn(int column) { return column >= kListColFirstMedia && column < kListColumnCount; }
    // Marks the file rows whose record ids are in `fileIds` (ascending) as archives that open.
    void MarkArchives(const std::vector<int32_t>& fileIds);

    // Sorts by `column` (the "Date" column by the date) and keeps that order for later fills.
    void SortBy(int column, Qt::SortOrder order);
    bool IsSorted() const { return sortColumn_ >= 0; }
    int SortColumn() const { return sortColumn_; }
    Qt::SortOrder SortOrder() const { return sortOrder_; }
    // Applies the kept order to the rows shown now.
    void Resort();

    // The shown texts of the cells, as the user reads them.
    QString CellText(int row, int column) const;
    // Whether the row shows a size, date and attributes of its own.
    static bool HasOwnValues(const ListRow& row);
    // The size the row shows (0 when it shows none), by which the "Size" column sorts.
    static double ShownSize(const ListRow& row);
    static QString AttrText(const ListRow& row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order) override { SortBy(column, order); }

    // Editing and drag and drop. As in the tree, the model reports and the explorer decides.
    // Gives the row a new name (stored bytes).
    void SetName(int row, std::string_view name);
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

signals:
    // A name edit ended with `text` (possibly empty) on the row.
    void nameEdited(int row, const QString& text);
    // A drag was started on a directory or a file row.
    void dragRefused();
    // An item of the explorer was dropped on the row (-1: on no row).
    void itemDropped(uint32_t sourceNode, int32_t sourceKind, int32_t sourceTag, int row);

private:
    QIcon RowIcon(const ListRow& row) const;
    const FileDetails* RowDetails(const ListRow& row) const;
    QString MediaText(const ListRow& row, int column) const;
    std::string_view Bytes(uint32_t offset, uint32_t length) const;
    void SortRows(std::vector<ListRow>& rows, int column, Qt::SortOrder order) const;
    // Whether the rows are in the order SortRows gives by name, ascending.
    bool InNameOrder(const std::vector<ListRow>& rows) const;

    std::vector<ListRow> rows_;
    std::vector<ListRow> staged_;
    std::string pool_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    QCollator collator_;
    mutable QHash<QString, QIcon> fileIcons_;  // by file-name suffix
    mutable ListDetails details_;
    int thumbnailSide_ = 0;
};

// The date key of the hidden "DateSorting" column: year, month, day, hour, minute, second as
// fixed-width digits ("20240301140509"), so text order is date order.
QString DateSortingKey(double date);

}  // namespace karvio
