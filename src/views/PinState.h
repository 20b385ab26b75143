#pragma once

#include <QObject>

// Whether the panel is pinned open. One instance, made by the panel controller and
// shared with the panel's content. Setting the value it already holds tells nobody.
class PinState : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool value READ value WRITE setValue NOTIFY valueChanged)
public:
    using QObject::QObject;

    bool value() const { return m_value; }
    void setValue(bool value) {
        if (m_value == value)
            return;
        m_value = value;
        emit valueChanged(m_value);
    }

signals:
    void valueChanged(bool value);

private:
    bool m_value = false;
};
