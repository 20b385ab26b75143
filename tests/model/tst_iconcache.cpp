#include "PrivateBus.h"
#include "TestEnvironment.h"
#include "model/BackgroundWork.h"
#include "model/Bookmarks.h"
#include "model/IconCache.h"
#include "platform/xdg/ThemeIcons.h"
#include "platform/xdg/ThumbnailCache.h"

#include <QDBusMessage>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

const QString kThumbnailer = u"org.freedesktop.thumbnails.Thumbnailer1"_s;

// The desktop's thumbnailer as these tests want it: it takes PDFs, draws each green into the
// cache, and fails those named "broken".
class FakeThumbnailer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.thumbnails.Thumbnailer1")
public:
    QDBusConnection bus{QString()};
    uint handles = 0;

public slots:
    QStringList GetSupported(QStringList& types) {
        types = {u"application/pdf"_s};
        return {u"file"_s};
    }
    uint Queue(const QStringList& uris, const QStringList&, const QString&, const QString&, uint) {
        QStringList made, failed;
        for (const QString& uri : uris) {
            const QString path = QUrl(uri).toLocalFile();
            QImage green(300, 200, QImage::Format_RGB32);
            green.fill(Qt::green);
            const bool ok =
                !path.contains(u"broken"_s) &&
                ThumbnailCache::store(green, green.size(), path, ThumbnailCache::stampOf(path).value(),
                                      ThumbnailCache::Flavor::Normal, u"application/pdf"_s);
            (ok ? made : failed) << uri;
        }
        const uint handle = ++handles;
        QTimer::singleShot(0, this, [this, handle, made, failed] {
            send("Error", {handle, failed, 1, u"cannot"_s});
            send("Ready", {handle, made});
            send("Finished", {handle});
        });
        return handle;
    }

private:
    void send(const char* name, const QVariantList& arguments) {
        QDBusMessage signal = QDBusMessage::createSignal(u"/org/freedesktop/thumbnails/Thumbnailer1"_s,
                                                         kThumbnailer, QLatin1String(name));
        signal.setArguments(arguments);
        bus.send(signal);
    }
};

class TestIconCache : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    IconCache& cache = IconCache::shared();
    PrivateBus m_bus;
    FakeThumbnailer m_thumbnailer;

    NookItem itemFor(const QString& path) const {
        return NookItem{QUuid::createUuid(), QFileInfo(path).baseName(),
                        Bookmarks::makeBookmark(QUrl::fromLocalFile(path)).value_or(QByteArray())};
    }
    static QImage picture(const QColor& color) {
        QImage image(640, 480, QImage::Format_RGB32);
        image.fill(color);
        return image;
    }
    // Where the desktop keeps a file's thumbnails: the MD5 of its URI, in the flavor's folder.
    QString thumbnailOf(const QString& path, const QString& flavor) const {
        return m_env->home() + u"/.cache/thumbnails/"_s + flavor + u'/' +
               QString::fromLatin1(
                   QCryptographicHash::hash(QUrl::fromLocalFile(path).toEncoded(), QCryptographicHash::Md5)
                       .toHex()) +
               u".png"_s;
    }
    // The centre of the item's icon, once every preview asked for is made or given up.
    static QColor shown(IconCache& icons, const NookItem& item) {
        icons.request(item);
        if (!QTest::qWaitFor([&] { return icons.cached(item.id) && icons.previewsPending() == 0; }, 10000))
            return {};
        const QImage image = icons.cached(item.id)->pixmap(64).toImage();
        return image.pixelColor(image.rect().center());
    }
    static uint mode(const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
    }

private slots:
    void initTestCase() {
        // No icon theme: the bundled icons must stand in.
        QIcon::setThemeSearchPaths({});
        QIcon::setThemeName(u"none"_s);
        // Every cache here asks the fake thumbnailer on a bus of the test's own.
        QVERIFY(m_bus.start());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        m_thumbnailer.bus = m_bus.connect();
        QVERIFY(m_thumbnailer.bus.registerObject(u"/org/freedesktop/thumbnails/Thumbnailer1"_s,
                                                 &m_thumbnailer, QDBusConnection::ExportAllSlots));
        QVERIFY(m_thumbnailer.bus.registerService(kThumbnailer));
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
        QTest::newRow("web link") << u"links/x.desktop"_s
                                  << QByteArray("[Desktop Entry]\nType=Link\nURL=https://x.org/\n")
                                  << u"text-html internet-web-browser / text-html"_s;
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

    // A file shows the desktop's valid thumbnail (its MTime and Size those of the file, its URI the file's);
    // else one the desktop's thumbnailer makes; else, for a picture, one made here and stored for the
    // desktop with the keys it checks; a picture that cannot be read is recorded as failed and not tried
    // again. The type's icon stands in otherwise, and with previews off.
    void previewsFromTheDesktopsCache_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("planted"); // a thumbnail (blue) or failure record, and a key it gets wrong
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("written"); // "ours": our thumbnail; "fail": our failure record; "none"
        QTest::newRow("the cache's") << u"my photo.png"_s << u"normal"_s << u""_s << u"blue"_s << u""_s;
        QTest::newRow("a larger one") << u"my photo.png"_s << u"large"_s << u""_s << u"blue"_s << u"none"_s;
        QTest::newRow("stale: made anew")
            << u"my photo.png"_s << u"normal mtime"_s << u""_s << u"red"_s << u"ours"_s;
        QTest::newRow("another size")
            << u"my photo.png"_s << u"normal size"_s << u""_s << u"red"_s << u"ours"_s;
        QTest::newRow("another file's")
            << u"my photo.png"_s << u"normal uri"_s << u""_s << u"red"_s << u"ours"_s;
        QTest::newRow("no thumbnailer")
            << u"my photo.png"_s << u""_s << u"no service"_s << u"red"_s << u"ours"_s;
        QTest::newRow("the thumbnailer's") << u"doc.pdf"_s << u""_s << u""_s << u"green"_s << u""_s;
        QTest::newRow("the thumbnailer fails") << u"broken.pdf"_s << u""_s << u""_s << u"type"_s << u"none"_s;
        QTest::newRow("unreadable picture")
            << u"bad picture.png"_s << u""_s << u""_s << u"type"_s << u"fail"_s;
        QTest::newRow("failed before") << u"my photo.png"_s << u"fail"_s << u""_s << u"type"_s << u"none"_s;
        QTest::newRow("text") << u"notes.txt"_s << u""_s << u""_s << u"type"_s << u"none"_s;
        QTest::newRow("previews off") << u"my photo.png"_s << u"normal"_s << u"off"_s << u"type"_s << u""_s;
    }
    void previewsFromTheDesktopsCache() {
        QFETCH(QString, file);
        QFETCH(QString, planted);
        QFETCH(QString, setting);
        QFETCH(QString, expected);
        QFETCH(QString, written);
        const bool isPicture = file.endsWith(u".png"_s) && !file.startsWith(u"bad"_s);
        const QString path = m_env->makeFile(file, file.endsWith(u".pdf"_s) ? "%PDF-1.4\n" : "no picture");
        QVERIFY(!isPicture || picture(Qt::red).save(path, "PNG"));
        const QFileInfo info(path);
        const qint64 mtime = info.lastModified().toSecsSinceEpoch(), size = info.size();
        if (!planted.isEmpty()) {
            const QString flavor = planted.section(u' ', 0, 0), wrong = planted.section(u' ', 1);
            QImage thumbnail(flavor == u"large"_s ? 256 : 128, 96, QImage::Format_ARGB32);
            thumbnail.fill(Qt::blue);
            thumbnail.setText(u"Thumb::URI"_s,
                              wrong == u"uri"_s ? u"file:///elsewhere.png"_s
                                                : QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded()));
            thumbnail.setText(u"Thumb::MTime"_s, QString::number(mtime - (wrong == u"mtime"_s)));
            thumbnail.setText(u"Thumb::Size"_s, QString::number(size + (wrong == u"size"_s)));
            const QString at =
                thumbnailOf(path, flavor == u"fail"_s ? u"fail/tuckaway-" TUCKAWAY_VERSION ""_s : flavor);
            QVERIFY(QDir().mkpath(QFileInfo(at).path()) && thumbnail.save(at));
        }
        if (setting == u"no service"_s)
            QVERIFY(m_thumbnailer.bus.unregisterService(kThumbnailer));
        IconCache icons; // asks the bus anew
        icons.setPreviewsEnabled(setting != u"off"_s);
        const NookItem item = itemFor(path);
        const QColor color = shown(icons, item);
        if (setting == u"no service"_s)
            QVERIFY(m_thumbnailer.bus.registerService(kThumbnailer));
        const QImage type = IconCache::makeIcon(IconCache::loadIcon(item)).pixmap(64).toImage();
        const QHash<QString, QColor> colors{{u"red"_s, Qt::red},
                                            {u"blue"_s, Qt::blue},
                                            {u"green"_s, Qt::green},
                                            {u"type"_s, type.pixelColor(type.rect().center())}};
        QCOMPARE(color, colors.value(expected));

        const QString ours =
            thumbnailOf(path, written == u"fail"_s ? u"fail/tuckaway-" TUCKAWAY_VERSION ""_s : u"normal"_s);
        if (written == u"none"_s)
            QVERIFY(!QFile::exists(ours));
        if (written != u"ours"_s && written != u"fail"_s)
            return;
        const QImage stored(ours);
        QCOMPARE(stored.text(u"Thumb::URI"_s), QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded()));
        QCOMPARE(stored.text(u"Thumb::MTime"_s), QString::number(mtime));
        QCOMPARE(stored.text(u"Thumb::Size"_s), QString::number(size));
        QCOMPARE(mode(ours), 0600u);
        if (planted.isEmpty()) // a folder another program made stays as it is
            QCOMPARE(mode(QFileInfo(ours).path()), 0700u);
        if (written == u"ours"_s) {
            QCOMPARE(stored.size(), QSize(128, 96));
            QCOMPARE(stored.text(u"Thumb::Image::Width"_s) + u'x' + stored.text(u"Thumb::Image::Height"_s),
                     u"640x480");
            QCOMPARE(stored.text(u"Thumb::Mimetype"_s), u"image/png"_s);
        }
    }

    // A file changed since its preview was made gets a new one when the panel opens again; the others
    // keep theirs.
    void aChangedFileGetsANewPreview() {
        IconCache icons;
        const QString changing = m_env->makeFile(u"a.png"_s), steady = m_env->makeFile(u"b.png"_s);
        QVERIFY(picture(Qt::red).save(changing, "PNG") && picture(Qt::red).save(steady, "PNG"));
        const NookItem a = itemFor(changing), b = itemFor(steady);
        QCOMPARE(shown(icons, a), QColor(Qt::red));
        QCOMPARE(shown(icons, b), QColor(Qt::red));
        const qint64 kept = icons.cached(b.id)->cacheKey();
        QFile file(changing);
        QVERIFY(picture(Qt::blue).save(changing, "PNG") && file.open(QIODevice::ReadWrite) &&
                file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        QSignalSpy dropped(&icons, &IconCache::iconLoaded);
        icons.refreshChanged();
        QTRY_COMPARE(dropped.count(), 1);
        QCOMPARE(dropped.first().first().value<QUuid>(), a.id);
        QCOMPARE(shown(icons, a), QColor(Qt::blue));
        QCOMPARE(icons.cached(b.id)->cacheKey(), kept);
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

    // Where the session names no real theme ("hicolor" is only the fallback every theme
    // inherits), one with the basic icons is taken, even if "hicolor" has them; a named theme
    // that has them is kept.
    void aThemeWithTheBasicIconsIsMadeSure() {
        const QString icons = m_env->home() + u"/.local/share/icons"_s;
        for (const QString& theme : {u"hicolor"_s, u"Adwaita"_s, u"Full"_s}) {
            const QString dir = u"64x64/places"_s;
            m_env->makeFile(
                u".local/share/icons/%1/index.theme"_s.arg(theme),
                u"[Icon Theme]\nName=%1\nDirectories=%2\n\n[%2]\nSize=64\nType=Fixed\n"_s.arg(theme, dir)
                    .toUtf8());
            QImage image(64, 64, QImage::Format_ARGB32);
            image.fill(Qt::red);
            QVERIFY(image.save(m_env->makeFolder(u".local/share/icons/%1/%2"_s.arg(theme, dir)) +
                               u"/folder.png"_s));
        }
        const struct {
            QString named, theme, fallback;
        } cases[] = {{u"hicolor"_s, u"Adwaita"_s, u"Adwaita"_s},
                     {u""_s, u"Adwaita"_s, u"Adwaita"_s},
                     {u"Full"_s, u"Full"_s, u"none"_s}};
        QIcon::setThemeSearchPaths({icons});
        for (const auto& c : cases) {
            QIcon::setThemeName(c.named);
            QIcon::setFallbackThemeName(u"none"_s);
            ThemeIcons::ensureTheme();
            QCOMPARE(QIcon::themeName(), c.theme);
            QCOMPARE(QIcon::fallbackThemeName(), c.fallback);
        }
        QIcon::setThemeSearchPaths({});
        QIcon::setThemeName(u"none"_s);
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
