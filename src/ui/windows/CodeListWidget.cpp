#include "ui/windows/CodeListWidget.h"

#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>

#include "ui/windows/CodePictureCache.h"

namespace ostiva {

CodeListWidget::CodeListWidget(QWidget* parent) : QListWidget(parent) {
    setViewMode(QListView::IconMode);
    // Free movement is what lets items be placed; dragging stays off, so the
    // technician cannot move them.
    setMovement(QListView::Free);
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setResizeMode(QListView::Fixed);
    setWrapping(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(CodePictureCache::kPictureSize);
    setUniformItemSizes(true);
    setFrameShape(QFrame::StyledPanel);
    setWordWrap(false);
    // The selection keeps its colour when the list loses focus (the report
    // edits take it as soon as the technician types).
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
}

void CodeListWidget::SetItemPosition(int row, const QPoint& point) {
    const QModelIndex index = model()->index(row, 0);
    if (!index.isValid()) return;
    // Positions are in contents coordinates, and the contents start at the
    // top left whatever the scroll bars show.
    setPositionForIndex(point, index);
}

QPoint CodeListWidget::ItemPosition(int row) const {
    const QModelIndex index = model()->index(row, 0);
    if (!index.isValid()) return QPoint(-1, -1);
    const QRect rect = visualRect(index);
    return rect.topLeft() + QPoint(horizontalOffset(), verticalOffset());
}

void CodeListWidget::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    Q_EMIT listClicked(index.isValid() ? index.row() : -1);
}

void CodeListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    Q_EMIT listDoubleClicked(index.isValid() ? index.row() : -1);
}

}  // namespace ostiva
