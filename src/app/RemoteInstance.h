#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantList>

// The running instance as a second start sees it over the session bus. Never starts one
// through bus activation: starting is the caller's decision.
class RemoteInstance {
public:
    // How long a live instance may take to answer the probe.
    static constexpr int kProbeTimeoutMs = 1000;

    explicit RemoteInstance(QDBusConnection bus);

    bool isRunning() const;
    // Probes the instance first, so a hung one is given up on within a second, then
    // makes the call, which may take longer (a large hand-over).
    QDBusMessage call(const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) const;

private:
    QDBusMessage message(const QString& interface, const QString& method,
                         const QVariantList& arguments) const;

    QDBusConnection m_bus;
};
