#pragma once

#include <QIcon>
#include <QStringList>

// Icons from the desktop's icon theme, with bundled fallbacks so that a machine
// without any icon theme still shows sensible pictures.
namespace ThemeIcons {

// Makes a fallback theme available where the platform names none that has the
// basic icons (a bare X session reports only "hicolor"). Main thread.
void ensureTheme();

// The first of `names` that the theme has, else the bundled icon of `fallbackName`
// (":/icons/fallback/<fallbackName>.svg"), else an empty icon. Main thread.
QIcon themed(const QStringList& names, const QString& fallbackName);

// A bundled fallback icon by its freedesktop name; empty when none is bundled.
QIcon bundled(const QString& name);

} // namespace ThemeIcons
