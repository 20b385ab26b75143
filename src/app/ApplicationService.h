#pragma once

#include "app/AppAction.h"
#include "app/NookTransfers.h"
#include "model/HandOver.h"
#include "model/HandOverWaiter.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <memory>

class NookStore;

// The application on the session bus: it owns org.tuckaway.Tuckaway and serves, at
// /org/tuckaway/Tuckaway, the desktop's launch interface (org.freedesktop.Application) and
// its own (org.tuckaway.Tuckaway), both described in resources/dbus and adapted by code
// generated from there. A second start finds the name taken and hands its request over.
//
// The calls that change the nooks go through the store's one hand-over queue and answer
// only once the write holding their change has reached the disk (a delayed reply), so a
// script that reads the data file after the call finds its files there.
class ApplicationService : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    static constexpr auto kServiceName = "org.tuckaway.Tuckaway";
    static constexpr auto kObjectPath = "/org/tuckaway/Tuckaway";
    static constexpr auto kInterface = "org.freedesktop.Application";
    static constexpr auto kOwnInterface = "org.tuckaway.Tuckaway";
    static constexpr auto kNotSaved = "org.tuckaway.Tuckaway.Error.NotSaved";
    // Bounds that keep every call short on the main thread.
    static constexpr int kMaxNameLength = 1000;
    static constexpr int kMaxUris = 10000;

    enum class Registration { Owner, AlreadyRunning, NoBus };

    explicit ApplicationService(QDBusConnection bus = QDBusConnection::sessionBus(),
                                QObject* parent = nullptr);
    ~ApplicationService() override;

    Registration registerOnBus();
    // The nooks the calls act on. A call that comes before them asks for them
    // (storeNeeded) and is refused when none come.
    void attach(NookStore& store);

signals:
    void actionRequested(AppAction action);
    // A call needs the nooks, and none is attached yet.
    void storeNeeded();
    // A launcher's files, as the URIs it passed: the panel shows, and they join the current nook.
    void openRequested(const QStringList& uris);

public slots: // the bus methods, called by the generated adaptors
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& actionName, const QVariantList& parameter,
                        const QVariantMap& platformData);

    QString Version();
    QStringList Add(const QStringList& uris, const QString& nook, QStringList& duplicates,
                    QStringList& rejected);
    uint Export(const QString& file, const QString& nook, uint& items);
    QStringList Import(const QString& file, QStringList& duplicates, QStringList& rejected, uint& nooks);
    QString List();
    QStringList NookNames();
    void Show();
    void Toggle();
    void Settings();
    void Quit();

private:
    // The store is attached, asked for if need be; else the call is refused.
    bool haveStore();
    // The error for a transfer that did not happen, or nothing.
    std::optional<QDBusMessage> refusal(const QDBusMessage& call, const NookTransfers::Outcome& outcome);

    QDBusConnection m_bus;
    NookStore* m_store = nullptr;
    bool m_registered = false;
    std::unique_ptr<HandOverWaiter> m_waiter;
    std::unique_ptr<NookTransfers> m_transfers;
};
