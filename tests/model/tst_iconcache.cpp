#include "TestEnvironment.h"
#include "model/BackgroundWork.h"
#include "model/Bookmarks.h"
#include "model/IconCache.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

class TestIconCache : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    IconCache& cache = IconCache::shared();

    NookItem itemFor(const QString& path) const {
        return NookItem{QUuid::createUuid(), QFileInfo(path).baseName(),
                        Bookmarks::makeBookmark(QUrl::fromLocalFile(path)).value_or(QByteArray())};
    }

private slots:
    void initTestCase() {
        // No icon theme: the bundled icons must stand in.
        QIcon::setThemeSearchPaths({});
        QIcon::setThemeName(u"none"_s);
    }
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // Requests while a load runs share it; every asker still there gets the icon, later ones the cached one.
    void loadsOnceAndAnswersFromTheCache() {
        const NookItem item = itemFor(m_env->makeFile(u"a.txt"_s));
        const int loads = cache.loadsStarted();
        auto gone = std::make_unique<QObject>();
        bool goneCalled = false;
        QList<QIcon> delivered;
        cache.icon(item, gone.get(), [&](const QIcon&) { goneCalled = true; });
        cache.icon(item, this, [&](const QIcon& icon) { delivered << icon; });
        cache.request(item);
        cache.icon(item, this, [&](const QIcon& icon) { delivered << icon; });
        gone.reset();
        QTRY_COMPARE(delivered.size(), 2);
        QVERIFY(!goneCalled);
        QVERIFY(!delivered.first().isNull());
        QIcon again; // from the cache, at once
        cache.icon(item, this, [&](const QIcon& icon) { again = icon; });
        QCOMPARE(again.cacheKey(), delivered.first().cacheKey());
        QCOMPARE(cache.loadsStarted(), loads + 1);
    }

    // An icon removed while it loads is not cached. A cache dropped while its load runs (as each panel in
    // the tests is) gets no answer posted: the sanitizer run turns such a post into a failure.
    void loadsOutlivingTheirAskerAreDropped() {
        const NookItem item = itemFor(m_env->makeFile(u"d.txt"_s));
        auto gone = std::make_unique<IconCache>();
        gone->request(item);
        gone.reset();
        QSignalSpy loaded(&cache, &IconCache::iconLoaded);
        cache.request(item);
        cache.remove(item.id);
        BackgroundWork::pool().waitForDone();
        QTRY_COMPARE(loaded.count(), 1);
        QVERIFY(!cache.cached(item.id));
    }

    void keepsAtMost500AndReloadsEvicted() {
        const QString path = m_env->makeFile(u"many.txt"_s);
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
        cache.request(*evicted);
        QTRY_VERIFY(cache.cached(evicted->id));
        QCOMPARE(cache.loadsStarted(), loads + 1);
    }

    // The theme names (first is best), the fallback and a picture file, by the kind of target.
    void picksTheRightSource_data() {
        QTest::addColumn<QString>("path"); // a trailing "/" makes a folder, none a lost target
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("source"); // the names, then the fallback
        const QByteArray app = "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true\nIcon=";
        QTest::newRow("text") << "notes.txt" << QByteArray() << "text-plain text-x-generic / text-x-generic";
        QTest::newRow("folder") << "plain/" << QByteArray() << "folder / folder";
        QTest::newRow("Documents") << "Documents/" << QByteArray() << "folder-documents folder / folder";
        QTest::newRow("application") << "apps/viewer.desktop" << app + "image-viewer\n"
                                     << "image-viewer application-x-executable / application-x-executable";
        QTest::newRow("application's own picture") << "apps/own.desktop" << app + "@\n"
                                                   << "application-x-executable / application-x-executable";
        QTest::newRow("lost") << QString() << QByteArray() << "unknown / unknown";
    }
    void picksTheRightSource() {
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        const QString picture =
            m_env->makeFile(u"logo.svg"_s, "<svg xmlns='http://www.w3.org/2000/svg' width='8' height='8'/>");
        NookItem item{QUuid::createUuid(), u"lost"_s, "/nowhere/at/all"};
        if (path.endsWith(u'/'))
            item = itemFor(m_env->makeFolder(path));
        else if (!path.isEmpty())
            item = itemFor(m_env->makeFile(path, content.replace("@", picture.toUtf8())));
        IconSource source = IconCache::loadIcon(item);
        source.themeNames.removeIf([](const QString& name) { return name.endsWith(u"-symbolic"_s); });
        QTEST(source.themeNames.join(u' ') + u" / "_s + source.fallback, "source");
        QCOMPARE(source.file, content.contains("logo") ? picture : QString());
    }

    // A theme's icon wins over the bundled picture; with no theme, the bundled one stands in.
    void themeIconsWinOverBundledOnes() {
        const QString theme = m_env->makeFolder(u"icons/Test/64x64/places"_s);
        m_env->makeFile(
            u"icons/Test/index.theme"_s,
            "[Icon Theme]\nName=Test\nDirectories=64x64/places\n\n[64x64/places]\nSize=64\nType=Fixed\n");
        QImage red(64, 64, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(theme + u"/folder.png"_s));
        const IconSource folder{{u"folder"_s}, {}, u"folder"_s};
        QVERIFY(IconCache::makeIcon(folder).pixmap(64).toImage().pixelColor(32, 32) != QColor(Qt::red));
        QIcon::setThemeSearchPaths({m_env->home() + u"/icons"_s});
        QIcon::setThemeName(u"Test"_s);
        const QImage drawn = IconCache::makeIcon(folder).pixmap(64).toImage();
        QIcon::setThemeName(u"none"_s);
        QCOMPARE(drawn.pixelColor(32, 32), QColor(Qt::red));
    }

    // Quitting while icons of moved targets load: queued work is dropped, running work waited for, and
    // nothing searches afterwards, so no worker writes into objects being destroyed. Runs last: it stops for
    // good.
    void quitDropsQueuedWorkAndWaitsForRunningWork() {
        // Enough entries that each search of a moved target takes a while.
        const QString many = m_env->makeFolder(u"docs/many"_s);
        for (int i = 0; i < 4000; ++i)
            QFile(many + u"/f%1"_s.arg(i)).open(QIODevice::WriteOnly);
        Bookmarks::setSearchLimits({1000000, 20000});
        QSignalSpy loaded(&cache, &IconCache::iconLoaded);
        QList<NookItem> items;
        for (int i = 0; i < 200; ++i) {
            const QString path = m_env->makeFile(u"docs/moved%1.txt"_s.arg(i));
            items << itemFor(path);
            QVERIFY(QFile::remove(path)); // gone: every load searches the whole neighbourhood
            cache.request(items.last());
        }
        QVERIFY(BackgroundWork::pool().activeThreadCount() > 0);

        BackgroundWork::stopAndWait();
        QCOMPARE(BackgroundWork::pool().activeThreadCount(), 0);
        QCoreApplication::processEvents();
        QVERIFY(loaded.count() < items.size());
        bool ran = false;
        BackgroundWork::run([&] { ran = true; });
        BackgroundWork::pool().waitForDone();
        QVERIFY(!ran);
        QCOMPARE(Bookmarks::resolvePath(items.first().bookmarkData), std::nullopt);
    }
};

TUCKAWAY_TEST_GUI_MAIN(TestIconCache)
#include "tst_iconcache.moc"
