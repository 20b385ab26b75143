#pragma once

#include <QIcon>

namespace AppIcon {
// The application's icon, drawn from its SVG; the sizes trays and window lists ask for most
// were rendered at build time and need no SVG renderer.
QIcon icon();
// Where the build put the rendering at `size` pixels (it may have none).
QString renderedPath(int size);
// The SVG itself, rendered on demand.
QIcon fromSvg();
} // namespace AppIcon
