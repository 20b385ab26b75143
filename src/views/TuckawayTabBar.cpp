#include "views/TuckawayTabBar.h"

#include "views/DragRunner.h"
#include "views/ItemMime.h"
#include "views/PanelMetrics.h"

#include <QDrag>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>

namespace {

constexpr int kFadeWidth = 24;
// A name longer than this is shortened in the menu of every group.
constexpr int kMaxMenuNameWidth = 320;

// Only the chosen entry is checkable: some styles draw an empty box beside every other one.
void markChosen(QAction* action, bool chosen) {
    action->setCheckable(chosen);
    action->setChecked(chosen);
}

} // namespace

TuckawayTabBar::TuckawayTabBar(QWidget* parent)
    : QScrollArea(parent)
    , m_strip(new QWidget)
    , m_layout(new QHBoxLayout(m_strip))
    , m_edgeFade(new QGraphicsOpacityEffect(this))
    , m_reorder([this](const QUuid& dragged, const QUuid& target) { emit moveRequested(dragged, target); })
    , m_overflowButton(new QToolButton(this))
    , m_overflowMenu(new QMenu(this)) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::TabFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    viewport()->setAutoFillBackground(false);
    m_layout->setContentsMargins(PanelMetrics::kTabRowMarginX, PanelMetrics::kTabRowMarginY,
                                 PanelMetrics::kTabRowMarginX, PanelMetrics::kTabRowMarginY);
    m_layout->setSpacing(PanelMetrics::kTabSpacing);
    m_layout->addStretch(1);
    setWidget(m_strip);
    // The panel's own background shows through the row.
    m_strip->setAutoFillBackground(false);
    // The tabs fade out where more lie beyond an edge. A mask rather than a painted gradient,
    // so they fade into whatever the (possibly translucent) panel shows beneath.
    m_edgeFade->setEnabled(false);
    viewport()->setGraphicsEffect(m_edgeFade);
    connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this, &TuckawayTabBar::updateEdgeFade);

    m_overflowButton->setArrowType(Qt::DownArrow);
    m_overflowButton->setAutoRaise(true);
    m_overflowButton->setFocusPolicy(Qt::NoFocus);
    m_overflowButton->setToolTip(qtTrId("tabs.all_nooks"));
    m_overflowButton->setAccessibleName(m_overflowButton->toolTip());
    m_overflowButton->hide();
    connect(m_overflowButton, &QToolButton::clicked, this, [this] {
        rebuildOverflowMenu();
        m_overflowMenu->popup(m_overflowButton->mapToGlobal(QPoint(0, m_overflowButton->height())));
    });
}

QSize TuckawayTabBar::sizeHint() const {
    return {m_strip->sizeHint().width(), TuckawayTabButton::tabHeight() + 2 * PanelMetrics::kTabRowMarginY};
}

QSize TuckawayTabBar::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

QList<TuckawayTabButton*> TuckawayTabBar::tabs() const {
    QList<TuckawayTabButton*> result;
    for (const GroupSummary& group : m_groups)
        result << m_tabs.value(group.id);
    return result;
}

QUuid TuckawayTabBar::idOf(const TuckawayTabButton* tab) const {
    return m_tabs.key(const_cast<TuckawayTabButton*>(tab));
}

void TuckawayTabBar::setGroups(const QList<GroupSummary>& groups) {
    if (groups == m_groups)
        return;
    m_groups = groups;
    QHash<QUuid, TuckawayTabButton*> kept;
    for (const GroupSummary& group : groups) {
        // A tab belongs to its group: hover and rename state survive a change of order.
        TuckawayTabButton* tab = m_tabs.take(group.id);
        if (!tab) {
            tab = new TuckawayTabButton(group.name, m_strip);
            tab->setDropHandler(this);
            const QUuid id = group.id;
            connect(tab, &TuckawayTabButton::tapped, this, [this, id] { emit selectRequested(id); });
            connect(tab, &TuckawayTabButton::renameRequested, this,
                    [this, id](const QString& name) { emit renameRequested(id, name); });
            connect(tab, &TuckawayTabButton::deleteRequested, this, [this, id] { emit deleteRequested(id); });
            connect(tab, &TuckawayTabButton::openAllRequested, this,
                    [this, id] { emit openAllRequested(id); });
            connect(tab, &TuckawayTabButton::sortRequested, this,
                    [this, id](ItemOrder::Key key) { emit sortRequested(id, key); });
            connect(tab, &TuckawayTabButton::dragRequested, this, [this, id] { startDrag(id); });
        }
        tab->setName(group.name);
        tab->setSelected(m_selectedGroupID == group.id);
        tab->setFocusMarked(hasFocus() && m_selectedGroupID == group.id);
        kept.insert(group.id, tab);
    }
    for (TuckawayTabButton* gone : std::as_const(m_tabs)) {
        gone->setDropHandler(nullptr);
        gone->hide();
        gone->deleteLater();
    }
    m_tabs = kept;
    while (m_layout->count() > 1)
        delete m_layout->takeAt(0); // the item only; the tab is placed again below
    for (int i = 0; i < groups.size(); ++i) {
        TuckawayTabButton* tab = m_tabs.value(groups.at(i).id);
        m_layout->insertWidget(i, tab);
        tab->show();
    }
    updateGeometry();
    rebuildOverflowMenu();
    updateOverflow();
    revealSelected();
}

void TuckawayTabBar::setSelectedGroupID(const std::optional<QUuid>& id) {
    m_selectedGroupID = id;
    for (auto it = m_tabs.cbegin(); it != m_tabs.cend(); ++it)
        it.value()->setSelected(id == it.key());
    markFocus();
    // Only the marks change: the action that chose this group may still be running.
    for (QAction* action : m_overflowMenu->actions())
        markChosen(action, id && action->data().toUuid() == *id);
    revealSelected();
}

void TuckawayTabBar::revealSelected() {
    TuckawayTabButton* tab = m_selectedGroupID ? m_tabs.value(*m_selectedGroupID) : nullptr;
    if (!tab)
        return;
    // A new or moved tab has no place until the layout runs, which would only happen later:
    // place the tabs now so that the row scrolls to where the tab really is.
    m_strip->resize(std::max(viewport()->width(), m_strip->sizeHint().width()), viewport()->height());
    m_layout->activate();
    ensureWidgetVisible(tab, PanelMetrics::kTabRowMarginX, 0);
}

void TuckawayTabBar::markFocus() {
    for (auto it = m_tabs.cbegin(); it != m_tabs.cend(); ++it)
        it.value()->setFocusMarked(hasFocus() && m_selectedGroupID == it.key());
}

void TuckawayTabBar::focusInEvent(QFocusEvent* event) {
    QScrollArea::focusInEvent(event);
    markFocus();
}

void TuckawayTabBar::focusOutEvent(QFocusEvent* event) {
    QScrollArea::focusOutEvent(event);
    markFocus();
}

// The arrows step through the groups and stop at the ends; the rest is the panel's.
void TuckawayTabBar::keyPressEvent(QKeyEvent* event) {
    const qsizetype count = m_groups.size();
    qsizetype at = -1;
    for (qsizetype i = 0; i < count; ++i)
        at = m_groups.at(i).id == m_selectedGroupID ? i : at;
    qsizetype target = -1;
    switch (event->modifiers() & ~Qt::KeypadModifier ? 0 : event->key()) {
    case Qt::Key_Left:
        target = std::max<qsizetype>(at - 1, 0);
        break;
    case Qt::Key_Right:
        target = std::min(at + 1, count - 1);
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = count - 1;
        break;
    default:
        event->ignore();
        return;
    }
    if (target >= 0 && target != at)
        emit selectRequested(m_groups.at(target).id);
}

void TuckawayTabBar::rebuildOverflowMenu() {
    m_overflowMenu->clear();
    const QFontMetrics metrics(m_overflowMenu->font());
    for (const GroupSummary& group : std::as_const(m_groups)) {
        // Shortened, and with its ampersands doubled: a single one would mark a shortcut letter.
        const QString shown = metrics.elidedText(group.name, Qt::ElideMiddle, kMaxMenuNameWidth);
        QAction* action = m_overflowMenu->addAction(QString(shown).replace(u'&', QStringLiteral("&&")));
        action->setData(group.id);
        markChosen(action, m_selectedGroupID == group.id);
        const QUuid id = group.id;
        connect(action, &QAction::triggered, this, [this, id] { emit selectRequested(id); });
    }
}

void TuckawayTabBar::updateOverflow() {
    // Compared with the whole width, not the viewport's, so that making room for the
    // button cannot itself change whether the button is needed.
    const bool overflowing = m_strip->sizeHint().width() > width();
    const int side = TuckawayTabButton::tabHeight();
    m_overflowButton->setVisible(overflowing);
    setViewportMargins(0, 0, overflowing ? side + 8 : 0, 0);
    m_overflowButton->setGeometry(width() - side - 6, (height() - side) / 2, side, side);
}

void TuckawayTabBar::showEvent(QShowEvent* event) {
    QScrollArea::showEvent(event);
    m_ctrlTracker.start();
}

void TuckawayTabBar::hideEvent(QHideEvent* event) {
    QScrollArea::hideEvent(event);
    m_ctrlTracker.stop();
}

void TuckawayTabBar::wheelEvent(QWheelEvent* event) {
    // The row scrolls sideways only; an ordinary wheel turn should move it too.
    const QPoint delta = event->angleDelta();
    const int step = delta.x() != 0 ? delta.x() : delta.y();
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - step / 4);
    event->accept();
}

void TuckawayTabBar::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    updateOverflow();
    updateEdgeFade();
    revealSelected();
}

void TuckawayTabBar::scrollContentsBy(int dx, int dy) {
    QScrollArea::scrollContentsBy(dx, dy);
    updateEdgeFade();
}

// The tabs fade out at each edge beyond which more lie, so that a tab cut there shows the row goes on.
void TuckawayTabBar::updateEdgeFade() {
    const QScrollBar* bar = horizontalScrollBar();
    const bool left = bar->value() > bar->minimum();
    const bool right = bar->value() < bar->maximum();
    const int width = std::max(1, viewport()->width());
    const double fade = std::min(0.5, double(kFadeWidth) / width);
    QLinearGradient mask(0, 0, width, 0);
    mask.setColorAt(0, left ? Qt::transparent : Qt::black);
    mask.setColorAt(fade, Qt::black);
    mask.setColorAt(1 - fade, Qt::black);
    mask.setColorAt(1, right ? Qt::transparent : Qt::black);
    m_edgeFade->setOpacityMask(mask);
    m_edgeFade->setEnabled(left || right);
}

void TuckawayTabBar::startDrag(const QUuid& id) {
    if (!m_ctrlTracker.ctrlPressed())
        return; // without Ctrl a drag carries nothing, so none is started
    m_reorder.begin(id);
    auto* mime = new QMimeData;
    mime->setText(id.toString(QUuid::WithoutBraces).toUpper());
    // On the heap: the toolkit deletes it once the receiver has fetched the data, which
    // on X11 happens after the drop.
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    if (TuckawayTabButton* tab = m_tabs.value(id)) {
        drag->setPixmap(tab->grab());
        drag->setHotSpot(tab->mapFromGlobal(QCursor::pos()));
    }
    m_dragRunning = true;
    DragRunner::exec(*drag);
    m_dragRunning = false;
    // However the drag ended, it is over: a later drag without Ctrl must move nothing.
    m_reorder.end();
}

// Items of the grid over another nook's tab: dropped there they move, with Ctrl are copied.
bool TuckawayTabBar::takeItemDrag(TuckawayTabButton* tab, QDropEvent* event, bool dropped) {
    const QList<QUuid> itemIDs = ItemMime::itemIDs(event->mimeData());
    if (itemIDs.isEmpty())
        return false;
    const QUuid target = idOf(tab);
    if (target == m_selectedGroupID) {
        event->ignore(); // the nook it is in
        return true;
    }
    const bool copy = m_ctrlTracker.ctrlPressed() || event->modifiers().testFlag(Qt::ControlModifier);
    // A drag that may leave the panel never offers a move; the source needs no answer.
    const bool canMove = event->possibleActions().testFlag(Qt::MoveAction);
    event->setDropAction(copy || !canMove ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    if (dropped)
        emit itemDropRequested(itemIDs, target, copy);
    return true;
}

void TuckawayTabBar::tabDragEntered(TuckawayTabButton* tab, QDragEnterEvent* event) {
    if (takeItemDrag(tab, event, false))
        return;
    // Accepted while this bar's own drag runs, so that later moves still reach the tab.
    event->setAccepted(event->mimeData()->hasText() && m_reorder.enter(idOf(tab)));
    if (event->isAccepted())
        event->setDropAction(Qt::MoveAction);
}

void TuckawayTabBar::tabDragMoved(TuckawayTabButton* tab, QDragMoveEvent* event) {
    if (takeItemDrag(tab, event, false))
        return;
    event->setAccepted(event->mimeData()->hasText() && m_reorder.accepts());
    if (event->isAccepted())
        event->setDropAction(Qt::MoveAction);
}

void TuckawayTabBar::tabDropped(TuckawayTabButton* tab, QDropEvent* event) {
    if (takeItemDrag(tab, event, true))
        return;
    event->setAccepted(event->mimeData()->hasText() && m_reorder.drop());
    if (event->isAccepted())
        event->setDropAction(Qt::MoveAction);
}
