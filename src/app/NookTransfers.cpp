#include "app/NookTransfers.h"

#include "model/BackgroundWork.h"
#include "model/DataFile.h"
#include "model/NookDocument.h"
#include "model/NookStore.h"
#include "platform/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSet>

namespace {

NookTransfers::Outcome
refused(const QString& reason,
        NookTransfers::Outcome::Status status = NookTransfers::Outcome::Status::BadRequest) {
    return {status, reason, 0, 0, {}, {}, {}};
}

// At quit the background work is stopped: what would wait for it is told so at once.
bool quitting(const NookTransfers::Done& done) {
    if (BackgroundWork::stopped())
        done(refused(QStringLiteral("Tuckaway is quitting"), NookTransfers::Outcome::Status::NotSaved));
    return BackgroundWork::stopped();
}

// Runs `work` on the main thread while `transfers` is there.
void backOnMainThread(const QPointer<NookTransfers>& transfers, std::function<void()> work) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [transfers, work = std::move(work)] {
            if (transfers)
                work();
        },
        Qt::QueuedConnection);
}

} // namespace

NookTransfers::NookTransfers(NookStore& store, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_waiter(store) {}

void NookTransfers::exportTo(const QString& file, const QString& nook, Done done) {
    if (!QDir::isAbsolutePath(file))
        return done(refused(QStringLiteral("%1: not an absolute path").arg(file)));
    const QString data = QFileInfo(m_store.saveURL().toLocalFile()).canonicalFilePath();
    if (!data.isEmpty() && QFileInfo(file).canonicalFilePath() == data)
        return done(refused(QStringLiteral("%1 is the data file itself").arg(file)));
    // Its turn comes after what was handed over before it.
    const HandOverQueue::Ticket turn = m_store.handOvers().add({}, HandOverTarget::current());
    m_waiter.wait({turn}, [this, file, nook, done](const QList<HandOverResult>&, const QString&) {
        QList<NookGroup> groups = m_store.groups();
        if (!nook.isEmpty()) {
            const std::optional<QUuid> id = m_store.findTarget(HandOverTarget::named(nook));
            if (!id)
                return done(refused(QStringLiteral("no nook is called \u201c%1\u201d").arg(nook)));
            groups = {*m_store.group(*id)};
        }
        if (quitting(done))
            return;
        // Finding moved targets may take long: never on the main thread.
        BackgroundWork::run(
            [guard = QPointer(this), file, groups, done] {
                Outcome outcome;
                outcome.nooks = int(groups.size());
                const QByteArray bytes = NookDocument::encode(groups, &outcome.items);
                if (!AtomicFile::write(file, bytes, QFileDevice::ReadOwner | QFileDevice::WriteOwner,
                                       &outcome.reason)) {
                    outcome.status = Outcome::Status::NotSaved;
                    if (outcome.reason.isEmpty())
                        outcome.reason = QStringLiteral("%1: the write failed").arg(file);
                }
                backOnMainThread(guard, [outcome, done] { done(outcome); });
            },
            BackgroundWork::UserWaits);
    });
}

void NookTransfers::importFrom(const QString& file, Done done) {
    if (!QDir::isAbsolutePath(file))
        return done(refused(QStringLiteral("%1: not an absolute path").arg(file)));
    if (quitting(done))
        return;
    // Read as the data file is: never blocking on a fifo, never without end.
    BackgroundWork::run(
        [guard = QPointer(this), file, done] {
            const DataFile::Contents contents = DataFile::read(file);
            QString unreadable = contents.reason;
            if (contents.state == DataFile::Contents::State::Missing)
                unreadable = QStringLiteral("%1: no such file").arg(file);
            backOnMainThread(guard, [guard, file, bytes = contents.bytes, unreadable, done] {
                guard->queueImport(file, bytes, unreadable, done);
            });
        },
        BackgroundWork::UserWaits);
}

void NookTransfers::queueImport(const QString& file, const QByteArray& bytes, const QString& unreadable,
                                Done done) {
    if (!unreadable.isEmpty())
        return done(refused(unreadable));
    QString error;
    const std::optional<QList<NookDocument::Nook>> nooks = NookDocument::decode(bytes, &error);
    if (!nooks)
        return done(refused(QStringLiteral("%1: %2").arg(file, error)));
    QSet<QUuid> before;
    for (const NookGroup& group : m_store.groups())
        before.insert(group.id);
    QList<HandOverQueue::Ticket> tickets;
    for (const NookDocument::Nook& nook : *nooks)
        tickets << m_store.handOvers().addImported(nook.urls, nook.names, nook.name);
    m_waiter.wait(tickets, [before, done](const QList<HandOverResult>& results, const QString& failure) {
        Outcome outcome;
        QSet<QUuid> made;
        for (const HandOverResult& result : results) {
            outcome.added += result.added;
            outcome.duplicates += result.duplicates;
            outcome.rejected += result.rejected;
            if (result.groupID && !before.contains(*result.groupID))
                made.insert(*result.groupID);
        }
        outcome.nooks = int(made.size());
        if (!failure.isEmpty()) {
            outcome.status = Outcome::Status::NotSaved;
            outcome.reason = failure;
        }
        done(outcome);
    });
}
