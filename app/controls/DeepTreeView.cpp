#include "controls/DeepTreeView.h"

#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

namespace karvio {

DeepTreeView::DeepTreeView(QWidget* parent) : QTreeView(parent) {
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void DeepTreeView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    header()->setMinimumSectionSize(std::max(viewport()->width(), 1));
}

void DeepTreeView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QScrollBar* bar = horizontalScrollBar();
    const int before = bar->value();
    QTreeView::scrollTo(index, hint);
    bar->setValue(before);
    if (!index.isValid()) return;
    // The node's picture and caption start after its indentation; they are shown from a little
    // before that point when any part of them lies outside the pane.
    const QRect item = visualRect(index);
    if (!item.isValid()) return;
    const int width = viewport()->width();
    const int shown = std::min(sizeHintForIndex(index).width(), width - indentation());
    if (item.left() < 0 || item.left() + shown > width)
        bar->setValue(bar->value() + item.left() - indentation());
}

}  // namespace karvio
