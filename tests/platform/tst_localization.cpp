#include "Localization.h"
#include "TestEnvironment.h"

#include <QtTest>

// Every id the program looks up must have a text in both catalogs.
class TestLocalization : public QObject {
    Q_OBJECT

    static QStringList ids() {
        return {QStringLiteral("action.open"),
                QStringLiteral("action.remove"),
                QStringLiteral("action.rename"),
                QStringLiteral("action.create"),
                QStringLiteral("action.cancel"),
                QStringLiteral("alert.new_group.title"),
                QStringLiteral("group.rename_placeholder"),
                QStringLiteral("group.default_name"),
                QStringLiteral("settings.launch_at_login"),
                QStringLiteral("settings.panel_height"),
                QStringLiteral("settings.columns"),
                QStringLiteral("settings.icon_size"),
                QStringLiteral("settings.window_title"),
                QStringLiteral("tray.settings"),
                QStringLiteral("tray.quit")};
    }

private slots:
    void everyIdHasAnEnglishText() {
        Localization::install(QLocale(QLocale::English, QLocale::UnitedStates));
        for (const QString& id : ids()) {
            const QString text = qtTrId(id.toLatin1().constData());
            QVERIFY2(!text.isEmpty() && text != id, qPrintable(id));
        }
        QCOMPARE(qtTrId("action.open"), QStringLiteral("Open"));
        QVERIFY(qtTrId("settings.window_title").contains(QLatin1String("Settings")));
    }

    void germanLocalesGetTheGermanCatalog() {
        for (const QLocale& locale :
             {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::German, QLocale::Austria)}) {
            Localization::install(locale);
            QCOMPARE(qtTrId("action.open"), QStringLiteral("Öffnen"));
            QVERIFY(qtTrId("settings.window_title").contains(QLatin1String("Einstellungen")));
            for (const QString& id : ids())
                QVERIFY2(qtTrId(id.toLatin1().constData()) != id, qPrintable(id));
        }
    }

    void otherLocalesFallBackToEnglish() {
        Localization::install(QLocale(QLocale::German));
        Localization::install(QLocale(QLocale::Japanese, QLocale::Japan));
        QCOMPARE(qtTrId("action.remove"), QStringLiteral("Remove"));
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestLocalization)
#include "tst_localization.moc"
