#pragma once

#include "TestEnvironment.h"
#include "model/Bookmarks.h"
#include "model/IconCache.h"
#include "model/NookStore.h"
#include "platform/Localization.h"
#include "platform/Preferences.h"
#include "views/DragRunner.h"
#include "views/ItemGridView.h"
#include "views/ModifierTracker.h"
#include "views/NewGroupSheet.h"
#include "views/PinState.h"
#include "views/TuckawayTabBar.h"
#include "views/TuckawayView.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

// Shared steps of the panel tests: menus, drags and pointer as the platform delivers them.
namespace ViewTest {

// Names joined by blanks (items or nooks), for comparisons that show the whole order at once.
template <typename Entries> QString names(const Entries& entries) {
    QStringList names;
    for (const auto& entry : entries)
        names << entry.name;
    return names.join(QLatin1Char(' '));
}

// Opens the widget's context menu at `pos` and triggers the entry with this text.
inline bool triggerContextMenu(QWidget* widget, const QPoint& pos, const QString& text) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QAction* chosen = nullptr;
    for (QAction* action : menu ? menu->actions() : QList<QAction*>())
        chosen = action->text() == text ? action : chosen;
    if (chosen)
        chosen->trigger();
    if (menu)
        menu->close();
    return chosen;
}

// A drag entering `target` and moving to `pos`; true when a drop there would be taken.
inline bool dragTo(QWidget* target, const QPoint& pos, const QMimeData* mime,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(pos, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &move);
    return move.isAccepted();
}

// The same, dropped there; true when the drop was taken.
inline bool dropAt(QWidget* target, const QPoint& pos, const QMimeData* mime,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    dragTo(target, pos, mime, modifiers);
    QDropEvent drop(pos, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

// Through the window, so that enter and leave events and the window's filters take part.
inline void hover(QWidget* widget, const QPoint& pos) {
    QTest::mouseMove(widget->window()->windowHandle(), widget->mapTo(widget->window(), pos));
}

inline void click(QWidget* widget, const QPoint& pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    hover(widget, pos);
    QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, modifiers,
                      widget->mapTo(widget->window(), pos));
}

// Presses at `from` and moves the held button far enough to start a drag.
inline void pressAndPull(QWidget* widget, const QPoint& from,
                         Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mousePress(widget, Qt::LeftButton, modifiers, from);
    const QPoint to = from + QPoint(30, 0);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(widget->mapToGlobal(to)), Qt::NoButton,
                     Qt::LeftButton, modifiers);
    QApplication::sendEvent(widget, &move);
}

// Each test starts from a fresh home, preferences, store, icon cache and pin.
class PanelTestCase : public QObject {
    Q_OBJECT

protected:
    // A nook whose items are files <name>/<item>.txt below home.
    NookGroup nook(const QString& name, const QStringList& itemNames = {}) const {
        NookGroup group{QUuid::createUuid(), name, {}};
        for (const QString& itemName : itemNames) {
            const QString path = m_env->makeFile(u"%1/%2.txt"_s.arg(name, itemName));
            group.items << NookItem{
                QUuid::createUuid(), itemName,
                Bookmarks::makeBookmark(QUrl::fromLocalFile(path)).value_or(QByteArray())};
        }
        return group;
    }
    void showPanel(const QList<NookGroup>& groups) {
        m_store->setGroups(groups);
        m_view = std::make_unique<TuckawayView>(*m_store, *m_prefs, *m_icons, *m_pin);
        QObject::connect(m_view.get(), &TuckawayView::openRequested,
                         [this](const NookItem& item) { m_opened << item.name; });
        QObject::connect(m_view.get(), &TuckawayView::closeRequested, [this] { ++m_closed; });
        QObject::connect(m_view.get(), &TuckawayView::settingsRequested, [this] { ++m_settings; });
        showAgain();
    }
    void showAgain() {
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        // A pointer left over a new window enters nothing: start from an empty corner.
        for (int inset : {2, 3})
            QTest::mouseMove(m_view->windowHandle(),
                             QPoint(m_view->width() - inset, m_view->height() - inset));
    }
    ItemGridView* grid() const { return m_view->grid(); }
    TuckawayTabBar* bar() const { return m_view->tabBar(); }
    QUuid groupID(int index) const { return m_store->groups().at(index).id; }
    QString shownItems() const { return names(grid()->items()); }
    // The store's current nook, then each tab whose mark says otherwise.
    QString selectedName() const {
        const NookGroup* current = m_store->selectedGroup();
        const QString name = current ? current->name : QString();
        QString drift;
        for (const TuckawayTabButton* tab : bar()->tabs())
            drift += tab->isSelected() == (tab->name() == name) ? QString() : u", tab "_s + tab->name();
        return name + drift;
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<IconCache> m_icons;
    std::unique_ptr<NookStore> m_store;
    std::unique_ptr<PinState> m_pin;
    std::unique_ptr<TuckawayView> m_view;
    QStringList m_opened;
    int m_closed = 0;
    int m_settings = 0;

private slots:
    void init() {
        Localization::install(QLocale(QLocale::English));
        m_env = std::make_unique<TestEnvironment>();
        m_prefs = std::make_unique<Preferences>(m_env->configHome() + QStringLiteral("/test.conf"));
        m_icons = std::make_unique<IconCache>();
        m_store = std::make_unique<NookStore>(m_env->dataHome() + QStringLiteral("/Tuckaway"));
        m_pin = std::make_unique<PinState>();
        m_opened.clear();
        m_closed = m_settings = 0;
    }
    void cleanup() {
        DragRunner::setRunner({});
        ModifierTracker::setQuery({});
        // A key a test left down would be read from the keyboard by the next one.
        for (const Qt::Key key : {Qt::Key_Control, Qt::Key_Alt})
            if (m_view)
                QTest::keyRelease(m_view.get(), key);
        m_view.reset(); // the view refers to the store and the pin
        m_store.reset();
        m_env.reset();
    }
};

} // namespace ViewTest
