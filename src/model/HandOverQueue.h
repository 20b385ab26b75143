#pragma once

#include "model/HandOver.h"
#include "model/HandOverBatch.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <list>
#include <optional>

class NookStore;

// The one way files become items. Every hand-over (a drop on the grid, a launcher's Open,
// the bus Add, the command line) joins one ordered queue: its file-system half (bookmarks,
// names, the comparison with the nook's targets) runs on a worker thread of its own, and
// its result joins the store on the main thread, in the order the hand-overs were made.
// A hand-over is looked at once those before it have joined, so it is compared with its
// nook as they left it: the main thread only checks what else the nook gained meanwhile.
class HandOverQueue : public QObject {
    Q_OBJECT
public:
    using Ticket = quint64;

    explicit HandOverQueue(NookStore& store);
    ~HandOverQueue() override;

    // With `delayMs`, the files join no earlier than that (a launcher's files arrive a moment
    // after the panel shows); the hand-overs after it wait their turn.
    // Web addresses become link items in the store's links folder; `titles` are the page titles
    // a drop carried, by address.
    Ticket add(const QList<QUrl>& urls, const HandOverTarget& target, int delayMs = 0,
               const QHash<QUrl, QString>& titles = {});
    // The same for URIs as a launcher passes them, read on the queue's thread, since a launcher
    // may pass very many; those that do not parse are left out.
    Ticket addUris(const QStringList& uris, const HandOverTarget& target, int delayMs = 0);
    // An imported nook's files: they join the first nook called `nook` under the names given
    // (a file without one is named as usual), and that nook is made even when none is added.
    Ticket addImported(const QList<QUrl>& urls, const QHash<QUrl, QString>& names, const QString& nook);
    // Runs `work` on the queue's thread between the preparations: for file-system work that must
    // not cross one (removing link files a preparation might be reading or making).
    void runInTurn(std::function<void()> work);
    // The folder of the store's link files.
    QString linkFolder() const;
    // Waits for the hand-overs under way and applies every one now, delays or not (at quit,
    // and where no event loop runs).
    void complete();
    bool isRunning() const { return !m_jobs.empty(); }

signals:
    void progress(int handled, int total);
    void finished(HandOverQueue::Ticket ticket, const HandOverResult& result);

private:
    struct Job {
        Ticket ticket = 0;
        HandOverTarget target;
        std::optional<QUuid> preparedFor; // the nook the files were compared with
        QList<NookItem> before;           // its items then
        QDeadlineTimer notBefore;
        std::optional<HandOverBatch> batch;
        bool makeNook = false;
        bool started = false;
        QList<QUrl> urls;
        QStringList uris;            // read into more URLs on the queue's thread
        QHash<QUrl, QString> names;  // the names asked for, by file
        QHash<QUrl, QString> titles; // the page titles a drop carried, by address
    };
    Ticket enqueue(Job job);
    // Starts looking at the first hand-over's files, unless that has begun.
    void prepareFirst();
    void applyReady(bool ignoreDelays);

    NookStore& m_store;
    std::list<Job> m_jobs; // in the order made
    Ticket m_lastTicket = 0;
    QTimer m_delay;
    // One thread, so preparations run in the order made. Goes first, waiting for its work.
    QThreadPool m_pool;
};
