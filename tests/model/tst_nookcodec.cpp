#include "TestEnvironment.h"
#include "model/NookCodec.h"

#include <QJsonDocument>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestNookCodec : public QObject {
    Q_OBJECT

    static NookItem item(const QString& name, const QByteArray& bookmark = QByteArray("\xfb\xff\x00/?", 5)) {
        return NookItem{QUuid::createUuid(), name, bookmark};
    }

private slots:
    // Another platform's file (keys in another order, lower-case UUIDs, unknown keys) reads, and
    // is written back compact, keys sorted, UUIDs upper case, every "/" escaped, non-ASCII raw.
    void readsTheOtherFormAndWritesOurs() {
        const QByteArray foreign =
            QStringLiteral(
                R"([{"items":[{"bookmarkData":"Ym9vL\/8=","name":"Report","id":"7c9e6679-7425-40de-944b-)"
                R"(e07fc1f90ae7","extra":1}],"name":"Küche\/Bad","id":"0f8fad5b-d9cb-469f-a165-70867728950e",)"
                R"("colour":"red"}])")
                .toUtf8();
        const auto groups = NookCodec::decode(foreign);
        QVERIFY(groups);
        QCOMPARE(groups->first().items.first().bookmarkData, QByteArray("boo/\xff", 5));
        QCOMPARE(
            NookCodec::encode(*groups),
            QStringLiteral(R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","items":[{"bookmarkData":)"
                           R"("Ym9vL\/8=","id":"7C9E6679-7425-40DE-944B-E07FC1F90AE7","name":"Report"}],)"
                           R"("name":"Küche\/Bad"}])")
                .toUtf8());
    }

    // Every text as the compact document writer writes it (and every "/" escaped), read back the same.
    void writesWhatADocumentWrites_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("controls") << u"a\x01\x1f\x7f\b\f\r\n\t"_s + QChar(0) + u'z';
        QTest::newRow("quotes and slashes") << uR"("/\// back\slash)"_s;
        QTest::newRow("non-ASCII") << u"Ünïcødé 日本語 🙂 \u2028"_s;
        QTest::newRow("code point boundaries")
            << u"\u0080\u07ff\u0800\uffff"_s + QString::fromUcs4(U"\U00010000\U0010ffff");
        QTest::newRow("lone surrogates") << QString(QChar(0xd800)) + u'x' + QChar(0xdc00) + QChar(0xd83d);
    }
    void writesWhatADocumentWrites() {
        QFETCH(QString, name);
        const QList<NookGroup> groups = {
            {QUuid::createUuid(),
             name,
             {item(name), item(QString(), {}), item(u"/"_s, QByteArray(300, '\xff'))}},
            {QUuid::createUuid(), QString(), {}},
            {QUuid::createUuid(), u"b"_s, {item(u"last"_s)}}};
        const QByteArray encoded = NookCodec::encode(groups);
        QCOMPARE(QJsonDocument::fromJson(encoded).toJson(QJsonDocument::Compact).replace('/', "\\/"),
                 encoded);
        QCOMPARE(NookCodec::decode(encoded), groups);
    }

    // Each record keeps one id of its own: later holders of a taken id get fresh ones.
    void givesDuplicateIdsFreshOnes_data() {
        QTest::addColumn<QList<int>>("groupIds"); // per group: its id, then its items' ids
        QTest::addColumn<int>("renewed");
        QTest::newRow("none") << QList<int>{1, 2, 3, -1, 4} << 0;
        QTest::newRow("two groups") << QList<int>{1, 2, -1, 1, 3} << 1;
        QTest::newRow("items of one group") << QList<int>{1, 2, 2, 2} << 2;
        QTest::newRow("items of two groups") << QList<int>{1, 2, -1, 3, 2} << 1;
        QTest::newRow("a group's and an item's") << QList<int>{1, 1} << 1;
    }
    void givesDuplicateIdsFreshOnes() {
        QFETCH(QList<int>, groupIds);
        const auto id = [](int n) { return QUuid(uint(n), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40); };
        QList<NookGroup> groups;
        bool startsGroup = true;
        for (int n : groupIds) {
            if (n < 0)
                startsGroup = true;
            else if (std::exchange(startsGroup, false))
                groups.append(NookGroup{id(n), u"g%1"_s.arg(n), {}});
            else
                groups.last().items.append(NookItem{id(n), u"i%1"_s.arg(n), "/x"});
        }
        int renewed = -1;
        const auto decoded = NookCodec::decode(NookCodec::encode(groups), nullptr, &renewed);
        QVERIFY(decoded);
        QTEST(renewed, "renewed");
        QSet<QUuid> ids;
        for (const NookGroup& group : *decoded) {
            ids.insert(group.id);
            for (const NookItem& each : group.items)
                ids.insert(each.id);
        }
        QCOMPARE(ids.size(), groupIds.size() - groupIds.count(-1));
        QCOMPARE(decoded->first().id, groups.first().id); // the first holder keeps its id
    }

    // A fault is named with where it is, on one line.
    void rejectsMalformedFiles_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("mentions");
        const QByteArray gid = R"("id":"0F8FAD5B-D9CB-469F-A165-70867728950E")";
        const QByteArray iid = R"("id":"7C9E6679-7425-40DE-944B-E07FC1F90AE7")";
        const auto file = [&](const QByteArray& itemBody) {
            return "[{" + gid + R"(,"name":"G","items":[{)" + itemBody + "}]}]";
        };
        const auto withData = [&](const QByteArray& data) {
            return file(iid + R"(,"name":"a","bookmarkData":)" + data);
        };
        const auto withId = [&](const QByteArray& id) {
            return file(R"("id":")" + id + R"(","name":"a","bookmarkData":"")");
        };
        QTest::newRow("empty file") << QByteArray() << "empty";
        QTest::newRow("not JSON") << QByteArray("nooks") << "JSON";
        QTest::newRow("top-level object") << QByteArray("{}") << "object";
        QTest::newRow("group is a string") << QByteArray(R"(["G"])") << "group 1";
        QTest::newRow("group without items") << "[{" + gid + R"(,"name":"G"}])"
                                             << "\"items\"";
        QTest::newRow("group without name") << "[{" + gid + R"(,"items":[]}])"
                                            << "\"name\"";
        QTest::newRow("bookmarkData number") << withData("5") << "number";
        QTest::newRow("bookmarkData not Base64") << withData(R"("a*b=")") << "Base64";
        QTest::newRow("bookmarkData unpadded") << withData(R"("YWI")") << "Base64";
        QTest::newRow("bookmarkData non-ASCII") << withData("\"YW\xc3\xa4=\"") << "Base64";
        QTest::newRow("name number") << file(iid + R"(,"name":1,"bookmarkData":"")") << "\"name\"";
        QTest::newRow("id in braces") << withId("{7C9E6679-7425-40DE-944B-E07FC1F90AE7}") << "UUID";
        QTest::newRow("id without dashes") << withId("7C9E6679742540DE944BE07FC1F90AE7") << "UUID";
        QTest::newRow("id a letter too long") << withId("7C9E6679-7425-40DE-944B-E07FC1F90AE71") << "UUID";
        QTest::newRow("id a letter short") << withId("7C9E6679-7425-40DE-944B-E07FC1F90AE") << "UUID";
        QTest::newRow("id not hex") << withId("7C9E6679-7425-40DE-944B-E07FC1F90AEZ") << "UUID";
        QTest::newRow("second group, second item")
            << "[{" + gid + R"(,"name":"One","items":[]},{)" + gid + R"(,"name":"Two","items":[{)" + iid +
                   R"(,"name":"a","bookmarkData":""},{"id":"x","name":"b","bookmarkData":""}]}])"
            << "group 2 (\"Two\"), item 2";
    }
    void rejectsMalformedFiles() {
        QFETCH(QByteArray, text);
        QFETCH(QString, mentions);
        QString error;
        QVERIFY(!NookCodec::decode(text, &error));
        QVERIFY2(error.contains(mentions), qPrintable(error));
        QVERIFY(!error.contains(QLatin1Char('\n')));
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestNookCodec)
#include "tst_nookcodec.moc"
