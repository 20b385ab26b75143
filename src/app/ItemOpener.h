#pragma once

#include "model/NookItem.h"

#include <QPointer>
#include <QUrl>

#include <functional>

// Opens an item's target the way the desktop would: an application's desktop entry is
// started (if the desktop trusts it), a web link's address goes to the browser, anything
// else goes to its default application.
// Finding the target (a moved one needs a search) and its application is file-system
// work and runs in the background; the launch itself and the report run on the main thread.
namespace ItemOpener {

enum class Result { Opened, Missing, NoApplication };

// The main-thread step: starts the entry or hands the location to its application.
using Launcher = std::function<Result(const QUrl&)>;
Result launch(const QUrl& url);

// Reports through `done` on the main thread, unless `context` is gone by then.
void open(const NookItem& item, QObject* context, std::function<void(Result)> done = {},
          Launcher launcher = &launch);

} // namespace ItemOpener
