#pragma once

#include "app/HeldKeyGuard.h"
#include "app/ItemOpener.h"
#include "app/PanelPlacement.h"
#include "platform/HeldKeys.h"
#include "platform/OutsideClickMonitor.h"
#include "views/PinState.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

class IconCache;
class NookStore;
class PanelWindow;
class Preferences;
class QScreen;
class TuckawayView;

// Owns the panel: its window, its content and the pin flag. Shows it at the pointer
// next to the desktop's panel (where the compositor lets windows place themselves),
// sizes it from the preferences, closes it on a click into another application or on
// losing the focus to one (unless pinned or while a drag from the panel runs) and
// opens the items the content hands up. Main thread; made once, kept for the process;
// the window and its content are made at the first showing, or just before it.
class PanelController : public QObject {
    Q_OBJECT
public:
    static constexpr int kOutsideClickDelayMs = 100;
    // A click reaches our window and the report of it within this much of each other.
    static constexpr int kSameClickMs = 50;

    using Opener = ItemOpener::Launcher;

    // Without a monitor, the platform's own is used (there may be none).
    PanelController(NookStore& store, Preferences& preferences, IconCache& icons,
                    std::unique_ptr<OutsideClickMonitor> monitor = nullptr, QObject* parent = nullptr);
    ~PanelController() override;

    void show();
    // Builds the panel and paints it once where nobody sees it, for a showing likely to come
    // soon: that showing then costs what later ones do. Nothing once the panel is built.
    void prepare();
    void close();
    void toggle();
    bool isShown() const;

    PinState& pinState() { return m_pinState; }
    // Null until the panel is first shown or prepared.
    TuckawayView* view() const { return m_view; }
    // Asks for files to add to the current nook, with the panel's content made if need be.
    void chooseFiles();
    QWidget* window() const;
    double lastMouseX() const { return m_lastMouseX; }
    PanelPlacement::DockEdge dockEdge() const { return m_edge; }

    // Keeps a window of ours (the settings) above the panel, which stays on top.
    void keepAbove(QWidget* window);
    // How found targets are started; the desktop's default application unless replaced (tests).
    void setItemOpener(Opener opener);
    // How a target is handed to an application of "Open With" (its desktop entry id).
    using ApplicationOpener = std::function<ItemOpener::Result(const QString& applicationId, const QUrl&)>;
    void setApplicationOpener(ApplicationOpener opener) { m_applicationOpener = std::move(opener); }
    // False where the compositor decides where windows go: the panel is then only sized.
    void setPlacesWindow(bool placesWindow) { m_placesWindow = placesWindow; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void shownChanged(bool shown);
    void settingsRequested();
    // After the target of an opened item was looked for (in the background) and started.
    void itemOpenFinished(const QUuid& itemID, ItemOpener::Result result);

private:
    void makePanel();
    void watch(std::unique_ptr<OutsideClickMonitor> monitor);
    void sizeChanged();
    // `click`: a click was reported; otherwise the focus went to another application.
    void handleOutsideClick(bool click);
    void handleStateChange(Qt::ApplicationState state);
    bool ownClickSince(qint64 ms) const { return m_lastOwnClickMs >= ms; }
    void closeAfterOutsideClick();
    void open(const NookItem& item);
    // Shows the panel where it was last anchored.
    void present();
    void openWith(const NookItem& item, const QString& applicationId);
    // Where the panel hangs: at `x`, on the screen and at the height of `pointer`.
    void positionAnchor(double x, const QPoint& pointer);
    void updateContentSize();
    void placeWindow();
    void setWindowGeometry(const QRect& rect);
    QScreen* currentScreen() const;
    void watchScreens();
    void screensChanged();

    NookStore& m_store;
    Preferences& m_preferences;
    IconCache& m_icons;
    PinState m_pinState;
    std::unique_ptr<PanelWindow> m_window;
    TuckawayView* m_view = nullptr;
    std::unique_ptr<OutsideClickMonitor> m_monitor;
    Opener m_opener;
    ApplicationOpener m_applicationOpener;
    double m_lastMouseX = 0;
    // Where the panel was last anchored, in Qt coordinates, and on which screen.
    QRectF m_anchor;
    PanelPlacement::DockEdge m_edge = PanelPlacement::DockEdge::Bottom;
    QPointer<QScreen> m_screen;
    QPointer<QWidget> m_keptAbove;
    bool m_placesWindow = true;
    // When a button last went down or up in one of our windows, and when the last outside
    // click was reported, on m_clock.
    QElapsedTimer m_clock;
    qint64 m_lastOwnClickMs = -1'000'000;
    qint64 m_outsideClickMs = 0;
    // Runs from the first report of an outside click until the panel closes; closing
    // stops it, so a late report of an earlier click never closes the next showing.
    QTimer m_outsideClickTimer;
    bool m_closeForClick = false;
    HeldKeyGuard m_heldKeys{&HeldKeys::now};
};
