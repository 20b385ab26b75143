#include "views/PanelHeader.h"

#include "views/HeaderButton.h"
#include "views/PanelMetrics.h"
#include "views/PanelPainting.h"
#include "views/PinState.h"
#include "views/TuckawayTabBar.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

PanelHeader::PanelHeader(PinState& pinState, QWidget* parent)
    : QWidget(parent)
    , m_pinState(pinState)
    , m_tabBar(new TuckawayTabBar(this))
    , m_searchField(new QLineEdit(this))
    , m_addButton(new HeaderButton(28, this))
    , m_addFilesButton(new HeaderButton(28, this))
    , m_pinButton(new HeaderButton(28, this))
    , m_settingsButton(new HeaderButton(32, this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 8, 0);
    row->setSpacing(0);
    row->addWidget(m_tabBar, 1, Qt::AlignVCenter);
    // Clear of the panel's rounded corner, where the tabs begin. A hidden field leaves the
    // layout empty, and with it its margins.
    auto* searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(PanelMetrics::kTabRowMarginX, 0, 4, 0);
    searchRow->addWidget(m_searchField, 1, Qt::AlignVCenter);
    row->addLayout(searchRow, 1);
    row->addWidget(m_addButton, 0, Qt::AlignVCenter);
    row->addWidget(m_addFilesButton, 0, Qt::AlignVCenter);
    row->addWidget(m_pinButton, 0, Qt::AlignVCenter);
    row->addWidget(m_settingsButton, 0, Qt::AlignVCenter);

    m_searchField->setPlaceholderText(qtTrId("search.placeholder"));

    m_addButton->setSymbol({QStringLiteral("list-add-symbolic"), QStringLiteral("list-add")},
                           QStringLiteral("list-add"));
    m_addButton->setToolTip(qtTrId("header.add_group"));
    m_addButton->setAccessibleName(m_addButton->toolTip());
    connect(m_addButton, &HeaderButton::clicked, this, &PanelHeader::addGroupClicked);
    m_addFilesButton->setSymbol({QStringLiteral("document-open-symbolic"), QStringLiteral("document-open")},
                                QStringLiteral("folder"));
    m_addFilesButton->setToolTip(qtTrId("action.add_files"));
    m_addFilesButton->setAccessibleName(m_addFilesButton->toolTip());
    connect(m_addFilesButton, &HeaderButton::clicked, this, &PanelHeader::addFilesClicked);

    m_pinButton->setToolTip(qtTrId("header.pin"));
    m_pinButton->setAccessibleName(m_pinButton->toolTip());
    connect(m_pinButton, &HeaderButton::clicked, this, [this] { m_pinState.setValue(!m_pinState.value()); });
    connect(&m_pinState, &PinState::valueChanged, this, &PanelHeader::showPinState);
    showPinState();

    // A gear wherever the theme has one ("configure" is a pair of tools in some themes).
    m_settingsButton->setSymbol({QStringLiteral("emblem-system-symbolic"), QStringLiteral("configure"),
                                 QStringLiteral("preferences-system-symbolic")},
                                QStringLiteral("configure"));
    m_settingsButton->setToolTip(qtTrId("header.settings"));
    m_settingsButton->setAccessibleName(m_settingsButton->toolTip());
    connect(m_settingsButton, &HeaderButton::clicked, this, &PanelHeader::settingsClicked);
}

void PanelHeader::setSearching(bool searching) {
    if (searching && !m_searchField->isClearButtonEnabled())
        dressSearchField();
    m_tabBar->setVisible(!searching);
    // Laid out now, not at the event loop's next turn: whatever draws the header first (a grab, a
    // frame) would find the field still beside the tabs' old place, half the header wide.
    layout()->activate();
}

// On the first search, not with the panel: the style's clear button alone costs the first
// showing a few milliseconds.
void PanelHeader::dressSearchField() {
    m_searchField->setClearButtonEnabled(true);
    for (QToolButton* clear : m_searchField->findChildren<QToolButton*>())
        clear->setAccessibleName(qtTrId("search.clear"));
    // Added after the clear button is named: the magnifier is a button of its own, named too.
    const QPixmap magnifier = PanelPainting::symbol(
        {QStringLiteral("edit-find-symbolic"), QStringLiteral("edit-find")}, QStringLiteral("edit-find"), 16,
        PanelPainting::foreground(palette(), 0.6), devicePixelRatioF());
    m_searchField->addAction(QIcon(magnifier), QLineEdit::LeadingPosition)
        ->setText(qtTrId("search.placeholder"));
}

void PanelHeader::showPinState() {
    // The standard names first: a theme without them (as most lack "object-locked") sends the
    // lookup on through "hicolor", whose long index is read on the panel's first showing.
    const bool pinned = m_pinState.value();
    const QString name = pinned ? QStringLiteral("object-locked") : QStringLiteral("object-unlocked");
    m_pinButton->setSymbol(
        {pinned ? QStringLiteral("changes-prevent-symbolic") : QStringLiteral("changes-allow-symbolic"),
         name},
        name);
    m_pinButton->setEmphasized(m_pinState.value());
}
