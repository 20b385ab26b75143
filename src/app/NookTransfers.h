#pragma once

#include "model/HandOverWaiter.h"

#include <QObject>
#include <QUrl>

#include <functional>

class NookStore;

// Export and import of nooks as a portable document (NookDocument), for the bus, the tray
// and the command line. Both take their turn in the store's hand-over queue, so they follow
// what was handed over before them, and tell once their file, or the data file, is on disk.
// An import is one hand-over per nook: its items get new ids, files a nook of the same name
// holds already are skipped, and paths where nothing is are reported, not added.
class NookTransfers : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        enum class Status { Done, BadRequest, NotSaved };
        Status status = Status::Done;
        QString reason;                          // unless done
        int nooks = 0;                           // exported, or made by the import
        int items = 0;                           // exported
        QList<QUrl> added, duplicates, rejected; // imported
    };
    using Done = std::function<void(const Outcome&)>;

    explicit NookTransfers(NookStore& store, QObject* parent = nullptr);

    // Every nook, or the first called `nook`, into `file` (an absolute path), readable by the user only.
    void exportTo(const QString& file, const QString& nook, Done done);
    // The nooks of `file` join those of the same name, made where there are none.
    void importFrom(const QString& file, Done done);

private:
    void queueImport(const QString& file, const QByteArray& bytes, const QString& unreadable, Done done);

    NookStore& m_store;
    HandOverWaiter m_waiter;
};
