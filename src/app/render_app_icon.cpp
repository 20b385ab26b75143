// Renders the application's SVG icon at given sizes, exactly as Qt's SVG icon engine would at
// run time, into files of premultiplied ARGB pixels as they lie in memory (<size>.argb).
//   render_app_icon <icon.svg> <output folder> <size>...
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: render_app_icon <icon.svg> <output folder> <size>...\n");
        return 2;
    }
    const QIcon icon(arguments.at(1));
    for (const QString& size : arguments.mid(3)) {
        const int side = size.toInt();
        const QImage image =
            icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QFile file(QStringLiteral("%1/%2.argb").arg(arguments.at(2), size));
        if (image.size() != QSize(side, side) || !file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()) !=
                image.sizeInBytes()) {
            std::fprintf(stderr, "render_app_icon: cannot render %d px\n", side);
            return 1;
        }
    }
    return 0;
}
