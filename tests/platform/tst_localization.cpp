#include "TestEnvironment.h"
#include "platform/Localization.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtTest>

namespace {
// id -> translation of one catalog.
QMap<QString, QString> catalog(const QString& language) {
    QFile file(QStringLiteral(TRANSLATIONS_DIR "/tuckaway_%1.ts").arg(language));
    QMap<QString, QString> texts;
    file.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&file);
    QString id;
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (xml.name() == QLatin1String("message"))
            id = xml.attributes().value(QLatin1String("id")).toString();
        else if (xml.name() == QLatin1String("translation"))
            texts.insert(id, xml.readElementText());
    }
    return texts;
}

// Every message id the program names in its sources: a text literal of dotted words that
// starts like the ids of the catalog (not only in qtTrId calls: some are handed on first).
QSet<QString> idsInUse(const QMap<QString, QString>& catalog) {
    QSet<QString> kinds;
    for (const QString& id : catalog.keys())
        kinds.insert(id.section(QLatin1Char('.'), 0, 0));
    static const QRegularExpression literal(QStringLiteral(R"re("((?:[a-z_]+\.)+[a-z_]+)")re"));
    QSet<QString> ids;
    QDirIterator files(QStringLiteral(SOURCE_DIR), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        file.open(QIODevice::ReadOnly);
        const QString text = QString::fromUtf8(file.readAll());
        if (!text.contains(QLatin1String("qtTrId")) && !text.contains(QLatin1String("QT_TRID_NOOP")))
            continue;
        for (const auto& match : literal.globalMatch(text)) {
            if (kinds.contains(match.captured(1).section(QLatin1Char('.'), 0, 0)))
                ids.insert(match.captured(1));
        }
    }
    return ids;
}
} // namespace

// The catalogs hold a text for every id the program uses, and the right one is installed.
class TestLocalization : public QObject {
    Q_OBJECT
private slots:
    void everyIdInUseHasATextInEveryCatalog_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("English") << "en" << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("German") << "de" << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("Austrian German") << "de" << QLocale(QLocale::German, QLocale::Austria);
        QTest::newRow("Japanese falls back to English") << "en" << QLocale(QLocale::Japanese, QLocale::Japan);
    }
    void everyIdInUseHasATextInEveryCatalog() {
        QFETCH(QString, language);
        QFETCH(QLocale, locale);
        const QMap<QString, QString> texts = catalog(language);
        const QSet<QString> ids = idsInUse(catalog(QStringLiteral("en")));
        QVERIFY(ids.size() > 20);
        Localization::install(QLocale(QLocale::German)); // the catalog before is replaced
        Localization::install(locale);
        for (const QString& id : ids) {
            QVERIFY2(!texts.value(id).isEmpty(), qPrintable(id));
            QCOMPARE(qtTrId(id.toLatin1().constData()), texts.value(id));
        }
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestLocalization)
#include "tst_localization.moc"
