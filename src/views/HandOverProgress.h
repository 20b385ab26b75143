#pragma once

#include <QTimer>
#include <QWidget>

// How far a long hand-over of files has come: a thin bar along the foot of the panel's
// header, with the count in its tooltip and accessible name. Short hand-overs never show
// it: it appears only when one is still running after a moment, and goes when the last
// one has finished. The panel places it over the hairline below the header.
class HandOverProgress : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowDelayMs = 500;
    static constexpr int kHeight = 3;

    explicit HandOverProgress(QWidget* parent = nullptr);

    void setProgress(int handled, int total);
    void finish();

    int handled() const { return m_handled; }
    int total() const { return m_total; }
    // How long a hand-over runs before this shows (tests shorten it).
    void setShowDelay(int ms) { m_delay.setInterval(ms); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void appear();

    int m_handled = 0;
    int m_total = 0;
    bool m_running = false;
    QTimer m_delay;
};
