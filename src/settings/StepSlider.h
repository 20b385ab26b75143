#pragma once

#include <QSlider>

// A horizontal slider over real values that only stops on whole steps (200, 220, ... 640). Its
// value is in the preference's own units, so assistive tools read the number the user chose.
class StepSlider : public QSlider {
    Q_OBJECT
public:
    StepSlider(double minimum, double maximum, double step, QWidget* parent = nullptr);

    // Shows a value without reporting it: outside the range at the nearest end, between steps
    // at the nearest step.
    void showValue(double value);

signals:
    // Every step the user moves to, including each step of a drag.
    void stepChosen(double value);

private:
    int snapped(double value) const;

    double m_step;
    bool m_showing = false;
    int m_settled = 0; // the step last shown or reported
};
