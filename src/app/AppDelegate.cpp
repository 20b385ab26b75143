#include "app/AppDelegate.h"

#include "app/AppIcon.h"
#include "app/NookTransfers.h"
#include "app/PanelController.h"
#include "app/TrayIcon.h"
#include "model/BackgroundWork.h"
#include "model/HandOverQueue.h"
#include "model/IconCache.h"
#include "model/LinkCleanup.h"
#include "model/NookStore.h"
#include "platform/FontConfiguration.h"
#include "platform/FreeMemory.h"
#include "platform/OutsideClickMonitor.h"
#include "platform/Preferences.h"
#include "platform/WindowHints.h"
#include "views/TuckawayView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPixmapCache>
#include <QRegion>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

// The tray icon comes first: it docks while the data is read.
AppDelegate::AppDelegate(QObject* parent)
    : AppDelegate(NookStore::defaultFolder(), parent) {}

AppDelegate::AppDelegate(const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , m_preferences(Preferences::instance())
    , m_dataFolder(dataFolder) {
    makeTrayIcon();
    std::promise<NookStore::Reading> read;
    m_reading = read.get_future();
    m_reader = std::thread([this, read = std::move(read), fontTurn = m_fontTurn.get_future()]() mutable {
        BackgroundWork::yieldToMainThread(); // the icon docking goes first
        NookStore::Reading reading = NookStore::read(m_dataFolder);
        FreeMemory::giveBack(); // what the decoding used on the way
        read.set_value(std::move(reading));
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_read = true;
                if (m_launched)
                    store();
            },
            Qt::QueuedConnection);
        // Then what the first showing would otherwise begin with, off its click; once
        // launch is done, not to slow the icon's docking and paint.
        if (fontTurn.get()) {
            FontConfiguration::read();
            FreeMemory::giveBack(); // what parsing it used on the way
        }
    });
    // A tray that takes the icon but never shows it must not keep the shortcut unbound.
    m_launchFallback.setSingleShot(true);
    connect(&m_launchFallback, &QTimer::timeout, this, &AppDelegate::applicationDidFinishLaunching);
    m_launchFallback.start(kLaunchFallbackMs);
}

NookStore& AppDelegate::store() {
    if (!m_store)
        makeStore();
    return *m_store;
}

void AppDelegate::makeStore() {
    m_store = std::make_unique<NookStore>(m_dataFolder, m_reading.get());
    LinkCleanup::atStart(*m_store); // with the store's first look at its data
    m_transfers = std::make_unique<NookTransfers>(*m_store);
    // The nook last selected stays the current one across restarts.
    if (const QUuid id = m_preferences.currentNook(); !id.isNull())
        m_store->selectGroup(id);
    connect(m_store.get(), &NookStore::selectedGroupIDChanged, this, [this] {
        if (const auto id = m_store->selectedGroupID())
            m_preferences.setCurrentNook(*id);
    });
    if (m_launched)
        makePanelController();
    emit storeMade();
}

AppDelegate::~AppDelegate() {
    finish();
    // The reader tells this object when it is done: it must be done before this goes.
    if (!m_launched)
        m_fontTurn.set_value(false);
    if (m_reader.joinable())
        m_reader.join();
}

void AppDelegate::finish() {
    if (!m_store)
        return; // nothing was changed or handed over yet
    m_store->handOvers().complete();
    m_store->waitForSaves();
}

void AppDelegate::setClickMonitorFactory(std::function<std::unique_ptr<OutsideClickMonitor>()> factory) {
    m_monitorFactory = std::move(factory);
}

void AppDelegate::applicationDidFinishLaunching() {
    if (m_launched)
        return;
    m_launched = true;
    m_fontTurn.set_value(true);
    m_session = m_session.value_or(DisplaySession::detect());
    // Elsewhere it would only be a stray window: a Wayland compositor tiles or centres it.
    if (m_session->needsDummyWindow())
        makeDummyWindow();
    IconCache::shared().followPreferences(m_preferences);
    if (m_store)
        makePanelController();
    else if (m_read)
        makeStore(); // with the panel controller
    m_launchFallback.stop();
    emit launched();
    // What the icon's paints put in Qt's pixmap cache is let go of from a timer 30 s on, the
    // one wake-up left when idle; rendering the icon again costs a copy of a few KB.
    QPixmapCache::clear();
}

void AppDelegate::makePanelController() {
    m_panelController = std::make_unique<PanelController>(*m_store, m_preferences, IconCache::shared(),
                                                          m_monitorFactory ? m_monitorFactory() : nullptr);
    m_panelController->setPlacesWindow(m_session->placesWindows);
    connect(m_panelController.get(), &PanelController::settingsRequested, this,
            [this] { perform(AppAction::OpenSettings); });
}

void AppDelegate::makeTrayIcon() {
    m_trayIcon = std::make_unique<TrayIcon>();
    connect(m_trayIcon.get(), &TrayIcon::actionRequested, this, &AppDelegate::perform);
    connect(m_trayIcon.get(), &TrayIcon::pointerRested, this, [this] {
        if (m_panelController)
            m_panelController->prepare(); // a click is likely to follow
    });
    // The rest of launch waits until the icon is on screen: until then it would hold up
    // the icon's paint.
    connect(m_trayIcon.get(), &TrayIcon::drawn, this, &AppDelegate::applicationDidFinishLaunching);
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

void AppDelegate::perform(AppAction action) {
    // The settings need the shortcut, which launch takes; everything else shows or carries
    // the nooks, which are needed now.
    if (action != AppAction::Quit)
        applicationDidFinishLaunching();
    if (action != AppAction::OpenSettings && action != AppAction::Quit)
        store();
    switch (action) {
    case AppAction::TogglePanel:
        if (m_panelController)
            m_panelController->toggle();
        break;
    case AppAction::ShowPanel:
        if (m_panelController)
            m_panelController->show();
        break;
    case AppAction::OpenSettings:
        emit settingsRequested();
        break;
    case AppAction::AddFiles:
        if (m_panelController)
            m_panelController->chooseFiles();
        break;
    case AppAction::ExportNooks:
    case AppAction::ImportNooks:
        chooseTransferFile(action == AppAction::ExportNooks);
        break;
    case AppAction::Quit:
        QCoreApplication::quit();
        break;
    }
}

void AppDelegate::open(const QStringList& uris) {
    perform(AppAction::ShowPanel);
    store().handOvers().addUris(uris, HandOverTarget::current(), kOpenDelayMs);
}

void AppDelegate::keepAbovePanel(QWidget* window) {
    if (m_panelController && window)
        m_panelController->keepAbove(window);
}

void AppDelegate::chooseTransferFile(bool exporting) {
    // The desktop's own chooser (through the portal) where the session offers one.
    auto* dialog =
        new QFileDialog(nullptr, qtTrId(exporting ? "transfer.export_title" : "transfer.import_title"),
                        QDir::homePath(), qtTrId("transfer.filter"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowIcon(AppIcon::icon()); // a window of its own in the window lists
    dialog->setAcceptMode(exporting ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(exporting ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (exporting) {
        dialog->setDefaultSuffix(QStringLiteral("json"));
        dialog->selectFile(QStringLiteral("nooks.export.json"));
    }
    connect(dialog, &QFileDialog::fileSelected, this, [this, exporting](const QString& file) {
        const auto tell = [this, exporting](const NookTransfers::Outcome& outcome) {
            QString text = qtTrId("transfer.failed").arg(outcome.reason);
            if (outcome.status == NookTransfers::Outcome::Status::Done && exporting)
                text = qtTrId("transfer.exported").arg(outcome.nooks).arg(outcome.items);
            else if (outcome.status == NookTransfers::Outcome::Status::Done)
                text = qtTrId("transfer.imported")
                           .arg(outcome.added.size())
                           .arg(outcome.nooks)
                           .arg(outcome.duplicates.size())
                           .arg(outcome.rejected.size());
            m_trayIcon->systemTrayIcon()->showMessage(qtTrId("tray.tooltip"), text);
        };
        if (exporting)
            m_transfers->exportTo(file, {}, tell);
        else
            m_transfers->importFrom(file, tell);
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
