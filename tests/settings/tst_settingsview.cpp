#include "FakeShortcut.h"
#include "TestEnvironment.h"
#include "platform/Localization.h"
#include "platform/LoginItemService.h"
#include "platform/Preferences.h"
#include "settings/SegmentedControl.h"
#include "settings/SettingsView.h"
#include "settings/ShortcutField.h"
#include "settings/ToggleSwitch.h"

#include <QAccessible>
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
// Values in the settings file; then the controls and the height and icon size lines.
struct ForeignCase {
    double height, iconSize;
    int columns, heightShown, iconShown, columnsShown;
    QString lines;
};
// With the field clicked, what the user does (keys; "+Ctrl"/"-Ctrl" a modifier pressed or let go;
// "Off" the button; "de" German texts; "freed" the other program letting go, the window reopened);
// then the keys stored, the message (an id, or the text), whether the window is still open, the
// keys another program holds, what the backend answers (Off: there is none); the field's text
// and the keys given to the backend where they are not the ones stored.
struct ShortcutCase {
    const char *steps, *keys, *told = "";
    bool open = true;
    const char* taken = "";
    GlobalShortcut::Status answer = GlobalShortcut::Status::Bound;
    const char *field = nullptr, *bound = nullptr;
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
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
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

    // One settings window, raised again when asked for twice: first in the middle of the screen
    // under the pointer, then where it was left. With long labels it keeps its width and grows
    // downwards, nothing cut off. Screen readers see a frame, each control by its name and the
    // column choice as a group of radio buttons.
    void oneWindowThatFitsLongLabels() {
        WordyTranslator wordy;
        QCoreApplication::installTranslator(&wordy);
        std::unique_ptr<SettingsView> first(SettingsView::showSingle(m_login, *m_prefs));
        QCoreApplication::removeTranslator(&wordy);
        QVERIFY(QTest::qWaitForWindowExposed(first.get()));
        const QRect area = QGuiApplication::screenAt(QCursor::pos())->availableGeometry();
        QVERIFY((first->frameGeometry().center() - area.center()).manhattanLength() < 8);
        first->move(area.topLeft() + QPoint(30, 40));
        first->close();
        QCOMPARE(SettingsView::showSingle(m_login, *m_prefs), first.get());
        QCOMPARE(first->pos(), area.topLeft() + QPoint(30, 40));
        QCOMPARE(first->width(), 320);
        QList<QAccessible::Role> roles;
        SegmentedControl* columns = first->findChild<SegmentedControl*>();
        for (QObject* part : QObjectList{first.get(), columns, columns->segment(4)})
            roles << QAccessible::queryAccessibleInterface(part)->role();
        QCOMPARE(roles, QList({QAccessible::Window, QAccessible::Grouping, QAccessible::RadioButton}));
        for (QWidget* part : first->findChildren<QWidget*>()) {
            QVERIFY2(first->rect().contains(QRect(part->mapTo(first.get(), QPoint(0, 0)), part->size())) &&
                         (part->focusPolicy() == Qt::NoFocus ||
                          !QAccessible::queryAccessibleInterface(part)->text(QAccessible::Name).isEmpty()),
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
    // a click writes the column count, and turns previews off; the switch follows a change from elsewhere.
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
        auto* previews = child<ToggleSwitch>("previews");
        QVERIFY(previews->isChecked());
        QTest::mouseClick(previews, Qt::LeftButton);
        QCOMPARE(stored(Preferences::kPreviews), QVariant(u"false"_qs));
        m_prefs->setPreviews(true);
        QVERIFY(previews->isChecked());
    }

    // Values from another program, also while the window is open, are shown at the nearest
    // end or step of each control, never written back; the height line tells the real height.
    void foreignValuesAreShownNotWritten_data() {
        QTest::addColumn<ForeignCase>("c");
        QTest::newRow("above the ranges") << ForeignCase{1000, 100, 9, 640, 64, 5, u"1000 px, 100 px"_qs};
        QTest::newRow("below the ranges") << ForeignCase{100, 10, 1, 200, 36, 3, u"100 px, 10 px"_qs};
        QTest::newRow("off the steps") << ForeignCase{433, 49.9, 4, 440, 48, 4, u"433 px, 49 px"_qs};
        QTest::newRow("not positive: the default") << ForeignCase{-5, 0, 0, 440, 52, 4, u"440 px, 52 px"_qs};
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
        QCOMPARE(child<QLabel>("panelHeightValue")->text() + u", "_qs +
                     child<QLabel>("iconSizeValue")->text(),
                 c.lines);
        QCOMPARE(stored(Preferences::kPanelHeight).toDouble(), c.height);
        QCOMPARE(stored(Preferences::kIconSize).toDouble(), c.iconSize);
        QCOMPARE(stored(Preferences::kColumns).toInt(), c.columns);

        m_prefs->setPanelHeight(300.0); // elsewhere, while the window is open
        QCOMPARE(child<QSlider>("panelHeight")->value(), 300);
        QCOMPARE(child<QLabel>("panelHeightValue")->text(), u"300 px"_qs);
    }

    // The field takes keys with Ctrl, Alt or Super, or a function key; the keys are stored once
    // the backend holds them, so taken keys never replace keys that work, and only the Off
    // button turns the shortcut off. The window tells when keys do not work.
    void shortcutField_data() {
        QTest::addColumn<ShortcutCase>("c");
        using S = GlobalShortcut::Status;
        using C = ShortcutCase;
        const char *initial = "Ctrl+Alt+Space", *k = "Ctrl+Shift+K", *none = "settings.shortcut.unavailable";
        QTest::newRow("modifiers alone, Escape keep the keys, by their names")
            << C{"de +Ctrl +Alt -Alt -Ctrl +Ctrl Esc", initial, "", true, "", S::Bound, "Strg+Alt+Leertaste"};
        QTest::newRow("modifiers held are shown")
            << C{"+Ctrl +Alt", initial, "", true, "", S::Bound, "Ctrl+Alt+…"};
        QTest::newRow("Escape outside the field closes") << C{"Tab Esc", initial, "", false};
        QTest::newRow("new keys, Ctrl+W too") << C{"Ctrl+W", "Ctrl+W"};
        QTest::newRow("Ctrl+W outside the field closes") << C{"Tab Ctrl+W", initial, "", false};
        QTest::newRow("a function key alone") << C{"F5", "F5"};
        QTest::newRow("a letter, also with Shift, is refused")
            << C{"K Shift+K", initial, "settings.shortcut.needs_modifier"};
        QTest::newRow("taken keys leave the old ones working") << C{
            k, initial,
            "Ctrl+Shift+K is already used by another program or the desktop. Ctrl+Alt+Space stays.", true, k};
        QTest::newRow("off") << C{"Off", "", "settings.shortcut.off"};
        QTest::newRow("taken after off: stored, waited for")
            << C{"Off Ctrl+Shift+K", k, "settings.shortcut.taken", true, k};
        QTest::newRow("taken at start, had when shown again") << C{"freed", initial, "", true, initial};
        QTest::newRow("no backend: stored for another session")
            << C{k, k, none, true, "", S::Off, k, initial};
        QTest::newRow("the session has none after all") << C{"", initial, none, true, "", S::Unavailable};
    }
    void shortcutField() {
        QFETCH(ShortcutCase, c);
        auto english = qScopeGuard([] { Localization::install(QLocale(QLocale::English)); });
        FakeShortcut shortcut;
        shortcut.answer = c.answer;
        shortcut.taken << QKeySequence::fromString(QLatin1String(c.taken));
        shortcut.bind(m_prefs->globalShortcut());
        showView();
        m_view->setGlobalShortcut(c.answer == GlobalShortcut::Status::Off ? nullptr : &shortcut);
        QTest::mouseClick(m_view->shortcutField(), Qt::LeftButton);
        Qt::KeyboardModifiers held;
        for (const QString& step : QString::fromUtf8(c.steps).split(u' ', Qt::SkipEmptyParts)) {
            const QKeyCombination keys = QKeySequence::fromString(step)[0];
            const bool control = step.endsWith(u"Ctrl"_qs), press = step.front() == u'+';
            if (step == u"Off"_qs)
                QTest::mouseClick(m_view->shortcutOffButton(), Qt::LeftButton);
            else if (step == u"de"_qs)
                Localization::install(QLocale(QLocale::German));
            else if (step == u"freed"_qs)
                shortcut.taken.clear(), m_view->hide(), m_view->show();
            else if (press || step.front() == u'-')
                QTest::sendKeyEvent(press ? QTest::Press : QTest::Release, m_view->windowHandle(),
                                    control ? Qt::Key_Control : Qt::Key_Alt, QString(),
                                    held.setFlag(control ? Qt::ControlModifier : Qt::AltModifier, press));
            else
                QTest::keyClick(m_view->windowHandle(), keys.key(), keys.keyboardModifiers());
        }
        const QLatin1String told(c.told);
        QCOMPARE(m_view->shortcutField()->text(), QString::fromUtf8(c.field ? c.field : c.keys));
        QCOMPARE(m_prefs->globalShortcut().toString(), QLatin1String(c.keys));
        QCOMPARE(shortcut.keys().toString(), QLatin1String(c.bound ? c.bound : c.keys));
        QCOMPARE(m_view->shortcutStatus()->isVisible() ? m_view->shortcutStatus()->text() : QString(),
                 told.startsWith(QLatin1String("settings.")) ? qtTrId(c.told) : QString(told));
        QCOMPARE(m_view->isVisible(), c.open);
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
