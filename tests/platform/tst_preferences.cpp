#include "Preferences.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

class TestPreferences : public QObject {
    Q_OBJECT

    QSettings m_file{QStringLiteral("Tuckaway"), QStringLiteral("Tuckaway")};
    Preferences& prefs = Preferences::instance();

    void writeRaw(const QString& key, const QVariant& value) {
        m_file.setValue(key, value);
        m_file.sync();
        prefs.reload();
    }

private slots:
    void init() {
        m_file.clear();
        m_file.sync();
        prefs.reload();
    }

    void readsDefaultsWithoutWritingThem() {
        QCOMPARE(prefs.columns(), 4);
        QCOMPARE(prefs.iconSize(), 52.0);
        QCOMPARE(prefs.panelHeight(), 440.0);
        QCOMPARE(prefs.launchAtLogin(), false);
        QCOMPARE(prefs.frameWidth(), 360.0);
        m_file.sync();
        QVERIFY(m_file.allKeys().isEmpty());
    }

    void settersWriteTheFileAndSignalOnlyChanges() {
        QSignalSpy columns(&prefs, &Preferences::columnsChanged);
        QSignalSpy height(&prefs, &Preferences::panelHeightChanged);
        prefs.setColumns(5);
        prefs.setColumns(5);
        prefs.setPanelHeight(600);
        QCOMPARE(columns.count(), 1);
        QCOMPARE(columns.first().first().toInt(), 5);
        QCOMPARE(height.count(), 1);

        // Writing the default value explicitly still stores the key (the user chose it).
        prefs.setLaunchAtLogin(false);
        m_file.sync();
        QCOMPARE(m_file.value(QStringLiteral("columns")).toInt(), 5);
        QCOMPARE(m_file.value(QStringLiteral("panelHeight")).toDouble(), 600.0);
        QVERIFY(m_file.contains(QStringLiteral("launchAtLogin")));
        QVERIFY(QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") +
                              QStringLiteral("/Tuckaway/Tuckaway.conf")));
    }

    void panelGeometryFollowsTheValues() {
        prefs.setColumns(6);
        prefs.setIconSize(64);
        QCOMPARE(prefs.frameWidth(), 592.0); // 5 * 8 + 84 * 6 + 48
        prefs.setColumns(5);
        QCOMPARE(prefs.frameWidth(), 500.0);
    }

    void replacesValuesThatCannotSizeAPanel_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("columns 0") << "columns" << QVariant(0);
        QTest::newRow("columns negative") << "columns" << QVariant(-3);
        QTest::newRow("columns text") << "columns" << QVariant(QStringLiteral("many"));
        QTest::newRow("iconSize 0") << "iconSize" << QVariant(0);
        QTest::newRow("panelHeight negative") << "panelHeight" << QVariant(-1);
    }

    void replacesValuesThatCannotSizeAPanel() {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        writeRaw(key, stored);
        QCOMPARE(prefs.effectiveColumns(), 4);
        QCOMPARE(prefs.cellWidth(), 72.0);
        QCOMPARE(prefs.effectiveIconSize(), 52.0);
        QCOMPARE(prefs.effectivePanelHeight(), 440.0);
        QCOMPARE(prefs.frameWidth(), 360.0);
    }

    void reloadTellsReadersOfOutsideChanges() {
        QSignalSpy icon(&prefs, &Preferences::iconSizeChanged);
        QSignalSpy columns(&prefs, &Preferences::columnsChanged);
        writeRaw(QStringLiteral("iconSize"), 40);
        QCOMPARE(icon.count(), 1);
        QCOMPARE(columns.count(), 0);
        QCOMPARE(prefs.iconSize(), 40.0);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
