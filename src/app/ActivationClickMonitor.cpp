#include "ActivationClickMonitor.h"

#include <QGuiApplication>

bool ActivationClickMonitor::start() {
    if (m_active)
        return true;
    m_active = true;
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            emit clickedOutside();
    });
    return true;
}

void ActivationClickMonitor::stop() {
    if (!m_active)
        return;
    m_active = false;
    disconnect(qGuiApp, &QGuiApplication::applicationStateChanged, this, nullptr);
}
