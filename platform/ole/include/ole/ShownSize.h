#pragma once

#include <QSize>

class QWidget;

namespace ole {

// The size widget will have once it and the tab holding it are shown, while
// its window is on screen: Qt lays out a hidden tab only when it is shown,
// and a preview asked for at that size can be made meanwhile. Lays out the
// hidden widgets above it as showing them would; an empty size while the
// window itself is hidden or no stack of pages holds the hidden part.
QSize sizeWhenShown(QWidget &widget);

} // namespace ole
