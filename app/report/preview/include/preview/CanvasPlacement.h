#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QSizeF>

namespace report {

// One scroll bar of the preview: whether it shows, how far it goes, and
// its steps (a fifth and a twentieth of the way).
struct ScrollRange {
    bool shown = false;
    int maximum = 0;
    int largeChange = 1;
    int smallChange = 1;
    int value = 0;   // the value asked for, kept within 0 .. maximum
};

// Where the page canvas sits in the preview window, all in pixels.
struct CanvasPlacement {
    QPoint canvasPos;
    ScrollRange horizontal;
    ScrollRange vertical;
};

// Margins left below and right of a canvas that does not fit, so that the
// page's edge can be scrolled clear of the window's edge.
constexpr int CanvasMarginBelowTwips = 200;
constexpr int CanvasMarginRightTwips = 300;

// Places a canvas of canvas size in a window of inner size with the toolbar
// at its top. A canvas that fits one way is centred that way; one that does
// not follows that way's scroll bar value.
CanvasPlacement placeCanvas(QSize inner, int toolbarHeight, QSize canvas, int horizontalValue, int verticalValue);

// The largest window that shows a page of the given proportions whole below
// the toolbar within 95 % of the screen's width and height; never narrower
// than the toolbar's buttons need, as far as those 95 % allow.
QSize previewWindowSize(QSizeF page, QSize screen, QSize toolbar);

// Where the preview opens within a screen's available area: the rectangle
// remembered for the page's orientation when most of it lies on that screen
// (pulled inside it), else a window of previewWindowSize centred on it.
QRect previewWindowRect(QSizeF page, const QRect &screen, QSize toolbar, const QRect &remembered);

// The largest zoom in tenths (within the preview's limits) at which the
// whole page shows below the toolbar in a window of inner size.
int fitZoomTenths(QSize pageTwips, QSize inner, int toolbarHeight);

} // namespace report
