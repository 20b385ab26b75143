#include "model/HandOverQueue.h"

#include "model/NookStore.h"

#include <QCoreApplication>
#include <QFileInfo>

HandOverQueue::HandOverQueue(NookStore& store)
    : QObject()
    , m_store(store) {
    m_pool.setMaxThreadCount(1);
    m_delay.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this, [this] { applyReady(false); });
}

HandOverQueue::~HandOverQueue() {
    m_pool.waitForDone();
}

QString HandOverQueue::linkFolder() const {
    return WebLinks::folderIn(QFileInfo(m_store.saveURL().toLocalFile()).absolutePath());
}

void HandOverQueue::runInTurn(std::function<void()> work) {
    m_pool.start(std::move(work));
}

HandOverQueue::Ticket HandOverQueue::add(const QList<QUrl>& urls, const HandOverTarget& target, int delayMs,
                                         const QHash<QUrl, QString>& titles) {
    Job job;
    job.target = target;
    job.notBefore = QDeadlineTimer(delayMs);
    return enqueue(std::move(job), urls, {}, titles);
}

HandOverQueue::Ticket HandOverQueue::addImported(const QList<QUrl>& urls, const QHash<QUrl, QString>& names,
                                                 const QString& nook) {
    Job job;
    job.target = HandOverTarget::named(nook);
    job.notBefore = QDeadlineTimer(0);
    job.makeNook = true;
    return enqueue(std::move(job), urls, names, {});
}

HandOverQueue::Ticket HandOverQueue::enqueue(Job job, const QList<QUrl>& urls,
                                             const QHash<QUrl, QString>& names,
                                             const QHash<QUrl, QString>& titles) {
    job.ticket = ++m_lastTicket;
    job.preparedFor = m_store.findTarget(job.target);
    if (job.preparedFor)
        job.before = m_store.group(*job.preparedFor)->items;
    m_jobs.push_back(std::move(job));
    Job* queued = &m_jobs.back(); // list elements stay where they are
    const int total = int(urls.size());
    const WebLinks::HandOver links{linkFolder(), titles};
    m_pool.start([this, queued, urls, names, total, before = queued->before, links] {
        HandOverBatch batch = HandOverBatch::prepare(
            before, urls,
            [this, total](int handled) {
                QMetaObject::invokeMethod(this, [this, handled, total] { emit progress(handled, total); });
            },
            links);
        for (qsizetype i = 0; i < batch.items.size(); ++i) // `added` runs along the items
            batch.items[i].name = names.value(batch.result.added.at(i), batch.items.at(i).name);
        QMetaObject::invokeMethod(this, [this, queued, batch = std::move(batch)]() mutable {
            queued->batch = std::move(batch);
            applyReady(false);
        });
    });
    return m_lastTicket;
}

void HandOverQueue::applyReady(bool ignoreDelays) {
    while (!m_jobs.empty() && m_jobs.front().batch) {
        Job& next = m_jobs.front();
        if (!ignoreDelays && !next.notBefore.hasExpired()) {
            m_delay.start(int(next.notBefore.remainingTime()));
            return;
        }
        Job job = std::move(next);
        m_jobs.pop_front();
        const HandOverResult result = m_store.applyHandOver(std::move(*job.batch), job.target,
                                                            job.preparedFor, job.before, job.makeNook);
        emit finished(job.ticket, result);
    }
}

void HandOverQueue::complete() {
    m_pool.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_delay.stop();
    applyReady(true);
}
