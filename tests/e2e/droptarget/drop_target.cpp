// A window of another process that takes file drops and prints each URL it received,
// one a line, so that a journey can check what a drag carried out of the panel.
#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QWidget>

#include <cstdio>

class DropTarget : public QWidget {
public:
    DropTarget() {
        setWindowTitle(QStringLiteral("Drop target"));
        setAcceptDrops(true);
        setGeometry(600, 40, 300, 200);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override {
        for (const QUrl& url : event->mimeData()->urls())
            std::printf("%s\n", url.toEncoded().constData());
        std::fflush(stdout);
        event->acceptProposedAction();
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    DropTarget target;
    target.show();
    return app.exec();
}
