#include "app/PanelController.h"

#include "app/ItemOpener.h"
#include "app/PanelWindow.h"
#include "model/NookStore.h"
#include "platform/DisplaySession.h"
#include "platform/FreeMemory.h"
#include "platform/LogCategories.h"
#include "platform/Preferences.h"
#include "platform/WindowHints.h"
#include "platform/xdg/OpenWith.h"
#include "platform/xdg/ThemeIcons.h"
#include "views/TuckawayView.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

using namespace PanelPlacement;

namespace {
QScreen* screenUnder(const QPoint& pointer) {
    if (QScreen* screen = QGuiApplication::screenAt(pointer))
        return screen;
    return QGuiApplication::primaryScreen();
}

// Flipped coordinates take their origin from the bottom of the primary screen.
int referenceBottom() {
    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    return primary.y() + primary.height();
}
} // namespace

PanelController::PanelController(NookStore& store, Preferences& preferences, IconCache& icons,
                                 std::unique_ptr<OutsideClickMonitor> monitor, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_preferences(preferences)
    , m_icons(icons)
    , m_opener(&ItemOpener::launch) {
    if (monitor)
        watch(std::move(monitor));
    m_placesWindow = DisplaySession::detect().placesWindows;
    m_clock.start();
    // A child with a name, so that a test can wait for the delay to run out.
    m_outsideClickTimer.setParent(this);
    m_outsideClickTimer.setObjectName(QStringLiteral("outsideClickDelay"));
    m_outsideClickTimer.setSingleShot(true);
    m_outsideClickTimer.setTimerType(Qt::PreciseTimer);
    m_outsideClickTimer.setInterval(kOutsideClickDelayMs);
    connect(&m_outsideClickTimer, &QTimer::timeout, this, &PanelController::closeAfterOutsideClick);
    // Losing the focus to another application's window closes the panel as a click there does.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, &PanelController::handleStateChange);
    qApp->installEventFilter(this);
    // The width follows "columns" and "iconSize" as the content does; the content tells of the height.
    connect(&preferences, &Preferences::columnsChanged, this, &PanelController::sizeChanged);
    connect(&preferences, &Preferences::iconSizeChanged, this, &PanelController::sizeChanged);
    watchScreens();
    // A failure is told in the panel, which comes back for it if it had closed.
    connect(this, &PanelController::itemOpenFinished, this,
            [this](const QUuid& id, ItemOpener::Result result) {
                if (result == ItemOpener::Result::Opened)
                    return;
                if (m_window)
                    present(); // where it was: the pointer has moved on since
                else
                    show();
                if (m_view)
                    m_view->showOpenFailure(id, result == ItemOpener::Result::Missing
                                                    ? TuckawayView::OpenFailure::Missing
                                                    : TuckawayView::OpenFailure::NoApplication);
            });
}

// The panel, its content and the click monitor are made at the first showing: until then
// the process holds no more than its tray icon does.
void PanelController::makePanel() {
    if (m_window)
        return;
    ThemeIcons::ensureTheme(); // looked up once icons are first needed, not at start
    m_window = std::make_unique<PanelWindow>(WindowHints::compositorRunning());
    m_view = new TuckawayView(m_store, m_preferences, m_icons, m_pinState);
    m_window->setContent(m_view);
    connect(m_view, &TuckawayView::closeRequested, this, &PanelController::close);
    connect(m_view, &TuckawayView::openRequested, this, &PanelController::open);
    connect(m_view, &TuckawayView::openWithRequested, this, &PanelController::openWith);
    connect(m_view, &TuckawayView::settingsRequested, this, &PanelController::settingsRequested);
    connect(m_view, &TuckawayView::panelSizeChanged, this, &PanelController::sizeChanged);
    connect(m_window.get(), &PanelWindow::closeRequested, this, &PanelController::close);
    m_window->setFixedSize(m_view->panelSize());
    if (!m_monitor)
        watch(OutsideClickMonitor::createForPlatform());
}

void PanelController::prepare() {
    if (m_window || !QGuiApplication::primaryScreen())
        return;
    makePanel();
    // Painting lays the panel out, renders its symbols and glyphs and asks for the icons in
    // view: work that would otherwise come between the click and the panel on screen.
    const qreal ratio = m_window->devicePixelRatioF();
    QImage image(m_window->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    m_window->render(&image);
}

void PanelController::chooseFiles() {
    makePanel();
    m_view->chooseFiles();
}

void PanelController::watch(std::unique_ptr<OutsideClickMonitor> monitor) {
    m_monitor = std::move(monitor);
    if (m_monitor)
        connect(m_monitor.get(), &OutsideClickMonitor::clickedOutside, this,
                [this] { handleOutsideClick(true); });
}

void PanelController::sizeChanged() {
    if (isShown()) {
        positionAnchor(m_lastMouseX, QCursor::pos());
        updateContentSize();
    }
}

PanelController::~PanelController() {
    // The window going below would be seen by the filter, with members already gone.
    qApp->removeEventFilter(this);
    if (m_monitor)
        m_monitor->stop();
}

QWidget* PanelController::window() const {
    return m_window.get();
}

bool PanelController::isShown() const {
    return m_window && m_window->isVisible();
}

void PanelController::keepAbove(QWidget* window) {
    if (!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true); // hides the window: shown again below
    m_keptAbove = window;
    window->show();
    window->raise();
    window->activateWindow();
}

void PanelController::setItemOpener(Opener opener) {
    m_opener = std::move(opener);
}

void PanelController::toggle() {
    if (isShown())
        close();
    else
        show();
}

void PanelController::show() {
    if (isShown())
        return;
    // Asked once (a round trip to the display server): the panel opens where the click was.
    const QPoint pointer = QCursor::pos();
    m_lastMouseX = pointer.x();
    if (!QGuiApplication::primaryScreen())
        return;
    makePanel();
    positionAnchor(m_lastMouseX, pointer);
    present();
}

void PanelController::present() {
    if (isShown() || !QGuiApplication::primaryScreen())
        return;
    m_heldKeys.arm();
    // The size always follows the preferences, so window and content agree at every showing.
    placeWindow();
    WindowHints::keepOffTaskbarOnAllDesktops(m_window.get());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    if (m_monitor) {
        m_monitor->stop();
        m_monitor->start();
    }
    emit shownChanged(true);
}

void PanelController::close() {
    qCDebug(lcPanel) << "close";
    const bool wasShown = isShown();
    if (m_window)
        m_window->hide();
    m_outsideClickTimer.stop();
    if (m_monitor)
        m_monitor->stop();
    if (wasShown) {
        emit shownChanged(false);
        // Once the window is gone: what the showing used and let go of goes back.
        QTimer::singleShot(0, this, &FreeMemory::giveBack);
    }
}

void PanelController::positionAnchor(double x, const QPoint& pointer) {
    QScreen* screen = screenUnder(pointer);
    if (!screen)
        return;
    const int bottom = referenceBottom();
    const ScreenFrames frames = flipped(screen->geometry(), screen->availableGeometry(), bottom);
    const double mouseY = flippedY(pointer.y(), bottom);
    m_screen = screen;
    m_edge = PanelPlacement::dockEdge(frames);
    m_anchor = anchorRect(anchorOrigin(frames, x, mouseY), bottom);
}

void PanelController::updateContentSize() {
    if (isShown())
        placeWindow();
}

QScreen* PanelController::currentScreen() const {
    return m_screen ? m_screen.data() : QGuiApplication::primaryScreen();
}

void PanelController::placeWindow() {
    if (QScreen* screen = currentScreen())
        setWindowGeometry(panelRect(m_anchor, m_edge, m_view->panelSize(), screen->availableGeometry()));
}

void PanelController::setWindowGeometry(const QRect& rect) {
    // Smaller than the content only where the screen's usable area is: the content is cut
    // rather than the window hanging off the screen.
    m_window->setFixedSize(rect.size());
    if (m_placesWindow)
        m_window->setGeometry(rect);
}

bool PanelController::eventFilter(QObject* watched, QEvent* event) {
    // Every button event reaches a window before its widgets: one seen here was a click on
    // one of ours, whatever a pointer query made later would say.
    switch (event->type()) {
    case QEvent::Hide:
        // The settings went away over the open panel: the keyboard comes back to it.
        if (watched == m_keptAbove && isShown()) {
            m_window->raise();
            m_window->activateWindow();
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (watched->isWindowType())
            m_lastOwnClickMs = m_clock.elapsed();
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == m_window.get())
            return m_heldKeys.swallows(*static_cast<const QKeyEvent*>(event));
        break;
    default:
        break;
    }
    return false;
}

void PanelController::handleStateChange(Qt::ApplicationState state) {
    if (state != Qt::ApplicationActive)
        handleOutsideClick(false);
    else if (!m_closeForClick)
        m_outsideClickTimer.stop(); // the focus came back (window managers hand it around at times)
}

void PanelController::handleOutsideClick(bool click) {
    qCDebug(lcPanel) << (click ? "outside click at" : "focus lost at") << QCursor::pos() << "shown"
                     << isShown() << "pinned" << m_pinState.value() << "dragging"
                     << (m_view && m_view->isDragActive());
    if (!isShown())
        return;
    // The same click may reach our window just before or just after the report of it.
    if (ownClickSince(m_clock.elapsed() - kSameClickMs))
        return;
    if (m_view->isDragActive())
        return;
    if (m_pinState.value())
        return;
    // A click into another window often arrives twice: as a click and as the focus leaving.
    if (m_outsideClickTimer.isActive()) {
        m_closeForClick = m_closeForClick || click;
        return;
    }
    m_closeForClick = click;
    m_outsideClickMs = m_clock.elapsed();
    m_outsideClickTimer.start();
}

void PanelController::closeAfterOutsideClick() {
    qCDebug(lcPanel) << "close after outside click; pinned" << m_pinState.value();
    if (!isShown() || m_view->isDragActive() || m_pinState.value() || ownClickSince(m_outsideClickMs))
        return;
    close();
}

void PanelController::open(const NookItem& item) {
    if (!m_pinState.value())
        close(); // a pinned panel stays open
    ItemOpener::open(
        item, this, [this, id = item.id](ItemOpener::Result result) { emit itemOpenFinished(id, result); },
        m_opener);
}

void PanelController::openWith(const NookItem& item, const QString& applicationId) {
    if (!m_pinState.value())
        close();
    ItemOpener::open(
        item, this, [this, id = item.id](ItemOpener::Result result) { emit itemOpenFinished(id, result); },
        [this, applicationId](const QUrl& url) {
            if (m_applicationOpener)
                return m_applicationOpener(applicationId, url);
            return OpenWith::launch(applicationId, {url}) ? ItemOpener::Result::Opened
                                                          : ItemOpener::Result::NoApplication;
        });
}

void PanelController::watchScreens() {
    const auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, &PanelController::screensChanged);
        connect(screen, &QScreen::availableGeometryChanged, this, &PanelController::screensChanged);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        screensChanged();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this](QScreen* screen) {
        if (m_screen == screen)
            m_screen = nullptr;
        screensChanged();
    });
}

void PanelController::screensChanged() {
    // The size is worked out again; the anchor stays, but the panel never hangs off a screen.
    if (!isShown())
        return;
    if (QScreen* screen = currentScreen())
        setWindowGeometry(
            keepInside(QRect(m_window->pos(), m_view->panelSize()), screen->availableGeometry()));
}
