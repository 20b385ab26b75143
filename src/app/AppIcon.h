#pragma once

#include <QIcon>

namespace AppIcon {
// The application's icon: the installed theme icon when there is one, else the bundled one.
QIcon icon();
} // namespace AppIcon
