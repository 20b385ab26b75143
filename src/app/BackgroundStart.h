#pragma once

#include <QString>

class RemoteInstance;

// Starts the instance for a command that needs one, detached from the caller: in a session
// of its own, with no terminal and the standard streams on /dev/null, so the command returns,
// the terminal is free again, and Ctrl+C there never reaches the instance.
namespace BackgroundStart {

// Runs `program --background` and waits until `instance` answers on the bus; false when it
// ended first or did not come up within `timeoutMs`.
bool run(const QString& program, const RemoteInstance& instance, int timeoutMs = 10000);

} // namespace BackgroundStart
