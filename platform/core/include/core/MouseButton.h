#pragma once

#include <Qt>

namespace core {

// The button a mouse event reports, as the controls' MouseDown events give
// it to their hosts: 1 left, 2 right, 4 middle, 0 any other.
inline int mouseButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

} // namespace core
