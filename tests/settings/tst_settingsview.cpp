#include "TestEnvironment.h"
#include "platform/GlobalShortcut.h"
#include "platform/Localization.h"
#include "platform/LoginItemService.h"
#include "platform/Preferences.h"
#include "settings/SegmentedControl.h"
#include "settings/SettingsView.h"
#include "settings/ToggleSwitch.h"

#include <QKeySequenceEdit>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

// A login-item service whose state and failures the test decides; counts the changes asked.
class FakeLoginItem : public LoginItemService {
public:
    LoginItemStatus current = LoginItemStatus::NotRegistered;
    bool fail = false;
    int calls = 0;
    LoginItemStatus status() const override { return current; }
    bool registerItem() override { return change(LoginItemStatus::Enabled); }
    bool unregisterItem() override { return change(LoginItemStatus::NotRegistered); }
    bool change(LoginItemStatus to) {
        ++calls;
        if (!fail)
            current = to;
        return !fail;
    }
};

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
            return u"A label that no form could fit on one line of three hundred and twenty pixels"_qs;
        return {};
    }
    bool isEmpty() const override { return false; }
};

// The service's state when the window shows, whether it refuses changes and whether the
// switch is clicked; then the switch, the stored flag (empty: absent) and the calls asked.
struct LoginCase {
    LoginItemStatus service;
    bool fail, click, checked;
    QString stored;
    int calls;
};
// Values in the settings file; then the controls and the height line.
struct ForeignCase {
    double height, iconSize;
    int columns, heightShown, iconShown, columnsShown;
    QString line;
};
// Keys pressed (Backspace: the off button) and what the backend answers; then the stored keys
// and the message the window shows.
struct ShortcutCase {
    QKeyCombination keys;
    GlobalShortcut::Status answer;
    const char *stored, *told = nullptr;
    bool backend = true;
};

} // namespace

Q_DECLARE_METATYPE(LoginCase)
Q_DECLARE_METATYPE(ForeignCase)
Q_DECLARE_METATYPE(ShortcutCase)

class TestSettingsView : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    QString m_file;
    std::unique_ptr<Preferences> m_prefs;
    FakeLoginItem m_login;
    std::unique_ptr<SettingsView> m_view;

    // The settings file as another program sees it.
    QVariant stored(const char* key) const { return QSettings(m_file, QSettings::IniFormat).value(key); }
    void showView() {
        m_view = std::make_unique<SettingsView>(m_login, *m_prefs);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    template <typename T> T* child(const char* name) const {
        return m_view->findChild<T*>(QLatin1String(name));
    }

private slots:
    void initTestCase() { Localization::install(QLocale(QLocale::English)); }
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_file = m_env->configHome() + u"/settings.conf"_qs;
        m_prefs = std::make_unique<Preferences>(m_file);
        m_login = FakeLoginItem();
    }
    void cleanup() {
        m_view.reset();
        m_prefs.reset();
        m_env.reset();
    }

    // One settings window, raised again when asked for twice; with long labels it keeps its
    // width and grows downwards, nothing cut off.
    void oneWindowThatFitsLongLabels() {
        WordyTranslator wordy;
        QCoreApplication::installTranslator(&wordy);
        std::unique_ptr<SettingsView> first(SettingsView::showSingle(m_login, *m_prefs));
        QCoreApplication::removeTranslator(&wordy);
        QVERIFY(QTest::qWaitForWindowExposed(first.get()));
        first->close();
        QCOMPARE(SettingsView::showSingle(m_login, *m_prefs), first.get());
        QVERIFY(first->isVisible());
        QCOMPARE(first->width(), 320);
        for (QWidget* part : first->findChildren<QWidget*>()) {
            QVERIFY2(first->rect().contains(QRect(part->mapTo(first.get(), QPoint(0, 0)), part->size())),
                     part->metaObject()->className());
            if (auto* label = qobject_cast<QLabel*>(part))
                QVERIFY2(label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                           : label->sizeHint().width() <= label->width(),
                         qPrintable(label->text()));
        }
    }

    // The switch shows the service's state at each showing; the stored flag mirrors it (absent
    // while off). A click asks the service once; a refused change shows what the service says.
    void loginSwitch_data() {
        QTest::addColumn<LoginCase>("c");
        using S = LoginItemStatus;
        QTest::newRow("off, shown") << LoginCase{S::NotRegistered, false, false, false, {}, 0};
        QTest::newRow("on elsewhere, shown") << LoginCase{S::Enabled, false, false, true, u"true"_qs, 0};
        QTest::newRow("turned on") << LoginCase{S::NotRegistered, false, true, true, u"true"_qs, 1};
        QTest::newRow("turned off") << LoginCase{S::Enabled, false, true, false, u"false"_qs, 1};
        QTest::newRow("on refused") << LoginCase{S::NotRegistered, true, true, false, {}, 1};
        QTest::newRow("off refused") << LoginCase{S::Enabled, true, true, true, u"true"_qs, 1};
    }
    void loginSwitch() {
        QFETCH(LoginCase, c);
        m_login.current = c.service;
        m_login.fail = c.fail;
        showView();
        auto* toggle = child<ToggleSwitch>("launchAtLogin");
        if (c.click)
            QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(toggle->isChecked(), c.checked);
        QCOMPARE(m_login.calls, c.calls);
        QCOMPARE(stored(Preferences::kLaunchAtLogin).toString(), c.stored);

        // Changed elsewhere while the window was closed: the next showing tells.
        m_view->hide();
        m_login.current = c.checked ? LoginItemStatus::Disabled : LoginItemStatus::Enabled;
        m_view->show();
        QCOMPARE(toggle->isChecked(), !c.checked);
        QCOMPARE(stored(Preferences::kLaunchAtLogin).toString(), c.checked ? u"false"_qs : u"true"_qs);
    }

    // A drag writes every step as the handle passes it, on steps only, not only where it ends;
    // a click writes the column count.
    void controlsWriteWhatTheyShow() {
        m_prefs->setPanelHeight(Preferences::kPanelHeightRange.minimum);
        m_prefs->setIconSize(Preferences::kIconSizeRange.minimum);
        showView();
        for (const auto& [name, range] :
             {std::pair(Preferences::kPanelHeight, Preferences::kPanelHeightRange),
              std::pair(Preferences::kIconSize, Preferences::kIconSizeRange)}) {
            auto* slider = child<QSlider>(name);
            slider->setSliderDown(true);
            QList<double> written{range.minimum}, steps;
            for (int at = slider->minimum(); at <= slider->maximum() + 2; at += 3) {
                slider->setSliderPosition(at); // as the pointer moves it, in 3 point jumps
                if (const double value = stored(name).toDouble(); value != written.last())
                    written << value;
            }
            slider->setSliderDown(false);
            for (double step = range.minimum; step <= range.maximum; step += range.step)
                steps << step;
            QCOMPARE(written, steps);
        }
        QTest::mouseClick(child<SegmentedControl>("columns")->segment(5), Qt::LeftButton);
        QCOMPARE(stored(Preferences::kColumns).toInt(), 5);
    }

    // Values from another program, also while the window is open, are shown at the nearest
    // end or step of each control, never written back; the height line tells the real height.
    void foreignValuesAreShownNotWritten_data() {
        QTest::addColumn<ForeignCase>("c");
        QTest::newRow("above the ranges") << ForeignCase{1000, 100, 9, 640, 64, 5, u"1000 pt"_qs};
        QTest::newRow("below the ranges") << ForeignCase{100, 10, 1, 200, 36, 3, u"100 pt"_qs};
        QTest::newRow("off the steps") << ForeignCase{433, 49.9, 4, 440, 48, 4, u"433 pt"_qs};
        QTest::newRow("not positive: the default") << ForeignCase{-5, 0, 0, 440, 52, 4, u"440 pt"_qs};
    }
    void foreignValuesAreShownNotWritten() {
        QFETCH(ForeignCase, c);
        {
            QSettings file(m_file, QSettings::IniFormat);
            file.setValue(Preferences::kPanelHeight, c.height);
            file.setValue(Preferences::kIconSize, c.iconSize);
            file.setValue(Preferences::kColumns, c.columns);
        }
        showView();
        QCOMPARE(child<QSlider>("panelHeight")->value(), c.heightShown);
        QCOMPARE(child<QSlider>("iconSize")->value(), c.iconShown);
        QCOMPARE(child<SegmentedControl>("columns")->value(), c.columnsShown);
        QCOMPARE(child<QLabel>("panelHeightValue")->text(), c.line);
        QCOMPARE(stored(Preferences::kPanelHeight).toDouble(), c.height);
        QCOMPARE(stored(Preferences::kIconSize).toDouble(), c.iconSize);
        QCOMPARE(stored(Preferences::kColumns).toInt(), c.columns);

        m_prefs->setPanelHeight(300.0); // elsewhere, while the window is open
        QCOMPARE(child<QSlider>("panelHeight")->value(), 300);
        QCOMPARE(child<QLabel>("panelHeightValue")->text(), u"300 pt"_qs);
    }

    // The shortcut field stores the first keys pressed (cleared is off) and says when the
    // keys do not work: refused, taken by another program, or no way to them in this session.
    void shortcutFieldStoresAndTells_data() {
        QTest::addColumn<ShortcutCase>("c");
        using S = GlobalShortcut::Status;
        using C = ShortcutCase;
        const QKeyCombination none, ctrlShiftK = Qt::CTRL | Qt::SHIFT | Qt::Key_K;
        const char *initial = "Ctrl+Alt+Space", *unavailable = "settings.shortcut.unavailable";
        QTest::newRow("default, bound") << C{none, S::Bound, initial};
        QTest::newRow("new keys") << C{ctrlShiftK, S::Bound, "Ctrl+Shift+K"};
        QTest::newRow("a function key alone") << C{Qt::Key_F5, S::Bound, "F5"};
        QTest::newRow("taken") << C{ctrlShiftK, S::Taken, "Ctrl+Shift+K", "settings.shortcut.taken"};
        QTest::newRow("a plain letter is refused")
            << C{Qt::Key_K, S::Bound, initial, "settings.shortcut.needs_modifier"};
        QTest::newRow("cleared is off") << C{Qt::Key_Backspace, S::Bound, "", "settings.shortcut.off"};
        QTest::newRow("no backend") << C{none, S::Bound, initial, unavailable, false};
        QTest::newRow("the session has none after all") << C{none, S::Unavailable, initial, unavailable};
    }
    void shortcutFieldStoresAndTells() {
        QFETCH(ShortcutCase, c);
        showView();
        FakeShortcut shortcut;
        shortcut.answer = c.answer;
        connect(m_prefs.get(), &Preferences::globalShortcutChanged, &shortcut, &GlobalShortcut::bind);
        shortcut.bind(m_prefs->globalShortcut());
        m_view->setGlobalShortcut(c.backend ? &shortcut : nullptr);
        QKeySequenceEdit* field = m_view->shortcutField();
        const QString told = c.told ? qtTrId(c.told) : QString();
        if (c.keys.key() == Qt::Key_Backspace) {
            QTest::mouseClick(m_view->shortcutOffButton(), Qt::LeftButton);
        } else if (c.keys != QKeyCombination()) {
            QTest::keyClick(field, c.keys.key(), c.keys.keyboardModifiers());
            QTRY_COMPARE(m_prefs->globalShortcut().toString(), QLatin1String(c.stored));
            QTRY_COMPARE(m_view->shortcutStatus()->isVisible(), !told.isEmpty()); // after the field's pause
        }
        QCOMPARE(m_prefs->globalShortcut().toString(), QLatin1String(c.stored));
        QCOMPARE(field->keySequence().toString(), QLatin1String(c.stored));
        QCOMPARE(m_view->shortcutStatus()->isVisible() ? m_view->shortcutStatus()->text() : QString(), told);
        m_view->setGlobalShortcut(nullptr);
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
