#pragma once

#include "editor/GraficGeometry.h"

#include <QFont>
#include <QPainterPath>

class QPainter;
class QPaintDevice;

namespace kelvane::editor {

// Drawing of shapes: into an overlay (DrawToDC) and on screen (Paint).
namespace GraficPainter {

// Draws the shape at (ox, oy) into the painter's device, in its pixels, as
// the overlay keeps it: lines with round pens and pointed heads, boxes with the border inside
// their rectangle and no fill when transparent, text word-wrapped without a
// background. Kinds without a keyword draw nothing. The painter's state is
// left as it was.
void DrawToDC(const GraficGeometry &shape, QPainter &painter, int ox, int oy);

// An arrow head: the two strokes from the tip (their first ends) to
// their far ends, drawn with flat caps and a mitred tip at the pen width,
// and the triangle between them filled: a pointed head at every width.
QPainterPath HeadOutline(const LineElement &toA, const LineElement &toB, int penWidth);

// The font a text is drawn with on `device`: the name cut to 32 characters,
// the size in points rounded and turned into pixels at the device's
// vertical resolution.
QFont FontToLogFont(const TextElement &label, const QPaintDevice &device);

// Draws the shape on screen in its own coordinates: every kind, including
// the further outlines, then the selection frame and the visible grips,
// which keep their size on screen at `scale` screen pixels per shape pixel.
void Paint(const GraficGeometry &shape, QPainter &painter, double scale = 1.0);

} // namespace GraficPainter

} // namespace kelvane::editor
