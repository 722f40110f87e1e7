#pragma once

#include <QStringList>

namespace kelvane {

// The picture toolbar's zoom list: eight steps from "500 %" down to "10 %".
// ZoomIn moves to the entry before, ZoomOut to the entry after; from a
// fitted zoom they move to the entry next to it.
class ZoomSteps {
public:
    static const QStringList &Entries();
    static constexpr int DefaultIndex = 3;   // "100 %"

    // The entry's text with every "%" removed, read as a number ("75 %" -> 75).
    static double ZoomOf(const QString &entry);
    // The entry one step larger (direction > 0) or smaller than the zoom
    // shown, also a fitted one between two entries; -1 past the list's end.
    static int StepFrom(double percent, int direction);
};

// Whether the edit toolbar's captions must give way: the control is narrower
// than the picture toolbar (when shown) and 4800 twips for the edit buttons.
bool captionsDropped(int innerWidthTwips, int pictureBarWidthTwips);

} // namespace kelvane
