#include "TuckawayView.h"

#include "Bookmarks.h"
#include "HandOverProgress.h"
#include "HeaderButton.h"
#include "IconCache.h"
#include "ItemGridView.h"
#include "NewGroupSheet.h"
#include "NookStore.h"
#include "NoticeBar.h"
#include "PanelAccessibility.h"
#include "PanelPainting.h"
#include "PanelSearch.h"
#include "Preferences.h"
#include "TargetCheck.h"
#include "TuckawayTabBar.h"
#include "platform/xdg/FileManager.h"
#include "views/FirstMouseView.h"
#include "views/PinState.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr double kCornerRadius = 16;

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

QList<GroupSummary> summaries(const QList<NookGroup>& groups) {
    QList<GroupSummary> result;
    result.reserve(groups.size());
    for (const NookGroup& group : groups)
        result.append({group.id, group.name});
    return result;
}

} // namespace

TuckawayView::TuckawayView(NookStore& store, PinState& pinState, PanelCallbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_pinState(pinState)
    , m_callbacks(std::move(callbacks))
    , m_firstMouse(new FirstMouseView(this))
    , m_tabBar(new TuckawayTabBar(this))
    , m_addButton(new HeaderButton(28, this))
    , m_pinButton(new HeaderButton(28, this))
    , m_settingsButton(new HeaderButton(32, this))
    , m_progress(new HandOverProgress(this))
    , m_divider(new Divider(this))
    , m_grid(new ItemGridView(this))
    , m_sheet(new NewGroupSheet(this))
    , m_searchField(new QLineEdit(this))
    , m_search(new PanelSearch(m_searchField, m_grid, this))
    , m_notice(new NoticeBar(this))
    , m_renameSheet(new NewGroupSheet(this))
    , m_targetCheck(new TargetCheck(this))
    , m_emptyHint(new QLabel(m_grid->viewport())) {
    PanelAccessibility::install();
    m_emptyHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_emptyHint->setWordWrap(true);
    m_emptyHint->setAlignment(Qt::AlignCenter);
    m_emptyHint->setFont(PanelPainting::systemFont(12));
    m_emptyHint->setForegroundRole(QPalette::PlaceholderText);
    auto* hintLayout = new QVBoxLayout(m_grid->viewport());
    hintLayout->setContentsMargins(24, 24, 24, 24);
    hintLayout->addWidget(m_emptyHint);
    m_firstMouse->lower();
    m_progress->raise(); // above the hairline it lies on
    buildHeader();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 8, 0);
    header->setSpacing(0);
    header->addWidget(m_tabBar, 1, Qt::AlignVCenter);
    header->addWidget(m_searchField, 1);
    header->addWidget(m_addButton, 0, Qt::AlignVCenter);
    header->addWidget(m_pinButton, 0, Qt::AlignVCenter);
    header->addWidget(m_settingsButton, 0, Qt::AlignVCenter);
    layout->addLayout(header);
    layout->addWidget(m_divider);
    // The grid's scroll bar must end before the rounded corner.
    auto* body = new QVBoxLayout;
    body->setContentsMargins(0, 0, 2, 10);
    body->addWidget(m_grid);
    body->addWidget(m_notice);
    layout->addLayout(body, 1);

    m_grid->setCallbacks({
        [this](const NookItem& item) {
            // Known to be gone: say so here rather than close the panel on nothing.
            if (m_grid->isMissing(item.id))
                showOpenFailure(item.id, OpenFailure::Missing);
            else if (m_callbacks.onOpen)
                m_callbacks.onOpen(item);
        },
        [this](const QUuid& itemID) { removeItem(itemID); },
        [this](const std::set<int>& offsets, int destination) {
            if (m_search->isActive())
                return; // results of several nooks have no order to change
            m_store.moveItems(targetGroupID(), offsets, destination);
        },
        [this](const QList<QUrl>& urls) { m_store.handOver(urls, targetGroupID()); },
        [this](QMenu* menu, const NookItem& item) { extendItemMenu(menu, item); },
    });
    connect(m_targetCheck, &TargetCheck::finished, this, [this](const TargetCheck::Result& result) {
        m_paths = result.paths;
        m_grid->setTargets(result.missing, result.paths);
    });
    m_renameSheet->setTextIds("alert.rename_item.title", "action.rename");
    connect(m_renameSheet, &NewGroupSheet::createRequested, this, &TuckawayView::renameItem);
    connect(m_renameSheet, &NewGroupSheet::cancelled, m_renameSheet, &NewGroupSheet::dismiss);

    connect(m_tabBar, &TuckawayTabBar::selectedGroupIDChanged, this,
            [this](const QUuid& id) { setSelectedGroupID(id); });
    connect(m_tabBar, &TuckawayTabBar::moveRequested, &m_store, &NookStore::moveGroup);
    connect(m_tabBar, &TuckawayTabBar::renameRequested, &m_store, &NookStore::renameGroup);
    connect(m_tabBar, &TuckawayTabBar::deleteRequested, this, &TuckawayView::removeGroup);
    connect(m_tabBar, &TuckawayTabBar::itemDropRequested, this, &TuckawayView::transferItem);
    connect(&m_store, &NookStore::groupsChanged, this, &TuckawayView::syncFromStore);
    connect(&m_store, &NookStore::selectedGroupIDChanged, this, &TuckawayView::followStoreSelection);
    connect(&m_store, &NookStore::handOverProgress, m_progress, &HandOverProgress::setProgress);
    connect(&m_store, &NookStore::handOverFinished, m_progress, [this] {
        if (!m_store.handOverRunning())
            m_progress->finish();
    });
    connect(&m_pinState, &PinState::valueChanged, this, &TuckawayView::updatePinButton);
    connect(&m_store, &NookStore::saveFailed, this, [this](const QString& reason) {
        postNotice({qtTrId("notice.save_failed").arg(reason), {}, {}, 0});
    });
    auto* undo = new QShortcut(QKeySequence::Undo, this);
    undo->setContext(Qt::WindowShortcut);
    connect(undo, &QShortcut::activated, this, &TuckawayView::undo);

    m_searchField->setPlaceholderText(qtTrId("search.placeholder"));
    m_searchField->setClearButtonEnabled(true);
    connect(m_search, &PanelSearch::activeChanged, this, [this](bool active) {
        m_tabBar->setVisible(!active);
        m_grid->setSteeredFromElsewhere(active);
        if (!active) {
            showItemsOfSelection(true);
            m_grid->setFocus(Qt::OtherFocusReason);
        }
    });
    connect(m_sheet, &NewGroupSheet::textEdited, this,
            [this](const QString& text) { m_newGroupName = text; });
    connect(m_sheet, &NewGroupSheet::createRequested, this, &TuckawayView::createGroup);
    connect(m_sheet, &NewGroupSheet::cancelled, this, &TuckawayView::cancelAddGroup);

    Preferences& preferences = Preferences::instance();
    connect(&preferences, &Preferences::columnsChanged, this, &TuckawayView::updateSize);
    connect(&preferences, &Preferences::iconSizeChanged, this, &TuckawayView::updateSize);
    connect(&preferences, &Preferences::panelHeightChanged, this, [this] {
        updateSize();
        if (isVisible() && m_callbacks.onPanelSizeChanged)
            m_callbacks.onPanelSizeChanged();
    });

    updatePinButton();
    updateSize();
}

TuckawayView::~TuckawayView() {
    disconnect(m_focusWatch);
}

void TuckawayView::buildHeader() {
    m_addButton->setSymbol({QStringLiteral("list-add-symbolic"), QStringLiteral("list-add")},
                           QStringLiteral("list-add"));
    m_addButton->setToolTip(qtTrId("header.add_group"));
    connect(m_addButton, &HeaderButton::clicked, this, &TuckawayView::showAddGroup);

    m_pinButton->setToolTip(qtTrId("header.pin"));
    connect(m_pinButton, &HeaderButton::clicked, this, [this] { m_pinState.setValue(!m_pinState.value()); });

    // A gear wherever the theme has one ("configure" is a pair of tools in some themes).
    m_settingsButton->setSymbol({QStringLiteral("emblem-system-symbolic"), QStringLiteral("configure"),
                                 QStringLiteral("preferences-system-symbolic")},
                                QStringLiteral("configure"));
    m_settingsButton->setToolTip(qtTrId("header.settings"));
    connect(m_settingsButton, &HeaderButton::clicked, this, [this] {
        if (m_openSettings)
            m_openSettings();
    });
}

void TuckawayView::setOnOpenSettings(std::function<void()> open) {
    m_openSettings = std::move(open);
}

QSize TuckawayView::panelSize() const {
    const Preferences& preferences = Preferences::instance();
    return {qRound(preferences.frameWidth()), qRound(preferences.effectivePanelHeight())};
}

bool TuckawayView::isDragActive() const {
    return m_tabBar->isDragActive() || m_grid->isDragActive();
}

void TuckawayView::updateSize() {
    setFixedSize(panelSize());
}

void TuckawayView::updatePinButton() {
    const bool pinned = m_pinState.value();
    if (pinned)
        m_pinButton->setSymbol({QStringLiteral("object-locked")}, QStringLiteral("object-locked"));
    else
        m_pinButton->setSymbol({QStringLiteral("object-unlocked")}, QStringLiteral("object-unlocked"));
    m_pinButton->setEmphasized(pinned);
}

QUuid TuckawayView::targetGroupID() const {
    if (m_selectedGroupID)
        return *m_selectedGroupID;
    if (!m_store.groups().isEmpty())
        return m_store.groups().first().id;
    return QUuid::createUuid();
}

// ---- selection and the copies of the store's data

// ---- removing, undoing and telling

void TuckawayView::removeGroup(const QUuid& groupID) {
    const QList<NookGroup>& groups = m_store.groups();
    const auto found = std::find_if(groups.cbegin(), groups.cend(),
                                    [&](const NookGroup& group) { return group.id == groupID; });
    if (found == groups.cend())
        return;
    const NookGroup group = *found;
    const int index = int(found - groups.cbegin());
    m_store.deleteGroup(groupID);
    offerUndo(group.name, [this, group, index] {
        m_store.insertGroup(group, index);
        setSelectedGroupID(group.id);
    });
}

void TuckawayView::removeItem(const QUuid& itemID) {
    // A search result may come from another nook.
    const QUuid groupID = m_search->groupOf(itemID).value_or(targetGroupID());
    const auto group = std::find_if(m_store.groups().cbegin(), m_store.groups().cend(),
                                    [&](const NookGroup& g) { return g.id == groupID; });
    if (group == m_store.groups().cend())
        return;
    const auto found = std::find_if(group->items.cbegin(), group->items.cend(),
                                    [&](const NookItem& i) { return i.id == itemID; });
    if (found == group->items.cend())
        return;
    const qsizetype index = found - group->items.cbegin();
    const NookItem item = *found;
    m_store.removeItem(itemID, groupID);
    IconCache::shared().remove(itemID);
    offerUndo(item.name, [this, item, groupID, index] {
        m_store.insertItem(item, groupID, int(index));
        setSelectedGroupID(groupID);
    });
}

void TuckawayView::transferItem(const QUuid& itemID, const QUuid& toGroupID, bool copy) {
    const QUuid fromGroupID = m_search->groupOf(itemID).value_or(targetGroupID());
    const NookGroup* from = nullptr;
    const NookGroup* to = nullptr;
    for (const NookGroup& group : m_store.groups()) {
        if (group.id == fromGroupID)
            from = &group;
        else if (group.id == toGroupID)
            to = &group;
    }
    const qsizetype index = indexOfItem(itemID);
    if (!from || !to || index < 0)
        return;
    const NookItem item = from->items.value(index);
    const QString toName = to->name;
    const std::optional<QUuid> arrived = m_store.transferItem(itemID, fromGroupID, toGroupID, copy);
    if (!arrived)
        return;
    postNotice({qtTrId(copy ? "notice.copied_to" : "notice.moved_to").arg(item.name, toName),
                qtTrId("action.undo"),
                [this, item, copy, index, fromGroupID, toGroupID, arrived] {
                    m_store.removeItem(*arrived, toGroupID);
                    if (!copy)
                        m_store.insertItem(item, fromGroupID, int(index));
                },
                kUndoMs});
    m_noticeUndoes = true;
}

qsizetype TuckawayView::indexOfItem(const QUuid& itemID) const {
    for (qsizetype i = 0; i < m_cachedItems.size(); ++i) {
        if (m_cachedItems.at(i).id == itemID)
            return i;
    }
    return -1;
}

void TuckawayView::offerUndo(const QString& name, std::function<void()> restore) {
    postNotice({qtTrId("notice.removed").arg(name), qtTrId("action.undo"), std::move(restore), kUndoMs});
    m_noticeUndoes = true;
}

void TuckawayView::postNotice(NoticeBar::Notice notice) {
    m_noticeUndoes = false;
    m_notice->post(std::move(notice));
}

bool TuckawayView::undo() {
    return m_noticeUndoes && m_notice->triggerAction();
}

void TuckawayView::showOpenFailure(const QUuid& itemID, OpenFailure failure) {
    const qsizetype index = indexOfItem(itemID);
    if (index < 0)
        return;
    const QString name = m_cachedItems.at(index).name;
    if (failure == OpenFailure::NoApplication) {
        postNotice({qtTrId("notice.no_application").arg(name), {}, {}, 0});
        return;
    }
    postNotice({qtTrId("notice.missing").arg(name), qtTrId("action.remove"),
                [this, itemID] { removeItem(itemID); }, 0});
}

void TuckawayView::tellAboutUnreadableFile() {
    if (!m_store.loadFailed() || m_toldUnreadable)
        return;
    m_toldUnreadable = true;
    const QString kept = m_store.keptUnreadableFile();
    postNotice({kept.isEmpty() ? qtTrId("notice.load_failed").arg(m_store.saveURL().toLocalFile())
                               : qtTrId("notice.load_failed_kept").arg(kept),
                {},
                {},
                0});
}

void TuckawayView::onAppear() {
    m_cachedGroups = summaries(m_store.groups());
    m_tabBar->setGroups(m_cachedGroups);
    // The panel opens on the store's current nook, the one hand-overs go to.
    const auto current = m_store.selectedGroup();
    m_selectedGroupID = current ? std::optional(current->id) : std::nullopt;
    m_tabBar->setSelectedGroupID(m_selectedGroupID);
    showItemsOfSelection(true);
    tellAboutUnreadableFile();
}

void TuckawayView::followStoreSelection() {
    const auto current = m_store.selectedGroup();
    if (current && current->id != m_selectedGroupID)
        setSelectedGroupID(current->id);
}

void TuckawayView::syncFromStore() {
    const QList<GroupSummary> previous = m_cachedGroups;
    m_cachedGroups = summaries(m_store.groups());
    m_tabBar->setGroups(m_cachedGroups);

    // When the selected group is gone, the group that took its place (else the new last
    // one) is selected, rather than a selection that names no group.
    if (m_selectedGroupID) {
        const auto named = [this](const GroupSummary& group) { return group.id == *m_selectedGroupID; };
        if (std::none_of(m_cachedGroups.cbegin(), m_cachedGroups.cend(), named)) {
            const auto old = std::find_if(previous.cbegin(), previous.cend(), named);
            std::optional<QUuid> replacement;
            if (!m_cachedGroups.isEmpty() && old != previous.cend()) {
                const qsizetype index =
                    std::min(qsizetype(old - previous.cbegin()), m_cachedGroups.size() - 1);
                replacement = m_cachedGroups.at(index).id;
            }
            setSelectedGroupID(replacement);
            return;
        }
    }
    showItemsOfSelection(false);
}

void TuckawayView::setSelectedGroupID(const std::optional<QUuid>& id) {
    const bool changed = id != m_selectedGroupID;
    m_selectedGroupID = id;
    // What the panel shows is where files handed over go.
    if (id)
        m_store.selectGroup(*id);
    m_tabBar->setSelectedGroupID(id);
    showItemsOfSelection(changed);
}

// ---- the items' own actions

void TuckawayView::extendItemMenu(QMenu* menu, const NookItem& item) {
    const QString found = m_paths.value(item.id);
    const QString path =
        found.isEmpty() ? Bookmarks::recordedPath(item.bookmarkData).value_or(QString()) : found;
    QAction* show =
        menu->addAction(qtTrId("action.show_in_folder"), this, [found] { FileManager::showItem(found); });
    show->setEnabled(!found.isEmpty());
    QAction* copy = menu->addAction(qtTrId("action.copy_path"), this,
                                    [path] { QGuiApplication::clipboard()->setText(path); });
    copy->setEnabled(!path.isEmpty());
    menu->addAction(qtTrId("action.rename"), this, [this, item] { beginItemRename(item); });
}

void TuckawayView::beginItemRename(const NookItem& item) {
    m_renaming = item.id;
    m_renameSheet->open(item.name);
}

void TuckawayView::renameItem() {
    m_renameSheet->dismiss();
    const QString name = trimmedName(m_renameSheet->field()->text());
    if (m_renaming && !name.isEmpty())
        m_store.renameItem(targetGroupID(), *m_renaming, name);
    m_renaming.reset();
}

QString TuckawayView::trimmedName(const QString& text) {
    return text.trimmed();
}

void TuckawayView::showItemsOfSelection(bool fromTop) {
    m_cachedItems.clear();
    if (m_selectedGroupID) {
        for (const NookGroup& group : m_store.groups()) {
            if (group.id == *m_selectedGroupID) {
                m_cachedItems = group.items;
                break;
            }
        }
    }
    if (m_search->isActive())
        m_search->refresh(m_store.groups(), m_selectedGroupID);
    else
        m_grid->setItems(m_cachedItems, fromTop);
    // No nook: how to make one; an empty nook: how to fill it. Clicks and drops pass through.
    const char* hint = m_cachedGroups.isEmpty()  ? "empty.no_nooks"
                       : m_cachedItems.isEmpty() ? "empty.no_items"
                                                 : nullptr;
    m_emptyHint->setText(hint ? qtTrId(hint) : QString());
    m_emptyHint->setVisible(hint != nullptr);
    // A nook newly on screen: look again whether its targets are still there.
    if (fromTop && isVisible())
        m_targetCheck->check(m_cachedItems);
}

// ---- the new-group dialog

void TuckawayView::showAddGroup() {
    m_sheet->open(m_newGroupName);
}

void TuckawayView::createGroup() {
    m_sheet->dismiss();
    const QString name = trimmedName(m_newGroupName);
    if (name.isEmpty())
        return; // a blank name makes no nook; what was typed stays for the next try
    m_store.addGroup(name);
    const QList<NookGroup>& groups = m_store.groups();
    setSelectedGroupID(groups.isEmpty() ? std::nullopt : std::optional(groups.last().id));
    m_newGroupName.clear();
}

void TuckawayView::cancelAddGroup() {
    m_sheet->dismiss();
    m_newGroupName.clear();
}

// ---- showing

void TuckawayView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateSize();
    onAppear();
    m_grid->resetKeyboardFocus();
    m_grid->setFocus(Qt::OtherFocusReason);
    disconnect(m_focusWatch);
    m_focusWatch = connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [](QWindow* window) {
        if (window)
            raiseSettingsWindow(window);
    });
}

void TuckawayView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    disconnect(m_focusWatch);
    m_search->end();
    // The dialog goes with the panel; what was typed stays for its next opening.
    m_sheet->dismiss();
    m_renameSheet->dismiss();
}

bool TuckawayView::raiseSettingsWindow(QWindow* window) {
    if (!window)
        return false;
    const QString title = window->title();
    if (!title.contains(QLatin1String("Settings")) && !title.contains(QLatin1String("Einstellungen")))
        return false;
    if (!window->flags().testFlag(Qt::WindowStaysOnTopHint))
        window->setFlag(Qt::WindowStaysOnTopHint, true);
    window->raise();
    return true;
}

void TuckawayView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_firstMouse->setGeometry(rect());
    // Over the hairline, inside the rounded outline.
    m_progress->setGeometry(int(kCornerRadius), m_divider->y() - 1, width() - 2 * int(kCornerRadius),
                            HandOverProgress::kHeight);
    for (NewGroupSheet* sheet : {m_sheet, m_renameSheet}) {
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
    painter.drawRoundedRect(outline, kCornerRadius, kCornerRadius);
}

// ---- keys of the whole panel (the grid handles its own)

void TuckawayView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const bool ctrl = modifiers == Qt::ControlModifier;
    const bool ctrlShift = modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
    const QString text = event->text();
    const bool typed = (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) && !text.isEmpty() &&
                       text.at(0).isPrint() && !text.at(0).isSpace();
    if (typed && !m_sheet->isVisible() && !m_search->isActive()) {
        m_search->start(text, m_store.groups(), m_selectedGroupID);
    } else if (key == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        if (m_sheet->isVisible())
            cancelAddGroup();
        else if (m_search->isActive())
            m_search->end();
        else if (m_callbacks.onClose)
            m_callbacks.onClose();
    } else if ((ctrl && (key == Qt::Key_Tab || key == Qt::Key_PageDown))) {
        selectAdjacentGroup(1);
    } else if ((ctrlShift && (key == Qt::Key_Backtab || key == Qt::Key_Tab)) ||
               (ctrl && key == Qt::Key_PageUp)) {
        selectAdjacentGroup(-1);
    } else if (ctrl && key == Qt::Key_N) {
        showAddGroup();
    } else if (ctrl && key == Qt::Key_Comma) {
        if (m_openSettings)
            m_openSettings();
    } else if (key == Qt::Key_F2 && modifiers == Qt::NoModifier) {
        // The item the keyboard is on, when the grid has it; else the nook.
        const QList<NookItem>& items = m_grid->items();
        const int focused = m_grid->focusIndex();
        if (m_grid->hasFocus() && !m_search->isActive() && focused >= 0 && focused < items.size())
            beginItemRename(items.at(focused));
        else if (TuckawayTabButton* tab = m_selectedGroupID ? m_tabBar->tab(*m_selectedGroupID) : nullptr)
            tab->beginRename();
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TuckawayView::selectAdjacentGroup(int step) {
    const qsizetype count = m_cachedGroups.size();
    if (count == 0)
        return;
    qsizetype index = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (m_cachedGroups.at(i).id == m_selectedGroupID)
            index = (i + step + count) % count;
    }
    setSelectedGroupID(m_cachedGroups.at(index).id);
}
