#pragma once

#include <QWidget>

class HeaderButton;
class PinState;
class QLineEdit;
class TuckawayTabBar;

// The panel's top row: the tabs (or, while searching, the search field), then the
// add-group, add-files, pin and settings buttons. The pin button shows and flips the shared pin flag.
class PanelHeader : public QWidget {
    Q_OBJECT
public:
    PanelHeader(PinState& pinState, QWidget* parent = nullptr);

    TuckawayTabBar* tabBar() const { return m_tabBar; }
    QLineEdit* searchField() const { return m_searchField; }
    HeaderButton* addGroupButton() const { return m_addButton; }
    HeaderButton* addFilesButton() const { return m_addFilesButton; }
    HeaderButton* pinButton() const { return m_pinButton; }
    HeaderButton* settingsButton() const { return m_settingsButton; }

    // While searching, the search field (shown by the search) takes the tabs' place.
    void setSearching(bool searching);

signals:
    void addGroupClicked();
    void addFilesClicked();
    void settingsClicked();

private:
    void dressSearchField();
    void showPinState();

    PinState& m_pinState;
    TuckawayTabBar* m_tabBar;
    QLineEdit* m_searchField;
    HeaderButton* m_addButton;
    HeaderButton* m_addFilesButton;
    HeaderButton* m_pinButton;
    HeaderButton* m_settingsButton;
};
