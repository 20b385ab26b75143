#include "model/ItemOrder.h"

#include "model/Bookmarks.h"

#include <QCollator>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>

#include <algorithm>

namespace ItemOrder {

namespace {

struct Entry {
    QUuid id;
    QString name;
    bool found = false;
    bool folder = false;
    QString kind;
    QDateTime modified;
};

Entry entryFor(const NookItem& item, Key key) {
    Entry entry{item.id, item.name, false, false, {}, {}};
    if (key == Key::Name)
        return entry;
    const std::optional<QString> path = Bookmarks::resolvePath(item.bookmarkData);
    const QFileInfo info(path.value_or(QString()));
    entry.found = path && info.exists();
    if (!entry.found)
        return entry;
    entry.folder = info.isDir();
    static const QMimeDatabase database; // thread-safe
    if (key == Key::Kind)
        entry.kind = database.mimeTypeForFile(info).comment();
    else
        entry.modified = info.lastModified();
    return entry;
}

} // namespace

QList<QUuid> sorted(const QList<NookItem>& items, Key key) {
    QList<Entry> entries;
    for (const NookItem& item : items)
        entries << entryFor(item, key);
    // The C locale compares code points, upper case first: not how people read names.
    const QLocale locale = QLocale().collation();
    QCollator collator(locale.language() == QLocale::C ? QLocale(QLocale::English) : locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    const auto byName = [&](const Entry& a, const Entry& b) { return collator.compare(a.name, b.name) < 0; };
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (key != Key::Name && a.found != b.found)
            return a.found;
        if (key == Key::Kind && a.found) {
            if (a.folder != b.folder)
                return a.folder;
            if (const int order = collator.compare(a.kind, b.kind))
                return order < 0;
        }
        if (key == Key::DateModified && a.found && a.modified != b.modified)
            return a.modified > b.modified;
        return byName(a, b);
    });
    QList<QUuid> ids;
    for (const Entry& entry : entries)
        ids << entry.id;
    return ids;
}

QList<NookItem> arranged(const QList<NookItem>& items, const QList<QUuid>& ids) {
    QHash<QUuid, qsizetype> ranks;
    for (qsizetype i = 0; i < ids.size(); ++i)
        ranks.insert(ids.at(i), i);
    QList<NookItem> result = items;
    const auto rank = [&](const NookItem& item) { return ranks.value(item.id, ids.size()); };
    std::stable_sort(result.begin(), result.end(),
                     [&](const NookItem& a, const NookItem& b) { return rank(a) < rank(b); });
    return result;
}

} // namespace ItemOrder
