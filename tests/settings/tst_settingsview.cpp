#include "FakeLoginItem.h"
#include "TestEnvironment.h"
#include "platform/GlobalShortcut.h"
#include "platform/Localization.h"
#include "platform/Preferences.h"
#include "platform/xdg/XdgAutostartLoginItem.h"
#include "settings/SegmentedControl.h"
#include "settings/SettingsView.h"
#include "settings/ToggleSwitch.h"

#include <QApplication>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(Preferences::Range)

namespace {

// Binds whatever it is given and answers with the status a test chose.
class FakeShortcut : public GlobalShortcut {
public:
    Status answer = Status::Bound;
    void bind(const QKeySequence& keys) override { setStatus(keys.isEmpty() ? Status::Off : answer); }
};

// Long texts for every settings label, as a wordy translation would give.
class WordyTranslator : public QTranslator {
public:
    QString translate(const char*, const char* id, const char*, int) const override {
        const QLatin1String key(id);
        if (key.startsWith(QLatin1String("settings.")) && !key.endsWith(QLatin1String("_value")))
            return QStringLiteral(
                "A very long label that no form could ever fit on one line of three hundred "
                "and twenty pixels, so it has to wrap");
        return {};
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestSettingsView : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    QString m_file;
    std::unique_ptr<Preferences> m_prefs;
    FakeLoginItem m_login;
    std::unique_ptr<SettingsView> m_view;

    // The settings file as another program sees it.
    QVariant stored(const char* key) const { return QSettings(m_file, QSettings::IniFormat).value(key); }
    QString storedFlag() const {
        const QVariant value = stored(Preferences::kLaunchAtLogin);
        return value.isValid() ? value.toString() : QStringLiteral("absent");
    }
    void showView() {
        m_view = std::make_unique<SettingsView>(m_login, *m_prefs);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    template <typename T> T* child(const char* name) const {
        return m_view->findChild<T*>(QLatin1String(name));
    }
    QString heightLine() const { return child<QLabel>("panelHeightValue")->text(); }

private slots:
    void initTestCase() { Localization::install(QLocale(QLocale::English)); }
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_file = m_env->configHome() + QStringLiteral("/settings.conf");
        m_prefs = std::make_unique<Preferences>(m_file);
        m_login = FakeLoginItem();
    }
    void cleanup() {
        m_view.reset();
        m_prefs.reset();
        m_env.reset();
    }

    // The switch shows the service's state each time the window shows; the stored flag
    // mirrors it, and stays absent while off and absent agree. A click asks the service once;
    // a refused change shows what the service says.
    void loginSwitch_data() {
        QTest::addColumn<LoginItemStatus>("service");
        QTest::addColumn<bool>("fail");
        QTest::addColumn<bool>("click");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("calls");
        using S = LoginItemStatus;
        QTest::newRow("off, shown") << S::NotRegistered << false << false << false << "absent" << 0;
        QTest::newRow("on elsewhere, shown") << S::Enabled << false << false << true << "true" << 0;
        QTest::newRow("turned on") << S::NotRegistered << false << true << true << "true" << 1;
        QTest::newRow("turned off") << S::Enabled << false << true << false << "false" << 1;
        QTest::newRow("turning on refused") << S::NotRegistered << true << true << false << "absent" << 1;
        QTest::newRow("turning off refused") << S::Enabled << true << true << true << "true" << 1;
    }
    void loginSwitch() {
        QFETCH(LoginItemStatus, service);
        QFETCH(bool, fail);
        QFETCH(bool, click);
        QFETCH(bool, checked);
        QFETCH(QString, stored);
        QFETCH(int, calls);
        m_login.current = service;
        m_login.failRegister = m_login.failUnregister = fail;
        showView();
        auto* toggle = child<ToggleSwitch>("launchAtLogin");
        if (click)
            QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(toggle->isChecked(), checked);
        QCOMPARE(m_login.registerCalls + m_login.unregisterCalls, calls);
        QCOMPARE(storedFlag(), stored);

        // Changed elsewhere while the window was closed: the next showing tells.
        m_view->hide();
        m_login.current = checked ? LoginItemStatus::Disabled : LoginItemStatus::Enabled;
        m_view->show();
        QCOMPARE(toggle->isChecked(), !checked);
        QCOMPARE(storedFlag(), checked ? QStringLiteral("false") : QStringLiteral("true"));
        QCOMPARE(m_login.registerCalls + m_login.unregisterCalls, calls);
    }

    void unwritableAutostartFolderLeavesTheSwitchOff() {
        m_env->makeFile(QStringLiteral(".config/autostart"), "in the way");
        XdgAutostartLoginItem item(QCoreApplication::applicationFilePath());
        SettingsView view(item, *m_prefs);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* toggle = view.findChild<ToggleSwitch*>(QStringLiteral("launchAtLogin"));
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!toggle->isChecked());
        QCOMPARE(item.status(), LoginItemStatus::NotRegistered);
    }

    // Each step the keys reach is written as it is reached, from one end to the other.
    void sliderStepsAreWrittenOneByOne_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Preferences::Range>("range");
        QTest::newRow("panel height")
            << QString::fromLatin1(Preferences::kPanelHeight) << Preferences::kPanelHeightRange;
        QTest::newRow("icon size") << QString::fromLatin1(Preferences::kIconSize)
                                   << Preferences::kIconSizeRange;
    }
    void sliderStepsAreWrittenOneByOne() {
        QFETCH(QString, name);
        QFETCH(Preferences::Range, range);
        showView();
        auto* slider = m_view->findChild<QSlider*>(name);
        const QByteArray key = name.toLatin1();
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Home);
        QList<double> written{stored(key).toDouble()};
        const int steps = int((range.maximum - range.minimum) / range.step);
        for (int i = 0; i < steps + 3; ++i) {
            QTest::keyClick(slider, Qt::Key_Right);
            if (stored(key).toDouble() != written.last())
                written << stored(key).toDouble();
        }
        QCOMPARE(written.size(), steps + 1);
        for (int i = 0; i <= steps; ++i)
            QCOMPARE(written.at(i), range.minimum + range.step * i);
        if (name == QLatin1String(Preferences::kPanelHeight))
            QCOMPARE(heightLine(), QStringLiteral("640 pt"));
    }

    // A drag writes every step as the pointer passes it, not only where it ends.
    void sliderDragWritesEveryStep() {
        showView();
        auto* slider = child<QSlider>("panelHeight");
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = option.sliderValue = slider->value();
        const QPoint from = slider->style()
                                ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
                                .center();
        const auto send = [slider](QEvent::Type type, QPoint pos, Qt::MouseButton button,
                                   Qt::MouseButtons held) {
            QMouseEvent event(type, pos, slider->mapToGlobal(pos), button, held, Qt::NoModifier);
            QApplication::sendEvent(slider, &event);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        QList<double> written;
        for (QPoint at = from; at.x() < slider->width() + 20; at.rx() += 3) {
            send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
            const double value = stored(Preferences::kPanelHeight).toDouble();
            if (value != 0 && (written.isEmpty() || written.last() != value))
                written << value;
        }
        send(QEvent::MouseButtonRelease, QPoint(slider->width(), from.y()), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(written, QList<double>({460, 480, 500, 520, 540, 560, 580, 600, 620, 640}));
    }

    void columnsAreWrittenByClickAndArrowKeys() {
        showView();
        auto* columns = child<SegmentedControl>("columns");
        QCOMPARE(columns->value(), 4);
        QSignalSpy changes(m_prefs.get(), &Preferences::columnsChanged);
        QTest::mouseClick(columns->segment(5), Qt::LeftButton);
        QCOMPARE(stored(Preferences::kColumns).toInt(), 5);
        QCOMPARE(changes.size(), 1);

        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        columns->segment(5)->setFocus();
        QTest::keyClick(columns->segment(5), Qt::Key_Left);
        QTest::keyClick(columns->segment(4), Qt::Key_Left);
        QCOMPARE(stored(Preferences::kColumns).toInt(), 3);
        QVERIFY(columns->segment(3)->hasFocus());
    }

    // Values written by hand or by another program are shown at the nearest end or step of
    // each control, never written back; the height line tells the height the panel has.
    void foreignValuesAreShownNotWritten_data() {
        QTest::addColumn<double>("height");
        QTest::addColumn<double>("iconSize");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("heightShown");
        QTest::addColumn<int>("iconShown");
        QTest::addColumn<int>("columnsShown");
        QTest::addColumn<QString>("line");
        QTest::newRow("above the ranges") << 1000.0 << 100.0 << 9 << 640 << 64 << 5 << "1000 pt";
        QTest::newRow("below the ranges") << 100.0 << 10.0 << 1 << 200 << 36 << 3 << "100 pt";
        QTest::newRow("off the steps") << 433.0 << 49.9 << 4 << 440 << 48 << 4 << "433 pt";
        QTest::newRow("not positive: the default") << -5.0 << 0.0 << 0 << 440 << 52 << 4 << "440 pt";
    }
    void foreignValuesAreShownNotWritten() {
        QFETCH(double, height);
        QFETCH(double, iconSize);
        QFETCH(int, columns);
        QFETCH(int, heightShown);
        QFETCH(int, iconShown);
        QFETCH(int, columnsShown);
        QFETCH(QString, line);
        {
            QSettings file(m_file, QSettings::IniFormat);
            file.setValue(Preferences::kPanelHeight, height);
            file.setValue(Preferences::kIconSize, iconSize);
            file.setValue(Preferences::kColumns, columns);
        }
        showView();
        QCOMPARE(child<QSlider>("panelHeight")->value(), heightShown);
        QCOMPARE(child<QSlider>("iconSize")->value(), iconShown);
        QCOMPARE(child<SegmentedControl>("columns")->value(), columnsShown);
        QCOMPARE(heightLine(), line);
        m_view->close();
        QCOMPARE(stored(Preferences::kPanelHeight).toDouble(), height);
        QCOMPARE(stored(Preferences::kIconSize).toDouble(), iconSize);
        QCOMPARE(stored(Preferences::kColumns).toInt(), columns);
    }

    // A change made elsewhere while the window is open shows at once and is not written back.
    void changesElsewhereShowAtOnce() {
        showView();
        QSignalSpy heightWrites(m_prefs.get(), &Preferences::panelHeightChanged);
        m_prefs->setPanelHeight(300.0);
        m_prefs->setColumns(3);
        QCOMPARE(child<QSlider>("panelHeight")->value(), 300);
        QCOMPARE(child<SegmentedControl>("columns")->value(), 3);
        QCOMPARE(heightLine(), QStringLiteral("300 pt"));
        QCOMPARE(heightWrites.size(), 1);
    }

    // The window keeps its width and grows downwards for labels that wrap; nothing is cut off.
    void fixedWidthWithLongLabels() {
        showView();
        const int plainHeight = m_view->height();
        QCOMPARE(m_view->minimumSize(), QSize(320, plainHeight));
        QCOMPARE(m_view->maximumSize(), QSize(320, plainHeight));
        WordyTranslator wordy;
        QCoreApplication::installTranslator(&wordy);
        showView();
        QCoreApplication::removeTranslator(&wordy);
        QCOMPARE(m_view->width(), 320);
        QVERIFY(m_view->height() > plainHeight);
        for (QWidget* part : m_view->findChildren<QWidget*>()) {
            QVERIFY2(m_view->rect().contains(QRect(part->mapTo(m_view.get(), QPoint(0, 0)), part->size())),
                     part->metaObject()->className());
            if (auto* label = qobject_cast<QLabel*>(part); label && label->wordWrap())
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->text()));
        }
    }

    void showSingleRaisesTheOneWindow() {
        static FakeLoginItem item;
        SettingsView* first = SettingsView::showSingle(item, *m_prefs);
        QVERIFY(first->windowTitle().contains(QStringLiteral("Settings"))); // what the panel raises
        QVERIFY(QTest::qWaitForWindowExposed(first));
        first->close();
        QCOMPARE(SettingsView::showSingle(item, *m_prefs), first);
        QVERIFY(first->isVisible());
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.cbegin(), windows.cend(),
                               [](QWidget* w) { return qobject_cast<SettingsView*>(w) && w->isVisible(); }),
                 1);
        delete first; // its preferences go with this test
    }

    // The shortcut field stores the first keys pressed (cleared is off) and says when the
    // keys do not work: refused, taken by another program, or no way to them in this session.
    void shortcutFieldStoresAndTells_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("backend");
        QTest::addColumn<GlobalShortcut::Status>("answer");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("told");
        using S = GlobalShortcut::Status;
        const auto ctrlShift = Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("default, bound")
            << 0 << Qt::KeyboardModifiers() << true << S::Bound << u"Ctrl+Alt+Space"_qs << QString();
        QTest::newRow("new keys") << int(Qt::Key_K) << ctrlShift << true << S::Bound << u"Ctrl+Shift+K"_qs
                                  << QString();
        QTest::newRow("taken") << int(Qt::Key_K) << ctrlShift << true << S::Taken << u"Ctrl+Shift+K"_qs
                               << u"Another program or the desktop already uses these keys."_qs;
        QTest::newRow("a plain letter is refused")
            << int(Qt::Key_K) << Qt::KeyboardModifiers() << true << S::Bound << u"Ctrl+Alt+Space"_qs
            << u"Add Ctrl, Alt or Super to the key."_qs;
        QTest::newRow("cleared is off")
            << int(Qt::Key_Backspace) << Qt::KeyboardModifiers() << true << S::Bound << QString()
            << u"Off. Click the field and press keys to choose a shortcut."_qs;
        QTest::newRow("no backend") << 0 << Qt::KeyboardModifiers() << false << S::Bound
                                    << u"Ctrl+Alt+Space"_qs
                                    << u"This session offers no shortcuts that work from anywhere."_qs;
        QTest::newRow("the session has none after all")
            << 0 << Qt::KeyboardModifiers() << true << S::Unavailable << u"Ctrl+Alt+Space"_qs
            << u"This session offers no shortcuts that work from anywhere."_qs;
    }
    void shortcutFieldStoresAndTells() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, backend);
        QFETCH(GlobalShortcut::Status, answer);
        QFETCH(QString, stored);
        QFETCH(QString, told);
        showView();
        FakeShortcut shortcut;
        shortcut.answer = answer;
        connect(m_prefs.get(), &Preferences::globalShortcutChanged, &shortcut, &GlobalShortcut::bind);
        shortcut.bind(m_prefs->globalShortcut());
        m_view->setGlobalShortcut(backend ? &shortcut : nullptr);
        QKeySequenceEdit* field = m_view->shortcutField();
        if (key == Qt::Key_Backspace) {
            QTest::mouseClick(m_view->shortcutOffButton(), Qt::LeftButton);
        } else if (key) {
            QTest::keyClick(field, Qt::Key(key), modifiers);
            QTRY_COMPARE(m_prefs->globalShortcut().toString(), stored);
            QTRY_COMPARE(m_view->shortcutStatus()->isVisible(), !told.isEmpty()); // after the field's pause
        }
        QCOMPARE(m_prefs->globalShortcut().toString(), stored);
        QCOMPARE(field->keySequence().toString(), stored);
        QCOMPARE(m_view->shortcutStatus()->isVisible() ? m_view->shortcutStatus()->text() : QString(), told);
        m_view->setGlobalShortcut(nullptr);
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
