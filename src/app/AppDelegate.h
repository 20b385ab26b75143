#pragma once

#include "app/AppAction.h"
#include "model/NookStore.h"
#include "platform/DisplaySession.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <thread>

class NookTransfers;
class OutsideClickMonitor;
class PanelController;
class Preferences;
class TrayIcon;
class QWidget;

// The application's delegate: owns the tray icon (made first), the store, and once launch
// has finished the invisible dummy window (on a plain X server only) and the panel
// controller. Launch finishes once the tray icon is drawn, or sooner when a request needs
// the panel. The data file is read on a thread of its own meanwhile (which then reads the
// font configuration ahead of the first showing); the store is made from it once it is
// read and launch has finished, or at once when something needs it sooner (a click, a call
// on the bus), which then waits for the reading. Carries out what the
// desktop, the tray, the shortcut and the bus ask for, whoever asks.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    static constexpr int kOpenDelayMs = 400;
    // Launch finishes this long after start even if the tray never draws the icon.
    static constexpr int kLaunchFallbackMs = 2000;

    explicit AppDelegate(QObject* parent = nullptr);
    // With the data in `dataFolder`, for tests.
    explicit AppDelegate(const QString& dataFolder, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Once; later calls do nothing.
    void applicationDidFinishLaunching();
    // The one way in for every request; the panel's part waits until launch has finished.
    void perform(AppAction action);
    // A launcher's files: the panel opens, and they join the store's current nook a moment
    // later through the store's one hand-over queue (with no nook left, a new one takes them).
    // URIs that do not parse are left out.
    void open(const QStringList& uris);
    // At quit, before the bus goes: every hand-over made so far is applied and written, and
    // those waiting for the write are told.
    void finish();
    // Keeps a window of ours (the settings) above the panel, which stays on top.
    void keepAbovePanel(QWidget* window);

    // The outside-click monitor the panel controller gets; the platform's by default.
    void setClickMonitorFactory(std::function<std::unique_ptr<OutsideClickMonitor>()> factory);
    // The session launch adapts to; the running one unless set (tests).
    void setDisplaySession(const DisplaySession& session) { m_session = session; }

    // Made now if it is not yet.
    NookStore& store();
    // The user's preferences, which the panel and the settings window share.
    Preferences& preferences() { return m_preferences; }
    PanelController* panelController() const { return m_panelController.get(); }
    QWidget* dummyWindow() const { return m_dummyWindow.get(); }
    TrayIcon* trayIcon() const { return m_trayIcon.get(); }

signals:
    void settingsRequested();
    // The store is there: those who serve it may take it now.
    void storeMade();
    // Launch has finished: what waited for the icon may start.
    void launched();

private:
    void makeTrayIcon();
    void makeDummyWindow();
    void makeStore();
    void makePanelController();
    // The file chooser for an export or an import; what came of it is told by the tray icon.
    void chooseTransferFile(bool exporting);

    Preferences& m_preferences;
    QString m_dataFolder;
    std::thread m_reader; // reads the data file, then the font configuration
    std::future<NookStore::Reading> m_reading;
    // Whether the reader goes on to the font configuration: yes once launch is done, no
    // when this goes before launch.
    std::promise<bool> m_fontTurn;
    bool m_read = false; // the reading is done (main thread's view)
    bool m_launched = false;
    QTimer m_launchFallback;
    // The store goes last: the panel's content holds on to it until its own end.
    std::unique_ptr<NookStore> m_store;
    std::unique_ptr<NookTransfers> m_transfers;
    std::unique_ptr<PanelController> m_panelController;
    std::unique_ptr<QWidget> m_dummyWindow;
    std::unique_ptr<TrayIcon> m_trayIcon;
    std::function<std::unique_ptr<OutsideClickMonitor>()> m_monitorFactory;
    std::optional<DisplaySession> m_session;
};
