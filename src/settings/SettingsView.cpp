#include "settings/SettingsView.h"

#include "platform/GlobalShortcut.h"
#include "platform/LoginItemService.h"
#include "platform/Preferences.h"
#include "settings/FormSection.h"
#include "settings/SegmentedControl.h"
#include "settings/ShortcutField.h"
#include "settings/SquareGlyph.h"
#include "settings/StepSlider.h"
#include "settings/ToggleSwitch.h"

#include <QAccessibleWidget>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFormWidth = 320;

StepSlider* makeStepSlider(const Preferences::Range& range, QWidget* parent) {
    return new StepSlider(range.minimum, range.maximum, range.step, parent);
}

QFont captionFont(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.85);
    return font;
}

QLabel* makeTitle(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QLabel* makeCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(captionFont(parent->font()));
    return label;
}

// A whole number of pixels, toward zero.
QString pixels(const char* id, double value) {
    return qtTrId(id).arg(static_cast<qlonglong>(std::clamp(value, -1e9, 1e9)));
}

QString nativeText(const QKeySequence& keys) {
    return keys.toString(QKeySequence::NativeText);
}

// Screen readers see the window as a frame and the column choice as a group of radio buttons.
QAccessibleInterface* accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String("SettingsView"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    if (className == QLatin1String("SegmentedControl"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Grouping);
    return nullptr;
}

} // namespace

SettingsView::SettingsView(LoginItemService& loginItem, Preferences& preferences, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_loginItem(loginItem)
    , m_preferences(preferences) {
    static const bool accessible = (QAccessible::installFactory(accessibleFor), true);
    Q_UNUSED(accessible);
    setWindowTitle(qtTrId("settings.window_title"));
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* form = new QVBoxLayout(this);
    form->setContentsMargins(16, 16, 16, 16);
    form->setSpacing(12);

    auto* loginSection = new FormSection(this);
    auto* loginRow = new QHBoxLayout();
    auto* loginLabel = makeTitle(qtTrId("settings.launch_at_login"), loginSection);
    m_loginSwitch = new ToggleSwitch(loginSection);
    m_loginSwitch->setObjectName(QStringLiteral("launchAtLogin"));
    m_loginSwitch->setAccessibleName(loginLabel->text());
    loginLabel->setBuddy(m_loginSwitch);
    loginRow->addWidget(loginLabel, 1);
    loginRow->addWidget(m_loginSwitch);
    loginSection->addRow(loginRow);
    loginSection->addRow(buildShortcutRow());
    form->addWidget(loginSection);

    auto* panelSection = new FormSection(this);
    panelSection->addRow(buildPanelHeightRow());
    panelSection->addRow(buildColumnsRow());
    panelSection->addRow(buildIconSizeRow());
    panelSection->addRow(buildPreviewsRow());
    form->addWidget(panelSection);

    showPreferences();

    connect(&m_preferences, &Preferences::panelHeightChanged, this, &SettingsView::showPreferences);
    connect(&m_preferences, &Preferences::columnsChanged, this, &SettingsView::showPreferences);
    connect(&m_preferences, &Preferences::iconSizeChanged, this, &SettingsView::showPreferences);
    connect(&m_preferences, &Preferences::globalShortcutChanged, this, &SettingsView::showPreferences);
    connect(m_shortcutField, &ShortcutField::keysPressed, this, &SettingsView::shortcutPressed);
    connect(m_shortcutOff, &QAbstractButton::clicked, this, &SettingsView::turnShortcutOff);

    connect(m_loginSwitch, &QAbstractButton::clicked, this, &SettingsView::loginSwitchClicked);
    connect(m_panelHeightSlider, &StepSlider::stepChosen, &m_preferences, &Preferences::setPanelHeight);
    connect(m_columns, &SegmentedControl::valueChosen, &m_preferences, &Preferences::setColumns);
    connect(m_iconSizeSlider, &StepSlider::stepChosen, &m_preferences, &Preferences::setIconSize);

    fitHeight();
}

QLayout* SettingsView::buildPanelHeightRow() {
    const auto& range = Preferences::kPanelHeightRange;
    auto* row = new QVBoxLayout();
    row->setSpacing(4);
    auto* title = makeTitle(qtTrId("settings.panel_height"), this);
    m_panelHeightSlider = makeStepSlider(range, this);
    m_panelHeightSlider->setObjectName(QStringLiteral("panelHeight"));
    m_panelHeightSlider->setAccessibleName(title->text());
    title->setBuddy(m_panelHeightSlider);

    auto* sliderLine = new QHBoxLayout();
    sliderLine->addWidget(makeCaption(QString::number(int(range.minimum)), this));
    sliderLine->addWidget(m_panelHeightSlider, 1);
    sliderLine->addWidget(makeCaption(QString::number(int(range.maximum)), this));

    m_panelHeightValue = makeCaption(QString(), this);
    m_panelHeightValue->setObjectName(QStringLiteral("panelHeightValue"));
    m_panelHeightValue->setForegroundRole(QPalette::PlaceholderText);

    row->addWidget(title);
    row->addLayout(sliderLine);
    row->addWidget(m_panelHeightValue);
    return row;
}

QLayout* SettingsView::buildColumnsRow() {
    auto* row = new QHBoxLayout();
    QList<int> choices(std::begin(Preferences::kColumnChoices), std::end(Preferences::kColumnChoices));
    auto* title = makeTitle(qtTrId("settings.columns"), this);
    m_columns = new SegmentedControl(choices, this);
    m_columns->setObjectName(QStringLiteral("columns"));
    m_columns->setAccessibleName(title->text());
    title->setBuddy(m_columns->segment(choices.first()));
    row->addWidget(title, 1);
    row->addWidget(m_columns);
    return row;
}

QLayout* SettingsView::buildIconSizeRow() {
    auto* row = new QVBoxLayout();
    row->setSpacing(4);
    auto* title = makeTitle(qtTrId("settings.icon_size"), this);
    m_iconSizeSlider = makeStepSlider(Preferences::kIconSizeRange, this);
    m_iconSizeSlider->setObjectName(QStringLiteral("iconSize"));
    m_iconSizeSlider->setAccessibleName(title->text());
    title->setBuddy(m_iconSizeSlider);
    // Beside the title, so the row keeps its height.
    m_iconSizeValue = makeCaption(QString(), this);
    m_iconSizeValue->setObjectName(QStringLiteral("iconSizeValue"));
    m_iconSizeValue->setForegroundRole(QPalette::PlaceholderText);
    auto* titleLine = new QHBoxLayout();
    titleLine->addWidget(title, 1);
    titleLine->addWidget(m_iconSizeValue);

    auto* sliderLine = new QHBoxLayout();
    sliderLine->addWidget(new SquareGlyph(9, this));
    sliderLine->addWidget(m_iconSizeSlider, 1);
    sliderLine->addWidget(new SquareGlyph(17, this));

    row->addLayout(titleLine);
    row->addLayout(sliderLine);
    return row;
}

// Kept apart from the other rows: it reads and writes its preference on its own.
QLayout* SettingsView::buildPreviewsRow() {
    auto* row = new QHBoxLayout();
    auto* title = makeTitle(qtTrId("settings.previews"), this);
    auto* toggle = new ToggleSwitch(this);
    toggle->setObjectName(QStringLiteral("previews"));
    toggle->setAccessibleName(title->text());
    title->setBuddy(toggle);
    row->addWidget(title, 1);
    row->addWidget(toggle);
    toggle->setChecked(m_preferences.previews());
    connect(toggle, &QAbstractButton::clicked, &m_preferences, &Preferences::setPreviews);
    connect(&m_preferences, &Preferences::previewsChanged, toggle, &QAbstractButton::setChecked);
    return row;
}

QLayout* SettingsView::buildShortcutRow() {
    auto* row = new QVBoxLayout();
    row->setSpacing(4);
    auto* line = new QHBoxLayout();
    auto* title = makeTitle(qtTrId("settings.shortcut"), this);
    m_shortcutField = new ShortcutField(this);
    m_shortcutField->setObjectName(QStringLiteral("globalShortcut"));
    m_shortcutField->setAccessibleName(title->text());
    title->setBuddy(m_shortcutField);
    line->addWidget(m_shortcutField, 1);
    m_shortcutStatus = makeCaption(QString(), this);
    m_shortcutStatus->setObjectName(QStringLiteral("globalShortcutStatus"));
    m_shortcutStatus->setWordWrap(true);
    m_shortcutStatus->setForegroundRole(QPalette::PlaceholderText);
    m_shortcutOff = new QToolButton(this);
    m_shortcutOff->setText(qtTrId("settings.shortcut.turn_off"));
    m_shortcutOff->setObjectName(QStringLiteral("globalShortcutOff"));
    line->addWidget(m_shortcutOff);
    row->addWidget(title);
    row->addLayout(line);
    row->addWidget(m_shortcutStatus);
    return row;
}

void SettingsView::setGlobalShortcut(GlobalShortcut* shortcut) {
    if (m_shortcut)
        disconnect(m_shortcut, nullptr, this, nullptr);
    m_shortcut = shortcut;
    m_asked = {};
    if (shortcut) {
        connect(shortcut, &GlobalShortcut::statusChanged, this, &SettingsView::keepBoundKeys);
        connect(shortcut, &GlobalShortcut::refused, this, &SettingsView::shortcutRefused);
    }
    showShortcutStatus();
}

// Only keys with Ctrl, Alt or Super (or a function key) are taken: a key that types
// something alone would be taken from every application.
void SettingsView::shortcutPressed(QKeyCombination pressed) {
    const bool functionKey = pressed.key() >= Qt::Key_F1 && pressed.key() <= Qt::Key_F35;
    m_needsModifier = !functionKey && !(pressed.keyboardModifiers() &
                                        (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    m_refused = {};
    const QKeySequence keys(pressed);
    if (m_needsModifier || keys == m_preferences.globalShortcut()) {
        if (m_shortcut && !m_needsModifier)
            m_shortcut->retry();
        showShortcutStatus();
    } else if (!m_shortcut || m_shortcut->status() == GlobalShortcut::Status::Unavailable) {
        m_preferences.setGlobalShortcut(keys); // for a session that has a way to them
    } else {
        m_asked = keys;
        m_shortcut->bind(keys);
        keepBoundKeys();
    }
}

void SettingsView::turnShortcutOff() {
    m_needsModifier = false;
    m_refused = m_asked = {};
    if (m_shortcut)
        m_shortcut->bind({});
    m_preferences.setGlobalShortcut({});
    showShortcutStatus();
}

void SettingsView::keepBoundKeys() {
    if (m_shortcut && !m_asked.isEmpty() && m_shortcut->keys() == m_asked) {
        m_asked = {};
        m_preferences.setGlobalShortcut(m_shortcut->keys());
    }
    showShortcutStatus();
}

void SettingsView::shortcutRefused(const QKeySequence& keys, GlobalShortcut::Status why) {
    if (keys != m_asked)
        return;
    m_asked = {};
    m_refused = keys;
    m_refusedWhy = why;
    showShortcutStatus();
}

void SettingsView::showShortcutStatus() {
    using Status = GlobalShortcut::Status;
    const Status status = m_shortcut ? m_shortcut->status() : Status::Unavailable;
    QString text;
    if (m_needsModifier)
        text = qtTrId("settings.shortcut.needs_modifier");
    else if (!m_refused.isEmpty())
        text = qtTrId(m_refusedWhy == Status::Taken ? "settings.shortcut.refused"
                                                    : "settings.shortcut.refused_unsupported")
                   .arg(nativeText(m_refused), nativeText(m_preferences.globalShortcut()));
    else if (status == Status::Unavailable)
        text = qtTrId("settings.shortcut.unavailable");
    else if (m_preferences.globalShortcut().isEmpty())
        text = qtTrId("settings.shortcut.off");
    else if (!m_asked.isEmpty() || status == Status::Pending)
        text = qtTrId("settings.shortcut.pending");
    else if (status == Status::Taken)
        text = qtTrId(m_shortcut->takesFreedKeys() ? "settings.shortcut.taken_waiting"
                                                   : "settings.shortcut.taken");
    else if (status == Status::Unsupported)
        text = qtTrId("settings.shortcut.unsupported");
    const bool resized = m_shortcutStatus->isVisibleTo(this) != !text.isEmpty() ||
                         (isVisible() && text != m_shortcutStatus->text());
    m_shortcutStatus->setText(text);
    m_shortcutStatus->setVisible(!text.isEmpty());
    m_shortcutOff->setEnabled(!m_preferences.globalShortcut().isEmpty());
    // Once the layouts have taken in the change.
    if (resized)
        QTimer::singleShot(0, this, &SettingsView::fitHeight);
}

// Puts the stored values into the controls without writing anything back: a value from
// outside a control's range is shown at its nearest end but stays as it is on disk.
void SettingsView::showPreferences() {
    const Preferences& preferences = m_preferences;
    m_panelHeightSlider->showValue(preferences.effectivePanelHeight());
    m_iconSizeSlider->showValue(preferences.effectiveIconSize());
    m_columns->setValue(std::clamp(preferences.effectiveColumns(), Preferences::kColumnChoices[0],
                                   std::end(Preferences::kColumnChoices)[-1]));
    m_shortcutField->setKeys(preferences.globalShortcut());
    showShortcutStatus();
    // The sizes the panel really has.
    m_panelHeightValue->setText(pixels("settings.panel_height_value", preferences.effectivePanelHeight()));
    m_iconSizeValue->setText(pixels("settings.icon_size_value", preferences.effectiveIconSize()));
}

void SettingsView::showLoginItemStatus() {
    const bool enabled = m_loginItem.status() == LoginItemStatus::Enabled;
    m_loginSwitch->setChecked(enabled);
    // The stored flag only mirrors the service; leave an absent key absent while it agrees.
    if (m_preferences.launchAtLogin() != enabled)
        m_preferences.setLaunchAtLogin(enabled);
}

void SettingsView::loginSwitchClicked(bool on) {
    const bool done = on ? m_loginItem.registerItem() : m_loginItem.unregisterItem();
    if (!done) {
        // Never show a failed change as made.
        showLoginItemStatus();
        return;
    }
    if (m_preferences.launchAtLogin() != on)
        m_preferences.setLaunchAtLogin(on);
}

void SettingsView::fitHeight() {
    ensurePolished();
    QLayout* form = layout();
    const int height =
        form->hasHeightForWidth() ? form->totalHeightForWidth(kFormWidth) : form->totalSizeHint().height();
    setFixedSize(kFormWidth, height);
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showLoginItemStatus();
    if (m_shortcut)
        m_shortcut->retry(); // the keys may have come free since
}

void SettingsView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_needsModifier = false;
    m_refused = {};
    showShortcutStatus();
}

void SettingsView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) ||
        event->matches(QKeySequence::Close))
        close();
    else
        QWidget::keyPressEvent(event);
}

void SettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitHeight();
}

SettingsView* SettingsView::showSingle(LoginItemService& loginItem, Preferences& preferences,
                                       GlobalShortcut* shortcut, const QIcon& icon) {
    static QPointer<SettingsView> window;
    if (!window) {
        window = new SettingsView(loginItem, preferences);
        if (!icon.isNull())
            window->setWindowIcon(icon);
        const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        const QRect area = (screen ? screen : QGuiApplication::primaryScreen())->availableGeometry();
        window->move(area.center() - window->rect().center());
    }
    window->setGlobalShortcut(shortcut);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
