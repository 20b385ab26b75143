#pragma once

#include <QWidget>

// The panel's frameless, always-on-top window. The content paints its own rounded
// background; the window is translucent where a compositor runs and otherwise cut to
// the rounded shape, so its corners never show black.
class PanelWindow : public QWidget {
    Q_OBJECT
public:
    explicit PanelWindow(bool translucent);

    void setContent(QWidget* content);
signals:
    // The window manager asked the window to close (Alt+F4 and the like).
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool m_translucent;
};
