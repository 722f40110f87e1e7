#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace varnholt {

// Prints the report the print request names (kind, record, subtitle, grid):
// the program's print entry. The windows that print are handed it, so that
// they need not know the report module and a test can see what was asked.
// It answers where the pages went ("An Drucker ... gesendet"), "" when
// nothing was printed.
using PrintEntry = std::function<QString(QWidget *parent)>;

} // namespace varnholt
