#pragma once

#include "platform/OutsideClickMonitor.h"

// Stands in for the platform's monitor: tests report clicks into other applications.
class FakeClickMonitor : public OutsideClickMonitor {
    Q_OBJECT
public:
    using OutsideClickMonitor::OutsideClickMonitor;
    bool start() override { return m_active = true; }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    // A click landed in another application (only seen while started, as with a real one).
    void click() {
        if (m_active)
            emit clickedOutside();
    }

private:
    bool m_active = false;
};
