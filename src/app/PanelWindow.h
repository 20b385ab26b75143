#pragma once

#include <QWidget>

#include <functional>

// The panel's frameless, always-on-top window. The content paints its own rounded
// background; the window is translucent where a compositor runs and otherwise cut to
// the rounded shape, so its corners never show black.
class PanelWindow : public QWidget {
    Q_OBJECT
public:
    explicit PanelWindow(bool translucent);

    void setContent(QWidget* content);
    // Called when the window manager asks the window to close (Alt+F4 and the like).
    void setOnCloseRequest(std::function<void()> onCloseRequest);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool m_translucent;
    std::function<void()> m_onCloseRequest;
};
