#pragma once

#include <QString>

namespace core {

// The classic window measures are twips, 1/1440 inch; the program keeps
// them at a fixed 96 dots per inch so stored sizes mean the same everywhere.
constexpr int TwipsPerPixel = 15;

inline int twipsToPixels(double twips) { return static_cast<int>(twips / TwipsPerPixel + (twips >= 0 ? 0.5 : -0.5)); }
inline int pixelsToTwips(int pixels) { return pixels * TwipsPerPixel; }

// Val(): the number at the start of a text ("12ab" -> 12, "abc" -> 0,
// " 3,5" -> 3, "-1" -> -1, "1.5" -> 1.5), as the classic numeric reading.
double leadingNumber(const QString &text);

// Shortest decimal text of a number ("1440", "0.5").
QString shortestText(double value);

} // namespace core
