#pragma once

#include <QPixmap>

namespace varnholt {

// The product picture of the about window: a rental van with a dent mark.
QPixmap productPicture(int width, int height);

} // namespace varnholt
