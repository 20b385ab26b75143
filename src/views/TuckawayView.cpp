#include "views/TuckawayView.h"

#include "model/HandOverQueue.h"
#include "model/NookStore.h"
#include "model/WebLinks.h"
#include "platform/Preferences.h"
#include "views/FirstMouseView.h"
#include "views/GroupSelection.h"
#include "views/HandOverProgress.h"
#include "views/HeaderButton.h"
#include "views/ItemActions.h"
#include "views/ItemGridView.h"
#include "views/NewGroupSheet.h"
#include "views/NoticeBar.h"
#include "views/PanelAccessibility.h"
#include "views/PanelMetrics.h"
#include "views/PanelPainting.h"
#include "views/PanelSearch.h"
#include "views/TargetCheck.h"
#include "views/TuckawayTabBar.h"
#include "views/TuckawayTabButton.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

// The hairline between the header and the grid.
class Divider : public QWidget {
public:
    explicit Divider(QWidget* parent)
        : QWidget(parent) {
        setFixedHeight(1);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), PanelPainting::foreground(palette(), 0.12));
    }
};

} // namespace

TuckawayView::TuckawayView(NookStore& store, Preferences& preferences, IconCache& icons, PinState& pinState,
                           QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_preferences(preferences)
    , m_firstMouse(new FirstMouseView(this))
    , m_header(new PanelHeader(pinState, this))
    , m_progress(new HandOverProgress(this))
    , m_divider(new Divider(this))
    , m_grid(new ItemGridView(icons, this))
    , m_sheet(new NewGroupSheet(this))
    , m_search(new PanelSearch(m_header->searchField(), m_grid, this))
    , m_notice(new NoticeBar(this))
    , m_notices(store, icons, *m_notice)
    , m_itemActions(new ItemActions(store, this))
    , m_targetCheck(new TargetCheck(this))
    , m_emptyHint(new QLabel(m_grid->viewport()))
    , m_emptyAddFiles(new QPushButton(qtTrId("action.add_files"), m_grid->viewport())) {
    PanelAccessibility::install();
    m_emptyHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_emptyHint->setWordWrap(true);
    m_emptyHint->setAlignment(Qt::AlignCenter);
    m_emptyHint->setFont(PanelPainting::systemFont(12));
    m_emptyHint->setForegroundRole(QPalette::PlaceholderText);
    auto* hintLayout = new QVBoxLayout(m_grid->viewport());
    hintLayout->setContentsMargins(24, 24, 24, 24);
    hintLayout->addStretch();
    hintLayout->addWidget(m_emptyHint);
    hintLayout->addWidget(m_emptyAddFiles, 0, Qt::AlignHCenter);
    hintLayout->addStretch();
    connect(static_cast<QPushButton*>(m_emptyAddFiles), &QPushButton::clicked, this,
            &TuckawayView::chooseFiles);
    m_firstMouse->lower();
    m_progress->raise(); // above the hairline it lies on

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(m_divider);
    // The grid's scroll bar must end before the rounded corner.
    auto* body = new QVBoxLayout;
    body->setContentsMargins(0, 0, 2, 10);
    body->addWidget(m_grid);
    body->addWidget(m_notice);
    layout->addLayout(body, 1);

    connectTabs();
    connectGrid();
    connect(m_header, &PanelHeader::addGroupClicked, m_sheet, qOverload<>(&NewGroupSheet::open));
    connect(m_header, &PanelHeader::settingsClicked, this, &TuckawayView::settingsRequested);
    connect(m_header, &PanelHeader::addFilesClicked, this, &TuckawayView::chooseFiles);
    connect(&m_store, &NookStore::groupsChanged, this, [this] { showStore(false); });
    connect(&m_store, &NookStore::selectedGroupIDChanged, this, [this] { showStore(true); });
    HandOverQueue& handOvers = m_store.handOvers();
    connect(&handOvers, &HandOverQueue::progress, m_progress, &HandOverProgress::setProgress);
    connect(&handOvers, &HandOverQueue::finished, m_progress, [this] {
        if (!m_store.handOvers().isRunning())
            m_progress->finish();
    });
    connect(&handOvers, &HandOverQueue::finished, this,
            [this](HandOverQueue::Ticket ticket, const HandOverResult& result) {
                if (!m_ownHandOvers.remove(ticket))
                    return;
                QList<QUrl> refused;
                for (const QUrl& url : result.rejected) {
                    if (!url.isLocalFile() && !WebLinks::isWebAddress(url))
                        refused << url;
                }
                if (!refused.isEmpty())
                    m_notices.tellRefused(refused);
            });
    // Whenever the panel is open, however long ago the edit was.
    auto* undo = new QShortcut(QKeySequence::Undo, this);
    undo->setContext(Qt::WindowShortcut);
    connect(undo, &QShortcut::activated, this, &TuckawayView::undo);

    connect(m_search, &PanelSearch::resultsShown, this, [this](const QList<NookItem>& results) {
        showHint(results.isEmpty() ? "search.no_matches" : nullptr);
    });
    connect(m_search, &PanelSearch::activeChanged, this, [this](bool active) {
        if (active)
            m_targetCheck->restart(); // what a search finds is looked at anew
        m_header->setSearching(active);
        m_grid->setSteeredFromElsewhere(active);
        if (!active) {
            showItems(true);
            m_grid->setFocus(Qt::OtherFocusReason);
        }
    });
    connect(m_sheet, &NewGroupSheet::createRequested, this, &TuckawayView::createGroup);
    connect(m_sheet, &NewGroupSheet::cancelled, this, &TuckawayView::cancelAddGroup);

    connect(&m_preferences, &Preferences::columnsChanged, this, &TuckawayView::updateSize);
    connect(&m_preferences, &Preferences::iconSizeChanged, this, &TuckawayView::updateSize);
    connect(&m_preferences, &Preferences::panelHeightChanged, this, [this] {
        updateSize();
        if (isVisible())
            emit panelSizeChanged();
    });
    setKeyboardOrder();
    updateSize();
    showStore(false);
}

TuckawayView::~TuckawayView() = default;

// Tab goes from the tabs to the header's buttons, the grid and (while searching) the search field.
void TuckawayView::setKeyboardOrder() {
    QWidget* const order[] = {tabBar(),         addGroupButton(), addFilesButton(), pinButton(),
                              settingsButton(), m_grid,           searchField()};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

// The tabs ask the store directly; an item dropped on a tab comes from the nook it is shown in.
void TuckawayView::connectTabs() {
    TuckawayTabBar* tabs = m_header->tabBar();
    connect(tabs, &TuckawayTabBar::selectRequested, &m_store, &NookStore::selectGroup);
    connect(tabs, &TuckawayTabBar::moveRequested, &m_store, &NookStore::moveGroup);
    connect(tabs, &TuckawayTabBar::renameRequested, this, &TuckawayView::renameGroup);
    connect(tabs, &TuckawayTabBar::deleteRequested, &m_notices, &PanelNotices::removeGroup);
    connect(tabs, &TuckawayTabBar::openAllRequested, this, &TuckawayView::openAll);
    connect(tabs, &TuckawayTabBar::sortRequested, &m_notices, &PanelNotices::sortItems);
    connect(tabs, &TuckawayTabBar::itemDropRequested, this,
            [this](const QList<QUuid>& itemIDs, const QUuid& toGroupID, bool copy) {
                m_notices.transferItems(placesOf(itemIDs), toGroupID, copy);
            });
}

// The grid's requests go to the nook on screen, or to a search result's own nook.
void TuckawayView::connectGrid() {
    connect(m_grid, &ItemGridView::openRequested, this, &TuckawayView::openItem);
    connect(m_grid, &ItemGridView::removeRequested, this,
            [this](const QList<NookItem>& items) { m_notices.removeItems(placesOf(items)); });
    connect(m_grid, &ItemGridView::moveRequested, this, [this](int offset, int destination) {
        if (const std::optional<QUuid> current = currentID(); current && !m_search->isActive())
            m_store.moveItems(*current, {offset}, destination); // results of several nooks have no order
    });
    connect(m_grid, &ItemGridView::filesDropped, this,
            [this](const QList<QUrl>& urls, const QHash<QUrl, QString>& titles) {
                // With no nook, an id that names none: the files are turned away.
                m_ownHandOvers << m_store.handOvers().add(
                    urls, HandOverTarget::group(currentID().value_or(QUuid())), 0, titles);
            });
    connect(m_grid, &ItemGridView::menuRequested, this, [this](QMenu* menu, const QList<NookItem>& items) {
        m_itemActions->extendMenu(menu, items, groupOf(items.first().id));
    });
    connect(m_itemActions, &ItemActions::moveRequested, this,
            [this](const QList<NookItem>& items, QUuid toGroupID) {
                m_notices.transferItems(placesOf(items), toGroupID, false);
            });
    connect(m_itemActions, &ItemActions::openWithRequested, this,
            [this](const NookItem& item, const QString& id) {
                if (m_grid->isMissing(item.id))
                    showOpenFailure(item.id, OpenFailure::Missing);
                else
                    emit openWithRequested(item, id);
            });
    connect(m_grid, &ItemGridView::viewChanged, this, [this] {
        if (isVisible())
            m_targetCheck->check(m_grid->itemsInView());
    });
    connect(m_targetCheck, &TargetCheck::finished, this, [this](const TargetCheck::Result& result) {
        m_itemActions->setPaths(result.missing, result.paths);
        m_grid->setTargets(result.missing, result.paths);
    });
    connect(m_itemActions, &ItemActions::showInFolderFailed, &m_notices, &PanelNotices::tellNoFileManager);
}

NewGroupSheet* TuckawayView::renameSheet() const {
    return m_itemActions->renameSheet();
}

QSize TuckawayView::panelSize() const {
    const double width =
        PanelMetrics::frameWidth(m_preferences.effectiveColumns(), m_preferences.effectiveIconSize());
    return {qRound(width), qRound(m_preferences.effectivePanelHeight())};
}

bool TuckawayView::isDragActive() const {
    return m_header->tabBar()->isDragActive() || m_grid->isDragActive();
}

void TuckawayView::updateSize() {
    m_grid->setShape(m_preferences.effectiveColumns(), m_preferences.effectiveIconSize());
    setFixedSize(panelSize());
}

std::optional<QUuid> TuckawayView::currentID() const {
    const NookGroup* current = m_store.selectedGroup();
    return current ? std::optional(current->id) : std::nullopt;
}

QUuid TuckawayView::groupOf(const QUuid& itemID) const {
    return m_search->groupOf(itemID).value_or(currentID().value_or(QUuid()));
}

QList<UndoHistory::ItemRef> TuckawayView::placesOf(const QList<QUuid>& itemIDs) const {
    QList<UndoHistory::ItemRef> places;
    for (const QUuid& id : itemIDs)
        places.append({id, groupOf(id)});
    return places;
}

QList<UndoHistory::ItemRef> TuckawayView::placesOf(const QList<NookItem>& items) const {
    QList<QUuid> ids;
    for (const NookItem& item : items)
        ids << item.id;
    return placesOf(ids);
}

bool TuckawayView::undo() {
    return m_notices.undo();
}

void TuckawayView::openItem(const NookItem& item) {
    // Known to be gone: say so here rather than close the panel on nothing.
    if (m_grid->isMissing(item.id))
        showOpenFailure(item.id, OpenFailure::Missing);
    else
        emit openRequested(item);
}

// Looked for in every nook: a search result of another nook fails as well.
void TuckawayView::showOpenFailure(const QUuid& itemID, OpenFailure failure) {
    for (const NookGroup& group : m_store.groups()) {
        const qsizetype index = indexOfItem(group, itemID);
        if (index < 0)
            continue;
        if (failure == OpenFailure::NoApplication)
            m_notices.tellNoApplication(group.items.at(index));
        else
            m_notices.tellMissing(group.items.at(index), group.id);
        return;
    }
}

void TuckawayView::openAll(const QUuid& groupID) {
    const NookGroup* group = m_store.group(groupID);
    if (!group)
        return;
    // The grid knows which are missing only for the nook on screen; the others find out.
    for (const NookItem& item : QList<NookItem>(group->items))
        openItem(item);
}

void TuckawayView::chooseFiles() {
    const NookGroup* current = m_store.selectedGroup();
    const HandOverTarget target = current ? HandOverTarget::group(current->id) : HandOverTarget::current();
    const QString title =
        qtTrId("dialog.add_files").arg(current ? current->name : qtTrId("group.default_name"));
    QPointer<TuckawayView> guard(this);
    m_chooser(window(), title, [guard, target](const QList<QUrl>& urls) {
        if (guard && !urls.isEmpty())
            guard->m_ownHandOvers << guard->m_store.handOvers().add(urls, target);
    });
}

// ---- what the store holds, on screen

void TuckawayView::showStore(bool fromTop) {
    TuckawayTabBar* tabs = m_header->tabBar();
    tabs->setGroups(GroupSelection::summaries(m_store.groups()));
    tabs->setSelectedGroupID(currentID());
    for (const NookGroup& group : m_store.groups()) {
        if (TuckawayTabButton* tab = tabs->tab(group.id))
            tab->setItemCount(int(group.items.size()));
    }
    showItems(fromTop);
}

void TuckawayView::showItems(bool fromTop) {
    if (m_search->isActive())
        return m_search->refresh(m_store.groups(), currentID()); // its results say the rest
    const NookGroup* current = m_store.selectedGroup();
    const QList<NookItem> items = current ? current->items : QList<NookItem>();
    // A nook newly on screen: look again whether its targets are still there, as they come into view.
    if (fromTop && isVisible())
        m_targetCheck->restart();
    m_grid->setItems(items, fromTop);
    // No nook: how to make one; an empty nook: how to fill it.
    showHint(m_store.groups().isEmpty() ? "empty.no_nooks" : items.isEmpty() ? "empty.no_items" : nullptr);
}

// Over the grid, when it has nothing to show; clicks and drops pass through.
void TuckawayView::showHint(const char* textId) {
    m_emptyHint->setText(textId ? qtTrId(textId) : QString());
    m_emptyHint->setVisible(textId != nullptr);
    // Clicks and drops pass through the hint; the button adds to an empty nook, not to results.
    m_emptyAddFiles->setVisible(textId != nullptr && !m_search->isActive());
}

// ---- the new-group sheet

// A name that is blank, or another nook's but for case, is refused: the sheet stays and says why.
void TuckawayView::createGroup() {
    const QString name = m_sheet->field()->text().trimmed();
    if (name.isEmpty())
        return m_sheet->showProblem(qtTrId("sheet.name_needed"));
    if (const NookGroup* taken = m_store.groupNamedLike(name))
        return m_sheet->showProblem(qtTrId("notice.name_taken").arg(taken->name));
    m_sheet->dismiss();
    m_store.addGroup(name); // and makes it current
    m_sheet->field()->clear();
}

// The same for a tab's new name: the tab stays in its rename, holding what was typed.
void TuckawayView::renameGroup(const QUuid& groupID, const QString& name) {
    const NookGroup* taken = m_store.groupNamedLike(name, groupID);
    if (!taken)
        return m_store.renameGroup(groupID, name);
    m_notices.tellNameTaken(taken->name);
    if (TuckawayTabButton* tab = m_header->tabBar()->tab(groupID))
        tab->beginRename(name);
}

void TuckawayView::cancelAddGroup() {
    m_sheet->dismiss();
    m_sheet->field()->clear();
}

// ---- showing

void TuckawayView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateSize();
    // The panel opens on the store's current nook, the one hand-overs go to, at its top.
    showStore(true);
    m_notices.tellUnreadableFile();
    m_grid->resetKeyboardFocus();
    m_grid->setFocus(Qt::OtherFocusReason);
}

void TuckawayView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_notices.panelHidden();
    m_search->end();
    // The sheets go with the panel; what was typed stays for their next opening.
    m_sheet->dismiss();
    renameSheet()->dismiss();
}

void TuckawayView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_firstMouse->setGeometry(rect());
    // Over the hairline, inside the rounded outline.
    const int corner = int(PanelMetrics::kCornerRadius);
    m_progress->setGeometry(corner, m_divider->y() - 1, width() - 2 * corner, HandOverProgress::kHeight);
    for (NewGroupSheet* sheet : {m_sheet, renameSheet()}) {
        if (sheet->isVisible())
            sheet->setGeometry(rect());
    }
}

void TuckawayView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor background = palette().color(QPalette::Window);
    // Slightly translucent where the window can show what lies behind it.
    if (window()->testAttribute(Qt::WA_TranslucentBackground))
        background.setAlphaF(0.96);
    const QRectF outline = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(PanelPainting::foreground(palette(), 0.14));
    painter.setBrush(background);
    painter.drawRoundedRect(outline, PanelMetrics::kCornerRadius, PanelMetrics::kCornerRadius);
}
