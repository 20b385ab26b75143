// The floor of our stack: a Qt Widgets program that shows nothing but a tray icon.
#include <QApplication>
#include <QPainter>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkCyan);
    QPainter(&pixmap).fillRect(6, 6, 10, 10, Qt::white); // two colours: the bench sees it drawn
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.show();
    return app.exec();
}
