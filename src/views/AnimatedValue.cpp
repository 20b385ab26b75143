#include "views/AnimatedValue.h"

#include <QVariantAnimation>

#include <cmath>

namespace {

// Step response of a damped spring released from rest; overshoots a little, then settles.
qreal springProgress(qreal progress) {
    constexpr double response = 0.2;
    constexpr double damping = 0.6;
    constexpr double omega = 2.0 * M_PI / response;
    const double dampedOmega = omega * std::sqrt(1.0 - damping * damping);
    const double t = progress * AnimatedValue::springDuration / 1000.0;
    const double decay = std::exp(-damping * omega * t);
    const double value =
        1.0 - decay * (std::cos(dampedOmega * t) + damping * omega / dampedOmega * std::sin(dampedOmega * t));
    return progress >= 1.0 ? 1.0 : value;
}

} // namespace

AnimatedValue::AnimatedValue(double initial, QObject* parent)
    : QObject(parent)
    , m_animation(new QVariantAnimation(this))
    , m_value(initial)
    , m_target(initial) {
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_value = value.toDouble();
        emit changed();
    });
}

bool AnimatedValue::isRunning() const {
    return m_animation->state() == QAbstractAnimation::Running;
}

void AnimatedValue::animateTo(double target, int milliseconds, const QEasingCurve& curve) {
    if (target == m_target && (isRunning() || m_value == target))
        return;
    m_target = target;
    m_animation->stop();
    if (milliseconds <= 0 || m_value == target) {
        setValue(target);
        return;
    }
    m_animation->setStartValue(m_value);
    m_animation->setEndValue(target);
    m_animation->setDuration(milliseconds);
    m_animation->setEasingCurve(curve);
    m_animation->start();
}

void AnimatedValue::setValue(double value) {
    m_animation->stop();
    m_target = value;
    if (m_value == value)
        return;
    m_value = value;
    emit changed();
}

QEasingCurve AnimatedValue::springCurve() {
    QEasingCurve curve;
    curve.setCustomType(&springProgress);
    return curve;
}
