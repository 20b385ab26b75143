// Renders the panel (four scenes) and the settings window in a light and a dark palette
// on the offscreen platform, with sample data in a throw-away home, as PNG files into the
// folder given as the first argument.
#include "TestEnvironment.h"
#include "model/BackgroundWork.h"
#include "model/Bookmarks.h"
#include "model/IconCache.h"
#include "model/NookStore.h"
#include "model/WebLinks.h"
#include "platform/Localization.h"
#include "platform/LoginItemService.h"
#include "platform/Preferences.h"
#include "platform/xdg/ThemeIcons.h"
#include "settings/SettingsView.h"
#include "views/ItemGridView.h"
#include "views/PinState.h"
#include "views/TuckawayTabBar.h"
#include "views/TuckawayView.h"

#include <QApplication>
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

class ShownLoginItem : public LoginItemService {
public:
    LoginItemStatus status() const override { return LoginItemStatus::Enabled; }
    bool registerItem() override { return true; }
    bool unregisterItem() override { return true; }
};

QPalette darkPalette() {
    QPalette palette;
    const QColor window(0x2a, 0x2a, 0x2e), text(0xee, 0xee, 0xf0), button(0x3a, 0x3a, 0x3f);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x22));
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x98));
    palette.setColor(QPalette::Light, QColor(0x48, 0x48, 0x4c));
    palette.setColor(QPalette::Midlight, button);
    palette.setColor(QPalette::Mid, QColor(0x24, 0x24, 0x26));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    palette.setColor(QPalette::Shadow, Qt::black);
    return palette;
}

NookItem itemAt(const QString& path) {
    return NookItem{QUuid::createUuid(), QFileInfo(path).completeBaseName(),
                    Bookmarks::makeBookmark(QUrl::fromLocalFile(path)).value_or(QByteArray())};
}

// A picture to show as a preview: a sky with a sun over hills.
QString makePicture(const TestEnvironment& env, const QString& name, QSize size, QColor sky, QColor ground) {
    const QString path = env.makeFile(name, {});
    QImage picture(size, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient air(0, 0, 0, size.height());
    air.setColorAt(0, sky);
    air.setColorAt(1, sky.lighter(170));
    painter.fillRect(picture.rect(), air);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0xd5, 0x4f));
    const double w = size.width(), h = size.height();
    painter.drawEllipse(QPointF(w * 0.7, h * 0.3), w * 0.09, w * 0.09);
    painter.setBrush(ground);
    painter.drawPolygon(QPolygonF{{0, h},
                                  {0, h * 0.62},
                                  {w * 0.3, h * 0.45},
                                  {w * 0.55, h * 0.66},
                                  {w * 0.8, h * 0.5},
                                  {w, h * 0.6},
                                  {w, h}});
    painter.setBrush(ground.darker(140));
    painter.drawRect(QRectF(0, h * 0.82, w, h * 0.18));
    painter.end();
    picture.save(path);
    return path;
}

QList<NookGroup> sampleGroups(const TestEnvironment& env) {
    NookGroup favourites{QUuid::createUuid(), QStringLiteral("Favorites"), {}};
    for (const char* file :
         {"Documents/Quarterly Report.pdf", "Documents/Budget 2025.ods", "Documents/notes.txt"})
        favourites.items << itemAt(env.makeFile(QString::fromUtf8(file)));
    favourites.items << itemAt(makePicture(env, QStringLiteral("Pictures/holiday.png"), {800, 600},
                                           QColor(0x4a, 0x90, 0xd9), QColor(0x5b, 0x9b, 0x4a)));
    favourites.items << itemAt(makePicture(env, QStringLiteral("Pictures/Mountains at dusk.jpg"), {600, 800},
                                           QColor(0x8e, 0x44, 0xad), QColor(0x2c, 0x3e, 0x50)));
    // A web address as a hand-over keeps it: a link file in the data folder.
    const auto link =
        WebLinks::make(WebLinks::folderIn(env.dataHome() + QStringLiteral("/Tuckaway")),
                       QUrl(QStringLiteral("https://example.org/docs")), QStringLiteral("Example Docs"));
    if (link)
        favourites.items << NookItem{
            QUuid::createUuid(), link->name,
            Bookmarks::makeBookmark(QUrl::fromLocalFile(link->path)).value_or(QByteArray())};
    favourites.items << itemAt(
        env.makeFile(QStringLiteral("Documents/A very long file name that needs two lines.odt")));
    for (const char* folder : {"Downloads", "Projects"})
        favourites.items << itemAt(env.makeFolder(QString::fromUtf8(folder)));
    NookGroup work{
        QUuid::createUuid(), QStringLiteral("Work"), {itemAt(env.makeFile(QStringLiteral("w/plan.md")))}};
    return {favourites, work, NookGroup{QUuid::createUuid(), QStringLiteral("Tools"), {}},
            NookGroup{QUuid::createUuid(), QStringLiteral("Reading list"), {}}};
}

void hover(QWidget* widget, const QPoint& pos) {
    QTest::mouseMove(widget->window()->windowHandle(), widget->mapTo(widget->window(), pos));
}

bool iconsLoaded(const QList<NookItem>& items) {
    return std::all_of(items.cbegin(), items.cend(),
                       [](const NookItem& i) { return IconCache::shared().cached(i.id).has_value(); });
}

enum class Scene { TabHover, AltOverItem, SearchWithKeys, Selection };

bool renderPanel(NookStore& store, Preferences& preferences, const QString& file, Scene scene) {
    PinState pin;
    TuckawayView view(store, preferences, IconCache::shared(), pin);
    view.setAttribute(Qt::WA_TranslucentBackground);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        return false;
    QTest::mouseMove(view.windowHandle(), QPoint(view.width() - 3, view.height() - 3));
    if (!QTest::qWaitFor([&] {
            return iconsLoaded(store.groups().first().items) && IconCache::shared().previewsPending() == 0;
        }))
        return false;
    switch (scene) {
    case Scene::AltOverItem:
        hover(view.grid()->viewport(), view.grid()->cellRect(1).center().toPoint());
        QTest::keyPress(&view, Qt::Key_Alt);
        if (!QTest::qWaitFor([&] { return view.grid()->look(1).badge == 1.0; }))
            return false;
        break;
    case Scene::SearchWithKeys:
        QTest::keyClicks(view.grid(), QStringLiteral("r"));
        QTest::keyClicks(view.focusWidget(), QStringLiteral("e"));
        QTest::keyClick(view.focusWidget(), Qt::Key_Down);
        if (!QTest::qWaitFor([&] { return iconsLoaded(view.grid()->items()); }))
            return false;
        break;
    case Scene::Selection: {
        // Two picked with Ctrl, then three more with Shift and the arrows: the ring on the last.
        QWidget* cells = view.grid()->viewport();
        for (int index : {0, 2})
            QTest::mouseClick(cells, Qt::LeftButton, Qt::ControlModifier,
                              view.grid()->cellRect(index).center().toPoint());
        QTest::keyClick(view.grid(), Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(view.grid(), Qt::Key_Right, Qt::ShiftModifier);
        break;
    }
    case Scene::TabHover:
        hover(view.tabBar()->tabs().at(1), QPoint(6, 6));
        QTest::qWait(200); // the hover fades in
        break;
    }
    QImage image(view.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    if (scene == Scene::AltOverItem)
        QTest::keyRelease(&view, Qt::Key_Alt);
    return image.save(file);
}

bool renderSettings(Preferences& preferences, const QString& file) {
    ShownLoginItem item;
    SettingsView view(item, preferences);
    view.show();
    return QTest::qWaitForWindowExposed(&view) && view.grab().save(file);
}

} // namespace

int main(int argc, char** argv) {
    TestEnvironment environment;
    environment.withoutSessionBus();
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(folder);
    Localization::install(QLocale(QLocale::English));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    ThemeIcons::ensureTheme();
    Preferences preferences(environment.configHome() + QStringLiteral("/screenshots.conf"));

    NookStore store(environment.dataHome() + QStringLiteral("/Tuckaway"));
    store.setGroups(sampleGroups(environment));
    const QPalette light = QApplication::style()->standardPalette();
    bool ok = true;
    for (const auto& [name, palette] : {std::pair{"light", light}, std::pair{"dark", darkPalette()}}) {
        QApplication::setPalette(palette);
        const QString prefix = folder + QStringLiteral("/panel-") + QLatin1String(name);
        ok = renderPanel(store, preferences, prefix + QStringLiteral(".png"), Scene::TabHover) && ok;
        ok = renderPanel(store, preferences, prefix + QStringLiteral("-alt.png"), Scene::AltOverItem) && ok;
        ok = renderPanel(store, preferences, prefix + QStringLiteral("-search.png"), Scene::SearchWithKeys) &&
             ok;
        ok = renderPanel(store, preferences, prefix + QStringLiteral("-selection.png"), Scene::Selection) &&
             ok;
        ok = renderSettings(preferences, folder + QStringLiteral("/settings-") + QLatin1String(name) +
                                             QStringLiteral(".png")) &&
             ok;
    }
    QApplication::setPalette(light);
    Localization::install(QLocale(QLocale::German, QLocale::Germany));
    ok = renderSettings(preferences, folder + QStringLiteral("/settings-de.png")) && ok;
    if (!ok)
        std::fprintf(stderr, "screenshots: a picture could not be rendered\n");
    BackgroundWork::stopAndWait(); // no event loop ran to its end to stop it
    return ok ? 0 : 1;
}
