#include "platform/Localization.h"

#include <QCoreApplication>
#include <QTranslator>

#include <memory>

namespace Localization {

namespace {
// A translator takes itself out of the application when it goes.
std::unique_ptr<QTranslator> g_english;
std::unique_ptr<QTranslator> g_local;
} // namespace

void install(const QLocale& locale) {
    g_local.reset();
    g_english = std::make_unique<QTranslator>();
    if (g_english->load(QStringLiteral(":/i18n/tuckaway_en.qm")))
        QCoreApplication::installTranslator(g_english.get());

    auto local = std::make_unique<QTranslator>();
    // load() walks the locale's UI languages (de_AT, de, ...) and takes the first catalog found.
    if (local->load(locale, QStringLiteral("tuckaway"), QStringLiteral("_"), QStringLiteral(":/i18n")) &&
        local->language() != QLatin1String("en")) {
        QCoreApplication::installTranslator(local.get());
        g_local = std::move(local);
    }
}

} // namespace Localization
