#include "views/GridFocus.h"

#include <Qt>

#include <algorithm>

void GridFocus::setIndex(int index, int count) {
    m_index = std::clamp(index, 0, std::max(0, count - 1));
}

void GridFocus::reset() {
    m_index = 0;
    m_ringShown = false;
}

bool GridFocus::move(int key, int count, int columns, int pageRows) {
    int target = m_index;
    switch (key) {
    case Qt::Key_Left:
        target = m_index - 1;
        break;
    case Qt::Key_Right:
        target = m_index + 1;
        break;
    case Qt::Key_Up:
        // Stays in the top row rather than jumping away.
        target = m_index >= columns ? m_index - columns : m_index;
        break;
    case Qt::Key_Down:
        // From the row above a short last row, down lands on that row's last cell.
        target = m_index + columns < count                   ? m_index + columns
                 : m_index / columns < (count - 1) / columns ? count - 1
                                                             : m_index;
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = count - 1;
        break;
    case Qt::Key_PageUp:
        target = m_index - std::max(1, pageRows) * columns;
        if (target < 0)
            target = m_index % columns;
        break;
    case Qt::Key_PageDown:
        target = m_index + std::max(1, pageRows) * columns;
        if (target >= count)
            target = count - 1 - (count - 1) % columns + m_index % columns;
        break;
    default:
        return false;
    }
    setIndex(target, count);
    return true;
}
