// A window of another process that takes file drops and prints each URL it received,
// one a line, so that a journey can check what a drag carried out of the panel; "over"
// on stderr once the drag's source knows that it may drop here.
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
    void dragMoveEvent(QDragMoveEvent* event) override {
        event->acceptProposedAction();
        // A source sends its next position only after our answer to the last one, so from
        // the second move on it knows that we take the drop: a release then drops here.
        if (++m_moves == 2)
            std::fprintf(stderr, "over\n");
    }
    void dropEvent(QDropEvent* event) override {
        for (const QUrl& url : event->mimeData()->urls())
            std::printf("%s\n", url.toEncoded().constData());
        std::fflush(stdout);
        event->acceptProposedAction();
    }

private:
    int m_moves = 0;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    DropTarget target;
    target.show();
    return app.exec();
}
