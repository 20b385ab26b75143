#pragma once

#include <QTimer>
#include <QWidget>

class HeaderButton;
class QLabel;
class QPushButton;

// One message at the foot of the panel: what was just removed (with Undo), or what
// went wrong (with what the user can do about it). A new notice replaces the one shown;
// its button tells through actionTriggered, and whoever posted it knows what it does.
class NoticeBar : public QWidget {
    Q_OBJECT
public:
    struct Notice {
        QString text;
        QString actionText; // no button when empty
        int timeoutMs = 0;  // 0: stays until closed or replaced
    };

    explicit NoticeBar(QWidget* parent = nullptr);

    void post(Notice notice);
    void dismiss();
    // What the timer does when the notice's time is up.
    void expire();
    bool isPosted() const { return m_posted; }
    // Takes the notice down and tells of its action, once; false when it has none.
    bool triggerAction();

    QString text() const;
    QPushButton* actionButton() const { return m_action; }
    const QTimer& timer() const { return m_timer; }

signals:
    void actionTriggered();
    // Taken down without its action: closed or timed out (a new notice replaces it silently).
    void dismissed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void takeDown();

    QLabel* m_label;
    QPushButton* m_action;
    HeaderButton* m_close;
    QTimer m_timer;
    bool m_posted = false;
    bool m_hasAction = false;
};
