#pragma once

#include <QString>

#include <functional>

class QObject;

// Shows a file in the desktop's file manager: selected in its folder where the file
// manager offers that on the session bus, else the folder opened the ordinary way.
// `failed` runs on the main thread, while `context` lives, when neither could be done.
namespace FileManager {
void showItem(const QString& path, QObject* context, std::function<void()> failed);
} // namespace FileManager
