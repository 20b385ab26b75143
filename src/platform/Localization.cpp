#include "platform/Localization.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace Localization {

namespace {
// A translator takes itself out of the application when it goes.
std::unique_ptr<QTranslator> g_english;
std::unique_ptr<QTranslator> g_local;
std::unique_ptr<QTranslator> g_qt;
} // namespace

void install(const QLocale& locale) {
    g_local.reset();
    g_qt.reset();
    g_english = std::make_unique<QTranslator>();
    if (g_english->load(QStringLiteral(":/i18n/tuckaway_en.qm")))
        QCoreApplication::installTranslator(g_english.get());

    auto local = std::make_unique<QTranslator>();
    // load() walks the locale's UI languages (de_AT, de, ...) and takes the first catalog found.
    if (local->load(locale, QStringLiteral("tuckaway"), QStringLiteral("_"), QStringLiteral(":/i18n")) &&
        local->language() != QLatin1String("en")) {
        QCoreApplication::installTranslator(local.get());
        g_local = std::move(local);
        // Qt's own texts (key names, the help's headings) in the same language, where installed.
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(QLocale(g_local->language()), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(qt.get());
            g_qt = std::move(qt);
        }
    }
}

} // namespace Localization
