#pragma once

#include "model/NookItem.h"

#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QSet>

// Looks in the background whether the targets of a list of items are still there, and
// where (a moved target is searched for). Only the latest check reports: a new one makes
// the result of the one before it worthless.
class TargetCheck : public QObject {
    Q_OBJECT
public:
    struct Result {
        QSet<QUuid> missing;
        QHash<QUuid, QString> paths; // where each target that was found lies now
    };

    explicit TargetCheck(QObject* parent = nullptr);
    ~TargetCheck() override;

    void check(const QList<NookItem>& items);
    bool isRunning() const { return m_watcher.isRunning(); }

signals:
    void finished(const TargetCheck::Result& result);

private:
    QFutureWatcher<Result> m_watcher;
    bool m_pending = false;
    QList<NookItem> m_next;
};
