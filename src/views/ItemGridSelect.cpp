// The grid's selection: Ctrl and Shift clicks, the rubber band, Shift with the keys that
// move and Ctrl+A. The rules themselves are GridSelection's; this only feeds it.
#include "views/ItemGridView.h"

#include "views/PanelAccessibility.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

bool ItemGridView::clearSelection() {
    if (!m_selection.clear())
        return false;
    selectionChanged();
    return true;
}

void ItemGridView::selectAll() {
    m_selection.selectAll(m_items);
    selectionChanged();
}

QList<NookItem> ItemGridView::actedOn(const NookItem& item) const {
    return m_selection.contains(item.id) ? selectedItems() : QList<NookItem>{item};
}

void ItemGridView::selectionChanged() {
    viewport()->update();
    PanelAccessibility::announceSelection(this);
}

bool ItemGridView::clickSelects(int index, Qt::KeyboardModifiers modifiers) {
    const int from = m_focus.index();
    // The keyboard goes on from the cell clicked.
    m_focus.setIndex(index, int(m_items.size()));
    if (modifiers.testFlag(Qt::ShiftModifier))
        m_selection.shiftClick(m_items, from, index);
    else if (modifiers.testFlag(Qt::ControlModifier))
        m_selection.ctrlClick(m_items, index);
    else
        m_selection.click(m_items, index);
    selectionChanged();
    return modifiers & (Qt::ShiftModifier | Qt::ControlModifier);
}

// ---- the rubber band, from a press on empty grid space

void ItemGridView::beginBand(const QPoint& pos, bool add) {
    m_bandStart = pos + QPoint(0, verticalScrollBar()->value());
    m_bandEnd = *m_bandStart;
    m_selection.beginBand(add);
}

QRect ItemGridView::rubberBand() const {
    if (!m_bandStart)
        return {};
    const QPoint scroll(0, verticalScrollBar()->value());
    return QRect(*m_bandStart - scroll, m_bandEnd - scroll).normalized();
}

void ItemGridView::bandTo(const QPoint& pos) {
    const QRect before = rubberBand();
    // Past the top or bottom edge the view scrolls towards the pointer.
    QScrollBar* bar = verticalScrollBar();
    if (pos.y() < 0 || pos.y() > viewport()->height())
        bar->setValue(bar->value() + (pos.y() < 0 ? pos.y() : pos.y() - viewport()->height()));
    m_bandEnd = pos + QPoint(0, bar->value());
    m_selection.band(m_items, gridGeometry().indexesIn(rubberBand()));
    viewport()->update(before.united(rubberBand()).adjusted(-2, -2, 2, 2));
    selectionChanged();
}

// A press on empty space that never moved is a click there: it clears the selection (but with Ctrl).
bool ItemGridView::endBand() {
    if (!m_bandStart)
        return false;
    m_selection.band(m_items, gridGeometry().indexesIn(rubberBand()));
    m_bandStart.reset();
    selectionChanged();
    return true;
}

void ItemGridView::paintRubberBand(QPainter& painter) {
    const QRect band = rubberBand();
    if (band.isEmpty())
        return;
    QColor fill = palette().color(QPalette::Highlight);
    QColor edge = fill;
    fill.setAlphaF(0.18);
    edge.setAlphaF(0.8);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(fill);
    painter.drawRect(QRectF(band).adjusted(0.5, 0.5, -0.5, -0.5));
}

// ---- keys

bool ItemGridView::selectAllKey(const QKeyEvent* event) {
    if (!event->matches(QKeySequence::SelectAll) || m_items.isEmpty())
        return false;
    selectAll();
    return true;
}

void ItemGridView::keyboardMoved(int from, bool shift) {
    if (shift)
        m_selection.shiftMove(m_items, from, m_focus.index());
    else
        m_selection.click(m_items, m_focus.index());
    selectionChanged();
}
