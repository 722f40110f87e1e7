#pragma once

#include "core/NumberText.h"

#include <QString>

#include <cmath>

namespace core {

// The classic window measures are twips, 1/1440 inch; the program keeps
// them at a fixed 96 dots per inch so stored sizes mean the same everywhere.
constexpr int TwipsPerPixel = 15;

// Halves away from zero; a measure beyond any screen (a damaged setting) is 0.
inline int twipsToPixels(double twips)
{
    return roundedInteger<int>(std::round(twips / TwipsPerPixel)).value_or(0);
}
inline int pixelsToTwips(int pixels) { return pixels * TwipsPerPixel; }

// Val(): the number at the start of a text ("12ab" -> 12, "abc" -> 0,
// " 3,5" -> 3, "-1" -> -1, "1.5" -> 1.5), as the classic numeric reading.
double leadingNumber(const QString &text);

// Shortest decimal text of a number ("1440", "0.5").
QString shortestText(double value);

} // namespace core
