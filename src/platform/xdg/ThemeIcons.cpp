#include "platform/xdg/ThemeIcons.h"

#include "platform/LogCategories.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace ThemeIcons {

void ensureTheme() {
    if (QIcon::hasThemeIcon(QStringLiteral("folder")))
        return;
    const QStringList candidates = {QStringLiteral("Adwaita"), QStringLiteral("breeze"),
                                    QStringLiteral("Papirus"), QStringLiteral("gnome")};
    const QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& theme : candidates) {
        for (const QString& dir : dataDirs) {
            if (QFile::exists(dir + QStringLiteral("/icons/") + theme + QStringLiteral("/index.theme"))) {
                qCDebug(lcIcons) << "the theme" << QIcon::themeName() << "has no basic icons; falling back to"
                                 << theme;
                QIcon::setFallbackThemeName(theme);
                if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
                    QIcon::setThemeName(theme);
                return;
            }
        }
    }
    qCDebug(lcIcons) << "no icon theme with the basic icons; the bundled ones stand in";
}

QIcon bundled(const QString& name) {
    const QString path = QStringLiteral(":/icons/fallback/") + name + QStringLiteral(".svg");
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

QIcon themed(const QStringList& names, const QString& fallbackName) {
    for (const QString& name : names) {
        if (!name.isEmpty() && QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    return bundled(fallbackName);
}

} // namespace ThemeIcons
