#include "app/TrayIcon.h"

#include "app/AppIcon.h"
#include "platform/GlobalShortcut.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {
// Longer than the pointer takes to pass over the icon, shorter than aiming at it and pressing.
constexpr int kRestMs = 100;
} // namespace

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent)
    , m_menu(std::make_unique<QMenu>())
    , m_tray(new QSystemTrayIcon(AppIcon::icon(), this)) {
    m_tray->setToolTip(qtTrId("tray.tooltip"));
    m_restTimer.setSingleShot(true);
    m_restTimer.setInterval(kRestMs);
    connect(&m_restTimer, &QTimer::timeout, this, &TrayIcon::loadFonts);
    for (const auto& [id, name, action] : {std::tuple{"action.add_files", "addFiles", AppAction::AddFiles},
                                           {"tray.settings", "settings", AppAction::OpenSettings},
                                           {"tray.export", "export", AppAction::ExportNooks},
                                           {"tray.import", "import", AppAction::ImportNooks},
                                           {"tray.quit", "quit", AppAction::Quit}}) {
        if (action == AppAction::Quit)
            m_menu->addSeparator();
        QAction* item = m_menu->addAction(qtTrId(id));
        item->setObjectName(QLatin1String(name));
        connect(item, &QAction::triggered, this, [this, action] { emit actionRequested(action); });
    }
    m_tray->setContextMenu(m_menu.get());
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A quick second click arrives as a double click; it is a click all the same.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit actionRequested(AppAction::TogglePanel);
    });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::show() {
    m_tray->show();
    // Qt's X11 tray icon is a window of its own, docked by the tray and painted by Qt; an
    // icon on the bus has none.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->inherits("QSystemTrayIconSys")) {
            m_trayWindow = window;
            window->installEventFilter(this);
            return;
        }
    }
    tellDrawn();
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_trayWindow)
        return false;
    switch (event->type()) {
    case QEvent::Paint:
        if (!m_drawn) {
            m_drawn = true;
            tellDrawn();
            stopWatchingWhenDone();
        }
        break;
    case QEvent::MouseMove:
        // The pointer moved onto the icon comes before most clicks on it, and before its
        // tooltip: both need the fonts, whose loading is most of a first showing's work.
        // (An icon docked under a pointer that stands still has it enter, but not move. Qt's
        // window tracks the pointer, so its moves come here.)
        if (!m_fontsLoaded && !m_restTimer.isActive())
            m_restTimer.start();
        break;
    case QEvent::Leave:
        m_restTimer.stop();
        break;
    case QEvent::MouseButtonPress:
        m_restTimer.stop(); // what the click shows loads them
        m_fontsLoaded = true;
        stopWatchingWhenDone();
        break;
    default:
        break;
    }
    return false;
}

void TrayIcon::loadFonts() {
    QFontMetrics(QApplication::font()).horizontalAdvance(m_tray->toolTip());
    m_fontsLoaded = true;
    emit pointerRested();
    stopWatchingWhenDone();
}

void TrayIcon::stopWatchingWhenDone() {
    if (m_trayWindow && m_drawn && m_fontsLoaded) {
        m_trayWindow->removeEventFilter(this);
        m_trayWindow = nullptr;
    }
}

void TrayIcon::tellDrawn() {
    // After the paint has reached the screen.
    QMetaObject::invokeMethod(this, &TrayIcon::drawn, Qt::QueuedConnection);
}

void TrayIcon::followShortcut(GlobalShortcut* shortcut) {
    m_shortcutLine = new QAction(m_menu.get());
    m_shortcutLine->setObjectName(QStringLiteral("shortcutTaken"));
    m_shortcutLine->setEnabled(false);
    m_menu->insertAction(m_menu->actions().constFirst(), m_shortcutLine);
    const auto tell = [this, shortcut] {
        const bool taken = shortcut->status() == GlobalShortcut::Status::Taken;
        const QString line =
            taken ? qtTrId("tray.shortcut_taken").arg(shortcut->keys().toString(QKeySequence::NativeText))
                  : QString();
        m_shortcutLine->setText(line);
        m_shortcutLine->setVisible(taken);
        m_tray->setToolTip(taken ? qtTrId("tray.tooltip") + QLatin1Char('\n') + line
                                 : qtTrId("tray.tooltip"));
    };
    connect(shortcut, &GlobalShortcut::statusChanged, m_shortcutLine, tell);
    connect(m_menu.get(), &QMenu::aboutToShow, shortcut, &GlobalShortcut::retry);
    tell();
}
