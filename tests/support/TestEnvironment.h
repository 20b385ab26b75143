#pragma once

#include <QTemporaryDir>

// Points HOME and the XDG folders at a fresh temporary folder for as long as it lives,
// so a test never reads or writes the real user's files. The folder goes with it.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    QString home() const { return m_dir.path(); }
    QString dataHome() const { return home() + QLatin1String("/.local/share"); }
    QString configHome() const { return home() + QLatin1String("/.config"); }
    // Creates a file (and its folders) below home with the given content; returns its path.
    QString makeFile(const QString& relativePath, const QByteArray& content = "x") const;
    QString makeFolder(const QString& relativePath) const;
    // Points the session bus at nothing, so nothing asks the user's desktop services (a test that
    // wants a bus starts its own).
    void withoutSessionBus() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_saved[6];
};

// Like QTEST_MAIN / QTEST_GUILESS_MAIN, with one TestEnvironment around the whole run.
#define TUCKAWAY_TEST_MAIN_IMPL(TestObject, AppType)                                                         \
    int main(int argc, char** argv) {                                                                        \
        TestEnvironment environment;                                                                         \
        environment.withoutSessionBus();                                                                     \
        AppType app(argc, argv);                                                                             \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
#define TUCKAWAY_TEST_GUILESS_MAIN(TestObject) TUCKAWAY_TEST_MAIN_IMPL(TestObject, QCoreApplication)
#define TUCKAWAY_TEST_GUI_MAIN(TestObject) TUCKAWAY_TEST_MAIN_IMPL(TestObject, QGuiApplication)
#define TUCKAWAY_TEST_WIDGETS_MAIN(TestObject) TUCKAWAY_TEST_MAIN_IMPL(TestObject, QApplication)
