#include "model/HandOverQueue.h"

#include "model/BackgroundWork.h"
#include "model/NookStore.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <utility>

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
    m_pool.start([work = std::move(work)] {
        BackgroundWork::yieldToMainThread();
        work();
    });
}

HandOverQueue::Ticket HandOverQueue::add(const QList<QUrl>& urls, const HandOverTarget& target, int delayMs,
                                         const QHash<QUrl, QString>& titles) {
    Job job;
    job.target = target;
    job.notBefore = QDeadlineTimer(delayMs);
    job.urls = urls;
    job.titles = titles;
    return enqueue(std::move(job));
}

HandOverQueue::Ticket HandOverQueue::addUris(const QStringList& uris, const HandOverTarget& target,
                                             int delayMs) {
    Job job;
    job.target = target;
    job.notBefore = QDeadlineTimer(delayMs);
    job.uris = uris;
    return enqueue(std::move(job));
}

HandOverQueue::Ticket HandOverQueue::addImported(const QList<QUrl>& urls, const QHash<QUrl, QString>& names,
                                                 const QString& nook) {
    Job job;
    job.target = HandOverTarget::named(nook);
    job.notBefore = QDeadlineTimer(0);
    job.makeNook = true;
    job.urls = urls;
    job.names = names;
    return enqueue(std::move(job));
}

HandOverQueue::Ticket HandOverQueue::enqueue(Job job) {
    job.ticket = ++m_lastTicket;
    m_jobs.push_back(std::move(job));
    prepareFirst();
    return m_lastTicket;
}

void HandOverQueue::prepareFirst() {
    if (m_jobs.empty() || m_jobs.front().started)
        return;
    Job* first = &m_jobs.front(); // list elements stay where they are
    first->started = true;
    first->preparedFor = m_store.findTarget(first->target);
    if (first->preparedFor)
        first->before = m_store.group(*first->preparedFor)->items;
    const int total = int(first->urls.size() + first->uris.size());
    const WebLinks::HandOver links{linkFolder(), std::exchange(first->titles, {})};
    m_pool.start([this, first, urls = std::exchange(first->urls, {}), uris = std::exchange(first->uris, {}),
                  names = std::exchange(first->names, {}), total, before = first->before, links]() mutable {
        BackgroundWork::yieldToMainThread();
        for (const QString& uri : std::as_const(uris)) {
            if (const QUrl url(uri, QUrl::StrictMode); url.isValid())
                urls << url;
        }
        HandOverBatch batch = HandOverBatch::prepare(
            before, urls,
            [this, total](int handled) {
                QMetaObject::invokeMethod(this, [this, handled, total] { emit progress(handled, total); });
            },
            links);
        for (qsizetype i = 0; i < batch.items.size(); ++i) // `added` runs along the items
            batch.items[i].name = names.value(batch.result.added.at(i), batch.items.at(i).name);
        QMetaObject::invokeMethod(this, [this, first, batch = std::move(batch)]() mutable {
            first->batch = std::move(batch);
            applyReady(false);
        });
    });
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
        prepareFirst();
        emit finished(job.ticket, result);
    }
}

void HandOverQueue::complete() {
    m_delay.stop();
    while (!m_jobs.empty()) {
        m_pool.waitForDone();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        applyReady(true);
    }
    m_pool.waitForDone(); // work run in turn
}
