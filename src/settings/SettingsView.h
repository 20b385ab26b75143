#pragma once

#include "platform/GlobalShortcut.h"

#include <QIcon>
#include <QPointer>
#include <QWidget>

class LoginItemService;
class Preferences;
class QLabel;
class QToolButton;
class SegmentedControl;
class ShortcutField;
class StepSlider;
class ToggleSwitch;

// The settings window: launch at login, the global shortcut, panel height, columns and icon size. Every
// change the user makes is written to the preferences at once; the panel follows their change signals.
// New shortcut keys go to the shortcut first and are written once it holds them, so keys another
// program holds never replace keys that work. Escape and Ctrl+W close the window.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    SettingsView(LoginItemService& loginItem, Preferences& preferences, QWidget* parent = nullptr);

    // The shortcut whose state the window tells; none means the session offers none.
    void setGlobalShortcut(GlobalShortcut* shortcut);
    ShortcutField* shortcutField() const { return m_shortcutField; }
    QLabel* shortcutStatus() const { return m_shortcutStatus; }
    QToolButton* shortcutOffButton() const { return m_shortcutOff; }

    // Opens the one settings window, or raises and activates it if open: the first time
    // centred on the screen under the pointer (where the panel opens), later where it was
    // left. The first call's login item, preferences and icon serve the window for as long as
    // it lives; the shortcut is the latest one given.
    static SettingsView* showSingle(LoginItemService& loginItem, Preferences& preferences,
                                    GlobalShortcut* shortcut = nullptr, const QIcon& icon = {});

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLayout* buildPanelHeightRow();
    QLayout* buildColumnsRow();
    QLayout* buildIconSizeRow();
    QLayout* buildShortcutRow();
    void shortcutPressed(QKeyCombination pressed);
    void turnShortcutOff();
    void keepBoundKeys();
    void shortcutRefused(const QKeySequence& keys, GlobalShortcut::Status why);
    QLayout* buildPreviewsRow();
    void showShortcutStatus();
    void showPreferences();
    void showLoginItemStatus();
    void loginSwitchClicked(bool on);
    void fitHeight();

    LoginItemService& m_loginItem;
    Preferences& m_preferences;
    ToggleSwitch* m_loginSwitch = nullptr;
    StepSlider* m_panelHeightSlider = nullptr;
    QLabel* m_panelHeightValue = nullptr;
    SegmentedControl* m_columns = nullptr;
    StepSlider* m_iconSizeSlider = nullptr;
    QLabel* m_iconSizeValue = nullptr;
    ShortcutField* m_shortcutField = nullptr;
    QLabel* m_shortcutStatus = nullptr;
    QToolButton* m_shortcutOff = nullptr;
    QPointer<GlobalShortcut> m_shortcut;
    QKeySequence m_asked;   // keys given to the shortcut, stored once it holds them
    QKeySequence m_refused; // keys it could not have while the stored ones went on working
    GlobalShortcut::Status m_refusedWhy = GlobalShortcut::Status::Taken;
    bool m_needsModifier = false;
};
