#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

// Asks the user for files and folders to add: the desktop's chooser where the session has
// one (the portal's), else Qt's own, which takes several files and folders at once.
namespace FileChooser {

using Done = std::function<void(const QList<QUrl>&)>;
// What the panel calls; tests put in one that answers at once.
using Chooser = std::function<void(QWidget* parent, const QString& title, Done done)>;

void chooseWithDesktop(QWidget* parent, const QString& title, Done done);
// Qt's own dialog; Open takes the selected folders as they are instead of going into them.
void chooseWithQt(QWidget* parent, const QString& title, Done done);

} // namespace FileChooser
