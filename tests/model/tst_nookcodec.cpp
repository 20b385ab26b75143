#include "TestEnvironment.h"
#include "model/NookCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TestNookCodec : public QObject {
    Q_OBJECT

    static NookItem item(const QString& name, const QByteArray& bookmark = QByteArray("\xfb\xff\x00/?", 5)) {
        return NookItem{QUuid::createUuid(), name, bookmark};
    }

private slots:
    void writesTheFileForm() {
        const QUuid groupId = QUuid::fromString(QStringLiteral("0f8fad5b-d9cb-469f-a165-70867728950e"));
        const QUuid itemId = QUuid::fromString(QStringLiteral("7c9e6679-7425-40de-944b-e07fc1f90ae7"));
        // 0xfb 0xff encode to "+/8=" in Base64, so the text holds both special letters and padding.
        const QList<NookGroup> groups = {
            {groupId, QStringLiteral("Küche/Bad"), {{itemId, QStringLiteral("a"), "\xfb\xff"}}}};
        const QByteArray text = NookCodec::encode(groups);

        QVERIFY(!text.contains(' ') && !text.contains('\n'));
        QVERIFY(text.startsWith("[{") && text.endsWith("}]"));
        QVERIFY(text.contains("\"0F8FAD5B-D9CB-469F-A165-70867728950E\""));
        QVERIFY(text.contains("\"7C9E6679-7425-40DE-944B-E07FC1F90AE7\""));
        QVERIFY(text.contains("\"bookmarkData\":\"+\\/8=\""));
        QVERIFY(text.contains(QStringLiteral("\"Küche\\/Bad\"").toUtf8())); // non-ASCII raw, slash escaped
        QVERIFY(!text.contains("\\u"));
        QCOMPARE(text.count('/'), text.count("\\/"));
        QCOMPARE(NookCodec::encode({}), QByteArray("[]"));
    }

    void roundTripsAwkwardValues() {
        const QList<NookGroup> groups = {
            {QUuid::createUuid(),
             QStringLiteral("a/b \"quoted\" back\\slash"),
             {item(QStringLiteral("Ünïcødé 日本語 🙂")), item(QString()),
              item(QStringLiteral("tab\tnew\nline"), {})}},
            {QUuid::createUuid(), QString(), {}},
            {QUuid::createUuid(),
             QStringLiteral("  blanks  "),
             {item(QStringLiteral("/"), QByteArray(300, '\xff'))}},
        };
        QString error;
        const auto decoded = NookCodec::decode(NookCodec::encode(groups), &error);
        QVERIFY2(decoded, qPrintable(error));
        QCOMPARE(*decoded, groups);
        QCOMPARE(NookCodec::decode("[]"), QList<NookGroup>());
    }

    // The fast writer gives the bytes a JSON document gives, with every "/" escaped.
    void writesWhatADocumentWrites_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("controls") << QStringLiteral("a\x01\x1f\x7f\b\f\r\n\t") + QChar(0) + u'z';
        QTest::newRow("quotes and slashes") << QStringLiteral("\"/\\//");
        QTest::newRow("non-ASCII") << QStringLiteral("Ünïcødé 日本語 🙂 \u2028");
        QTest::newRow("lone surrogates") << QString(QChar(0xd800)) + u'x' + QChar(0xdc00) + QChar(0xd83d);
    }
    void writesWhatADocumentWrites() {
        QFETCH(QString, name);
        const QList<NookGroup> groups = {{QUuid::createUuid(), name, {item(name), item(QStringLiteral("b"))}},
                                         {QUuid::createUuid(), QString(), {}}};
        QJsonArray array;
        for (const NookGroup& group : groups) {
            QJsonArray items;
            for (const NookItem& each : group.items)
                items.append(QJsonObject{
                    {QStringLiteral("id"), NookCodec::uuidText(each.id)},
                    {QStringLiteral("name"), each.name},
                    {QStringLiteral("bookmarkData"), QString::fromLatin1(each.bookmarkData.toBase64())}});
            array.append(QJsonObject{{QStringLiteral("id"), NookCodec::uuidText(group.id)},
                                     {QStringLiteral("name"), group.name},
                                     {QStringLiteral("items"), items}});
        }
        const QByteArray expected = QJsonDocument(array).toJson(QJsonDocument::Compact).replace('/', "\\/");
        QCOMPARE(NookCodec::encode(groups), expected);
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
                groups.append(NookGroup{id(n), QStringLiteral("g%1").arg(n), {}});
            else
                groups.last().items.append(NookItem{id(n), QStringLiteral("i%1").arg(n), "/x"});
        }
        int renewed = -1;
        const auto decoded = NookCodec::decode(NookCodec::encode(groups), nullptr, &renewed);
        QVERIFY(decoded);
        QTEST(renewed, "renewed");
        QSet<QUuid> ids;
        int kept = 0, count = 0;
        for (qsizetype g = 0; g < groups.size(); ++g) {
            const NookGroup& read = decoded->at(g);
            QCOMPARE(read.name, groups.at(g).name);
            ids.insert(read.id);
            kept += read.id == groups.at(g).id;
            ++count;
            for (qsizetype i = 0; i < read.items.size(); ++i) {
                QCOMPARE(read.items.at(i).name, groups.at(g).items.at(i).name);
                QCOMPARE(read.items.at(i).bookmarkData, groups.at(g).items.at(i).bookmarkData);
                ids.insert(read.items.at(i).id);
                kept += read.items.at(i).id == groups.at(g).items.at(i).id;
                ++count;
            }
        }
        QCOMPARE(ids.size(), count);
        QCOMPARE(kept, count - renewed);
        QCOMPARE(decoded->first().id, groups.first().id); // the first holder keeps its id
    }

    void readsTheOtherPlatformsForm() {
        // Keys in another order, lower-case UUIDs, an unknown key, escaped slashes, no trailing newline.
        const QByteArray foreign =
            "[{\"items\":[{\"bookmarkData\":\"Ym9vL\\/8=\",\"name\":\"Report\",\"id\":"
            "\"7c9e6679-7425-40de-944b-e07fc1f90ae7\",\"extra\":1}],\"name\":\"Work\\/Home\","
            "\"id\":\"0f8fad5b-d9cb-469f-a165-70867728950e\",\"colour\":\"red\"}]";
        const auto groups = NookCodec::decode(foreign);
        QVERIFY(groups);
        QCOMPARE(groups->size(), 1);
        const NookGroup& group = groups->first();
        QCOMPARE(group.name, QStringLiteral("Work/Home"));
        QCOMPARE(group.id, QUuid::fromString(QStringLiteral("0f8fad5b-d9cb-469f-a165-70867728950e")));
        QCOMPARE(group.items.size(), 1);
        QCOMPARE(group.items.first().bookmarkData, QByteArray("boo/\xff", 5));

        const QByteArray ours = NookCodec::encode(*groups);
        QVERIFY(!ours.contains("extra") && !ours.contains("colour"));
        QVERIFY(ours.contains("7C9E6679-7425-40DE-944B-E07FC1F90AE7"));
        QCOMPARE(NookCodec::decode(ours), groups);
    }

    void rejectsMalformedFiles_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("mentions");
        const QByteArray gid = "\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\"";
        const QByteArray iid = "\"id\":\"7C9E6679-7425-40DE-944B-E07FC1F90AE7\"";
        const auto file = [&](const QByteArray& itemBody) {
            return "[{" + gid + ",\"name\":\"G\",\"items\":[{" + itemBody + "}]}]";
        };
        QTest::newRow("empty file") << QByteArray() << "empty";
        QTest::newRow("not JSON") << QByteArray("nooks") << "JSON";
        QTest::newRow("truncated") << file(iid + ",\"name\":\"a\",\"bookmarkData\":\"\"").chopped(2)
                                   << "JSON";
        QTest::newRow("top-level object") << QByteArray("{}") << "object";
        QTest::newRow("group is a string") << QByteArray("[\"G\"]") << "group 1";
        QTest::newRow("group without items") << "[{" + gid + ",\"name\":\"G\"}]"
                                             << "\"items\"";
        QTest::newRow("group without name") << "[{" + gid + ",\"items\":[]}]"
                                            << "\"name\"";
        QTest::newRow("items null") << "[{" + gid + ",\"name\":\"G\",\"items\":null}]"
                                    << "null";
        QTest::newRow("bookmarkData missing") << file(iid + ",\"name\":\"a\"") << "item 1";
        QTest::newRow("bookmarkData null") << file(iid + ",\"name\":\"a\",\"bookmarkData\":null") << "null";
        QTest::newRow("bookmarkData number") << file(iid + ",\"name\":\"a\",\"bookmarkData\":5") << "number";
        QTest::newRow("bookmarkData not Base64")
            << file(iid + ",\"name\":\"a\",\"bookmarkData\":\"a*b=\"") << "Base64";
        QTest::newRow("bookmarkData unpadded")
            << file(iid + ",\"name\":\"a\",\"bookmarkData\":\"YWI\"") << "Base64";
        QTest::newRow("bookmarkData non-ASCII")
            << file(iid + ",\"name\":\"a\",\"bookmarkData\":\"YW\xc3\xa4=\"") << "Base64";
        QTest::newRow("name number") << file(iid + ",\"name\":1,\"bookmarkData\":\"\"") << "\"name\"";
        QTest::newRow("id in braces")
            << file("\"id\":\"{7C9E6679-7425-40DE-944B-E07FC1F90AE7}\",\"name\":\"a\",\"bookmarkData\":\"\"")
            << "UUID";
        QTest::newRow("id without dashes")
            << file("\"id\":\"7C9E6679742540DE944BE07FC1F90AE7\",\"name\":\"a\",\"bookmarkData\":\"\"")
            << "UUID";
        QTest::newRow("id a letter too long")
            << file("\"id\":\"7C9E6679-7425-40DE-944B-E07FC1F90AE71\",\"name\":\"a\",\"bookmarkData\":\"\"")
            << "UUID";
        QTest::newRow("id a letter short")
            << file("\"id\":\"7C9E6679-7425-40DE-944B-E07FC1F90AE\",\"name\":\"a\",\"bookmarkData\":\"\"")
            << "UUID";
        QTest::newRow("id not hex")
            << file("\"id\":\"7C9E6679-7425-40DE-944B-E07FC1F90AEZ\",\"name\":\"a\",\"bookmarkData\":\"\"")
            << "UUID";
        QTest::newRow("group id missing") << QByteArray("[{\"name\":\"G\",\"items\":[]}]") << "\"id\"";
    }

    void rejectsMalformedFiles() {
        QFETCH(QByteArray, text);
        QFETCH(QString, mentions);
        QString error;
        QVERIFY(!NookCodec::decode(text, &error));
        QVERIFY2(error.contains(mentions), qPrintable(error));
        QVERIFY(!error.contains(QLatin1Char('\n')));
    }

    void describesWhereTheFaultIs() {
        const QByteArray gid = "\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\"";
        const QByteArray good =
            "{\"id\":\"7C9E6679-7425-40DE-944B-E07FC1F90AE7\",\"name\":\"a\",\"bookmarkData\":\"\"}";
        const QByteArray text = "[{" + gid + ",\"name\":\"One\",\"items\":[]},{" + gid +
                                ",\"name\":\"Two\",\"items\":[" + good +
                                ",{\"id\":\"x\",\"name\":\"b\",\"bookmarkData\":\"\"}]}]";
        QString error;
        QVERIFY(!NookCodec::decode(text, &error));
        QVERIFY2(error.contains(QStringLiteral("group 2 (\"Two\"), item 2")), qPrintable(error));
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestNookCodec)
#include "tst_nookcodec.moc"
