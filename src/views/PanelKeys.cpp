#include "views/PanelKeys.h"

#include <QKeyEvent>

PanelKeys::Command PanelKeys::commandFor(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const int key = event.key();
    const bool plain = modifiers == Qt::NoModifier;
    const bool ctrl = modifiers == Qt::ControlModifier;
    const bool ctrlShift = modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
    const QString text = event.text();
    if ((plain || modifiers == Qt::ShiftModifier) && !text.isEmpty() && text.at(0).isPrint() &&
        !text.at(0).isSpace())
        return Command::Search;
    if (plain && key == Qt::Key_Escape)
        return Command::Escape;
    if (plain && key == Qt::Key_F2)
        return Command::Rename;
    if (ctrl && (key == Qt::Key_Tab || key == Qt::Key_PageDown))
        return Command::NextGroup;
    if ((ctrlShift && (key == Qt::Key_Backtab || key == Qt::Key_Tab)) || (ctrl && key == Qt::Key_PageUp))
        return Command::PreviousGroup;
    if (ctrl && groupNumber(event) > 0)
        return Command::NthGroup;
    if (ctrl && key == Qt::Key_N)
        return Command::NewGroup;
    if (ctrl && key == Qt::Key_Comma)
        return Command::Settings;
    return Command::None;
}

int PanelKeys::groupNumber(const QKeyEvent& event) {
    return event.key() >= Qt::Key_1 && event.key() <= Qt::Key_9 ? event.key() - Qt::Key_0 : 0;
}
