#pragma once

#include <QIcon>

namespace AppIcon {
// The application's icon, drawn from its SVG; the sizes trays and window lists ask for most
// were rendered at build time and need no SVG renderer.
QIcon icon();
// The icon at one small size. Qt renders every size a window's icon has and sends them all
// to the display server as it makes the window: the tray icon's own, the panel's, a menu's,
// a tooltip's. Windows no window list shows need no more than this.
QIcon smallIcon();
// Where the build put the rendering at `size` pixels (it may have none).
QString renderedPath(int size);
// The SVG itself, rendered on demand.
QIcon fromSvg();
} // namespace AppIcon
