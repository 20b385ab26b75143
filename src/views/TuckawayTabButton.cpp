#include "views/TuckawayTabButton.h"

#include "views/AnimatedValue.h"
#include "views/ModifierTracker.h"
#include "views/PanelPainting.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTimer>

namespace {
constexpr int kHorizontalPadding = 10;
constexpr int kVerticalPadding = 5;
constexpr int kSpacing = 4;
constexpr int kBadgeSide = 14;
constexpr int kFontSize = 12;
// A long name is elided here; the whole name is in the tooltip.
constexpr int kMaxNameWidth = 140;
constexpr double kSelectedOpacity = 0.12;
constexpr double kHoveredOpacity = 0.06;
} // namespace

TuckawayTabButton::TuckawayTabButton(const QString& name, QWidget* parent)
    : QWidget(parent)
    , m_name(name)
    , m_altTracker(new ModifierTracker(this))
    , m_highlight(new AnimatedValue(0.0, this))
    , m_badge(new AnimatedValue(0.0, this)) {
    setAcceptDrops(true);
    setAttribute(Qt::WA_Hover);
    setToolTip(name);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(m_highlight, &AnimatedValue::changed, this, qOverload<>(&QWidget::update));
    connect(m_badge, &AnimatedValue::changed, this, qOverload<>(&QWidget::update));
    connect(m_altTracker, &ModifierTracker::changed, this,
            [this] { setAltPressed(m_altTracker->altPressed()); });
}

QFont TuckawayTabButton::nameFont() const {
    return PanelPainting::systemFont(kFontSize, m_selected || m_renaming ? QFont::DemiBold : QFont::Normal);
}

void TuckawayTabButton::setName(const QString& name) {
    if (name == m_name)
        return;
    m_name = name;
    setToolTip(name);
    updateGeometry();
    update();
}

void TuckawayTabButton::setSelected(bool selected) {
    if (selected == m_selected)
        return;
    m_selected = selected;
    updateGeometry();
    updateHighlight(150);
}

void TuckawayTabButton::setFocusMarked(bool marked) {
    if (marked == m_focusMarked)
        return;
    m_focusMarked = marked;
    update();
}

void TuckawayTabButton::updateHighlight(int milliseconds) {
    const double target = (m_selected || m_renaming) ? kSelectedOpacity : m_hovered ? kHoveredOpacity : 0.0;
    m_highlight->animateTo(target, milliseconds);
    update();
}

int TuckawayTabButton::tabHeight() {
    return QFontMetrics(PanelPainting::systemFont(kFontSize, QFont::DemiBold)).height() +
           2 * kVerticalPadding;
}

QSize TuckawayTabButton::sizeHint() const {
    const QFontMetrics metrics(nameFont());
    const int height = tabHeight();
    int width = 0;
    if (m_renaming) {
        const int text = QFontMetrics(nameFont()).horizontalAdvance(m_field ? m_field->text() : m_name) + 8;
        width = std::clamp(text, 60, 120);
    } else {
        // A little slack: text drawn at another scale may need a fraction more.
        width = std::min(metrics.horizontalAdvance(m_name) + 2, kMaxNameWidth);
        if (isBadgeShown())
            width += kSpacing + kBadgeSide;
    }
    return {width + 2 * kHorizontalPadding, height};
}

QRect TuckawayTabButton::badgeRect() const {
    return {width() - kHorizontalPadding - kBadgeSide, (height() - kBadgeSide) / 2, kBadgeSide, kBadgeSide};
}

QRect TuckawayTabButton::textRect() const {
    QRect text = rect().adjusted(kHorizontalPadding, 0, -kHorizontalPadding, 0);
    // Exactly the room sizeHint() gave the name: kSpacing clear pixels before the badge.
    if (m_badge->value() > 0.0 || isBadgeShown())
        text.setRight(badgeRect().left() - kSpacing - 1);
    return text;
}

void TuckawayTabButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (m_highlight->value() > 0.0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(PanelPainting::foreground(palette(), m_highlight->value()));
        painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    }
    if (m_focusMarked)
        PanelPainting::paintFocusRing(painter, capsule.adjusted(0.5, 0.5, -0.5, -0.5), palette(),
                                      capsule.height() / 2 - 0.5);
    if (m_renaming)
        return;
    painter.setFont(nameFont());
    painter.setPen(PanelPainting::foreground(palette(), 1.0));
    const QRect text = textRect();
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(nameFont()).elidedText(m_name, Qt::ElideRight, text.width()));
    if (m_badge->value() > 0.0)
        PanelPainting::paintRemoveBadge(painter, badgeRect(), m_badge->value());
}

void TuckawayTabButton::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    updateHover(true);
}

void TuckawayTabButton::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    updateHover(false);
}

void TuckawayTabButton::updateHover(bool hovered) {
    if (hovered == m_hovered)
        return;
    m_hovered = hovered;
    if (hovered) {
        // Alt may already be down when the pointer arrives.
        m_altTracker->setModifiers(ModifierTracker::currentModifiers());
        m_altTracker->start();
        setAltPressed(m_altTracker->altPressed());
    } else {
        m_altTracker->stop();
        m_altTracker->setModifiers({});
        setAltPressed(false);
    }
    updateHighlight(150);
}

void TuckawayTabButton::setAltPressed(bool pressed) {
    const bool wasShown = isBadgeShown();
    m_altPressed = pressed;
    if (isBadgeShown() != wasShown) {
        updateGeometry();
        m_badge->animateTo(isBadgeShown() ? 1.0 : 0.0, 100);
    }
}

void TuckawayTabButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_renaming) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_pressPos = event->position().toPoint();
    m_pressOnBadge = isBadgeShown() && badgeRect().adjusted(-2, -2, 2, 2).contains(m_pressPos);
}

void TuckawayTabButton::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    // A press that turned into a drag is no click.
    m_pressed = false;
    emit dragRequested();
}

void TuckawayTabButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (!rect().contains(event->position().toPoint()))
        return;
    if (m_pressOnBadge && isBadgeShown())
        emit deleteRequested();
    else
        emit tapped();
}

void TuckawayTabButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !m_renaming && !isBadgeShown())
        beginRename();
}

void TuckawayTabButton::contextMenuEvent(QContextMenuEvent* event) {
    if (m_renaming)
        return;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(openAllText(m_itemCount), this, &TuckawayTabButton::openAllRequested)
        ->setEnabled(m_itemCount > 0);
    menu->addAction(qtTrId("action.rename"), this, [this] { beginRename(); });
    menu->addSeparator();
    for (const auto& [id, key] : {std::pair{"action.sort_name", ItemOrder::Key::Name},
                                  {"action.sort_kind", ItemOrder::Key::Kind},
                                  {"action.sort_date", ItemOrder::Key::DateModified}})
        menu->addAction(qtTrId(id), this, [this, key] { emit sortRequested(key); });
    menu->addSeparator();
    menu->addAction(qtTrId("action.remove"), this, &TuckawayTabButton::deleteRequested);
    // The menu is what the pointer is over now: no badge or hover stays on the tab beneath it.
    updateHover(false);
    menu->popup(event->globalPos());
}

QString TuckawayTabButton::openAllText(int count) {
    // Past ten, starting them all is no small thing: say how many.
    return count > 10 ? qtTrId("action.open_all_count").arg(count) : qtTrId("action.open_all");
}

void TuckawayTabButton::beginRename(const QString& text) {
    if (!m_field) {
        m_field = new QLineEdit(this);
        m_field->setFrame(false);
        m_field->setAttribute(Qt::WA_MacShowFocusRect, false);
        QPalette palette = m_field->palette();
        palette.setColor(QPalette::Base, Qt::transparent);
        m_field->setPalette(palette);
        m_field->installEventFilter(this);
        connect(m_field, &QLineEdit::returnPressed, this, &TuckawayTabButton::commitRename);
        connect(m_field, &QLineEdit::textChanged, this, [this] { updateGeometry(); });
    }
    m_renaming = true;
    m_field->setFont(nameFont());
    m_field->setText(text.isEmpty() ? m_name : text);
    m_field->show();
    updateGeometry();
    updateHighlight(0);
    window()->activateWindow();
    // Give the field a moment to come into being before it takes the keyboard.
    QTimer::singleShot(50, m_field, [field = m_field] {
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
    });
}

void TuckawayTabButton::commitRename() {
    if (!m_renaming)
        return;
    // Blanks and tabs go; line breaks cannot be typed into the field.
    QString text = m_field->text();
    qsizetype start = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
    };
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    text = text.mid(start, end - start);
    endRename();
    if (!text.isEmpty())
        emit renameRequested(text);
}

void TuckawayTabButton::endRename() {
    m_renaming = false;
    m_field->hide();
    updateGeometry();
    updateHighlight(0);
}

bool TuckawayTabButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && m_renaming) {
        endRename();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TuckawayTabButton::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_field)
        m_field->setGeometry(rect().adjusted(kHorizontalPadding - 2, kVerticalPadding - 2,
                                             -kHorizontalPadding + 2, -kVerticalPadding + 2));
}

void TuckawayTabButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange)
        updateGeometry();
}

void TuckawayTabButton::dragEnterEvent(QDragEnterEvent* event) {
    if (m_dropHandler)
        m_dropHandler->tabDragEntered(this, event);
}

void TuckawayTabButton::dragMoveEvent(QDragMoveEvent* event) {
    if (m_dropHandler)
        m_dropHandler->tabDragMoved(this, event);
}

void TuckawayTabButton::dropEvent(QDropEvent* event) {
    if (m_dropHandler)
        m_dropHandler->tabDropped(this, event);
}
