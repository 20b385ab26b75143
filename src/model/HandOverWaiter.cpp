#include "model/HandOverWaiter.h"

#include "model/NookStore.h"

HandOverWaiter::HandOverWaiter(NookStore& store, QObject* parent)
    : QObject(parent)
    , m_store(store) {
    connect(&store.handOvers(), &HandOverQueue::finished, this, &HandOverWaiter::applied);
    connect(&store, &NookStore::saved, this, [this](quint64 generation) { written(generation, {}); });
    connect(&store, &NookStore::saveFailed, this,
            [this](const QString& reason, quint64 generation) { written(generation, reason); });
}

void HandOverWaiter::wait(const QList<HandOverQueue::Ticket>& tickets, Done done) {
    m_waiting.push_back({tickets, QList<HandOverResult>(tickets.size()), 0, 0, std::move(done)});
    if (tickets.isEmpty())
        written(m_store.savedGeneration(), {});
}

void HandOverWaiter::applied(HandOverQueue::Ticket ticket, const HandOverResult& result) {
    for (Waiting& waiting : m_waiting) {
        const qsizetype index = waiting.tickets.indexOf(ticket);
        if (index < 0)
            continue;
        waiting.results[index] = result;
        waiting.generation = std::max(waiting.generation, result.generation);
        if (++waiting.applied == waiting.tickets.size())
            written(m_store.savedGeneration(), {}); // nothing to write, or written already
        return;
    }
}

void HandOverWaiter::written(quint64 generation, const QString& failure) {
    // A write holds every change made before it.
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (it->applied == it->tickets.size() && it->generation <= generation) {
            const Waiting done = std::move(*it);
            it = m_waiting.erase(it);
            done.done(done.results, failure);
        } else {
            ++it;
        }
    }
}
