// A one-column tree view for trees that can be very deep: its column is as wide as its widest
// shown node, so a horizontal scroll bar appears where nodes reach past the pane's edge, and the
// node that is scrolled to (the current one, as keys move it) is brought into view sideways too.
// Qt's own view scrolls back to the column's left edge whenever the column is wider than the
// pane, which leaves deep nodes out of reach. User-interface thread.
#pragma once

#include <QTreeView>

namespace karvio {

class DeepTreeView : public QTreeView {
    Q_OBJECT

public:
    explicit DeepTreeView(QWidget* parent = nullptr);

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    // The column is never narrower than the pane, so a selected row is marked across it.
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace karvio
