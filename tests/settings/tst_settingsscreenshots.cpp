#include "FakeLoginItem.h"
#include "Localization.h"
#include "Preferences.h"
#include "SettingsView.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

namespace {

QPalette darkPalette() {
    QPalette palette;
    const QColor window(0x2b, 0x2b, 0x2e), text(0xee, 0xee, 0xee), base(0x1f, 0x1f, 0x22);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0x9e));
    palette.setColor(QPalette::Light, QColor(0x48, 0x48, 0x4c));
    palette.setColor(QPalette::Midlight, QColor(0x3a, 0x3a, 0x3e));
    palette.setColor(QPalette::Mid, QColor(0x24, 0x24, 0x26));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    palette.setColor(QPalette::Shadow, Qt::black);
    return palette;
}

double meanLightness(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += QColor(image.pixel(x, y)).lightnessF();
    return sum / (image.width() * image.height());
}

} // namespace

// Renders the window in a light and a dark palette for a person to look at; the pictures are
// written to "screenshots" beside the test executable.
class TestSettingsScreenshots : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void lightAndDark();
    void germanLabelsFit();
};

void TestSettingsScreenshots::initTestCase() {
    Localization::install(QLocale(QLocale::English));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

void TestSettingsScreenshots::lightAndDark() {
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QVERIFY(QDir().mkpath(folder));
    Preferences::instance().setColumns(5);

    FakeLoginItem item;
    item.current = LoginItemStatus::Enabled;
    QList<double> lightness;
    for (const auto& [name, palette] :
         {std::pair{QStringLiteral("light"), QApplication::style()->standardPalette()},
          std::pair{QStringLiteral("dark"), darkPalette()}}) {
        QApplication::setPalette(palette);
        SettingsView view(item, Preferences::instance());
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QImage image = view.grab().toImage();
        QCOMPARE(image.width(), 320);
        QVERIFY(image.save(folder + QStringLiteral("/settings-%1.png").arg(name)));
        lightness << meanLightness(image);
    }
    QVERIFY2(lightness[1] < 0.4 && lightness[0] > 0.6,
             qPrintable(QStringLiteral("%1 / %2").arg(lightness[0]).arg(lightness[1])));
}

void TestSettingsScreenshots::germanLabelsFit() {
    Localization::install(QLocale(QLocale::German, QLocale::Germany));
    QApplication::setPalette(QApplication::style()->standardPalette());
    FakeLoginItem item;
    SettingsView view(item, Preferences::instance());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QImage image = view.grab().toImage();
    Localization::install(QLocale(QLocale::English));
    QCOMPARE(image.width(), 320);
    QVERIFY(view.windowTitle().contains(QStringLiteral("Einstellungen")));
    QVERIFY(
        image.save(QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots/settings-de.png")));
}

TUCKAWAY_TEST_WIDGETS_MAIN(TestSettingsScreenshots)
#include "tst_settingsscreenshots.moc"
