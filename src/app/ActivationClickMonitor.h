#pragma once

#include "OutsideClickMonitor.h"

// Where raw clicks cannot be read: a click into another application takes the
// activation away from this one, which is what this reports.
class ActivationClickMonitor : public OutsideClickMonitor {
    Q_OBJECT
public:
    using OutsideClickMonitor::OutsideClickMonitor;

    bool start() override;
    void stop() override;
    bool isActive() const override { return m_active; }

private:
    bool m_active = false;
};
