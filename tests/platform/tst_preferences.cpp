#include "TestEnvironment.h"
#include "platform/Preferences.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

class TestPreferences : public QObject {
    Q_OBJECT

    QString m_path;
    std::unique_ptr<Preferences> m_prefs;

    // The same file as another program would write or read it.
    std::unique_ptr<QSettings> file() const {
        return std::make_unique<QSettings>(m_path, QSettings::IniFormat);
    }

private slots:
    void init() {
        m_path =
            QDir::home().filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + u"/Tuckaway.conf"_s);
        m_prefs = std::make_unique<Preferences>(m_path);
    }

    // Defaults are read, not written. Each setter writes its key at once (also a value equal to the default:
    // the user chose it) and tells readers only of a change (the panel's size follows one: see its tests).
    // The folder and file are the user's alone, whatever the umask.
    void settersWriteAndSignalOnlyChanges() {
        const mode_t umask = ::umask(0);
        const auto restore = qScopeGuard([umask] { ::umask(umask); });
        QCOMPARE(m_prefs->columns(), Preferences::kDefaultColumns);
        QCOMPARE(m_prefs->iconSize(), Preferences::kDefaultIconSize);
        QCOMPARE(m_prefs->panelHeight(), Preferences::kDefaultPanelHeight);
        QCOMPARE(m_prefs->launchAtLogin(), false);
        QCOMPARE(m_prefs->previews(), true);
        QVERIFY(file()->allKeys().isEmpty());

        QSignalSpy columns(m_prefs.get(), &Preferences::columnsChanged);
        QSignalSpy login(m_prefs.get(), &Preferences::launchAtLoginChanged);
        QSignalSpy previews(m_prefs.get(), &Preferences::previewsChanged);
        m_prefs->setPreviews(false);
        m_prefs->setPreviews(false);
        m_prefs->setColumns(5);
        m_prefs->setColumns(5);
        m_prefs->setPanelHeight(600);
        m_prefs->setLaunchAtLogin(false);
        const QUuid nook = QUuid::createUuid();
        m_prefs->setCurrentNook(nook);
        QCOMPARE(columns.count(), 1);
        QCOMPARE(login.count(), 1);
        QCOMPARE(previews.count(), 1);

        const auto stored = file();
        QCOMPARE(stored->value(Preferences::kColumns).toInt(), 5);
        QCOMPARE(stored->value(Preferences::kPanelHeight).toDouble(), 600.0);
        QVERIFY(stored->contains(Preferences::kLaunchAtLogin));
        QCOMPARE(Preferences(m_path).previews(), false);
        QCOMPARE(Preferences(m_path).currentNook(), nook);
        struct stat conf = {}, folder = {};
        ::stat(QFile::encodeName(m_path).constData(), &conf);
        ::stat(QFile::encodeName(QFileInfo(m_path).path()).constData(), &folder);
        QCOMPARE(std::pair(conf.st_mode & 0777, folder.st_mode & 0777), std::pair(0600u, 0700u));
    }

    // Hand-edited values that could not size a panel read as the default.
    void effectiveValuesReplaceWhatCannotSizeAPanel_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<double>("effective");
        QTest::newRow("columns 0") << Preferences::kColumns << QVariant(0) << 4.0;
        QTest::newRow("columns text") << Preferences::kColumns << QVariant(u"many"_s) << 4.0;
        QTest::newRow("columns 1 kept") << Preferences::kColumns << QVariant(1) << 1.0;
        QTest::newRow("icon size 0") << Preferences::kIconSize << QVariant(0) << 52.0;
        QTest::newRow("icon size small kept") << Preferences::kIconSize << QVariant(0.5) << 0.5;
        QTest::newRow("height 0") << Preferences::kPanelHeight << QVariant(0) << 440.0;
        QTest::newRow("height above the range kept") << Preferences::kPanelHeight << QVariant(1000) << 1000.0;
    }
    void effectiveValuesReplaceWhatCannotSizeAPanel() {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        file()->setValue(key, stored);
        const double read = key == QLatin1String(Preferences::kColumns)    ? m_prefs->effectiveColumns()
                            : key == QLatin1String(Preferences::kIconSize) ? m_prefs->effectiveIconSize()
                                                                           : m_prefs->effectivePanelHeight();
        QTEST(read, "effective");
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
