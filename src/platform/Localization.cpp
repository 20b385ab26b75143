#include "Localization.h"

#include <QCoreApplication>
#include <QTranslator>

namespace Localization {

namespace {
QTranslator* g_english = nullptr;
QTranslator* g_local = nullptr;

void drop(QTranslator*& translator) {
    if (!translator)
        return;
    QCoreApplication::removeTranslator(translator);
    delete translator;
    translator = nullptr;
}
} // namespace

void install(const QLocale& locale) {
    drop(g_local);
    drop(g_english);

    g_english = new QTranslator();
    if (g_english->load(QStringLiteral(":/i18n/tuckaway_en.qm")))
        QCoreApplication::installTranslator(g_english);

    auto* local = new QTranslator();
    // load() walks the locale's UI languages (de_AT, de, ...) and takes the first catalog found.
    if (local->load(locale, QStringLiteral("tuckaway"), QStringLiteral("_"), QStringLiteral(":/i18n")) &&
        local->language() != QLatin1String("en")) {
        QCoreApplication::installTranslator(local);
        g_local = local;
    } else {
        delete local;
    }
}

} // namespace Localization
