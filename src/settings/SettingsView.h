#pragma once

#include <QWidget>

class LoginItemService;
class QLabel;
class SegmentedControl;
class StepSlider;
class ToggleSwitch;

// The settings window: launch at login, panel height, columns and icon size. Every change the
// user makes is written to the preferences at once; the panel follows their change signals.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    explicit SettingsView(LoginItemService& loginItem, QWidget* parent = nullptr);

    // Opens the one settings window, or raises and activates it if open. The first call's
    // login item serves the window for as long as it lives.
    static SettingsView* showSingle(LoginItemService& loginItem);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLayout* buildPanelHeightRow();
    QLayout* buildColumnsRow();
    QLayout* buildIconSizeRow();
    void showPreferences();
    void showLoginItemStatus();
    void loginSwitchClicked(bool on);
    void fitHeight();

    LoginItemService& m_loginItem;
    ToggleSwitch* m_loginSwitch = nullptr;
    StepSlider* m_panelHeightSlider = nullptr;
    QLabel* m_panelHeightValue = nullptr;
    SegmentedControl* m_columns = nullptr;
    StepSlider* m_iconSizeSlider = nullptr;
};
