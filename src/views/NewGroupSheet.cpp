#include "views/NewGroupSheet.h"

#include "views/PanelPainting.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kCardWidth = 260;
constexpr int kMargin = 12;
constexpr int kSideBySideWidth = 220;

// The card in the middle of the sheet, drawn in the window colour with a hairline edge.
class Card : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(PanelPainting::foreground(palette(), 0.15));
        painter.setBrush(palette().color(QPalette::Window));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
    }
};

} // namespace

NewGroupSheet::NewGroupSheet(QWidget* parent)
    : QWidget(parent)
    , m_card(new Card(this))
    , m_title(new QLabel(m_card))
    , m_field(new QLineEdit(m_card))
    , m_problem(new QLabel(m_card))
    , m_cancel(new QPushButton(m_card))
    , m_create(new QPushButton(m_card)) {
    hide();
    m_title->setFont(PanelPainting::systemFont(13, QFont::DemiBold));
    m_title->setAlignment(Qt::AlignCenter);
    m_problem->setWordWrap(true);
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->setFont(PanelPainting::systemFont(11));
    m_problem->setForegroundRole(QPalette::PlaceholderText);
    m_problem->hide();
    m_create->setDefault(true);
    m_cancel->setAutoDefault(false);

    auto* buttons = new QBoxLayout(QBoxLayout::LeftToRight);
    m_buttons = buttons;
    buttons->setSpacing(8);
    buttons->addWidget(m_create, 1);
    buttons->addWidget(m_cancel, 1);
    buttons->setDirection(QBoxLayout::RightToLeft);
    auto* layout = new QVBoxLayout(m_card);
    layout->setContentsMargins(16, 16, 16, 14);
    layout->setSpacing(12);
    layout->addWidget(m_title);
    layout->addWidget(m_field);
    layout->addWidget(m_problem);
    layout->addLayout(buttons);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    outer->addStretch(2);
    outer->addWidget(m_card, 0, Qt::AlignHCenter);
    outer->addStretch(3);
    m_title->setWordWrap(true);
    m_card->setFixedWidth(kCardWidth);

    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::returnPressed, this, &NewGroupSheet::createRequested);
    connect(m_field, &QLineEdit::textEdited, m_problem, &QLabel::hide);
    connect(m_create, &QPushButton::clicked, this, &NewGroupSheet::createRequested);
    connect(m_cancel, &QPushButton::clicked, this, &NewGroupSheet::cancelled);
    retranslate();
}

void NewGroupSheet::retranslate() {
    m_title->setText(qtTrId(m_titleId));
    m_field->setPlaceholderText(qtTrId("group.rename_placeholder"));
    m_create->setText(qtTrId(m_actionId));
    m_cancel->setText(qtTrId("action.cancel"));
}

void NewGroupSheet::setTextIds(const char* titleId, const char* actionId) {
    m_titleId = titleId;
    m_actionId = actionId;
    retranslate();
}

void NewGroupSheet::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
}

void NewGroupSheet::open(const QString& text) {
    m_field->setText(text);
    open();
    m_field->selectAll();
}

void NewGroupSheet::open() {
    retranslate();
    m_problem->hide();
    if (!isVisible())
        m_returnFocus = QApplication::focusWidget();
    setGeometry(parentWidget()->rect());
    raise();
    show();
    window()->activateWindow();
    m_field->setFocus(Qt::OtherFocusReason);
}

// The card fits the narrowest panel the settings allow; there the buttons stack.
void NewGroupSheet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int width = std::min(kCardWidth, std::max(0, this->width() - 2 * kMargin));
    m_card->setFixedWidth(width);
    m_buttons->setDirection(width < kSideBySideWidth ? QBoxLayout::BottomToTop : QBoxLayout::RightToLeft);
}

void NewGroupSheet::showProblem(const QString& text) {
    m_problem->setText(text);
    m_problem->show();
    m_field->setFocus(Qt::OtherFocusReason);
}

QString NewGroupSheet::problem() const {
    return m_problem->isVisible() ? m_problem->text() : QString();
}

// Tab goes round the card only: what lies under the sheet cannot be used while it is open.
bool NewGroupSheet::focusNextPrevChild(bool next) {
    const QList<QWidget*> chain{m_field, m_create, m_cancel};
    const qsizetype at = chain.indexOf(QApplication::focusWidget());
    chain.at((std::max<qsizetype>(at, 0) + (next ? 1 : chain.size() - 1)) % chain.size())
        ->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void NewGroupSheet::dismiss() {
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    hide();
    // The keyboard goes back to where it was before the sheet took it.
    if (hadFocus && m_returnFocus)
        m_returnFocus->setFocus(Qt::OtherFocusReason);
}

bool NewGroupSheet::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        emit cancelled();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void NewGroupSheet::paintEvent(QPaintEvent*) {
    // Dims the panel behind the card, inside its rounded outline.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 60));
    painter.drawRoundedRect(QRectF(rect()), 16, 16);
}
