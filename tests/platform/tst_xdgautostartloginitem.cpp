// GLib first: its headers use names that Qt defines as macros.
#include <glib.h>

#include "TestEnvironment.h"
#include "platform/xdg/XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>

namespace {

// A key of the entry as a session manager reads it.
QString readKey(const char* key) {
    g_autoptr(GKeyFile) file = g_key_file_new();
    const QByteArray path = QFile::encodeName(XdgAutostartLoginItem::entryPath());
    g_key_file_load_from_file(file, path.constData(), G_KEY_FILE_NONE, nullptr);
    g_autofree gchar* text = g_key_file_get_string(file, G_KEY_FILE_DESKTOP_GROUP, key, nullptr);
    return QString::fromUtf8(text);
}

// The program the Exec key starts: split like a shell, then field codes expanded. "%%" is a
// percent sign; any other "%" starts a field code, which the path must not hold.
QStringList execArguments() {
    QStringList arguments;
    g_auto(GStrv) argv = nullptr;
    if (!g_shell_parse_argv(readKey("Exec").toUtf8().constData(), nullptr, &argv, nullptr))
        return arguments;
    for (gchar** arg = argv; *arg; ++arg) {
        QString text = QString::fromUtf8(*arg);
        arguments << (QString(text).remove(QStringLiteral("%%")).contains(u'%')
                          ? QStringLiteral("(a field code)")
                          : text.replace(QStringLiteral("%%"), QStringLiteral("%")));
    }
    return arguments;
}

} // namespace

using namespace Qt::StringLiterals;

class TestXdgAutostartLoginItem : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    QByteArray m_path = qgetenv("PATH");

    QString makeExecutable(const QString& relative) const {
        const QString path = m_env->makeFile(relative);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() {
        qputenv("PATH", m_path);
        m_env.reset();
    }

    // What the entry starts: the program by its name when PATH leads to this very program (here through a
    // link), else by its full path, quoted so that a session manager splits and expands it back to that path.
    void registersAnEntryThatStartsUs_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("onPath"); // "link", "other" or nothing
        QTest::newRow("not on PATH") << u"bin"_s << QString();
        QTest::newRow("linked on PATH") << u"bin"_s << u"link"_s;
        QTest::newRow("another of its name on PATH") << u"bin"_s << u"other"_s;
        QTest::newRow("unusual path") << u"My \"Apps\" 100% $HOME a\\\"b `y`"_s << QString();
    }
    void registersAnEntryThatStartsUs() {
        QFETCH(QString, folder);
        QFETCH(QString, onPath);
        const QString program = makeExecutable(folder + u"/tuckaway"_s);
        const QString bin = m_env->makeFolder(u"path-bin"_s);
        if (onPath == u"link")
            QVERIFY(QFile::link(program, bin + u"/tuckaway"_s));
        else if (onPath == u"other")
            makeExecutable(u"path-bin/tuckaway"_s);
        qputenv("PATH", QFile::encodeName(bin));
        const mode_t umask = ::umask(0); // the entry and its folder are the user's alone all the same
        const auto restore = qScopeGuard([umask] { ::umask(umask); });
        XdgAutostartLoginItem item(program);
        QCOMPARE(item.status(), LoginItemStatus::NotRegistered);
        QVERIFY(item.unregisterItem()); // nothing to remove is no failure

        QVERIFY(item.registerItem());
        QVERIFY(item.registerItem()); // again: replaced in place, no temporary file left
        QCOMPARE(item.status(), LoginItemStatus::Enabled);
        QCOMPARE(QStringList({readKey("Type"), readKey("Name"), readKey("Icon"),
                              readKey("X-GNOME-Autostart-enabled")}),
                 QStringList({u"Application"_s, u"Tuckaway"_s, u"org.tuckaway.Tuckaway"_s, u"true"_s}));
        QCOMPARE(execArguments(), QStringList{onPath == u"link" ? u"tuckaway"_s : program});
        QCOMPARE(QDir(m_env->configHome() + u"/autostart"_s).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"org.tuckaway.Tuckaway.desktop"_s});
        struct stat entry = {}, autostart = {};
        ::stat(QFile::encodeName(XdgAutostartLoginItem::entryPath()).constData(), &entry);
        ::stat(QFile::encodeName(m_env->configHome() + u"/autostart"_s).constData(), &autostart);
        QCOMPARE(std::pair(entry.st_mode & 0777, autostart.st_mode & 0777), std::pair(0600u, 0700u));

        QVERIFY(item.unregisterItem());
        QCOMPARE(item.status(), LoginItemStatus::NotRegistered);
    }

    // An entry another tool left is read as a session manager would; turning it on replaces it with ours.
    void readsAnEntryFromAnotherTool_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<LoginItemStatus>("status");
        using enum LoginItemStatus;
        const QByteArray head = "[Desktop Entry]\nType=Application\nName=Tuckaway\nExec=tuckaway\n";
        QTest::newRow("hidden") << head + "Hidden=true\n" << Disabled;
        QTest::newRow("switched off") << head + "X-GNOME-Autostart-enabled=false\n" << Disabled;
        QTest::newRow("not a desktop entry") << QByteArray("just some text\n") << Disabled;
        QTest::newRow("other group only") << QByteArray("[Something]\nExec=x\n") << Disabled;
        QTest::newRow("explicitly on") << head + "Hidden=false\nX-GNOME-Autostart-enabled=true\n" << Enabled;
        QTest::newRow("malformed flag counts as unset") << head + "Hidden=maybe\n" << Enabled;
    }
    void readsAnEntryFromAnotherTool() {
        QFETCH(QByteArray, content);
        m_env->makeFile(u".config/autostart/org.tuckaway.Tuckaway.desktop"_s, content);
        XdgAutostartLoginItem item(makeExecutable(u"bin/tuckaway"_s));
        QTEST(item.status(), "status");
        QVERIFY(item.registerItem());
        QCOMPARE(item.status(), LoginItemStatus::Enabled);
        QCOMPARE(readKey("Hidden"), QString());
    }

    // Failures are reported, also to root.
    void failuresAreReported() {
        XdgAutostartLoginItem item(makeExecutable(u"bin/tuckaway"_s));
        // A file where the autostart folder belongs.
        m_env->makeFile(u".config/autostart"_s, "not a folder");
        QVERIFY(!item.registerItem());
        QCOMPARE(item.status(), LoginItemStatus::NotRegistered);
        QVERIFY(QFile::remove(m_env->configHome() + u"/autostart"_s));

        // A non-empty folder in the entry's place cannot be replaced or removed.
        m_env->makeFile(u".config/autostart/org.tuckaway.Tuckaway.desktop/keep"_s);
        QCOMPARE(item.status(), LoginItemStatus::Disabled);
        QVERIFY(!item.registerItem());
        QVERIFY(!item.unregisterItem());
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestXdgAutostartLoginItem)
#include "tst_xdgautostartloginitem.moc"
