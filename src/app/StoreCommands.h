#pragma once

#include "model/HandOverResult.h"

#include <QList>
#include <QString>
#include <QUrl>

class NookStore;

// What the command line asks of the store, the same with or without a running panel.
namespace StoreCommands {

// Files into the nook called `nook` (the first of that name; made when there is none),
// or into the current nook when `nook` is empty.
HandOverResult handOver(NookStore& store, const QList<QUrl>& urls, const QString& nook);

// Every nook with its items as JSON: [{"name", "id", "items": [{"name", "id", "path",
// "missing"}]}]; "path" is null for an item whose target is gone.
QString listing(const NookStore& store);

} // namespace StoreCommands
