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

    // The best monitor for the running platform: raw button events on X11, else the
    // application losing activation.
    static std::unique_ptr<OutsideClickMonitor> createForPlatform();

signals:
    void clickedOutside();
};
