#pragma once

#include "model/NookItem.h"

#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QSet>

#include <optional>

// Looks in the background whether the targets of a list of items are still there, and
// where (a moved target is searched for). Only the latest check reports: a new one makes
// the result of the one before it worthless. A result equal to the one reported last is not
// reported again: those told merge what they are told, so it would change nothing, and a
// big nook's paths would be handed over anew on every showing of the panel.
class TargetCheck : public QObject {
    Q_OBJECT
public:
    struct Result {
        QSet<QUuid> missing;
        QHash<QUuid, QString> paths; // where each target that was found lies now
        bool operator==(const Result&) const = default;
    };

    explicit TargetCheck(QObject* parent = nullptr);
    ~TargetCheck() override;

    void check(const QList<NookItem>& items);
    bool isRunning() const { return m_watcher.isRunning(); }

signals:
    void finished(const TargetCheck::Result& result);

private:
    QFutureWatcher<std::optional<Result>> m_watcher; // nothing: the same as reported
    Result m_reported;
    bool m_pending = false;
    QList<NookItem> m_next;
};
