#pragma once

#include <QObject>

#include <memory>

// Tells of clicks (a left button release or a right button press) that land in
// another application's window while it is started. Clicks on this application's
// own windows are not reported.
class OutsideClickMonitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // False when clicks cannot be watched; the panel then stays open until closed otherwise.
    virtual bool start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    // Raw button events where an X server gives them; nothing elsewhere (the panel
    // closes on losing the focus in every session).
    static std::unique_ptr<OutsideClickMonitor> createForPlatform();

signals:
    void clickedOutside();
};
