#pragma once

#include "model/NookItem.h"

#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QSet>

// Looks in the background whether the targets of items are still there, and where (a moved
// target is searched for). The panel starts a round each time it shows a nook and hands in the
// items as they come into view; each is looked at once a round, so a big nook costs what is on
// screen, not what it holds. Only what differs from what was told before is told.
class TargetCheck : public QObject {
    Q_OBJECT
public:
    struct Result {
        QSet<QUuid> missing;
        QHash<QUuid, QString> paths; // where each target that was found lies now
    };

    explicit TargetCheck(QObject* parent = nullptr);
    ~TargetCheck() override;

    // Every item may be looked at again; what was handed in and not looked at yet is dropped.
    void restart();
    // Looks at those of `items` not looked at in this round.
    void check(const QList<NookItem>& items);
    bool isRunning() const { return m_running; }

signals:
    void finished(const TargetCheck::Result& changes);

private:
    void startQueued();
    // Takes out of `found` what was told before and remembers the rest as told.
    void keepChanges(Result& found);

    QFutureWatcher<Result> m_watcher;
    // Until its result is in: the future is done before the watcher tells, and a new one set then
    // would drop that result.
    bool m_running = false;
    QSet<QUuid> m_looked; // in this round: looked at, being looked at or queued
    QList<NookItem> m_queued;
    Result m_told; // all that was told, each item by what was told of it last
};
