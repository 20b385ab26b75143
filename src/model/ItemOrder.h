#pragma once

#include "model/NookItem.h"

#include <QList>

// An order for a nook's items, applied once: the stored order stays the one the user sees
// and may change by hand afterwards.
namespace ItemOrder {

enum class Key { Name, Kind, DateModified };

// The items' ids sorted by `key`: names as people read them (case and accents aside,
// numbers by value); kinds by their description, folders first; newest first. Items whose
// file cannot be found go last; ties go by name. Looks at the file system: not on the main thread.
QList<QUuid> sorted(const QList<NookItem>& items, Key key);

// `items` in the order of `ids`; items not named there follow in their own order.
QList<NookItem> arranged(const QList<NookItem>& items, const QList<QUuid>& ids);

} // namespace ItemOrder
