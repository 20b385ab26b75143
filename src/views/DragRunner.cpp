#include "DragRunner.h"

namespace {
DragRunner::Runner& runner() {
    static DragRunner::Runner instance;
    return instance;
}
} // namespace

namespace DragRunner {

Qt::DropAction exec(QDrag& drag) {
    if (runner())
        return runner()(drag);
    return drag.exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

void setRunner(Runner replacement) {
    runner() = std::move(replacement);
}

} // namespace DragRunner
