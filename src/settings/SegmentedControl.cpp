#include "settings/SegmentedControl.h"

#include "settings/FormPalette.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal kRadius = 6;

// The control paints the frame and the chosen segment's fill; a segment draws its text and focus.
class Segment : public QAbstractButton {
public:
    Segment(const QString& text, QWidget* parent)
        : QAbstractButton(parent) {
        setText(text);
        setCheckable(true);
        setAutoExclusive(true); // read as radio buttons; the group keeps the choice
        setFocusPolicy(Qt::StrongFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics = fontMetrics();
        return {qMax(40, metrics.horizontalAdvance(text()) + 24), metrics.height() + 10};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPalette& pal = palette();
        painter.setPen(pal.color(isChecked() ? QPalette::HighlightedText : QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter, text());
        // Like native controls: a focus ring only once the keyboard is in use.
        if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
            painter.setRenderHint(QPainter::Antialiasing);
            QColor ring = isChecked() ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Highlight);
            painter.setPen(QPen(ring, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(rect()).adjusted(3, 3, -3, -3), 3, 3);
        }
    }
};

} // namespace

SegmentedControl::SegmentedControl(const QList<int>& values, QWidget* parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_group->setExclusive(true);
    for (int value : values) {
        auto* segment = new Segment(QString::number(value), this);
        m_group->addButton(segment, value);
        layout->addWidget(segment);
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedControl::valueChosen);
    connect(m_group, &QButtonGroup::idToggled, this, [this] { update(); });
}

int SegmentedControl::value() const {
    return m_group->checkedId();
}

QAbstractButton* SegmentedControl::segment(int value) const {
    return m_group->button(value);
}

void SegmentedControl::setValue(int value) {
    if (QAbstractButton* button = m_group->button(value)) {
        button->setChecked(true);
    } else if (QAbstractButton* checked = m_group->checkedButton()) {
        // An exclusive group refuses to uncheck its last button.
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
}

void SegmentedControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(frame, kRadius, kRadius);

    painter.fillPath(outline, pal.color(QPalette::Button));
    if (QAbstractButton* checked = m_group->checkedButton()) {
        painter.save();
        painter.setClipPath(outline);
        painter.fillRect(checked->geometry(),
                         pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Highlight));
        painter.restore();
    }

    const QColor line = FormPalette::hairline(pal);
    painter.setPen(QPen(line, 1));
    const QList<QAbstractButton*> buttons = m_group->buttons();
    for (int i = 1; i < buttons.size(); ++i) {
        const qreal x = buttons[i]->geometry().left() + 0.5;
        painter.drawLine(QPointF(x, frame.top()), QPointF(x, frame.bottom()));
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}
