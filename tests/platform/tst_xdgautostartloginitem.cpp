// GLib first: its headers use names that Qt defines as macros.
#include <glib.h>

#include "TestEnvironment.h"
#include "platform/xdg/XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <csignal>

#include <sys/resource.h>

namespace {

QString autostartFolder() {
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart");
}

// The entry as a session manager reads it.
QString readKey(const QString& path, const char* key) {
    GKeyFile* file = g_key_file_new();
    QString value;
    if (g_key_file_load_from_file(file, QFile::encodeName(path).constData(), G_KEY_FILE_NONE, nullptr)) {
        if (gchar* text = g_key_file_get_string(file, G_KEY_FILE_DESKTOP_GROUP, key, nullptr)) {
            value = QString::fromUtf8(text);
            g_free(text);
        }
    }
    g_key_file_free(file);
    return value;
}

// The program an Exec value starts: split like a shell, then field codes expanded.
QStringList execArguments(const QString& exec) {
    QStringList arguments;
    gchar** argv = nullptr;
    if (g_shell_parse_argv(exec.toUtf8().constData(), nullptr, &argv, nullptr)) {
        for (gchar** arg = argv; *arg; ++arg)
            arguments << QString::fromUtf8(*arg).replace(QStringLiteral("%%"), QStringLiteral("%"));
        g_strfreev(argv);
    }
    return arguments;
}

QString makeExecutable(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\n");
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

class PathOverride {
public:
    explicit PathOverride(const QString& path)
        : m_saved(qgetenv("PATH")) {
        qputenv("PATH", QFile::encodeName(path));
    }
    ~PathOverride() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
};

} // namespace

class TestXdgAutostartLoginItem : public QObject {
    Q_OBJECT
private slots:
    void registerStatusUnregisterRoundTrip();
    void entryFromAnotherTool_data();
    void entryFromAnotherTool();
    void execStartsTheInstalledProgram();
    void execSurvivesUnusualPaths();
    void failuresAreReported();
};

void TestXdgAutostartLoginItem::registerStatusUnregisterRoundTrip() {
    TestEnvironment environment;
    const QString program = makeExecutable(environment.home() + QStringLiteral("/bin/tuckaway"));
    XdgAutostartLoginItem item(program);
    const QString entry = autostartFolder() + QStringLiteral("/org.tuckaway.Tuckaway.desktop");
    QCOMPARE(XdgAutostartLoginItem::entryPath(), entry);

    QCOMPARE(item.status(), LoginItemStatus::NotRegistered);
    QVERIFY(item.unregisterItem()); // nothing to remove is no failure

    QVERIFY(item.registerItem());
    QCOMPARE(item.status(), LoginItemStatus::Enabled);
    QCOMPARE(readKey(entry, "Type"), QStringLiteral("Application"));
    QCOMPARE(readKey(entry, "Name"), QStringLiteral("Tuckaway"));
    QCOMPARE(readKey(entry, "Icon"), QStringLiteral("org.tuckaway.Tuckaway"));
    QCOMPARE(readKey(entry, "X-GNOME-Autostart-enabled"), QStringLiteral("true"));
    QCOMPARE(execArguments(readKey(entry, "Exec")), QStringList{program});

    // Registering again replaces the entry in place and leaves no temporary file behind.
    QVERIFY(item.registerItem());
    QCOMPARE(QDir(autostartFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("org.tuckaway.Tuckaway.desktop")});

    QVERIFY(item.unregisterItem());
    QVERIFY(!QFileInfo::exists(entry));
    QCOMPARE(item.status(), LoginItemStatus::NotRegistered);
}

void TestXdgAutostartLoginItem::entryFromAnotherTool_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<LoginItemStatus>("status");
    const QByteArray head = "[Desktop Entry]\nType=Application\nName=Tuckaway\nExec=tuckaway\n";
    QTest::newRow("hidden") << head + "Hidden=true\n" << LoginItemStatus::Disabled;
    QTest::newRow("switched off") << head + "X-GNOME-Autostart-enabled=false\n" << LoginItemStatus::Disabled;
    QTest::newRow("not a desktop entry") << QByteArray("just some text\n") << LoginItemStatus::Disabled;
    QTest::newRow("other group only")
        << QByteArray("[Something]\nExec=tuckaway\n") << LoginItemStatus::Disabled;
    QTest::newRow("explicitly on") << head + "Hidden=false\nX-GNOME-Autostart-enabled=true\n"
                                   << LoginItemStatus::Enabled;
    QTest::newRow("malformed flag counts as unset") << head + "Hidden=maybe\n" << LoginItemStatus::Enabled;
}

void TestXdgAutostartLoginItem::entryFromAnotherTool() {
    QFETCH(QByteArray, content);
    QFETCH(LoginItemStatus, status);
    TestEnvironment environment;
    const QString entry =
        environment.makeFile(QStringLiteral(".config/autostart/org.tuckaway.Tuckaway.desktop"), content);
    XdgAutostartLoginItem item(makeExecutable(environment.home() + QStringLiteral("/bin/tuckaway")));

    QCOMPARE(item.status(), status);

    // Turning it on replaces whatever was there with an entry that starts us.
    QVERIFY(item.registerItem());
    QCOMPARE(item.status(), LoginItemStatus::Enabled);
    QCOMPARE(readKey(entry, "Hidden"), QString());

    QVERIFY(item.unregisterItem());
    QCOMPARE(item.status(), LoginItemStatus::NotRegistered);
}

void TestXdgAutostartLoginItem::execStartsTheInstalledProgram() {
    TestEnvironment environment;
    const QString program = makeExecutable(environment.home() + QStringLiteral("/opt/tuckaway/bin/tuckaway"));
    XdgAutostartLoginItem item(program);

    {
        const QString emptyBin = environment.makeFolder(QStringLiteral("empty-bin"));
        PathOverride path(emptyBin);
        QCOMPARE(item.execValue(), program);
    }
    {
        // The name on PATH leads to this very program (through a link): start it by name.
        const QString bin = environment.makeFolder(QStringLiteral("linked-bin"));
        QVERIFY(QFile::link(program, bin + QStringLiteral("/tuckaway")));
        PathOverride path(bin);
        QCOMPARE(item.execValue(), QStringLiteral("tuckaway"));
    }
    {
        // Another program of that name comes first on PATH: the entry must not start it.
        const QString other = makeExecutable(environment.home() + QStringLiteral("/other-bin/tuckaway"));
        PathOverride path(QFileInfo(other).path());
        QCOMPARE(item.execValue(), program);
    }
}

void TestXdgAutostartLoginItem::execSurvivesUnusualPaths() {
    TestEnvironment environment;
    const QString program =
        makeExecutable(environment.home() + QStringLiteral("/My \"Apps\" 100% $HOME a\\\"b `y`/tuckaway"));
    const QString emptyBin = environment.makeFolder(QStringLiteral("empty-bin"));
    PathOverride path(emptyBin);
    XdgAutostartLoginItem item(program);

    QVERIFY(item.registerItem());
    QCOMPARE(item.status(), LoginItemStatus::Enabled);
    QCOMPARE(execArguments(readKey(XdgAutostartLoginItem::entryPath(), "Exec")), QStringList{program});
}

void TestXdgAutostartLoginItem::failuresAreReported() {
    TestEnvironment environment;
    XdgAutostartLoginItem item(makeExecutable(environment.home() + QStringLiteral("/bin/tuckaway")));

    // A file where the autostart folder belongs: nothing can be written, even by root.
    environment.makeFile(QStringLiteral(".config/autostart"), "not a folder");
    QVERIFY(!item.registerItem());
    QCOMPARE(item.status(), LoginItemStatus::NotRegistered);
    QVERIFY(QFile::remove(autostartFolder()));

    // A non-empty folder in the entry's place cannot be replaced or removed, even by root.
    environment.makeFile(QStringLiteral(".config/autostart/org.tuckaway.Tuckaway.desktop/keep"));
    QCOMPARE(item.status(), LoginItemStatus::Disabled);
    QVERIFY(!item.registerItem());
    QVERIFY(!item.unregisterItem());
    QVERIFY(QFileInfo(XdgAutostartLoginItem::entryPath()).isDir());
    QVERIFY(QDir(XdgAutostartLoginItem::entryPath()).removeRecursively());

    // A full disk (here the file size limit) fails the write and leaves the old entry whole.
    const QByteArray old = "[Desktop Entry]\nType=Application\nName=Old\nExec=old\n";
    environment.makeFile(QStringLiteral(".config/autostart/org.tuckaway.Tuckaway.desktop"), old);
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit unlimited = limit;
    limit.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool registered = item.registerItem();
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    QVERIFY(!registered);
    QFile entry(XdgAutostartLoginItem::entryPath());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QCOMPARE(entry.readAll(), old);
}

TUCKAWAY_TEST_GUILESS_MAIN(TestXdgAutostartLoginItem)
#include "tst_xdgautostartloginitem.moc"
