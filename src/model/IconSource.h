#pragma once

#include <QString>
#include <QStringList>

// What an item's icon is made from, worked out off the main thread (file-system and
// MIME look-ups); the icon itself is made on the main thread.
struct IconSource {
    QStringList themeNames; // icon theme names, best first
    QString file;           // an icon file, used before the theme names when set
    QString fallback;       // the bundled icon to use when the theme has none of the names

    friend bool operator==(const IconSource&, const IconSource&) = default;
};
