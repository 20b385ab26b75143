// A window of another process that takes file drops and prints each URL it received,
// one a line, so that a journey can check what a drag carried out of the panel; "over"
// on stderr once a drag has reached it.
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
        // On stderr, so the journey lets go only once the drag is known to be over us.
        if (!m_over)
            std::fprintf(stderr, "over\n");
        m_over = true;
    }
    void dropEvent(QDropEvent* event) override {
        for (const QUrl& url : event->mimeData()->urls())
            std::printf("%s\n", url.toEncoded().constData());
        std::fflush(stdout);
        event->acceptProposedAction();
    }

private:
    bool m_over = false;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    DropTarget target;
    target.show();
    return app.exec();
}
