#include "settings/FormSection.h"

#include "settings/FormPalette.h"

#include <QPainter>
#include <QVBoxLayout>

namespace {

class Hairline : public QWidget {
public:
    explicit Hairline(QWidget* parent)
        : QWidget(parent) {
        setFixedHeight(1);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), FormPalette::hairline(palette()));
    }
};

} // namespace

FormSection::FormSection(QWidget* parent)
    : QFrame(parent)
    , m_rows(new QVBoxLayout(this)) {
    m_rows->setContentsMargins(12, 8, 12, 8);
    m_rows->setSpacing(8);
}

void FormSection::addRow(QLayout* row) {
    if (m_rows->count() > 0)
        m_rows->addWidget(new Hairline(this));
    m_rows->addLayout(row);
}

void FormSection::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(FormPalette::hairline(palette()), 1));
    painter.setBrush(FormPalette::sectionFill(palette()));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
}
