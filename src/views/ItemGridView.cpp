#include "ItemGridView.h"

#include "AnimatedValue.h"
#include "Bookmarks.h"
#include "DragRunner.h"
#include "IconCache.h"
#include "ItemMime.h"
#include "ModifierTracker.h"
#include "PanelAccessibility.h"
#include "PanelMetrics.h"
#include "Preferences.h"
#include "ReorderDropDelegate.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <cmath>

using PanelMetrics::kColumnSpacing;
using PanelMetrics::kRowSpacing;
constexpr double kPadding = PanelMetrics::kGridPadding;

struct ItemGridView::CellAnimation {
    AnimatedValue* scale;
    AnimatedValue* opacity;
    AnimatedValue* badge;
};

ItemGridView::ItemGridView(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_keys(new ModifierTracker(this)) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    viewport()->setAcceptDrops(true);
    verticalScrollBar()->setSingleStep(20);
    readPreferences();

    Preferences& preferences = Preferences::instance();
    connect(&preferences, &Preferences::columnsChanged, this, &ItemGridView::readPreferences);
    connect(&preferences, &Preferences::iconSizeChanged, this, &ItemGridView::readPreferences);
    connect(m_keys, &ModifierTracker::changed, this, [this] {
        if (m_hovered)
            refreshCell(*m_hovered, 150);
    });
    connect(&IconCache::shared(), &IconCache::iconLoaded, this, &ItemGridView::updateCellArea);
}

ItemGridView::~ItemGridView() {
    qDeleteAll(m_animations);
}

void ItemGridView::readPreferences() {
    const Preferences& preferences = Preferences::instance();
    m_columns = preferences.effectiveColumns();
    m_iconSize = preferences.effectiveIconSize();
    updateScrollBar();
    updateHoverFromCursor();
    viewport()->update();
}

void ItemGridView::setItems(const QList<NookItem>& items, bool fromTop) {
    // The keyboard stays on its item where it is still there, else on the cell that took its place.
    const std::optional<QUuid> focused =
        m_focus.index() < m_items.size() ? std::optional(m_items.at(m_focus.index()).id) : std::nullopt;
    m_items = items;
    m_indexOf.clear();
    m_indexOf.reserve(items.size());
    for (int i = 0; i < items.size(); ++i)
        m_indexOf.insert(items.at(i).id, i);
    m_focus.setIndex(fromTop                                   ? 0
                     : focused && m_indexOf.contains(*focused) ? indexOf(*focused)
                                                               : m_focus.index(),
                     int(items.size()));
    updateScrollBar();
    if (fromTop)
        verticalScrollBar()->setValue(0);
    updateHoverFromCursor();
    pruneAnimations();
    viewport()->update();
}

bool ItemGridView::altPressed() const {
    return m_keys->altPressed();
}
bool ItemGridView::ctrlPressed() const {
    return m_keys->ctrlPressed();
}

// ---- geometry

QSize ItemGridView::contentSize() const {
    const int rows = (int(m_items.size()) + m_columns - 1) / m_columns;
    const double rowHeight = cellMetrics().height();
    const double height = 2 * kPadding + rows * rowHeight + std::max(0, rows - 1) * kRowSpacing;
    const double width = 2 * kPadding + m_columns * columnWidth() + (m_columns - 1) * kColumnSpacing;
    return {qCeil(width), qCeil(height)};
}

double ItemGridView::gridLeft() const {
    // Centred in the whole width, so the columns stay put when the scroll bar comes and
    // goes; the scroll bar then lies in the right padding.
    const double columnsWidth = m_columns * columnWidth() + (m_columns - 1) * kColumnSpacing;
    double left = (width() - columnsWidth) / 2.0;
    left = std::min(left, viewport()->width() - columnsWidth - 4);
    return std::max(left, kPadding);
}

QRectF ItemGridView::cellRect(int index) const {
    if (index < 0 || index >= m_items.size())
        return {};
    const ItemCell::Metrics metrics = cellMetrics();
    const int row = index / m_columns;
    const int column = index % m_columns;
    const double x =
        gridLeft() + column * (columnWidth() + kColumnSpacing) + (columnWidth() - metrics.width()) / 2;
    const double y = kPadding + row * (metrics.height() + kRowSpacing) - verticalScrollBar()->value();
    return {x, y, metrics.width(), metrics.height()};
}

QRectF ItemGridView::badgeRect(int index) const {
    const QRectF cell = cellRect(index);
    return cellMetrics().badgeRect().translated(cell.topLeft());
}

int ItemGridView::indexAt(const QPoint& pos) const {
    const ItemCell::Metrics metrics = cellMetrics();
    const double x = pos.x() - gridLeft();
    const double y = pos.y() + verticalScrollBar()->value() - kPadding;
    if (x < 0 || y < 0)
        return -1;
    const int column = int(x / (columnWidth() + kColumnSpacing));
    const int row = int(y / (metrics.height() + kRowSpacing));
    if (column >= m_columns)
        return -1;
    const int index = row * m_columns + column;
    if (index >= m_items.size() || !cellRect(index).contains(pos))
        return -1;
    return index;
}

std::pair<int, int> ItemGridView::visibleRange() const {
    if (m_items.isEmpty())
        return {0, -1};
    const double rowStride = cellMetrics().height() + kRowSpacing;
    const double top = verticalScrollBar()->value() - kPadding;
    // One row more at each end, for the badge that overhangs a cell's top.
    const int firstRow = std::max(0, int(std::floor(top / rowStride)) - 1);
    const int lastRow = int(std::floor((top + viewport()->height()) / rowStride)) + 1;
    const int first = firstRow * m_columns;
    const int last = std::min(int(m_items.size()) - 1, (lastRow + 1) * m_columns - 1);
    return {first, last};
}

void ItemGridView::updateScrollBar() {
    const int height = contentSize().height();
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
}

void ItemGridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void ItemGridView::scrollContentsBy(int, int) {
    updateHoverFromCursor();
    viewport()->update();
}

// ---- painting

ItemCell::Look ItemGridView::look(int index) const {
    ItemCell::Look look;
    if (index < 0 || index >= m_items.size())
        return look;
    const NookItem& item = m_items.at(index);
    look.icon = IconCache::shared().cached(item.id);
    if (const CellAnimation* animation = m_animations.value(item.id)) {
        look.scale = animation->scale->value();
        look.opacity = animation->opacity->value();
        look.badge = animation->badge->value();
    }
    look.hovered = m_hovered == item.id;
    look.missing = m_missing.contains(item.id);
    return look;
}

void ItemGridView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const ItemCell cell(m_iconSize);
    const auto [first, last] = visibleRange();
    int hoveredIndex = -1;
    for (int index = first; index <= last; ++index) {
        const QRectF rect = cellRect(index);
        if (!rect.adjusted(-10, -10, 10, 10).intersects(event->rect()))
            continue;
        const NookItem& item = m_items.at(index);
        if (m_hovered == item.id) {
            hoveredIndex = index; // last, so that its growth and badge lie on top
            continue;
        }
        const ItemCell::Look cellLook = look(index);
        if (!cellLook.icon)
            IconCache::shared().request(item);
        cell.paint(painter, rect.topLeft(), item, cellLook, palette());
    }
    if (hoveredIndex >= 0) {
        const ItemCell::Look cellLook = look(hoveredIndex);
        if (!cellLook.icon)
            IconCache::shared().request(m_items.at(hoveredIndex));
        cell.paint(painter, cellRect(hoveredIndex).topLeft(), m_items.at(hoveredIndex), cellLook, palette());
    }
    paintFocusRing(painter);
}

void ItemGridView::paintFocusRing(QPainter& painter) {
    if (!m_focus.ringShown() || !(hasFocus() || m_steered) || m_items.isEmpty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::Highlight), 2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(cellRect(m_focus.index()).adjusted(-3, -4, 3, 1), 10, 10);
}

void ItemGridView::updateCellArea(const QUuid& id) {
    const int index = indexOf(id);
    if (index < 0)
        return;
    const QRectF rect = cellRect(index);
    const double grow = m_iconSize * (ItemCell::kHoverScale - 1.0) + 2;
    viewport()->update(rect.adjusted(-grow, -10, 10, 2).toAlignedRect());
}

// ---- hover, keys and the look of the cells

ItemGridView::CellAnimation& ItemGridView::animation(const QUuid& id) {
    CellAnimation*& animation = m_animations[id];
    if (!animation) {
        animation = new CellAnimation{new AnimatedValue(1.0, this), new AnimatedValue(1.0, this),
                                      new AnimatedValue(0.0, this)};
        for (AnimatedValue* value : {animation->scale, animation->opacity, animation->badge})
            connect(value, &AnimatedValue::changed, this, [this, id] { updateCellArea(id); });
    }
    return *animation;
}

void ItemGridView::pruneAnimations() {
    for (auto it = m_animations.begin(); it != m_animations.end();) {
        CellAnimation* animation = it.value();
        const bool atRest = !animation->scale->isRunning() && !animation->opacity->isRunning() &&
                            !animation->badge->isRunning() && animation->scale->value() == 1.0 &&
                            animation->opacity->value() == 1.0 && animation->badge->value() == 0.0;
        if (atRest && it.key() != m_hovered && it.key() != m_draggingShown) {
            // Later: pruning can run from a leave event sent while Qt walks our children.
            animation->scale->deleteLater();
            animation->opacity->deleteLater();
            animation->badge->deleteLater();
            delete animation;
            it = m_animations.erase(it);
        } else {
            ++it;
        }
    }
}

bool ItemGridView::isDragging(const NookItem& item) const {
    return m_activeItem && *m_activeItem == item && m_hasChangedLocation;
}

void ItemGridView::refreshCell(const QUuid& id, int scaleMilliseconds) {
    const int index = indexOf(id);
    const bool hovered = m_hovered == id;
    const bool dragging = index >= 0 && isDragging(m_items.at(index));
    const bool alt = m_keys->altPressed();
    CellAnimation& cell = animation(id);
    const double scale = hovered && !alt && !dragging ? ItemCell::kHoverScale : 1.0;
    if (scaleMilliseconds == AnimatedValue::springDuration)
        cell.scale->animateTo(scale, scaleMilliseconds, AnimatedValue::springCurve());
    else
        cell.scale->animateTo(scale, scaleMilliseconds);
    cell.badge->animateTo(hovered && alt ? 1.0 : 0.0, 150);
    cell.opacity->animateTo(dragging ? ItemCell::kDraggingOpacity : 1.0, 150);
}

void ItemGridView::refreshDraggingCells() {
    std::optional<QUuid> dragging;
    if (m_activeItem && m_hasChangedLocation)
        dragging = m_activeItem->id;
    if (dragging == m_draggingShown)
        return;
    const std::optional<QUuid> previous = m_draggingShown;
    m_draggingShown = dragging;
    if (previous)
        refreshCell(*previous, 150);
    if (dragging)
        refreshCell(*dragging, 150);
}

void ItemGridView::setHovered(const std::optional<QUuid>& id) {
    if (id == m_hovered)
        return;
    const std::optional<QUuid> previous = m_hovered;
    m_hovered = id;
    if (previous)
        refreshCell(*previous, AnimatedValue::springDuration);
    if (id)
        refreshCell(*id, AnimatedValue::springDuration);
    pruneAnimations();
}

void ItemGridView::updateHoverFromCursor() {
    if (!isVisible() || !viewport()->underMouse()) {
        setHovered(std::nullopt);
        return;
    }
    const int index = indexAt(viewport()->mapFromGlobal(QCursor::pos()));
    setHovered(index >= 0 ? std::optional(m_items.at(index).id) : std::nullopt);
}

void ItemGridView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    // Keys count from their next change after the grid came on screen.
    m_keys->setModifiers({});
    m_keys->start();
}

void ItemGridView::hideEvent(QHideEvent* event) {
    QAbstractScrollArea::hideEvent(event);
    m_keys->stop();
    setHovered(std::nullopt);
}

void ItemGridView::setTargets(const QSet<QUuid>& missing, const QHash<QUuid, QString>& paths) {
    m_missing = missing;
    m_paths = paths;
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

void ItemGridView::mousePressEvent(QMouseEvent* event) {
    m_pressIndex = -1;
    if (m_focus.ringShown()) {
        m_focus.setRingShown(false);
        viewport()->update();
    }
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    const int hovered = m_hovered ? indexOf(*m_hovered) : -1;
    // The badge overhangs its cell, so it is looked for before the cells.
    if (hovered >= 0 && m_keys->altPressed() && badgeRect(hovered).contains(pos)) {
        m_pressIndex = hovered;
        m_pressOnBadge = true;
    } else {
        m_pressIndex = indexAt(pos);
        m_pressOnBadge = false;
    }
    m_pressPos = pos;
}

void ItemGridView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_pressIndex >= 0 && (event->buttons() & Qt::LeftButton)) {
        if ((pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
            const int index = m_pressIndex;
            m_pressIndex = -1; // a press that became a drag is no click
            if (m_pressOnBadge)
                return;
            if (m_keys->ctrlPressed())
                startDrag(index);
            else
                startDragOut(index);
        }
        return;
    }
    const int hovered = m_hovered ? indexOf(*m_hovered) : -1;
    if (hovered >= 0 && m_keys->altPressed() && badgeRect(hovered).contains(pos))
        return; // still over the hovered cell's badge
    const int index = indexAt(pos);
    setHovered(index >= 0 ? std::optional(m_items.at(index).id) : std::nullopt);
}

void ItemGridView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_pressIndex < 0 || m_pressIndex >= m_items.size())
        return;
    const NookItem item = m_items.at(m_pressIndex);
    const QPoint pos = event->position().toPoint();
    const bool onBadge = m_pressOnBadge;
    const int pressed = m_pressIndex;
    m_pressIndex = -1;
    if (onBadge) {
        if (m_keys->altPressed() && badgeRect(pressed).contains(pos))
            removeItem(item);
        return;
    }
    if (indexAt(pos) == pressed && !m_keys->altPressed())
        openItem(item);
}

void ItemGridView::contextMenuEvent(QContextMenuEvent* event) {
    const int index = indexAt(event->pos());
    if (index < 0)
        return;
    const NookItem item = m_items.at(index);
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(qtTrId("action.open"), this, [this, item] { openItem(item); });
    if (m_callbacks.extendMenu)
        m_callbacks.extendMenu(menu, item);
    menu->addSeparator();
    menu->addAction(qtTrId("action.remove"), this, [this, item] { removeItem(item); });
    menu->popup(event->globalPos());
}

void ItemGridView::openItem(const NookItem& item) {
    if (m_callbacks.onOpen)
        m_callbacks.onOpen(item); // found and started in the background
}

void ItemGridView::removeItem(const NookItem& item) {
    IconCache::shared().remove(item.id);
    if (m_callbacks.onRemove)
        m_callbacks.onRemove(item.id);
}

// ---- dragging

void ItemGridView::startDrag(int index) {
    const NookItem item = m_items.at(index);
    m_activeItem = item;
    auto* mime = new QMimeData;
    mime->setText(item.id.toString(QUuid::WithoutBraces).toUpper());
    mime->setData(ItemMime::kReorder, item.id.toByteArray(QUuid::WithoutBraces));
    // On the heap: the toolkit deletes it once the receiver has fetched the data, which
    // on X11 happens after the drop.
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const double ratio = devicePixelRatioF();
    drag->setPixmap(ItemCell::dragPreview(IconCache::shared().cached(item.id), m_iconSize, palette(), ratio));
    const QPointF iconOrigin = cellRect(index).topLeft() + cellMetrics().iconRect().topLeft();
    drag->setHotSpot((m_pressPos - iconOrigin).toPoint());

    m_dragRunning = true;
    DragRunner::exec(*drag);
    m_dragRunning = false;
    // However the drag ended (a drop anywhere, outside the panel, cancelled), it is over:
    // a later drag without Ctrl must move nothing, and no cell stays faded.
    m_activeItem.reset();
    m_hasChangedLocation = false;
    m_dragOverCell.reset();
    setDropTargeted(false);
    refreshDraggingCells();
    updateHoverFromCursor();
}

// A plain drag hands the target to other applications as a file; a missing target
// has nothing to hand over.
void ItemGridView::startDragOut(int index) {
    const NookItem item = m_items.at(index);
    const std::optional<QString> path = Bookmarks::presentPath(item.bookmarkData);
    if (!path)
        return;
    const QUrl url = QUrl::fromLocalFile(*path);
    auto* mime = new QMimeData;
    mime->setUrls({url});
    mime->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + url.toEncoded());
    mime->setData(ItemMime::kOutgoing, item.id.toByteArray(QUuid::WithoutBraces));
    // On the heap: the toolkit deletes it once the receiver has fetched the data, which
    // on X11 happens after the drop.
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(ItemCell::dragPreview(IconCache::shared().cached(item.id), m_iconSize, palette(),
                                          devicePixelRatioF()));
    const QPointF iconOrigin = cellRect(index).topLeft() + cellMetrics().iconRect().topLeft();
    drag->setHotSpot((m_pressPos - iconOrigin).toPoint());
    m_dragRunning = true;
    // Never a move: the user's file stays where it is.
    DragRunner::exec(*drag, Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
    m_dragRunning = false;
    updateHoverFromCursor();
}

bool ItemGridView::ctrlHeldFor(const QDropEvent* event) const {
    // During a drag from another application the keyboard belongs to that application,
    // so the drag event's own modifiers count too.
    return m_keys->ctrlPressed() || event->modifiers().testFlag(Qt::ControlModifier);
}

void ItemGridView::setDropTargeted(bool targeted) {
    if (targeted == m_dropTargeted)
        return;
    m_dropTargeted = targeted;
    emit dropTargetedChanged(targeted);
}

void ItemGridView::dragEnterEvent(QDragEnterEvent* event) {
    m_dragOverCell.reset();
    handleDragPosition(event);
}

void ItemGridView::dragMoveEvent(QDragMoveEvent* event) {
    handleDragPosition(event);
}

void ItemGridView::dragLeaveEvent(QDragLeaveEvent*) {
    m_dragOverCell.reset();
    setDropTargeted(false);
}

// Files go to the grid wherever they are dropped; text over a cell is a reorder drag.
void ItemGridView::handleDragPosition(QDragMoveEvent* event) {
    const QMimeData* mime = event->mimeData();
    const int index = mime->hasUrls() ? -1 : indexAt(event->position().toPoint());
    if (index >= 0 && mime->hasText()) {
        setDropTargeted(false);
        const NookItem item = m_items.at(index);
        ReorderDropDelegate<NookItem> delegate(item, m_items, m_activeItem, m_hasChangedLocation,
                                               [this](const std::set<int>& offsets, int destination) {
                                                   if (m_callbacks.onMove)
                                                       m_callbacks.onMove(offsets, destination);
                                               });
        if (m_dragOverCell != item.id) {
            m_dragOverCell = item.id;
            delegate.dropEntered();
            refreshDraggingCells();
        }
        if (delegate.dropUpdated() == Qt::MoveAction) {
            event->setDropAction(Qt::MoveAction);
            event->accept();
        } else {
            event->ignore();
        }
        return;
    }
    m_dragOverCell.reset();
    if ((!mime->hasText() && !mime->hasUrls()) || mime->hasFormat(ItemMime::kOutgoing)) {
        setDropTargeted(false);
        event->ignore();
        return;
    }
    setDropTargeted(true);
    if (m_activeItem) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else if (ctrlHeldFor(event)) {
        event->ignore();
    } else {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void ItemGridView::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    const int index = mime->hasUrls() ? -1 : indexAt(event->position().toPoint());
    m_dragOverCell.reset();
    setDropTargeted(false);
    if (index >= 0 && mime->hasText()) {
        ReorderDropDelegate<NookItem> delegate(m_items.at(index), m_items, m_activeItem, m_hasChangedLocation,
                                               {});
        event->setAccepted(delegate.performDrop());
        if (event->isAccepted())
            event->setDropAction(Qt::MoveAction);
        refreshDraggingCells();
        return;
    }
    if (m_activeItem) {
        // A reorder drag ends off the cells.
        m_activeItem.reset();
        event->setDropAction(Qt::MoveAction);
        event->accept();
        refreshDraggingCells();
        return;
    }
    if (ctrlHeldFor(event) || mime->hasFormat(ItemMime::kOutgoing)) {
        event->ignore();
        return;
    }
    QList<QUrl> urls;
    bool offered = false;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        offered = true;
        urls << url;
    }
    // Handed over through the event queue: the drop has finished before the store changes.
    QMetaObject::invokeMethod(
        this,
        [this, urls] {
            if (m_callbacks.onAddURLs)
                m_callbacks.onAddURLs(urls);
        },
        Qt::QueuedConnection);
    if (offered) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

// ---- keyboard

void ItemGridView::resetKeyboardFocus() {
    m_focus.reset();
    viewport()->update();
}

void ItemGridView::setSteeredFromElsewhere(bool steered) {
    m_steered = steered;
    m_focus.setRingShown(steered);
    viewport()->update();
}

void ItemGridView::keyPressEvent(QKeyEvent* event) {
    const int count = int(m_items.size());
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!plain || count == 0) {
        event->ignore(); // the panel's own keys (Escape, Ctrl+...) are handled above
        return;
    }
    const double rowStride = cellMetrics().height() + kRowSpacing;
    const int pageRows = std::max(1, int(viewport()->height() / rowStride));
    if (m_focus.move(event->key(), count, m_columns, pageRows)) {
        m_focus.setRingShown(true);
        scrollToFocus();
        viewport()->update();
        PanelAccessibility::announceFocus(this);
        return;
    }
    const NookItem item = m_items.at(m_focus.index());
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openItem(item);
        return;
    case Qt::Key_Delete:
        removeItem(item);
        return;
    default:
        event->ignore();
    }
}

void ItemGridView::scrollToFocus() {
    const QRectF cell = cellRect(m_focus.index());
    QScrollBar* bar = verticalScrollBar();
    if (cell.top() - kPadding < 0)
        bar->setValue(bar->value() + qFloor(cell.top() - kPadding));
    else if (cell.bottom() + kPadding > viewport()->height())
        bar->setValue(bar->value() + qCeil(cell.bottom() + kPadding - viewport()->height()));
}

void ItemGridView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    PanelAccessibility::announceFocus(this);
}

void ItemGridView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
