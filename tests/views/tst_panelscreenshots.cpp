#include "HandOverProgress.h"
#include "IconCache.h"
#include "ItemGridView.h"
#include "Localization.h"
#include "TuckawayTabBar.h"
#include "TuckawayView.h"
#include "ViewTestSupport.h"
#include "platform/xdg/ThemeIcons.h"
#include "views/PinState.h"

#include <QDir>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

#include <memory>

using namespace ViewTest;

// Renders the panel with sample data in light and dark palettes to PNG files beside the
// test (screenshots/), for people to look at, and checks what a picture can tell.
class TestPanelScreenshots : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<NookStore> m_store;
    PinState m_pin;

    static QPalette darkPalette() {
        QPalette palette;
        const QColor window(0x2a, 0x2a, 0x2e);
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xf0));
        palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x22));
        palette.setColor(QPalette::AlternateBase, window);
        palette.setColor(QPalette::Text, QColor(0xee, 0xee, 0xf0));
        palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3f));
        palette.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xf0));
        palette.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
        palette.setColor(QPalette::HighlightedText, Qt::white);
        palette.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x98));
        return palette;
    }

    QList<NookGroup> sampleGroups() const {
        NookGroup favourites{QUuid::createUuid(), QStringLiteral("Favorites"), {}};
        const QStringList files = {
            QStringLiteral("Documents/Quarterly Report.pdf"),
            QStringLiteral("Documents/Budget 2025.ods"),
            QStringLiteral("Documents/notes.txt"),
            QStringLiteral("Pictures/holiday.png"),
            QStringLiteral("Music/playlist.m3u"),
            QStringLiteral("Projects/build.sh"),
            QStringLiteral("Documents/A very long file name that needs two lines.odt")};
        for (const QString& file : files)
            favourites.items << itemFor(*m_env, file);
        for (const QString& folder : {QStringLiteral("Downloads"), QStringLiteral("Projects")}) {
            const QString path = m_env->makeFolder(folder);
            favourites.items << NookItem{
                QUuid::createUuid(), folder,
                Bookmarks::makeBookmark(QUrl::fromLocalFile(path)).value_or(QByteArray())};
        }
        NookGroup work{
            QUuid::createUuid(), QStringLiteral("Work"), {itemFor(*m_env, QStringLiteral("w/plan.md"))}};
        NookGroup tools{QUuid::createUuid(), QStringLiteral("Tools"), {}};
        NookGroup reading{QUuid::createUuid(), QStringLiteral("Reading list"), {}};
        return {favourites, work, tools, reading};
    }

    enum class Scene { TabHover, AltOverItem, SearchWithKeys, LongHandOver };

    QImage render(const QPalette& palette, const QString& name, Scene scene) {
        const bool altOverItem = scene == Scene::AltOverItem;
        QApplication::setPalette(palette);
        Preferences preferences(m_env->configHome() + QStringLiteral("/shots.conf"));
        TuckawayView view(*m_store, preferences, IconCache::shared(), m_pin, PanelCallbacks{});
        view.setAttribute(Qt::WA_TranslucentBackground);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            return {};
        parkPointer(&view);
        for (const NookItem& item : m_store->groups().first().items) {
            if (!QTest::qWaitFor([&] { return IconCache::shared().cached(item.id).has_value(); }))
                return {};
        }
        if (altOverItem) {
            hover(view.grid()->viewport(), view.grid()->cellRect(1).center().toPoint());
            QTest::keyPress(&view, Qt::Key_Alt);
            if (!QTest::qWaitFor([&] { return view.grid()->look(1).badge == 1.0; }))
                return {};
        } else if (scene == Scene::SearchWithKeys) {
            QTest::keyClicks(view.grid(), QStringLiteral("r"));
            QTest::keyClicks(view.focusWidget(), QStringLiteral("e"));
            QTest::keyClick(view.focusWidget(), Qt::Key_Down);
            if (!QTest::qWaitFor([&] {
                    return std::all_of(
                        view.grid()->items().cbegin(), view.grid()->items().cend(),
                        [](const NookItem& i) { return IconCache::shared().cached(i.id).has_value(); });
                }))
                return {};
        } else if (scene == Scene::LongHandOver) {
            view.handOverProgress()->setShowDelay(0);
            emit m_store->handOverProgress(4200, 10000);
            if (!QTest::qWaitFor([&] { return view.handOverProgress()->isVisible(); }))
                return {};
        } else {
            hover(view.tabBar()->tabs().at(1), QPoint(6, 6));
            QTest::qWait(200);
        }
        QImage image(view.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        if (altOverItem)
            QTest::keyRelease(&view, Qt::Key_Alt);
        const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
        QDir().mkpath(folder);
        image.save(folder + QLatin1Char('/') + name);
        return image;
    }

    static void checkPicture(const QImage& image, const QPalette& palette) {
        QCOMPARE(image.size(), QSize(720, 880));
        // Transparent outside the rounded corners, the window colour inside.
        QCOMPARE(qAlpha(image.pixel(1, 1)), 0);
        QCOMPARE(qAlpha(image.pixel(image.width() - 2, image.height() - 2)), 0);
        const QColor inside = image.pixelColor(40, image.height() - 12);
        const QColor window = palette.color(QPalette::Window);
        QVERIFY(std::abs(inside.red() - window.red()) < 12);
        QVERIFY(std::abs(inside.blue() - window.blue()) < 12);
    }

private slots:
    void initTestCase() {
        Localization::install(QLocale(QLocale::English));
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        ThemeIcons::ensureTheme();
        m_env = std::make_unique<TestEnvironment>();
        m_store = std::make_unique<NookStore>(m_env->dataHome() + QStringLiteral("/Tuckaway"));
        m_store->setGroups(sampleGroups());
    }

    void cleanupTestCase() {
        m_store.reset();
        m_env.reset();
    }

    void lightAndDark() {
        const QPalette light = QStyleFactory::create(QStringLiteral("Fusion"))->standardPalette();
        for (const auto& [suffix, scene] :
             {std::pair{"", Scene::TabHover}, std::pair{"-alt", Scene::AltOverItem},
              std::pair{"-search", Scene::SearchWithKeys}, std::pair{"-progress", Scene::LongHandOver}}) {
            checkPicture(render(light, QStringLiteral("panel-light%1.png").arg(QLatin1String(suffix)), scene),
                         light);
            checkPicture(
                render(darkPalette(), QStringLiteral("panel-dark%1.png").arg(QLatin1String(suffix)), scene),
                darkPalette());
        }
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestPanelScreenshots)
#include "tst_panelscreenshots.moc"
