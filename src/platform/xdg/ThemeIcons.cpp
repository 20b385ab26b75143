#include "platform/xdg/ThemeIcons.h"

#include "platform/LogCategories.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace ThemeIcons {

void ensureTheme() {
    // "hicolor" is what a bare X session names: the fallback every theme inherits, with
    // applications' icons and little else. Asking it costs reading its long index first.
    const QString named = QIcon::themeName();
    const bool onlyFallback = named.isEmpty() || named == QLatin1String("hicolor");
    if (!onlyFallback && QIcon::hasThemeIcon(QStringLiteral("folder")))
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
                if (onlyFallback)
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
