#pragma once

#include <QList>
#include <QUrl>

// What became of the files of one hand-over (a drop, a command line, an Open call), each
// list in the order given: new items, files the group holds already, files that could not
// become items (not a local file, or nothing there).
struct HandOverResult {
    QList<QUrl> added;
    QList<QUrl> duplicates;
    QList<QUrl> rejected;
};
