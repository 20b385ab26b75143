#include "settings/StepSlider.h"

#include <algorithm>
#include <cmath>

StepSlider::StepSlider(double minimum, double maximum, double step, QWidget* parent)
    : QSlider(Qt::Horizontal, parent)
    , m_step(step) {
    setRange(int(minimum), int(maximum));
    setSingleStep(int(step));
    setPageStep(int(step));
    connect(this, &QSlider::valueChanged, this, [this](int value) {
        // A drag lands between steps; move on to the nearest one, which reports itself.
        if (const int onStep = snapped(value); onStep != value) {
            setValue(onStep);
            return;
        }
        // Wandering off a step and back to it is no change.
        if (m_showing || value == m_settled)
            return;
        m_settled = value;
        emit stepChosen(value);
    });
}

int StepSlider::snapped(double value) const {
    if (std::isnan(value))
        return minimum();
    const double clamped = std::clamp(value, double(minimum()), double(maximum()));
    return minimum() + int(std::lround((clamped - minimum()) / m_step) * m_step);
}

void StepSlider::showValue(double value) {
    m_showing = true;
    m_settled = snapped(value);
    setValue(m_settled);
    m_showing = false;
}
