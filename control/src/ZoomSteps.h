#pragma once

#include <QStringList>

namespace kelvane {

// The picture toolbar's zoom list: eight steps from "500 %" down to "10 %".
// ZoomIn moves to the entry before, ZoomOut to the entry after.
class ZoomSteps {
public:
    static const QStringList &Entries();
    static constexpr int DefaultIndex = 3;   // "100 %"

    // The entry's text with every "%" removed, read as a number ("75 %" -> 75).
    static double ZoomOf(const QString &entry);
    static bool CanZoomIn(int index) { return index != 0; }
    static bool CanZoomOut(int index) { return index != Entries().size() - 1; }
};

// Whether the edit toolbar's captions must give way: the control is narrower
// than the picture toolbar (when shown) and 4800 twips for the edit buttons.
bool captionsDropped(int innerWidthTwips, int pictureBarWidthTwips);

} // namespace kelvane
