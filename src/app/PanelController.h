#pragma once

#include "ItemOpener.h"
#include "OutsideClickMonitor.h"
#include "PanelPlacement.h"
#include "PinState.h"

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QUrl>

#include <functional>
#include <memory>

class NookStore;
class PanelWindow;
class QScreen;
class TuckawayView;

// Owns the panel: its window, its content and the pin flag. Shows it at the pointer
// next to the desktop's panel, sizes it from the preferences, closes it on a click
// into another application (unless pinned or while a drag from the panel runs) and
// opens the items the content hands up. Main thread; made once, kept for the process.
class PanelController : public QObject {
    Q_OBJECT
public:
    static constexpr int kOutsideClickDelayMs = 100;

    using Opener = ItemOpener::Launcher;

    // Without a monitor, the platform's own is used.
    explicit PanelController(NookStore& store, std::unique_ptr<OutsideClickMonitor> monitor = nullptr,
                             QObject* parent = nullptr);
    ~PanelController() override;

    void show();
    void close();
    void toggle();
    bool isShown() const;

    PinState& pinState() { return m_pinState; }
    TuckawayView* view() const { return m_view; }
    QWidget* window() const;
    double lastMouseX() const { return m_lastMouseX; }
    PanelPlacement::DockEdge dockEdge() const { return m_edge; }

    void setOnOpenSettings(std::function<void()> openSettings);
    // How found targets are started; the desktop's default application unless replaced (tests).
    void setItemOpener(Opener opener);

signals:
    void shownChanged(bool shown);
    // After the target of an opened item was looked for (in the background) and started.
    void itemOpenFinished(const QUuid& itemID, ItemOpener::Result result);

private:
    void handleOutsideClick();
    void closeAfterOutsideClick();
    void open(const NookItem& item);
    void positionAnchor(double x);
    void updateContentSize();
    void placeWindow();
    void setWindowGeometry(const QRect& rect);
    QScreen* currentScreen() const;
    void watchScreens();
    void screensChanged();

    NookStore& m_store;
    PinState m_pinState;
    std::unique_ptr<PanelWindow> m_window;
    TuckawayView* m_view = nullptr;
    std::unique_ptr<OutsideClickMonitor> m_monitor;
    Opener m_opener;
    double m_lastMouseX = 0;
    // Where the panel was last anchored, in Qt coordinates, and on which screen.
    QRectF m_anchor;
    PanelPlacement::DockEdge m_edge = PanelPlacement::DockEdge::Bottom;
    QPointer<QScreen> m_screen;
};
