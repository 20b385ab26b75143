#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

// Where the files of one hand-over go. Looked up when the hand-over is applied, not when it
// is made, so that hand-overs queued one after another see each other's nooks.
struct HandOverTarget {
    enum class Kind {
        Current, // the store's current nook; with none left, a new one with the default name
        Group,   // this nook; nothing is added once it is gone
        Named,   // the nook of this name, case aside (NookStore::indexOfName); made, not current, when none
    };
    Kind kind = Kind::Current;
    QUuid groupID;
    QString name;

    static HandOverTarget current() { return {}; }
    static HandOverTarget group(QUuid id) { return {Kind::Group, id, {}}; }
    static HandOverTarget named(QString name) { return {Kind::Named, {}, std::move(name)}; }
};

// What became of the files of one hand-over (a drop, a command line, an Open call), each
// list in the order given: new items, files the group holds already, files that could not
// become items (not a local file, or nothing there).
struct HandOverResult {
    QList<QUrl> added;
    QList<QUrl> duplicates;
    QList<QUrl> rejected;
    std::optional<QUuid> groupID; // the nook the files went to, when there was one
    // The save that holds the new items: once it is on disk, so are they. 0 when nothing changed.
    quint64 generation = 0;
};
