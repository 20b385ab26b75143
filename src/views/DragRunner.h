#pragma once

#include <QDrag>

#include <functional>

// Runs the drags that start in the panel. Tests put a runner in place that delivers
// drag events to the panel's widgets and returns, since a real drag waits for the user.
namespace DragRunner {

// It is told the actions the drag offers, as the platform tells the drop target.
using Runner = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions offered)>;

// Runs a drag made with new; it is deleted later, whichever runner ran it.
Qt::DropAction exec(QDrag& drag, Qt::DropActions actions = Qt::MoveAction | Qt::CopyAction,
                    Qt::DropAction defaultAction = Qt::MoveAction);
// An empty runner restores the platform's own drag.
void setRunner(Runner runner);

} // namespace DragRunner
