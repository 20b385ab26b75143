#pragma once

#include <QWidget>

class QAbstractButton;
class QButtonGroup;

// A row of joined, mutually exclusive choices, each with a whole-number value. Tab reaches the
// segments, the arrow keys move the choice, Space picks the focused one.
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(const QList<int>& values, QWidget* parent = nullptr);

    int value() const; // -1 when nothing is chosen
    // Shows a value without reporting it; a value that is not offered clears the choice.
    void setValue(int value);
    QAbstractButton* segment(int value) const;

signals:
    // Only for choices the user made.
    void valueChosen(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QButtonGroup* m_group;
};
