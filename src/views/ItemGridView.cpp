#include "views/ItemGridView.h"

#include "model/IconCache.h"
#include "views/PanelAccessibility.h"
#include "views/PanelPainting.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

ItemGridView::ItemGridView(IconCache& icons, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_icons(icons)
    , m_animations([this](const QUuid& id) { updateCellArea(id); })
    , m_reorder([this](const QUuid& dragged, const QUuid& target) { moveItem(dragged, target); }) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    viewport()->setAcceptDrops(true);
    verticalScrollBar()->setSingleStep(20);
    connect(&m_keys, &ModifierTracker::changed, this, [this] {
        if (m_hovered)
            refreshCell(*m_hovered, 150);
    });
    connect(&m_icons, &IconCache::iconLoaded, this, &ItemGridView::updateCellArea);
}

ItemGridView::~ItemGridView() = default;

void ItemGridView::setShape(int columns, double iconSize) {
    m_columns = std::max(1, columns);
    m_iconSize = iconSize;
    updateScrollBar();
    updateHoverFromCursor();
    viewport()->update();
    emit viewChanged();
}

void ItemGridView::setItems(const QList<NookItem>& items, bool fromTop) {
    // The very list shown (another nook changed, or the panel shows again): a large one costs
    // a noticeable moment to index again.
    const bool same = items.constData() == m_items.constData() && items.size() == m_items.size();
    if (!fromTop && same)
        return;
    // The keyboard stays on its item where it is still there, else on the cell that took its place.
    const std::optional<QUuid> focused =
        m_focus.index() < m_items.size() ? std::optional(m_items.at(m_focus.index()).id) : std::nullopt;
    m_items = items;
    if (!same)
        m_indexOf.clear(); // made again when first asked: a first showing maps sooner without it
    const int kept = focused ? indexOf(*focused) : -1;
    m_focus.setIndex(fromTop ? 0 : kept >= 0 ? kept : m_focus.index(), int(items.size()));
    if (fromTop)
        m_selection = {};
    m_selection.follow(items); // items that went are no longer selected
    updateScrollBar();
    if (fromTop)
        verticalScrollBar()->setValue(0);
    updateHoverFromCursor();
    m_animations.prune(m_hovered, m_draggingShown);
    viewport()->update();
    emit viewChanged();
}

int ItemGridView::indexOf(const QUuid& id) const {
    if (m_indexOf.isEmpty() && !m_items.isEmpty()) {
        m_indexOf.reserve(m_items.size());
        for (int i = 0; i < m_items.size(); ++i)
            m_indexOf.insert(m_items.at(i).id, i);
    }
    return m_indexOf.value(id, -1);
}

GridGeometry ItemGridView::gridGeometry() const {
    return {m_columns,
            m_iconSize,
            int(m_items.size()),
            double(width()),
            double(viewport()->width()),
            double(viewport()->height()),
            verticalScrollBar()->value()};
}

QList<NookItem> ItemGridView::itemsInView() const {
    const auto [first, last] = gridGeometry().visibleRange();
    return m_items.mid(first, last - first + 1);
}

void ItemGridView::updateScrollBar() {
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, gridGeometry().scrollMaximum());
}

void ItemGridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
    emit viewChanged();
}

void ItemGridView::scrollContentsBy(int, int) {
    updateHoverFromCursor();
    viewport()->update();
    emit viewChanged();
}

// ---- painting

ItemCell::Look ItemGridView::look(int index) const {
    ItemCell::Look look;
    if (index < 0 || index >= m_items.size())
        return look;
    const QUuid& id = m_items.at(index).id;
    look.icon = m_icons.cached(id);
    m_animations.applyTo(id, look);
    look.hovered = m_hovered == id;
    look.selected = m_selection.contains(id);
    look.missing = m_missing.contains(id);
    return look;
}

void ItemGridView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const ItemCell cell(m_iconSize);
    const GridGeometry geometry = gridGeometry();
    const auto paintCell = [&](int index) {
        const ItemCell::Look cellLook = look(index);
        if (!cellLook.icon)
            m_icons.request(m_items.at(index)); // painted again once it has loaded
        cell.paint(painter, geometry.cellRect(index).topLeft(), m_items.at(index), cellLook, palette());
    };
    const auto [first, last] = geometry.visibleRange();
    int hoveredIndex = -1;
    for (int index = first; index <= last; ++index) {
        if (!geometry.cellRect(index).adjusted(-10, -10, 10, 10).intersects(event->rect()))
            continue;
        if (m_hovered == m_items.at(index).id)
            hoveredIndex = index; // last, so that its growth and badge lie on top
        else
            paintCell(index);
    }
    if (hoveredIndex >= 0)
        paintCell(hoveredIndex);
    paintFocusRing(painter);
    paintRubberBand(painter);
}

void ItemGridView::paintFocusRing(QPainter& painter) {
    if (!m_focus.ringShown() || !(hasFocus() || m_steered) || m_items.isEmpty())
        return;
    PanelPainting::paintFocusRing(painter, cellRect(m_focus.index()).adjusted(-3, -4, 3, 1), palette(), 10);
}

void ItemGridView::updateCellArea(const QUuid& id) {
    const int index = indexOf(id);
    if (index < 0)
        return;
    const double grow = m_iconSize * (ItemCell::kHoverScale - 1.0) + 2;
    viewport()->update(cellRect(index).adjusted(-grow, -10, 10, 2).toAlignedRect());
}

// ---- hover, keys and the look of the cells

void ItemGridView::refreshCell(const QUuid& id, int scaleMilliseconds) {
    const bool hovered = m_hovered == id;
    const bool dragging = m_reorder.dragged() == id && m_reorder.hasMoved();
    const bool alt = m_keys.altPressed();
    CellAnimations::Targets targets;
    targets.scale = hovered && !alt && !dragging ? ItemCell::kHoverScale : 1.0;
    targets.badge = hovered && alt ? 1.0 : 0.0;
    targets.opacity = dragging ? ItemCell::kDraggingOpacity : 1.0;
    m_animations.animate(id, targets, scaleMilliseconds, scaleMilliseconds == AnimatedValue::springDuration);
}

void ItemGridView::refreshDraggingCells() {
    const std::optional<QUuid> dragging = m_reorder.hasMoved() ? m_reorder.dragged() : std::nullopt;
    if (dragging == m_draggingShown)
        return;
    const std::optional<QUuid> previous = std::exchange(m_draggingShown, dragging);
    if (previous)
        refreshCell(*previous, 150);
    if (dragging)
        refreshCell(*dragging, 150);
}

void ItemGridView::setHovered(const std::optional<QUuid>& id) {
    if (id == m_hovered)
        return;
    const std::optional<QUuid> previous = std::exchange(m_hovered, id);
    if (previous)
        refreshCell(*previous, AnimatedValue::springDuration);
    if (id)
        refreshCell(*id, AnimatedValue::springDuration);
    m_animations.prune(m_hovered, m_draggingShown);
}

void ItemGridView::updateHoverFromCursor() {
    const int index =
        isVisible() && viewport()->underMouse() ? indexAt(viewport()->mapFromGlobal(QCursor::pos())) : -1;
    setHovered(index >= 0 ? std::optional(m_items.at(index).id) : std::nullopt);
}

void ItemGridView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    // Keys count from their next change after the grid came on screen.
    m_keys.setModifiers({});
    m_keys.start();
    m_icons.refreshChanged(); // a file changed since shows its new preview
}

void ItemGridView::hideEvent(QHideEvent* event) {
    QAbstractScrollArea::hideEvent(event);
    m_keys.stop();
    setHovered(std::nullopt);
}

void ItemGridView::setTargets(const QSet<QUuid>& missing, const QHash<QUuid, QString>& paths) {
    for (const QUuid& id : missing) {
        m_missing.insert(id);
        m_paths.remove(id);
    }
    for (auto it = paths.cbegin(); it != paths.cend(); ++it) {
        m_missing.remove(it.key());
        m_paths.insert(it.key(), it.value());
    }
    viewport()->update();
}

QString ItemGridView::toolTipAt(const QPoint& pos) const {
    const int index = indexAt(pos);
    if (index < 0)
        return {};
    const NookItem& item = m_items.at(index);
    if (m_missing.contains(item.id))
        return item.name + QLatin1Char('\n') + qtTrId("item.missing");
    const QString path = m_paths.value(item.id);
    return path.isEmpty() ? item.name : item.name + QLatin1Char('\n') + path;
}

bool ItemGridView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        setHovered(std::nullopt);
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport(), cellRect(indexAt(help->pos())).toRect());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// ---- clicks and menus

// The badge overhangs its cell, so it is looked for before the cells.
bool ItemGridView::pressOnBadge(const QPoint& pos) const {
    const int hovered = m_hovered ? indexOf(*m_hovered) : -1;
    return hovered >= 0 && m_keys.altPressed() && gridGeometry().badgeRect(hovered).contains(pos);
}

void ItemGridView::mousePressEvent(QMouseEvent* event) {
    m_pressIndex = -1;
    if (m_focus.ringShown()) {
        m_focus.setRingShown(false);
        viewport()->update();
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_pressPos = event->position().toPoint();
    m_pressOnBadge = pressOnBadge(m_pressPos);
    m_pressIndex = m_pressOnBadge ? indexOf(*m_hovered) : indexAt(m_pressPos);
    if (m_pressIndex < 0)
        beginBand(m_pressPos, event->modifiers().testFlag(Qt::ControlModifier));
}

void ItemGridView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_bandStart && (event->buttons() & Qt::LeftButton))
        return bandTo(pos);
    if (m_pressIndex >= 0 && (event->buttons() & Qt::LeftButton)) {
        if ((pos - m_pressPos).manhattanLength() < QApplication::startDragDistance())
            return;
        const int index = std::exchange(m_pressIndex, -1); // a press that became a drag is no click
        if (m_pressOnBadge)
            return;
        if (m_keys.ctrlPressed())
            startReorderDrag(index);
        else
            startDragOut(index);
        return;
    }
    if (pressOnBadge(pos))
        return; // still over the hovered cell's badge
    const int index = indexAt(pos);
    setHovered(index >= 0 ? std::optional(m_items.at(index).id) : std::nullopt);
}

void ItemGridView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && endBand())
        return;
    if (event->button() != Qt::LeftButton || m_pressIndex < 0 || m_pressIndex >= m_items.size())
        return;
    const int pressed = std::exchange(m_pressIndex, -1);
    const NookItem item = m_items.at(pressed);
    const QPoint pos = event->position().toPoint();
    if (m_pressOnBadge) {
        if (m_keys.altPressed() && gridGeometry().badgeRect(pressed).contains(pos))
            emit removeRequested({item});
    } else if (indexAt(pos) == pressed && !m_keys.altPressed() &&
               !clickSelects(pressed, event->modifiers())) {
        emit openRequested(item);
    }
}

void ItemGridView::contextMenuEvent(QContextMenuEvent* event) {
    const int index = indexAt(event->pos());
    if (index < 0)
        return;
    // Opened on a selected item, the menu acts on every selected one; on another, on it alone.
    const QList<NookItem> items = actedOn(m_items.at(index));
    if (items.size() == 1)
        clearSelection();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(qtTrId("action.open"), this, [this, items] {
        for (const NookItem& item : items)
            emit openRequested(item);
    });
    emit menuRequested(menu, items);
    menu->addSeparator();
    menu->addAction(qtTrId("action.remove"), this, [this, items] { emit removeRequested(items); });
    // The menu is what the pointer is over now: no cell beneath it stays hovered or badged.
    setHovered(std::nullopt);
    connect(menu, &QMenu::aboutToHide, this, &ItemGridView::updateHoverFromCursor);
    menu->popup(event->globalPos());
}

// ---- keyboard

void ItemGridView::resetKeyboardFocus() {
    m_focus.reset();
    m_selection = {};
    viewport()->update();
}

void ItemGridView::setSteeredFromElsewhere(bool steered) {
    m_steered = steered;
    m_focus.setRingShown(steered);
    viewport()->update();
}

// The keys that act on an item also show which one they acted on.
void ItemGridView::keyPressEvent(QKeyEvent* event) {
    const int count = int(m_items.size());
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (selectAllKey(event))
        return;
    // Shift with a key that moves moves as well, and selects what it passes.
    if ((modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier) || count == 0) {
        event->ignore(); // the panel's own keys (Escape, Ctrl+...) are handled above
        return;
    }
    const int from = m_focus.index();
    if (m_focus.move(event->key(), count, m_columns, gridGeometry().pageRows())) {
        keyboardMoved(from, modifiers == Qt::ShiftModifier);
        showFocusRing();
        verticalScrollBar()->setValue(gridGeometry().scrollToShow(m_focus.index()));
        PanelAccessibility::announceFocus(this);
        return;
    }
    // Enter and Delete act on the selection, else on the item the keyboard is on.
    const QList<NookItem> items =
        m_selection.isEmpty() ? QList<NookItem>{m_items.at(m_focus.index())} : selectedItems();
    const int key = modifiers == Qt::NoModifier ? event->key() : 0;
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Delete)
        showFocusRing();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        for (const NookItem& item : items)
            emit openRequested(item);
    } else if (key == Qt::Key_Delete) {
        emit removeRequested(items);
    } else
        event->ignore();
}

void ItemGridView::showFocusRing() {
    m_focus.setRingShown(true);
    viewport()->update();
}

void ItemGridView::focusInEvent(QFocusEvent* event) {
    // Reached with Tab: the ring shows where the keyboard is at once.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        m_focus.setRingShown(true);
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    PanelAccessibility::announceFocus(this);
}

void ItemGridView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
