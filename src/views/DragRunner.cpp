#include "DragRunner.h"

namespace {
DragRunner::Runner& runner() {
    static DragRunner::Runner instance;
    return instance;
}
} // namespace

namespace DragRunner {

Qt::DropAction exec(QDrag& drag, Qt::DropActions actions, Qt::DropAction defaultAction) {
    if (runner()) {
        const Qt::DropAction result = runner()(drag);
        drag.deleteLater();
        return result;
    }
    return drag.exec(actions, defaultAction);
}

void setRunner(Runner replacement) {
    runner() = std::move(replacement);
}

} // namespace DragRunner
