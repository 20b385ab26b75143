#include "FakeLoginItem.h"
#include "Localization.h"
#include "Preferences.h"
#include "SegmentedControl.h"
#include "SettingsView.h"
#include "TestEnvironment.h"
#include "ToggleSwitch.h"
#include "platform/GlobalShortcut.h"
#include "platform/xdg/XdgAutostartLoginItem.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {

// Binds whatever it is given and answers with the status a test chose.
class FakeShortcut : public GlobalShortcut {
public:
    Status answer = Status::Bound;
    void bind(const QKeySequence& keys) override { setStatus(keys.isEmpty() ? Status::Off : answer); }
};

// The same file the preferences use, for writing values as another program would.
void writeRaw(const QVariantMap& values) {
    QSettings settings(QStringLiteral("Tuckaway"), QStringLiteral("Tuckaway"));
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
    settings.sync();
}

QVariant stored(const char* key) {
    QSettings settings(QStringLiteral("Tuckaway"), QStringLiteral("Tuckaway"));
    settings.sync();
    return settings.value(QLatin1String(key));
}

// Long texts for every settings label, as a wordy translation would give.
class WordyTranslator : public QTranslator {
public:
    QString translate(const char*, const char* id, const char*, int) const override {
        const QLatin1String key(id);
        if (key.startsWith(QLatin1String("settings.")) && key != QLatin1String("settings.panel_height_value"))
            return QStringLiteral(
                "A very long label that no form could ever fit on one line of three hundred "
                "and twenty pixels, so it has to wrap");
        return {};
    }
    bool isEmpty() const override { return false; }
};

// Presses the left button on a point of the widget, moves to each of the points, and releases.
void drag(QWidget* widget, QPoint from, const QList<QPoint>& path,
          const std::function<void()>& afterEachMove) {
    auto send = [widget](QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (const QPoint& point : path) {
        send(QEvent::MouseMove, point, Qt::NoButton, Qt::LeftButton);
        afterEachMove();
    }
    send(QEvent::MouseButtonRelease, path.last(), Qt::LeftButton, Qt::NoButton);
}

} // namespace

class TestSettingsView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Localization::install(QLocale(QLocale::English)); }
    void init();
    void switchFollowsTheServiceEachTimeShown();
    void userSwitchCallsTheServiceOnce();
    void failedChangeShowsTheServiceState();
    void unwritableAutostartFolderLeavesSwitchOff();
    void sliderStepsAreWrittenOneByOne_data();
    void sliderStepsAreWrittenOneByOne();
    void sliderDragWritesEveryStep();
    void columnsControlWritesColumns();
    void foreignValuesShownClampedNotWritten();
    void fixedWidthWithLongLabels();
    void showSingleRaisesTheOneWindow();
    void shortcutFieldStoresAndTells_data();
    void shortcutFieldStoresAndTells();

private:
    std::unique_ptr<SettingsView> makeShownView(FakeLoginItem& item);
};

void TestSettingsView::init() {
    QSettings settings(QStringLiteral("Tuckaway"), QStringLiteral("Tuckaway"));
    settings.clear();
    settings.sync();
    QFile::remove(XdgAutostartLoginItem::entryPath());
}

std::unique_ptr<SettingsView> TestSettingsView::makeShownView(FakeLoginItem& item) {
    auto view = std::make_unique<SettingsView>(item, Preferences::instance());
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        return nullptr;
    return view;
}

void TestSettingsView::switchFollowsTheServiceEachTimeShown() {
    FakeLoginItem item;
    item.current = LoginItemStatus::Enabled;
    Preferences::instance().setLaunchAtLogin(false);
    auto view = makeShownView(item);
    QVERIFY(view);
    auto* toggle = view->findChild<ToggleSwitch*>(QStringLiteral("launchAtLogin"));
    QVERIFY(toggle);

    QVERIFY(toggle->isChecked());
    QCOMPARE(stored(Preferences::kLaunchAtLogin).toBool(), true);

    // Switched off elsewhere (or by another tool) while the window was closed.
    view->hide();
    item.current = LoginItemStatus::Disabled;
    view->show();
    QVERIFY(!toggle->isChecked());
    QCOMPARE(stored(Preferences::kLaunchAtLogin).toBool(), false);

    view->hide();
    item.current = LoginItemStatus::Enabled;
    view->show();
    QVERIFY(toggle->isChecked());

    // Showing only reads the service.
    QCOMPARE(item.registerCalls, 0);
    QCOMPARE(item.unregisterCalls, 0);
}

void TestSettingsView::userSwitchCallsTheServiceOnce() {
    FakeLoginItem item;
    auto view = makeShownView(item);
    QVERIFY(view);
    auto* toggle = view->findChild<ToggleSwitch*>(QStringLiteral("launchAtLogin"));
    QVERIFY(!toggle->isChecked());
    QVERIFY(!stored(Preferences::kLaunchAtLogin).isValid()); // off and absent agree: nothing written

    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(toggle->isChecked());
    QCOMPARE(item.registerCalls, 1);
    QCOMPARE(item.unregisterCalls, 0);
    QCOMPARE(stored(Preferences::kLaunchAtLogin).toBool(), true);

    toggle->setFocus();
    QTest::keyClick(toggle, Qt::Key_Space);
    QVERIFY(!toggle->isChecked());
    QCOMPARE(item.registerCalls, 1);
    QCOMPARE(item.unregisterCalls, 1);
    QCOMPARE(item.current, LoginItemStatus::NotRegistered);
    QCOMPARE(stored(Preferences::kLaunchAtLogin).toBool(), false);
}

void TestSettingsView::failedChangeShowsTheServiceState() {
    FakeLoginItem item;
    item.failRegister = true;
    auto view = makeShownView(item);
    QVERIFY(view);
    auto* toggle = view->findChild<ToggleSwitch*>(QStringLiteral("launchAtLogin"));

    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(item.registerCalls, 1);
    QVERIFY(!toggle->isChecked());
    QVERIFY(!stored(Preferences::kLaunchAtLogin).toBool());

    view->hide();
    item.current = LoginItemStatus::Enabled;
    item.failUnregister = true;
    view->show();
    QVERIFY(toggle->isChecked());
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(item.unregisterCalls, 1);
    QVERIFY(toggle->isChecked());
    QVERIFY(stored(Preferences::kLaunchAtLogin).toBool());
}

void TestSettingsView::unwritableAutostartFolderLeavesSwitchOff() {
    TestEnvironment environment; // its own config folder, with a file where "autostart" belongs
    environment.makeFile(QStringLiteral(".config/autostart"), "in the way");
    XdgAutostartLoginItem item(QCoreApplication::applicationFilePath());
    SettingsView view(item, Preferences::instance());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto* toggle = view.findChild<ToggleSwitch*>(QStringLiteral("launchAtLogin"));

    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(!toggle->isChecked());
    QCOMPARE(item.status(), LoginItemStatus::NotRegistered);
}

void TestSettingsView::sliderStepsAreWrittenOneByOne_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("count");
    QTest::newRow("panel height") << QStringLiteral("panelHeight") << 200.0 << 20.0 << 23;
    QTest::newRow("icon size") << QStringLiteral("iconSize") << 36.0 << 4.0 << 8;
}

void TestSettingsView::sliderStepsAreWrittenOneByOne() {
    QFETCH(QString, name);
    QFETCH(double, first);
    QFETCH(double, step);
    QFETCH(int, count);
    FakeLoginItem item;
    auto view = makeShownView(item);
    QVERIFY(view);
    auto* slider = view->findChild<QSlider*>(name);
    auto* valueLine = view->findChild<QLabel*>(QStringLiteral("panelHeightValue"));
    QCOMPARE(valueLine->text(), QStringLiteral("440 pt"));
    QVERIFY(!stored(name.toLatin1().constData()).isValid());

    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Home);
    QSignalSpy writes(&Preferences::instance(), name == QLatin1String("iconSize")
                                                    ? &Preferences::iconSizeChanged
                                                    : &Preferences::panelHeightChanged);
    QList<double> offered{stored(name.toLatin1().constData()).toDouble()};
    for (int i = 0; i < count + 5; ++i) {
        QTest::keyClick(slider, Qt::Key_Right);
        const double value = stored(name.toLatin1().constData()).toDouble();
        if (value != offered.last())
            offered << value;
    }
    QCOMPARE(offered.size(), count);
    QCOMPARE(writes.size(), count - 1);
    for (int i = 0; i < count; ++i)
        QCOMPARE(offered[i], first + step * i);

    if (name == QLatin1String("panelHeight")) {
        QCOMPARE(valueLine->text(), QStringLiteral("640 pt"));
        QTest::keyClick(slider, Qt::Key_Home);
        QCOMPARE(valueLine->text(), QStringLiteral("200 pt"));
    }
}

void TestSettingsView::sliderDragWritesEveryStep() {
    FakeLoginItem item;
    auto view = makeShownView(item);
    QVERIFY(view);
    auto* slider = view->findChild<QSlider*>(QStringLiteral("panelHeight"));
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = option.sliderValue = slider->value();
    const QRect handle =
        slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);

    QList<QPoint> path;
    for (int x = handle.center().x(); x < slider->width() + 20; x += 3)
        path << QPoint(x, handle.center().y());
    QList<double> seenDuringDrag;
    drag(slider, handle.center(), path, [&] {
        const double value = stored(Preferences::kPanelHeight).toDouble();
        if (value != 0 && (seenDuringDrag.isEmpty() || seenDuringDrag.last() != value))
            seenDuringDrag << value;
    });

    QCOMPARE(seenDuringDrag.size(), 10); // 460, 480, ..., 640, each written as the pointer got there
    for (int i = 0; i < seenDuringDrag.size(); ++i)
        QCOMPARE(seenDuringDrag[i], 460.0 + 20.0 * i);
}

void TestSettingsView::columnsControlWritesColumns() {
    FakeLoginItem item;
    auto view = makeShownView(item);
    QVERIFY(view);
    auto* columns = view->findChild<SegmentedControl*>(QStringLiteral("columns"));
    QCOMPARE(columns->value(), 4);
    QSignalSpy changes(&Preferences::instance(), &Preferences::columnsChanged);

    QTest::mouseClick(columns->segment(5), Qt::LeftButton);
    QCOMPARE(stored(Preferences::kColumns).toInt(), 5);
    QCOMPARE(changes.size(), 1);
    
    // Keyboard: the arrow keys move the choice and write it.
    view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view.get()));
    columns->segment(5)->setFocus();
    QTest::keyClick(columns->segment(5), Qt::Key_Left);
    QTest::keyClick(columns->segment(4), Qt::Key_Left);
    QCOMPARE(columns->value(), 3);
    QCOMPARE(stored(Preferences::kColumns).toInt(), 3);
    QVERIFY(columns->segment(3)->hasFocus());
}

void TestSettingsView::foreignValuesShownClampedNotWritten() {
    writeRaw({{QLatin1String(Preferences::kPanelHeight), 1000.0},
              {QLatin1String(Preferences::kIconSize), 10.0},
              {QLatin1String(Preferences::kColumns), 9}});
    FakeLoginItem item;
    auto view = makeShownView(item);
    QVERIFY(view);
    auto* height = view->findChild<QSlider*>(QStringLiteral("panelHeight"));
    auto* iconSize = view->findChild<QSlider*>(QStringLiteral("iconSize"));
    auto* columns = view->findChild<SegmentedControl*>(QStringLiteral("columns"));

    QCOMPARE(height->value(), height->maximum());
    QCOMPARE(iconSize->value(), iconSize->minimum());
    QCOMPARE(columns->value(), 5);
    // The line tells the height the panel really has.
    QCOMPARE(view->findChild<QLabel*>(QStringLiteral("panelHeightValue"))->text(), QStringLiteral("1000 pt"));
    view->close();
    QCOMPARE(stored(Preferences::kPanelHeight).toDouble(), 1000.0);
    QCOMPARE(stored(Preferences::kIconSize).toDouble(), 10.0);
    QCOMPARE(stored(Preferences::kColumns).toInt(), 9);

    // Off the steps, and a hand-edited height that the panel replaces with its default.
    writeRaw(
        {{QLatin1String(Preferences::kPanelHeight), -5.0}, {QLatin1String(Preferences::kIconSize), 49.9}});
    view = makeShownView(item);
    QVERIFY(view);
    height = view->findChild<QSlider*>(QStringLiteral("panelHeight"));
    iconSize = view->findChild<QSlider*>(QStringLiteral("iconSize"));
    QCOMPARE(view->findChild<QLabel*>(QStringLiteral("panelHeightValue"))->text(), QStringLiteral("440 pt"));
    QCOMPARE(height->value(), 440);
    QCOMPARE(iconSize->value(), 48); // the nearest step
    QCOMPARE(stored(Preferences::kPanelHeight).toDouble(), -5.0);
    QCOMPARE(stored(Preferences::kIconSize).toDouble(), 49.9);
    QVERIFY(!stored(Preferences::kLaunchAtLogin).isValid());

    // A change made elsewhere while the window is open shows at once and is not written back.
    QSignalSpy heightWrites(&Preferences::instance(), &Preferences::panelHeightChanged);
    Preferences::instance().setPanelHeight(300.0);
    Preferences::instance().setColumns(3);
    QCOMPARE(height->value(), 300);
    QCOMPARE(view->findChild<SegmentedControl*>(QStringLiteral("columns"))->value(), 3);
    QCOMPARE(view->findChild<QLabel*>(QStringLiteral("panelHeightValue"))->text(), QStringLiteral("300 pt"));
    QCOMPARE(heightWrites.size(), 1);
}

void TestSettingsView::fixedWidthWithLongLabels() {
    FakeLoginItem item;
    auto plain = makeShownView(item);
    QVERIFY(plain);
    QCOMPARE(plain->size(), QSize(320, plain->height()));
    QCOMPARE(plain->minimumSize(), plain->maximumSize());

    WordyTranslator wordy;
    QCoreApplication::installTranslator(&wordy);
    auto wordyView = makeShownView(item);
    QCoreApplication::removeTranslator(&wordy);
    QVERIFY(wordyView);
    QCOMPARE(wordyView->width(), 320);
    QVERIFY(wordyView->height() > plain->height());
    QCOMPARE(wordyView->minimumSize(), wordyView->maximumSize());
    for (QWidget* child : wordyView->findChildren<QWidget*>()) {
        const QRect area(child->mapTo(wordyView.get(), QPoint(0, 0)), child->size());
        QVERIFY2(wordyView->rect().contains(area), child->metaObject()->className());
        if (auto* label = qobject_cast<QLabel*>(child); label && label->wordWrap())
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->text()));
    }
}

void TestSettingsView::showSingleRaisesTheOneWindow() {
    static FakeLoginItem item;
    SettingsView* first = SettingsView::showSingle(item, Preferences::instance());
    QVERIFY(first);
    QVERIFY(
        first->windowTitle().contains(QStringLiteral("Settings"))); // what the panel's raise rule looks for
    QVERIFY(QTest::qWaitForWindowExposed(first));
    first->close();
    QVERIFY(!first->isVisible());
    SettingsView* second = SettingsView::showSingle(item, Preferences::instance());
    QCOMPARE(second, first);
    QVERIFY(second->isVisible());
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.cbegin(), windows.cend(),
                           [](QWidget* w) { return qobject_cast<SettingsView*>(w) && w->isVisible(); }),
             1);
    second->close();
}

// The shortcut field stores the first keys pressed (cleared is off) and says when the
// keys do not work: refused, taken by another program, or no way to them in this session.
void TestSettingsView::shortcutFieldStoresAndTells_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("backend");
    QTest::addColumn<GlobalShortcut::Status>("answer");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("told");
    using S = GlobalShortcut::Status;
    const auto ctrlShift = Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("default, bound") << 0 << Qt::KeyboardModifiers() << true << S::Bound
                                    << u"Ctrl+Alt+Space"_qs << QString();
    QTest::newRow("new keys") << int(Qt::Key_K) << ctrlShift << true << S::Bound << u"Ctrl+Shift+K"_qs
                              << QString();
    QTest::newRow("taken") << int(Qt::Key_K) << ctrlShift << true << S::Taken << u"Ctrl+Shift+K"_qs
                           << u"Another program or the desktop already uses these keys."_qs;
    QTest::newRow("a plain letter is refused")
        << int(Qt::Key_K) << Qt::KeyboardModifiers() << true << S::Bound << u"Ctrl+Alt+Space"_qs
        << u"Add Ctrl, Alt or Super to the key."_qs;
    QTest::newRow("cleared is off") << int(Qt::Key_Backspace) << Qt::KeyboardModifiers() << true << S::Bound
                                    << QString()
                                    << u"Off. Click the field and press keys to choose a shortcut."_qs;
    QTest::newRow("no backend") << 0 << Qt::KeyboardModifiers() << false << S::Bound << u"Ctrl+Alt+Space"_qs
                                << u"This session offers no shortcuts that work from anywhere."_qs;
}

void TestSettingsView::shortcutFieldStoresAndTells() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, backend);
    QFETCH(GlobalShortcut::Status, answer);
    QFETCH(QString, stored);
    QFETCH(QString, told);
    FakeLoginItem item;
    auto view = makeShownView(item);
    QVERIFY(view);
    FakeShortcut shortcut;
    shortcut.answer = answer;
    connect(&Preferences::instance(), &Preferences::globalShortcutChanged, &shortcut, &GlobalShortcut::bind);
    shortcut.bind(Preferences::instance().globalShortcut());
    view->setGlobalShortcut(backend ? &shortcut : nullptr);
    QKeySequenceEdit* field = view->shortcutField();
    if (key == Qt::Key_Backspace) {
        QTest::mouseClick(view->shortcutOffButton(), Qt::LeftButton);
    } else if (key) {
        QTest::keyClick(field, Qt::Key(key), modifiers);
        QTRY_VERIFY(field->keySequence().isEmpty() || field->keySequence().toString() == stored);
        QTRY_COMPARE(Preferences::instance().globalShortcut().toString(), stored);
        QTRY_COMPARE(view->shortcutStatus()->isVisible(), !told.isEmpty()); // after the field's pause
    }
    QCOMPARE(Preferences::instance().globalShortcut().toString(), stored);
    QCOMPARE(field->keySequence().toString(), stored);
    QCOMPARE(view->shortcutStatus()->isVisible() ? view->shortcutStatus()->text() : QString(), told);
}

TUCKAWAY_TEST_WIDGETS_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
