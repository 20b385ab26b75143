// The grid's drags: a Ctrl-drag reorders the cells, a plain one hands an item's file
// to other applications, and files dropped from elsewhere are added. A drag of a selected
// item carries every selected one (to a nook's tab, or out as their files); the cells
// reorder by the dragged item alone.
#include "views/ItemGridView.h"

#include "model/Bookmarks.h"
#include "model/IconCache.h"
#include "views/DragRunner.h"
#include "views/ItemMime.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>

#include <algorithm>

void ItemGridView::runDrag(int index, QMimeData* mime, Qt::DropActions actions,
                           Qt::DropAction defaultAction) {
    const NookItem& item = m_items.at(index);
    // On the heap: the toolkit deletes it once the receiver has fetched the data, which
    // on X11 happens after the drop.
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(
        ItemCell::dragPreview(m_icons.cached(item.id), m_iconSize, palette(), devicePixelRatioF()));
    const QPointF iconOrigin = cellRect(index).topLeft() + ItemCell::Metrics{m_iconSize}.iconRect().topLeft();
    drag->setHotSpot((m_pressPos - iconOrigin).toPoint());
    m_dragRunning = true;
    DragRunner::exec(*drag, actions, defaultAction);
    m_dragRunning = false;
}

void ItemGridView::startReorderDrag(int index) {
    const QUuid id = m_items.at(index).id;
    m_reorder.begin(id);
    auto* mime = new QMimeData;
    mime->setText(id.toString(QUuid::WithoutBraces).toUpper());
    QList<QUuid> ids;
    for (const NookItem& item : actedOn(m_items.at(index)))
        ids << item.id;
    mime->setData(ItemMime::kReorder, ItemMime::encodeIDs(ids));
    runDrag(index, mime, Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    // However the drag ended (a drop anywhere, outside the panel, cancelled), it is over:
    // a later drag without Ctrl must move nothing, and no cell stays faded.
    m_reorder.end();
    m_dragOverCell.reset();
    refreshDraggingCells();
    updateHoverFromCursor();
}

// A plain drag hands the target to other applications as a file; a missing target
// has nothing to hand over.
void ItemGridView::startDragOut(int index) {
    QList<QUrl> urls;
    QList<QUuid> ids;
    QByteArrayList copied{"copy"};
    for (const NookItem& item : actedOn(m_items.at(index))) {
        if (const std::optional<QString> path = Bookmarks::presentPath(item.bookmarkData)) {
            urls << QUrl::fromLocalFile(*path);
            ids << item.id;
            copied << urls.last().toEncoded();
        }
    }
    if (urls.isEmpty())
        return;
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    mime->setData(QStringLiteral("x-special/gnome-copied-files"), copied.join('\n'));
    mime->setData(ItemMime::kOutgoing, ItemMime::encodeIDs(ids));
    // Never a move: the user's file stays where it is.
    runDrag(index, mime, Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
    updateHoverFromCursor();
}

void ItemGridView::moveItem(const QUuid& dragged, const QUuid& target) {
    const int from = indexOf(dragged);
    const int to = indexOf(target);
    if (from >= 0 && to >= 0)
        emit moveRequested(from, from < to ? to + 1 : to);
}

void ItemGridView::dragEnterEvent(QDragEnterEvent* event) {
    m_dragOverCell.reset();
    // Files, web pages, and any other address, which is refused with a word after the drop.
    m_dragHasLocalFiles = std::ranges::any_of(event->mimeData()->urls(), &QUrl::isValid);
    handleDragPosition(event);
}

void ItemGridView::dragMoveEvent(QDragMoveEvent* event) {
    handleDragPosition(event);
}

void ItemGridView::dragLeaveEvent(QDragLeaveEvent*) {
    m_dragOverCell.reset();
}

// Files go to the grid wherever they are dropped; text over a cell is a reorder drag.
void ItemGridView::handleDragPosition(QDragMoveEvent* event) {
    const QMimeData* mime = event->mimeData();
    const int index = mime->hasUrls() ? -1 : indexAt(event->position().toPoint());
    if (index >= 0 && mime->hasText()) {
        const QUuid id = m_items.at(index).id;
        if (m_dragOverCell != id) {
            m_dragOverCell = id;
            m_reorder.enter(id);
            refreshDraggingCells();
        }
        event->setAccepted(m_reorder.accepts());
        if (m_reorder.accepts())
            event->setDropAction(Qt::MoveAction);
        return;
    }
    m_dragOverCell.reset();
    // During a drag from another application the keyboard belongs to that application,
    // so the drag's own modifiers count too: a Ctrl drop is refused.
    const bool ctrl = m_keys.ctrlPressed() || event->modifiers().testFlag(Qt::ControlModifier);
    if (m_reorder.dragged()) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else if (!m_dragHasLocalFiles || mime->hasFormat(ItemMime::kOutgoing) || ctrl) {
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
    if (m_reorder.dragged() || (index >= 0 && mime->hasText())) {
        // A reorder drag ends wherever it is dropped; its moves have already happened.
        event->setAccepted(m_reorder.drop());
        if (event->isAccepted())
            event->setDropAction(Qt::MoveAction);
        refreshDraggingCells();
        return;
    }
    addDroppedFiles(event);
}

void ItemGridView::addDroppedFiles(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    QList<QUrl> urls;
    for (const QUrl& url : mime->urls()) {
        if (url.isValid())
            urls << url;
    }
    const bool ctrl = m_keys.ctrlPressed() || event->modifiers().testFlag(Qt::ControlModifier);
    if (urls.isEmpty() || ctrl || mime->hasFormat(ItemMime::kOutgoing)) {
        event->ignore();
        return;
    }
    // Handed over through the event queue: the drop has finished before the store changes.
    QMetaObject::invokeMethod(
        this, [this, urls, titles = ItemMime::titles(mime)] { emit filesDropped(urls, titles); },
        Qt::QueuedConnection);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}
