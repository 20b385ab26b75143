#pragma once

#include "model/HandOver.h"
#include "model/HandOverQueue.h"

#include <QObject>

#include <functional>
#include <list>

class NookStore;

// Tells when hand-overs are done: applied, and the write holding their change on disk (or
// failed, with the reason). What answers a caller once its data is on disk waits here.
class HandOverWaiter : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const QList<HandOverResult>& results, const QString& failure)>;

    explicit HandOverWaiter(NookStore& store, QObject* parent = nullptr);

    // `done` runs on the main thread once every one of `tickets` is done; the results in the
    // order of the tickets.
    void wait(const QList<HandOverQueue::Ticket>& tickets, Done done);

private:
    struct Waiting {
        QList<HandOverQueue::Ticket> tickets;
        QList<HandOverResult> results;
        qsizetype applied = 0;
        quint64 generation = 0; // the write that holds them all
        Done done;
    };
    void applied(HandOverQueue::Ticket ticket, const HandOverResult& result);
    void written(quint64 generation, const QString& failure);

    NookStore& m_store;
    std::list<Waiting> m_waiting;
};
