#pragma once

#include "model/HandOver.h"
#include "model/NookGroup.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class NookStore;

// What the command line asks of the store, the same with or without a running panel.
namespace StoreCommands {

// The nook called `nook` (the first of that name; made when there is none), or the current
// nook when `nook` is empty.
HandOverTarget targetFor(const QString& nook);

// The nook a name given for a hand-over went to, among these names, and the others it matched
// as well: only when no nook is spelt as given and several differ from it only in case.
struct ChosenNook {
    QString name;
    QStringList alsoMatching;
};
ChosenNook chosenNook(const QStringList& names, const QString& asked);

// One hand-over carried out at once, for a process with no event loop to wait in: queued
// like every other, then completed and written.
HandOverResult handOverNow(NookStore& store, const QList<QUrl>& urls, const HandOverTarget& target);

// Every nook with its items as JSON: [{"name", "id", "items": [{"name", "id", "path",
// "missing"}]}]; "path" is null for an item whose target is gone. Looks for moved targets,
// so it may take long: any thread.
QString listing(const QList<NookGroup>& groups);

} // namespace StoreCommands
