#include "TestEnvironment.h"
#include "model/BackgroundWork.h"
#include "model/Bookmarks.h"
#include "model/IconCache.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QThreadPool>
#include <QtTest>

// Quitting while icons of moved targets load: what is queued is dropped, what runs is
// waited for, and nothing searches afterwards, so no worker writes into objects that
// are being destroyed.
class TestBackgroundWork : public QObject {
    Q_OBJECT

private slots:
    void quitDropsQueuedWorkAndWaitsForRunningWork() {
        TestEnvironment env;
        // Enough entries that each search of a moved target takes a while.
        for (int i = 0; i < 4000; ++i)
            QFile(env.makeFolder(QStringLiteral("docs/many")) + QStringLiteral("/f%1").arg(i))
                .open(QIODevice::WriteOnly);
        Bookmarks::setSearchLimits({1000000, 20000});
        QList<NookItem> items;
        for (int i = 0; i < 200; ++i) {
            const QString path = env.makeFile(QStringLiteral("docs/moved%1.txt").arg(i));
            items << NookItem{QUuid::createUuid(), QStringLiteral("m"),
                              Bookmarks::makeBookmark(QUrl::fromLocalFile(path)).value()};
            QVERIFY(QFile::remove(path)); // gone: every load searches the whole neighbourhood
        }
        QSignalSpy loaded(&IconCache::shared(), &IconCache::iconLoaded);
        for (const NookItem& item : items)
            IconCache::shared().request(item);
        QVERIFY(BackgroundWork::pool().activeThreadCount() > 0);

        BackgroundWork::stopAndWait();
        QCOMPARE(BackgroundWork::pool().activeThreadCount(), 0);
        QCoreApplication::processEvents();
        QVERIFY(loaded.count() < items.size());

        // Afterwards nothing runs and nothing searches.
        bool ran = false;
        BackgroundWork::run([&] { ran = true; });
        QVERIFY(!ran);
        QCOMPARE(Bookmarks::resolvePath(items.first().bookmarkData), std::nullopt);
    }
};

TUCKAWAY_TEST_GUI_MAIN(TestBackgroundWork)
#include "tst_backgroundwork.moc"
