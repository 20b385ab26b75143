#pragma once

#include <QEasingCurve>
#include <QObject>

class QVariantAnimation;

// A number that eases towards its target; changed() asks the owner to repaint.
class AnimatedValue : public QObject {
    Q_OBJECT
public:
    explicit AnimatedValue(double initial, QObject* parent = nullptr);

    double value() const { return m_value; }
    double target() const { return m_target; }
    bool isRunning() const;

    void animateTo(double target, int milliseconds, const QEasingCurve& curve = QEasingCurve::InOutQuad);
    void setValue(double value);

    // A spring of 0.2 s response and 0.6 damping, as an easing curve over springDuration().
    static QEasingCurve springCurve();
    static constexpr int springDuration = 300;

signals:
    void changed();

private:
    QVariantAnimation* m_animation;
    double m_value;
    double m_target;
};
