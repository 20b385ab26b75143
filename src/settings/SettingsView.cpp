#include "settings/SettingsView.h"

#include "platform/GlobalShortcut.h"
#include "platform/LoginItemService.h"
#include "platform/Preferences.h"
#include "settings/FormSection.h"
#include "settings/SegmentedControl.h"
#include "settings/SquareGlyph.h"
#include "settings/StepSlider.h"
#include "settings/ToggleSwitch.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QPointer>
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

} // namespace

SettingsView::SettingsView(LoginItemService& loginItem, Preferences& preferences, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_loginItem(loginItem)
    , m_preferences(preferences) {
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
    form->addWidget(panelSection);

    showPreferences();

    connect(&m_preferences, &Preferences::panelHeightChanged, this, &SettingsView::showPreferences);
    connect(&m_preferences, &Preferences::columnsChanged, this, &SettingsView::showPreferences);
    connect(&m_preferences, &Preferences::iconSizeChanged, this, &SettingsView::showPreferences);
    connect(&m_preferences, &Preferences::globalShortcutChanged, this, &SettingsView::showPreferences);
    connect(m_shortcutField, &QKeySequenceEdit::editingFinished, this, &SettingsView::shortcutEdited);
    connect(m_shortcutOff, &QAbstractButton::clicked, this, [this] {
        m_shortcutField->clear();
        shortcutEdited();
    });

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

    auto* sliderLine = new QHBoxLayout();
    sliderLine->addWidget(new SquareGlyph(9, this));
    sliderLine->addWidget(m_iconSizeSlider, 1);
    sliderLine->addWidget(new SquareGlyph(17, this));

    row->addWidget(title);
    row->addLayout(sliderLine);
    return row;
}

QLayout* SettingsView::buildShortcutRow() {
    auto* row = new QVBoxLayout();
    row->setSpacing(4);
    auto* line = new QHBoxLayout();
    auto* title = makeTitle(qtTrId("settings.shortcut"), this);
    m_shortcutField = new QKeySequenceEdit(this);
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
    if (shortcut)
        connect(shortcut, &GlobalShortcut::statusChanged, this, &SettingsView::showShortcutStatus);
    showShortcutStatus();
}

// Only the first keys pressed count. A key that types something needs Ctrl, Alt or Super
// with it, or it would be taken from every application.
void SettingsView::shortcutEdited() {
    const QKeySequence typed = m_shortcutField->keySequence();
    const QKeySequence keys = typed.isEmpty() ? QKeySequence() : QKeySequence(typed[0]);
    const Qt::KeyboardModifiers modifiers = keys.isEmpty() ? Qt::NoModifier : keys[0].keyboardModifiers();
    const bool functionKey = !keys.isEmpty() && keys[0].key() >= Qt::Key_F1 && keys[0].key() <= Qt::Key_F35;
    m_shortcutRefused = !keys.isEmpty() && !functionKey &&
                        !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!m_shortcutRefused && keys != m_preferences.globalShortcut())
        m_preferences.setGlobalShortcut(keys);
    showPreferences();
}

void SettingsView::showShortcutStatus() {
    const char* id = nullptr;
    if (m_shortcutRefused)
        id = "settings.shortcut.needs_modifier";
    else if (!m_shortcut || m_shortcut->status() == GlobalShortcut::Status::Unavailable)
        id = "settings.shortcut.unavailable";
    else if (m_preferences.globalShortcut().isEmpty())
        id = "settings.shortcut.off";
    else if (m_shortcut->status() == GlobalShortcut::Status::Pending)
        id = "settings.shortcut.pending";
    else if (m_shortcut->status() == GlobalShortcut::Status::Taken)
        id = "settings.shortcut.taken";
    else if (m_shortcut->status() == GlobalShortcut::Status::Unsupported)
        id = "settings.shortcut.unsupported";
    const QString text = id ? qtTrId(id) : QString();
    const bool resized = m_shortcutStatus->isVisibleTo(this) != (id != nullptr) ||
                         (isVisible() && text != m_shortcutStatus->text());
    m_shortcutStatus->setText(text);
    m_shortcutStatus->setVisible(id != nullptr);
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
    m_shortcutField->setKeySequence(preferences.globalShortcut());
    showShortcutStatus();

    // The height the panel really has, in whole points (toward zero).
    const double height = std::clamp(preferences.effectivePanelHeight(), -1e9, 1e9);
    m_panelHeightValue->setText(qtTrId("settings.panel_height_value").arg(static_cast<qlonglong>(height)));
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
}

void SettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitHeight();
}

SettingsView* SettingsView::showSingle(LoginItemService& loginItem, Preferences& preferences,
                                       GlobalShortcut* shortcut) {
    static QPointer<SettingsView> window;
    if (!window)
        window = new SettingsView(loginItem, preferences);
    window->setGlobalShortcut(shortcut);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
