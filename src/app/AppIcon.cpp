#include "app/AppIcon.h"

namespace AppIcon {

QIcon icon() {
    return QIcon::fromTheme(QStringLiteral("org.tuckaway.Tuckaway"),
                            QIcon(QStringLiteral(":/icons/app/org.tuckaway.Tuckaway.svg")));
}

} // namespace AppIcon
