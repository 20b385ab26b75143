#include "TestEnvironment.h"
#include "model/ItemSearch.h"

#include <QDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestItemSearch : public QObject {
    Q_OBJECT

    static NookItem item(const QString& name, const QString& pathInHome) {
        return {QUuid::createUuid(), name, (QDir::homePath() + QLatin1Char('/') + pathInHome).toUtf8()};
    }

    const QList<NookGroup> m_groups = {
        {QUuid::createUuid(),
         u"Work"_s,
         {item(u"Prepare slides"_s, u"Work/prepare.odp"_s), item(u"Quarterly report"_s, u"Work/q4.pdf"_s),
          item(u"Reports"_s, u"Work/Reports"_s)}},
        {QUuid::createUuid(),
         u"Home"_s,
         {item(u"École notes"_s, u"Documents/ecole.txt"_s), item(u"Uber receipt"_s, u"Downloads/u.pdf"_s),
          item(u"scan"_s, u"Invoices/2026/scan.pdf"_s), item(u"Reportage"_s, u"Videos/r.mkv"_s),
          item(u"Straße map"_s, u"Documents/map.png"_s)}},
    };

private slots:
    void ranks_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected"); // other nooks' results as "Nook: Item"

        const QStringList rep = {u"Reports"_s, u"Quarterly report"_s, u"Prepare slides"_s,
                                 u"Home: Reportage"_s};
        QTest::newRow("start, word start, inside; current nook first") << u"Work"_s << u"rep"_s << rep;
        QTest::newRow("case ignored") << u"Work"_s << u"REP"_s << rep;
        QTest::newRow("other current nook")
            << u"Home"_s << u"rep"_s
            << QStringList{u"Reportage"_s, u"Work: Reports"_s, u"Work: Quarterly report"_s,
                           u"Work: Prepare slides"_s};
        QTest::newRow("accent in the name") << u"Home"_s << u"ecole"_s << QStringList{u"École notes"_s};
        QTest::newRow("accent in the query") << u"Home"_s << u"ÜBER"_s << QStringList{u"Uber receipt"_s};
        QTest::newRow("ß spelled out") << u"Home"_s << u"strasse"_s << QStringList{u"Straße map"_s};
        QTest::newRow("folder of the path") << u"Home"_s << u"invoices"_s << QStringList{u"scan"_s};
        QTest::newRow("path matches at word starts only") << u"Home"_s << u"voices"_s << QStringList{};
        QTest::newRow("every word must match")
            << u"Work"_s << u" quart  rep "_s << QStringList{u"Quarterly report"_s};
        QTest::newRow("one word matching nothing") << u"Work"_s << u"rep nothing"_s << QStringList{};
        QTest::newRow("home folder itself is no match")
            << u"Work"_s << QDir::home().dirName() << QStringList{};
        QTest::newRow("blank") << u"Work"_s << u"  "_s << QStringList{};
    }
    void ranks() {
        QFETCH(QString, current);
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        ItemSearch search;
        const auto group = std::find_if(m_groups.begin(), m_groups.end(),
                                        [&](const NookGroup& g) { return g.name == current; });
        search.setGroups(m_groups, group->id);
        QStringList found;
        for (const ItemSearch::Result& result : search.find(query)) {
            QCOMPARE(result.otherGroup, result.groupID != group->id);
            found << (result.otherGroup ? result.groupName + u": "_s : QString()) + result.item.name;
        }
        QCOMPARE(found, expected);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestItemSearch)
#include "tst_itemsearch.moc"
