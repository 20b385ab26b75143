#include "views/DragRunner.h"

#include "views/ModifierTracker.h"

namespace {
DragRunner::Runner& runner() {
    static DragRunner::Runner instance;
    return instance;
}
} // namespace

namespace DragRunner {

Qt::DropAction exec(QDrag& drag, Qt::DropActions actions, Qt::DropAction defaultAction) {
    Qt::DropAction result = Qt::IgnoreAction;
    if (runner()) {
        result = runner()(drag, actions);
        drag.deleteLater();
    } else {
        result = drag.exec(actions, defaultAction);
    }
    // No key event arrives while a drag runs: Ctrl or Alt may have been let go meanwhile.
    ModifierTracker::readKeyboardAgain();
    return result;
}

void setRunner(Runner replacement) {
    runner() = std::move(replacement);
}

} // namespace DragRunner
