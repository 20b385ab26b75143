#pragma once

#include "TestEnvironment.h"
#include "model/Bookmarks.h"
#include "model/IconCache.h"
#include "model/NookStore.h"
#include "platform/Localization.h"
#include "platform/Preferences.h"
#include "views/DragRunner.h"
#include "views/PinState.h"
#include "views/TuckawayView.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTest>

#include <memory>

// Shared steps of the panel tests: items for real files, preferences back to their
// defaults, context menus and drag events delivered like the platform does.
namespace ViewTest {

inline NookItem itemFor(const TestEnvironment& env, const QString& relativePath, const QString& name = {}) {
    const QString path = env.makeFile(relativePath);
    const auto bookmark = Bookmarks::makeBookmark(QUrl::fromLocalFile(path));
    return NookItem{QUuid::createUuid(), name.isEmpty() ? QFileInfo(path).completeBaseName() : name,
                    bookmark.value_or(QByteArray())};
}

inline NookGroup groupOf(const TestEnvironment& env, const QString& name, const QStringList& itemNames) {
    NookGroup group{QUuid::createUuid(), name, {}};
    for (const QString& itemName : itemNames)
        group.items << itemFor(env, name + QLatin1Char('/') + itemName + QStringLiteral(".txt"), itemName);
    return group;
}

inline QStringList groupNames(const NookStore& store) {
    QStringList names;
    for (const NookGroup& group : store.groups())
        names << group.name;
    return names;
}

inline QStringList itemNames(const QList<NookItem>& items) {
    QStringList names;
    for (const NookItem& item : items)
        names << item.name;
    return names;
}

// Opens the widget's context menu at `pos` and triggers the entry with this text.
inline bool triggerContextMenu(QWidget* widget, const QPoint& pos, const QString& text) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu)
        return false;
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        if (action->text() == text) {
            action->trigger();
            menu->close();
            return true;
        }
    }
    menu->close();
    return false;
}

inline bool sendDragEnter(QWidget* target, const QPoint& pos, const QMimeData* mime,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &enter);
    return enter.isAccepted();
}

inline bool sendDragMove(QWidget* target, const QPoint& pos, const QMimeData* mime,
                         Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QDragMoveEvent move(pos, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &move);
    return move.isAccepted();
}

inline bool sendDrop(QWidget* target, const QPoint& pos, const QMimeData* mime,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QDropEvent drop(pos, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

// Enter, move and drop at one place, as a platform delivers a drop; true when the drop was taken.
inline bool dropAt(QWidget* target, const QPoint& pos, const QMimeData* mime,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    sendDragEnter(target, pos, mime, modifiers);
    sendDragMove(target, pos, mime, modifiers);
    return sendDrop(target, pos, mime, modifiers);
}

inline void sendDragLeave(QWidget* target) {
    QDragLeaveEvent leave;
    QApplication::sendEvent(target, &leave);
}

// Pointer movement and clicks through the window, as the platform delivers them, so
// that enter and leave events and the window's own filters take part.
inline QPoint inWindow(QWidget* widget, const QPoint& pos) {
    return widget->mapTo(widget->window(), pos);
}

inline void hover(QWidget* widget, const QPoint& pos) {
    QTest::mouseMove(widget->window()->windowHandle(), inWindow(widget, pos));
}

inline void click(QWidget* widget, const QPoint& pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    hover(widget, pos);
    QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, modifiers, inWindow(widget, pos));
}

// A new window may appear under a pointer that has not moved since the last test, and
// a pointer that does not move enters nothing: start each test from an empty corner.
inline void parkPointer(QWidget* window) {
    QTest::mouseMove(window->windowHandle(), QPoint(window->width() - 2, window->height() - 2));
    QTest::mouseMove(window->windowHandle(), QPoint(window->width() - 3, window->height() - 3));
}

// Presses at `from` and moves the held button far enough to start a drag.
inline void pressAndPull(QWidget* widget, const QPoint& from,
                         Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mousePress(widget, Qt::LeftButton, modifiers, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(30, 0)),
                     QPointF(widget->mapToGlobal(from + QPoint(30, 0))), Qt::NoButton, Qt::LeftButton,
                     modifiers);
    QApplication::sendEvent(widget, &move);
}

// What every panel test function starts from: a fresh home, default preferences, an empty
// store, an empty icon cache and an unpinned pin. Call setUpPanel() from init() and
// tearDownPanel() from cleanup().
class PanelTestCase : public QObject {
protected:
    void setUpPanel() {
        Localization::install(QLocale(QLocale::English));
        m_env = std::make_unique<TestEnvironment>();
        m_prefs = std::make_unique<Preferences>(m_env->configHome() + QStringLiteral("/test.conf"));
        m_icons = std::make_unique<IconCache>();
        m_store = std::make_unique<NookStore>(m_env->dataHome() + QStringLiteral("/Tuckaway"));
        m_pin = std::make_unique<PinState>();
    }
    void tearDownPanel() {
        DragRunner::setRunner({});
        m_view.reset(); // the view refers to the store and the pin
        m_store.reset();
        m_env.reset();
    }
    std::unique_ptr<TuckawayView> makePanel(PanelCallbacks callbacks = {}) {
        return std::make_unique<TuckawayView>(*m_store, *m_prefs, *m_icons, *m_pin, std::move(callbacks));
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<IconCache> m_icons;
    std::unique_ptr<NookStore> m_store;
    std::unique_ptr<PinState> m_pin;
    std::unique_ptr<TuckawayView> m_view;
};

} // namespace ViewTest
