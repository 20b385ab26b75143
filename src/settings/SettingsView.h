#pragma once

#include <QPointer>
#include <QWidget>

class GlobalShortcut;
class LoginItemService;
class Preferences;
class QKeySequenceEdit;
class QLabel;
class QToolButton;
class SegmentedControl;
class StepSlider;
class ToggleSwitch;

// The settings window: launch at login, the global shortcut, panel height, columns and icon size. Every
// change the user makes is written to the preferences at once; the panel follows their change signals.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    SettingsView(LoginItemService& loginItem, Preferences& preferences, QWidget* parent = nullptr);

    // The shortcut whose state the window tells; none means the session offers none.
    void setGlobalShortcut(GlobalShortcut* shortcut);
    QKeySequenceEdit* shortcutField() const { return m_shortcutField; }
    QLabel* shortcutStatus() const { return m_shortcutStatus; }
    QToolButton* shortcutOffButton() const { return m_shortcutOff; }

    // Opens the one settings window, or raises and activates it if open. The first call's
    // login item and preferences serve the window for as long as it lives; the shortcut is
    // the latest one given.
    static SettingsView* showSingle(LoginItemService& loginItem, Preferences& preferences,
                                    GlobalShortcut* shortcut = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLayout* buildPanelHeightRow();
    QLayout* buildColumnsRow();
    QLayout* buildIconSizeRow();
    QLayout* buildShortcutRow();
    void shortcutEdited();
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
    QKeySequenceEdit* m_shortcutField = nullptr;
    QLabel* m_shortcutStatus = nullptr;
    QToolButton* m_shortcutOff = nullptr;
    QPointer<GlobalShortcut> m_shortcut;
    bool m_shortcutRefused = false;
};
