#pragma once

#include <QString>

// Shows a file in the desktop's file manager: selected in its folder where the file
// manager offers that on the session bus, else the folder opened the ordinary way.
namespace FileManager {
void showItem(const QString& path);
} // namespace FileManager
