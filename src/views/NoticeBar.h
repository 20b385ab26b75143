#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

class HeaderButton;
class QLabel;
class QPushButton;

// One message at the foot of the panel: what was just removed (with Undo), or what
// went wrong (with what the user can do about it). A new notice replaces the one shown.
class NoticeBar : public QWidget {
    Q_OBJECT
public:
    struct Notice {
        QString text;
        QString actionText; // no button when empty
        std::function<void()> action;
        int timeoutMs = 0; // 0: stays until closed or replaced
    };

    explicit NoticeBar(QWidget* parent = nullptr);

    void post(Notice notice);
    void dismiss();
    // What the timer does when the notice's time is up.
    void expire();
    bool isPosted() const { return m_posted; }
    // Runs the notice's action once and takes the notice down.
    bool triggerAction();

    QString text() const;
    QPushButton* actionButton() const { return m_action; }
    const QTimer& timer() const { return m_timer; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_label;
    QPushButton* m_action;
    HeaderButton* m_close;
    QTimer m_timer;
    std::function<void()> m_callback;
    bool m_posted = false;
};
