#include "model/NookStore.h"

#include "model/DataFileWatcher.h"
#include "model/NookCodec.h"
#include "model/NookMerge.h"
#include "model/SaveWriter.h"
#include "platform/LogCategories.h"
#include "platform/LogLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

// The store's side of its data file: reading it, handing states to the writer, and taking
// in the versions written elsewhere.

namespace {

const QString kLoadFailed = QStringLiteral(u"Tuckaway: Laden fehlgeschlagen \u2013 ");
const QString kSaveFailed = QStringLiteral(u"Tuckaway: Speichern fehlgeschlagen \u2013 ");

void tellRenewed(int renewed, const QString& path) {
    if (renewed > 0)
        writeLogLine(
            QStringLiteral("Tuckaway: %1 duplicate ids in %2 were given new ones").arg(renewed).arg(path));
}

} // namespace

void NookStore::followDataFile(const SaveWriter::Version& loaded) {
    m_writer =
        std::make_unique<SaveWriter>(m_saveURL.toLocalFile(), loaded, [this](SaveWriter::Report report) {
            // On the writer's thread: the line goes out at once, the rest on the main thread.
            if (report.kind != SaveWriter::Report::Kind::Outside)
                m_lastSaveFailed = report.kind == SaveWriter::Report::Kind::Failed;
            if (report.kind == SaveWriter::Report::Kind::Failed)
                writeLogLine(kSaveFailed + report.failure);
            QMetaObject::invokeMethod(
                this, [this, report = std::move(report)] { takeReport(report); }, Qt::QueuedConnection);
        });
    m_watcher = std::make_unique<DataFileWatcher>(m_saveURL.toLocalFile());
    connect(m_watcher.get(), &DataFileWatcher::changed, this, &NookStore::checkDataFile);
}

void NookStore::waitForSaves() {
    do {
        m_writer->waitUntilWritten();
        // What the writer reported is told now, not when the event loop next runs (at quit it does not);
        // a version found elsewhere is taken in, and what follows from it written in turn.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (m_deferredSave && !m_writer->hasWork())
            save();
    } while (m_writer->hasWork());
}

void NookStore::takeReport(const SaveWriter::Report& report) {
    if (!report.keptAside.isEmpty()) {
        qCInfo(lcStore) << "a version of" << m_saveURL.toLocalFile() << "is kept as" << report.keptAside;
        emit conflictKept(report.keptAside);
    }
    if (report.kind == SaveWriter::Report::Kind::Outside)
        return takeOutsideVersion(report);
    if (report.kind == SaveWriter::Report::Kind::Written)
        m_base = report.groups;
    finishSave(report.failure, report.generation);
}

// Read like the file at start-up: an unreadable version replaces nothing in memory and is kept before
// anything replaces it on disk. A readable one is shown, with what we had not written yet merged in.
void NookStore::takeOutsideVersion(const SaveWriter::Report& report) {
    if (!report.foundGroups) {
        writeLogLine(kLoadFailed + report.failure);
        m_unreadableFileOnDisk = true;
        m_unreadableIsRegular = report.found.regular;
        m_loadFailed = true;
        m_writer->acknowledge(report.outsideNumber);
        // A writer elsewhere may not be done with it yet: ours waits a moment.
        if (m_generation > m_savedGeneration) {
            m_deferredSave = true;
            QTimer::singleShot(kUnreadableWaitMs, this, [this] {
                if (m_deferredSave)
                    save();
            });
        }
        return;
    }
    tellRenewed(report.renewed, m_saveURL.toLocalFile());
    const QList<NookGroup>& theirs = *report.foundGroups;
    const NookMerge::Result merged = NookMerge::merge(m_base, m_groups, theirs);
    qCDebug(lcStore) << "changed elsewhere, merged:" << theirs.size() << "nooks, conflict" << merged.conflict;
    m_base = theirs;
    m_unreadableFileOnDisk = false; // replaced by the readable version
    m_writer->acknowledge(report.outsideNumber);
    if (merged.conflict)
        m_writer->keepAside(report.found.bytes);
    replaceGroups(merged.groups);
    if (merged.conflict || merged.groups != theirs || m_generation > m_savedGeneration)
        save();
}

void NookStore::finishSave(const QString& failure, quint64 generation) {
    if (failure.isEmpty()) {
        m_savedGeneration = std::max(m_savedGeneration, generation);
        emit saved(generation);
        return;
    }
    emit saveFailed(failure, generation);
    // Space may come back without any change to save: try again a little later.
    QTimer::singleShot(kRetryMs, this, [this] {
        if (m_lastSaveFailed)
            save();
    });
}

NookStore::Reading NookStore::read(const QString& folder) {
    DataFile::makePrivateFolder(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    const QString path = QDir(folder).filePath(QStringLiteral("nooks.json"));
    DataFile::removeStaleTemporaries(path);
    Reading reading;
    reading.contents = DataFile::read(path);
    reading.error = reading.contents.reason;
    if (reading.contents.state == DataFile::Contents::State::Read)
        reading.groups = NookCodec::decode(reading.contents.bytes, &reading.error, &reading.renewed);
    reading.version = SaveWriter::versionOf(reading.contents);
    reading.contents.bytes.clear(); // the store keeps what they held, not them
    return reading;
}

// On the main thread: what was read becomes the store's, and what went wrong is told.
void NookStore::take(const Reading& reading) {
    if (reading.contents.state == DataFile::Contents::State::Missing)
        return;
    m_unreadableIsRegular = reading.contents.regular;
    if (reading.groups) {
        m_groups = *reading.groups;
        qCDebug(lcStore) << "loaded" << m_groups.size() << "nooks from" << m_saveURL.toLocalFile();
        tellRenewed(reading.renewed, m_saveURL.toLocalFile());
        return;
    }
    writeLogLine(kLoadFailed + reading.error);
    m_unreadableFileOnDisk = true;
    m_loadFailed = true;
}

// An unreadable file may hold the user's only copy of their nooks: keep it before the
// first save replaces it, under a name that no earlier copy has.
bool NookStore::keepUnreadableFile(QString* error) {
    const QString original = m_saveURL.toLocalFile();
    if (!QFileInfo::exists(original)) {
        m_unreadableFileOnDisk = false;
        return true;
    }
    const QString copy = DataFile::keepAside(original, m_unreadableIsRegular, error);
    if (copy.isEmpty())
        return false;
    m_unreadableFileOnDisk = false;
    m_keptUnreadableFile = copy;
    qCInfo(lcStore) << "the unreadable" << original << "is kept as" << copy;
    return true;
}

quint64 NookStore::save() {
    const quint64 generation = ++m_generation;
    m_deferredSave = false;
    QString error;
    if (m_unreadableFileOnDisk && !keepUnreadableFile(&error)) {
        m_lastSaveFailed = true;
        writeLogLine(kSaveFailed + error);
        // Told after the change that asked for the save, as a write's outcome is.
        QMetaObject::invokeMethod(
            this, [this, error, generation] { finishSave(error, generation); }, Qt::QueuedConnection);
        return generation;
    }
    m_writer->submit(m_groups, generation);
    return generation;
}
