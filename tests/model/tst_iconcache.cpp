#include "TestEnvironment.h"
#include "model/BackgroundWork.h"
#include "model/Bookmarks.h"
#include "model/IconCache.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestIconCache : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    IconCache& cache = IconCache::shared();

    NookItem itemFor(const QString& path) const {
        return NookItem{QUuid::createUuid(), QFileInfo(path).baseName(),
                        Bookmarks::makeBookmark(QUrl::fromLocalFile(path)).value_or(QByteArray())};
    }
    NookItem fileItem(const QString& relative) const { return itemFor(m_env->makeFile(relative)); }
    static NookItem lostItem() {
        return NookItem{QUuid::createUuid(), QStringLiteral("lost"), "/nowhere/at/all"};
    }

    // Asks for the icon and waits for it; returns whether the answer came at once.
    bool fetch(const NookItem& item, QIcon* icon = nullptr) {
        bool answered = false;
        QIcon result;
        cache.icon(item, this, [&](const QIcon& delivered) {
            answered = true;
            result = delivered;
        });
        const bool atOnce = answered;
        if (!QTest::qWaitFor([&] { return answered; }, 5000))
            qWarning("no icon delivered");
        if (icon)
            *icon = result;
        return atOnce;
    }

private slots:
    void initTestCase() {
        // No icon theme: the bundled icons must stand in.
        QIcon::setThemeSearchPaths({});
        QIcon::setThemeName(QStringLiteral("none"));
    }
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void loadsOnceThenAnswersFromTheCache() {
        const NookItem item = fileItem(QStringLiteral("a.txt"));
        QVERIFY(!cache.cached(item.id));
        const int loads = cache.loadsStarted();
        QIcon first, second;
        QVERIFY(!fetch(item, &first));
        QVERIFY(!first.isNull());
        QVERIFY(cache.cached(item.id));
        QVERIFY(fetch(item, &second));
        QCOMPARE(cache.loadsStarted(), loads + 1);
        QCOMPARE(second.cacheKey(), first.cacheKey());
    }

    void overlappingRequestsShareOneLoad() {
        const NookItem item = fileItem(QStringLiteral("b.txt"));
        const int loads = cache.loadsStarted();
        QSignalSpy loaded(&cache, &IconCache::iconLoaded);
        int delivered = 0;
        cache.icon(item, this, [&](const QIcon&) { ++delivered; });
        cache.icon(item, this, [&](const QIcon&) { ++delivered; });
        cache.request(item);
        QTRY_COMPARE(delivered, 2);
        QCOMPARE(cache.loadsStarted(), loads + 1);
        QCOMPARE(loaded.count(), 1);
    }

    void aGoneReceiverIsNotCalled() {
        const NookItem item = fileItem(QStringLiteral("c.txt"));
        auto receiver = std::make_unique<QObject>();
        bool called = false;
        cache.icon(item, receiver.get(), [&](const QIcon&) { called = true; });
        receiver.reset();
        QTRY_VERIFY(cache.cached(item.id));
        QVERIFY(!called);
    }

    // A cache made and dropped while its load runs (as each panel in the tests does): the
    // answer must not be posted to it. The sanitizer run turns such a post into a failure.
    void aCacheGoneBeforeItsLoadEndsGetsNoAnswer() {
        auto gone = std::make_unique<IconCache>();
        gone->request(fileItem(QStringLiteral("d.txt")));
        QSignalSpy loaded(&cache, &IconCache::iconLoaded);
        gone.reset();
        BackgroundWork::pool().waitForDone();
        QCoreApplication::sendPostedEvents();
        QVERIFY(loaded.isEmpty());
    }

    void anUnresolvableItemGetsTheGenericIconAndKeepsIt() {
        const NookItem item = lostItem();
        QCOMPARE(IconCache::loadIcon(item).themeNames, QStringList{QStringLiteral("unknown")});
        QIcon icon;
        fetch(item, &icon);
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.pixmap(64).toImage(),
                 IconCache::makeIcon({{}, {}, QStringLiteral("unknown")}).pixmap(64).toImage());
        QVERIFY(cache.cached(item.id));
    }

    void removalForgetsTheIconEvenWhileItLoads() {
        const QString path = m_env->makeFile(QStringLiteral("d.txt"));
        const NookItem item = itemFor(path);
        fetch(item);
        cache.remove(item.id);
        QVERIFY(!cache.cached(item.id));

        const NookItem again = itemFor(path); // the same file added again: a new id, a fresh load
        const int loads = cache.loadsStarted();
        QVERIFY(!fetch(again));
        QCOMPARE(cache.loadsStarted(), loads + 1);

        const NookItem removedEarly = itemFor(path);
        QSignalSpy loaded(&cache, &IconCache::iconLoaded);
        cache.request(removedEarly);
        cache.remove(removedEarly.id);
        QVERIFY(loaded.wait());
        QVERIFY(!cache.cached(removedEarly.id));
    }

    void keepsAtMost500AndReloadsEvicted() {
        const QString path = m_env->makeFile(QStringLiteral("many.txt"));
        QList<NookItem> items;
        for (int i = 0; i < IconCache::kCountLimit + 20; ++i)
            items << itemFor(path);
        QSignalSpy loaded(&cache, &IconCache::iconLoaded);
        for (const NookItem& item : items)
            cache.request(item);
        // Loads end in any order on the pool's threads: wait for all, then one evicted.
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), items.size(), 20000);
        QCOMPARE(cache.count(), IconCache::kCountLimit);
        const auto evicted = std::find_if(items.cbegin(), items.cend(),
                                          [&](const NookItem& item) { return !cache.cached(item.id); });
        QVERIFY(evicted != items.cend());

        const int loads = cache.loadsStarted();
        QVERIFY(!fetch(*evicted));
        QCOMPARE(cache.loadsStarted(), loads + 1);
        QVERIFY(cache.cached(evicted->id));
    }

    void picksTheRightSource() {
        const IconSource text = IconCache::loadIcon(fileItem(QStringLiteral("notes.txt")));
        QCOMPARE(text.themeNames.first(), QStringLiteral("text-plain"));
        QCOMPARE(text.fallback, QStringLiteral("text-x-generic"));

        const IconSource folder = IconCache::loadIcon(itemFor(m_env->makeFolder(QStringLiteral("plain"))));
        QCOMPARE(folder.themeNames, QStringList{QStringLiteral("folder")});
        const IconSource documents =
            IconCache::loadIcon(itemFor(m_env->makeFolder(QStringLiteral("Documents"))));
        QCOMPARE(documents.themeNames,
                 QStringList({QStringLiteral("folder-documents"), QStringLiteral("folder")}));

        const IconSource app = IconCache::loadIcon(itemFor(m_env->makeFile(
            QStringLiteral("apps/viewer.desktop"),
            "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true\nIcon=image-viewer\n")));
        QCOMPARE(app.themeNames.first(), QStringLiteral("image-viewer"));
        QCOMPARE(app.fallback, QStringLiteral("application-x-executable"));

        const QString picture =
            m_env->makeFile(QStringLiteral("apps/logo.svg"),
                            "<svg xmlns='http://www.w3.org/2000/svg' width='8' height='8'/>");
        const IconSource own = IconCache::loadIcon(itemFor(m_env->makeFile(
            QStringLiteral("apps/own.desktop"),
            "[Desktop Entry]\nType=Application\nName=Own\nExec=true\nIcon=" + picture.toUtf8() + "\n")));
        QCOMPARE(own.file, picture);
    }

    void themeIconsWinOverBundledOnes() {
        // A minimal theme with one folder icon: used instead of the bundled picture.
        const QString theme = m_env->makeFolder(QStringLiteral("icons/Test/64x64/places"));
        m_env->makeFile(
            QStringLiteral("icons/Test/index.theme"),
            "[Icon Theme]\nName=Test\nDirectories=64x64/places\n\n[64x64/places]\nSize=64\nType=Fixed\n");
        QImage red(64, 64, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(theme + QStringLiteral("/folder.png")));
        QIcon::setThemeSearchPaths({m_env->home() + QStringLiteral("/icons")});
        QIcon::setThemeName(QStringLiteral("Test"));
        const QImage drawn = IconCache::makeIcon({{QStringLiteral("folder")}, {}, QStringLiteral("folder")})
                                 .pixmap(64)
                                 .toImage();
        QIcon::setThemeName(QStringLiteral("none"));
        QCOMPARE(drawn.pixelColor(32, 32), QColor(Qt::red));
    }
};

TUCKAWAY_TEST_GUI_MAIN(TestIconCache)
#include "tst_iconcache.moc"
