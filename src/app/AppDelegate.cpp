#include "app/AppDelegate.h"

#include "app/PanelController.h"
#include "app/TrayIcon.h"
#include "model/IconCache.h"
#include "model/NookStore.h"
#include "platform/OutsideClickMonitor.h"
#include "platform/Preferences.h"
#include "platform/WindowHints.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWidget>

// The tray icon comes first: the panel docks it while the data is read.
AppDelegate::AppDelegate(QObject* parent)
    : QObject(parent)
    , m_preferences(Preferences::instance()) {
    makeTrayIcon();
    m_store = std::make_unique<NookStore>();
    rememberCurrentNook();
}

AppDelegate::AppDelegate(const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , m_preferences(Preferences::instance()) {
    makeTrayIcon();
    m_store = std::make_unique<NookStore>(dataFolder);
    rememberCurrentNook();
}

// The nook last selected stays the current one across restarts.
void AppDelegate::rememberCurrentNook() {
    if (const QUuid id = m_preferences.currentNook(); !id.isNull())
        m_store->selectGroup(id);
    connect(m_store.get(), &NookStore::selectedGroupIDChanged, this, [this] {
        if (const auto id = m_store->selectedGroupID())
            m_preferences.setCurrentNook(*id);
    });
}

AppDelegate::~AppDelegate() {
    completePendingHandOvers();
    m_store->completeHandOvers(); // and those whose files are still looked at in the background
}

void AppDelegate::setOpenSettings(std::function<void()> openSettings) {
    m_openSettings = std::move(openSettings);
    if (m_panelController)
        m_panelController->setOnOpenSettings(m_openSettings);
}

void AppDelegate::setClickMonitorFactory(std::function<std::unique_ptr<OutsideClickMonitor>()> factory) {
    m_monitorFactory = std::move(factory);
}

void AppDelegate::applicationDidFinishLaunching() {
    if (m_panelController)
        return;
    const DisplaySession session = m_session.value_or(DisplaySession::detect());
    // Elsewhere it would only be a stray window: a Wayland compositor tiles or centres it.
    if (session.needsDummyWindow())
        makeDummyWindow();

    m_panelController = std::make_unique<PanelController>(*m_store, m_preferences, IconCache::shared(),
                                                          m_monitorFactory ? m_monitorFactory() : nullptr);
    m_panelController->setPlacesWindow(session.placesWindows);
    if (m_openSettings)
        m_panelController->setOnOpenSettings(m_openSettings);
}

void AppDelegate::makeTrayIcon() {
    m_trayIcon = std::make_unique<TrayIcon>();
    connect(m_trayIcon.get(), &TrayIcon::clicked, this, &AppDelegate::reopen);
    connect(m_trayIcon.get(), &TrayIcon::settingsRequested, this,
            [this] { activateAction(QStringLiteral("settings")); });
    connect(m_trayIcon.get(), &TrayIcon::quitRequested, this,
            [this] { activateAction(QStringLiteral("quit")); });
    m_trayIcon->show();
}

void AppDelegate::makeDummyWindow() {
    // Transparent, never takes a click or the focus, on every desktop, in no taskbar.
    m_dummyWindow =
        std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    m_dummyWindow->setObjectName(QStringLiteral("TuckawayDummyWindow"));
    m_dummyWindow->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_dummyWindow->setWindowTitle(QStringLiteral("Tuckaway (hidden)"));
    if (WindowHints::compositorRunning())
        m_dummyWindow->setAttribute(Qt::WA_TranslucentBackground);
    else
        m_dummyWindow->setMask(QRegion(1, 1, 1, 1)); // a shape beside its one pixel: nothing shows

    m_dummyWindow->setAttribute(Qt::WA_ShowWithoutActivating);
    // The origin of the bottom-left coordinates the placement works in.
    const QRect primary =
        QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
    m_dummyWindow->setGeometry(primary.x(), primary.y() + primary.height() - 1, 1, 1);
    WindowHints::keepOffTaskbarOnAllDesktops(m_dummyWindow.get());
    m_dummyWindow->show();
    m_dummyWindow->setWindowOpacity(0.0);
}

void AppDelegate::reopen() {
    if (m_panelController)
        m_panelController->toggle();
}

void AppDelegate::open(const QList<QUrl>& urls) {
    if (m_panelController)
        m_panelController->show();
    m_pendingHandOvers.append(urls);
    QTimer::singleShot(kOpenDelayMs, this, &AppDelegate::completeHandOver);
}

void AppDelegate::completeHandOver() {
    if (m_pendingHandOvers.isEmpty())
        return; // completed already at quit
    const QList<QUrl> urls = m_pendingHandOvers.takeFirst();
    if (!urls.isEmpty())
        m_store->addDefaultGroupIfNone();
    m_store->handOverToSelectedGroup(urls); // the file-system work runs in the background
}

void AppDelegate::completePendingHandOvers() {
    // The sender was told the files were taken: a quit in the meantime must not drop them.
    while (!m_pendingHandOvers.isEmpty())
        completeHandOver();
}

void AppDelegate::activateAction(const QString& name) {
    if (name == QLatin1String("settings")) {
        if (m_openSettings)
            m_openSettings();
    } else if (name == QLatin1String("quit")) {
        completePendingHandOvers();
        QCoreApplication::quit();
    } else if (name == QLatin1String("show")) {
        if (m_panelController)
            m_panelController->show();
    } else if (name == QLatin1String("toggle")) {
        reopen();
    }
}
