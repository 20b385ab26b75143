#include "views/NoticeBar.h"

#include "views/HeaderButton.h"
#include "views/PanelPainting.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

NoticeBar::NoticeBar(QWidget* parent)
    : QWidget(parent)
    , m_label(new QLabel(this))
    , m_action(new QPushButton(this))
    , m_close(new HeaderButton(22, this)) {
    hide();
    m_label->setWordWrap(true);
    m_label->setTextFormat(Qt::PlainText); // names are shown as typed, never as markup
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_label->setFont(PanelPainting::systemFont(12));
    m_action->setFlat(true);
    m_action->setAutoDefault(false);
    m_action->setFocusPolicy(Qt::NoFocus);
    m_close->setFocusPolicy(Qt::NoFocus); // the panel's Tab order leaves the notice out
    m_close->setSymbol({QStringLiteral("window-close-symbolic"), QStringLiteral("window-close")},
                       QStringLiteral("window-close"));
    m_close->setAccessibleName(qtTrId("action.close"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_action, 0, Qt::AlignVCenter);
    layout->addWidget(m_close, 0, Qt::AlignVCenter);

    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &NoticeBar::expire);
    connect(m_action, &QPushButton::clicked, this, &NoticeBar::triggerAction);
    connect(m_close, &HeaderButton::clicked, this, &NoticeBar::dismiss);
}

QString NoticeBar::text() const {
    return m_label->text();
}

void NoticeBar::post(Notice notice) {
    m_label->setText(notice.text);
    m_action->setText(notice.actionText);
    m_action->setVisible(!notice.actionText.isEmpty());
    m_close->setToolTip(qtTrId("action.close"));
    m_hasAction = !notice.actionText.isEmpty();
    m_posted = true;
    if (notice.timeoutMs > 0)
        m_timer.start(notice.timeoutMs);
    else
        m_timer.stop();
    show();
}

void NoticeBar::dismiss() {
    const bool posted = m_posted;
    takeDown();
    if (posted)
        emit dismissed();
}

void NoticeBar::takeDown() {
    m_timer.stop();
    m_hasAction = false;
    m_posted = false;
    hide();
}

void NoticeBar::expire() {
    dismiss();
}

bool NoticeBar::triggerAction() {
    if (!m_posted || !m_hasAction)
        return false;
    takeDown();
    emit actionTriggered();
    return true;
}

void NoticeBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(PanelPainting::foreground(palette(), 0.08));
    const QRectF box = QRectF(rect()).adjusted(8, 2, -8, -2);
    painter.drawRoundedRect(box, 10, 10);
}
