#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

// The desktop's own file chooser, where the session offers one (the desktop portal's).
namespace DesktopFileChooser {

using Done = std::function<void(const QList<QUrl>&)>;

// Asks for several files; `done` hears the chosen ones (nothing when cancelled). Where the
// session has no chooser of its own, or it fails, `unavailable` is told instead.
void choose(const QString& title, Done done, std::function<void()> unavailable);

} // namespace DesktopFileChooser
