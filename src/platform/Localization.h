#pragma once

#include <QLocale>

// Installs the id-based string catalogs: English always (so every id has a text),
// and on top of it the catalog that matches the locale, when there is one, with Qt's
// own catalog of that language (key names, command-line help), when that is installed.
// qtTrId() then yields the texts; call before anything looks one up.
namespace Localization {
void install(const QLocale& locale = QLocale());
}
