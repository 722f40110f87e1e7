#include "editor/GraficPainter.h"

#include "editor/Rounding.h"
#include "core/FontFaces.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPathStroker>

namespace kelvane::editor::GraficPainter {

namespace {

QPen strokePen(const LineElement &line)
{
    QPen pen(toQColor(line.BorderColor), qMax(0, line.BorderWidth));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void drawStrokes(const GraficGeometry &shape, QPainter &painter, int count, QPoint offset)
{
    const LineElement &shaft = shape.Line();
    painter.setPen(strokePen(shaft));
    painter.drawLine(QPoint(shaft.X1, shaft.Y1) + offset, QPoint(shaft.X2, shaft.Y2) + offset);
    // Each head is one outline filled in the pen's colour, so that a thick
    // pen gives a pointed head instead of two round-capped strokes.
    painter.setPen(Qt::NoPen);
    painter.setBrush(toQColor(shaft.BorderColor));
    for (int first = 1; first + 1 < count; first += 2)
        painter.drawPath(HeadOutline(shape.LineAt(first), shape.LineAt(first + 1), shaft.BorderWidth).translated(offset));
}

int strokeCount(int style)
{
    switch (style) {
    case ShapeStyle::Line: return 1;
    case ShapeStyle::Arrow: return 3;
    case ShapeStyle::DblArrow: return 5;
    default: return 0;
    }
}

// The border lies inside `rect`, as an inside-frame pen draws it.
void drawBox(const BoxElement &box, QPainter &painter, QRect rect)
{
    const int width = qMax(1, box.BorderWidth);
    QPen pen(toQColor(box.BorderColor), width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(box.FillStyle == 0 ? QBrush(Qt::NoBrush) : QBrush(toQColor(box.FillColor)));
    const QRectF inner = QRectF(rect).adjusted(width / 2.0, width / 2.0, -width / 2.0, -width / 2.0);
    const qreal round = qMin(rect.width(), rect.height()) / 4.0;
    switch (box.ShapeNumber) {
    case ShapeStyle::Circle:
        painter.drawEllipse(inner);
        break;
    case ShapeStyle::Square:
    case ShapeStyle::RoundCircle:
    case ShapeStyle::RoundedSquare: {
        const int side = qMin(rect.width(), rect.height());
        const QRectF square(rect.left() + (rect.width() - side) / 2.0, rect.top() + (rect.height() - side) / 2.0,
                            side, side);
        const QRectF squareInner = square.adjusted(width / 2.0, width / 2.0, -width / 2.0, -width / 2.0);
        if (box.ShapeNumber == ShapeStyle::RoundCircle)
            painter.drawEllipse(squareInner);
        else if (box.ShapeNumber == ShapeStyle::RoundedSquare)
            painter.drawRoundedRect(squareInner, round, round);
        else
            painter.drawRect(squareInner);
        break;
    }
    case ShapeStyle::RoundedRect:
        painter.drawRoundedRect(inner, round, round);
        break;
    default:
        painter.drawRect(inner);
    }
}

void drawText(const TextElement &label, QPainter &painter, QRect rect)
{
    painter.setPen(toQColor(label.ForeColor));
    painter.setFont(FontToLogFont(label, *painter.device()));
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, label.Caption);
}

} // namespace

QPainterPath HeadOutline(const LineElement &toA, const LineElement &toB, int penWidth)
{
    QPainterPath strokes;
    strokes.moveTo(toA.X2, toA.Y2);
    strokes.lineTo(toA.X1, toA.Y1);
    strokes.lineTo(toB.X2, toB.Y2);
    QPainterPathStroker stroker;
    stroker.setWidth(qMax(1, penWidth));
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    // The head opens 30 degrees: its mitre reaches 1 / sin 15 = 3.9 half
    // widths beyond the tip, more than the default limit lets through.
    stroker.setMiterLimit(8);
    QPainterPath head = stroker.createStroke(strokes);
    QPainterPath triangle;
    triangle.addPolygon(QPolygonF({QPointF(toA.X1, toA.Y1), QPointF(toA.X2, toA.Y2), QPointF(toB.X2, toB.Y2)}));
    triangle.closeSubpath();
    return head.united(triangle).simplified();
}

QFont FontToLogFont(const TextElement &label, const QPaintDevice &device)
{
    // The face drawn on screen and in the saved overlay alike; a name
    // nothing stands for is left to the font system.
    const QString written = label.FontName.left(32);
    const QString face = core::FontFaces::resolve(written);
    QFont font(face.isEmpty() ? written : face);
    const int pixels = mulDiv(roundHalfEven(label.FontSize), device.logicalDpiY(), 72);
    if (pixels > 0)
        font.setPixelSize(pixels);
    font.setItalic(label.Italic);
    font.setUnderline(label.Underline);
    font.setStrikeOut(label.Strikethrough);
    font.setWeight(label.Bold ? QFont::Bold : QFont::Normal);
    return font;
}

void DrawToDC(const GraficGeometry &shape, QPainter &painter, int ox, int oy)
{
    painter.save();
    switch (shape.Style()) {
    case ShapeStyle::Line:
    case ShapeStyle::Arrow:
    case ShapeStyle::DblArrow:
        drawStrokes(shape, painter, strokeCount(shape.Style()), QPoint(ox, oy));
        break;
    case ShapeStyle::Rect:
    case ShapeStyle::Circle:
        drawBox(shape.Shape(), painter, QRect(ox, oy, shape.Shape().Rect.width(), shape.Shape().Rect.height()));
        break;
    case ShapeStyle::Text:
        drawText(shape.Label(), painter, QRect(ox, oy, shape.Label().Rect.width(), shape.Label().Rect.height()));
        break;
    default:
        break;
    }
    painter.restore();
}

void Paint(const GraficGeometry &shape, QPainter &painter, double scale)
{
    painter.save();
    if (GraficGeometry::IsLineKind(shape.Style()))
        drawStrokes(shape, painter, strokeCount(shape.Style()), {});
    else if (shape.Style() == ShapeStyle::Text)
        drawText(shape.Label(), painter, shape.Label().Rect);
    else if (shape.Shape().Visible)
        drawBox(shape.Shape(), painter, shape.Shape().Rect);
    if (shape.ShowFrame() && !shape.GripDragging()) {
        const QRect frame = shape.Geometry().translated(-shape.Geometry().topLeft());
        const qreal width = SelectionFrameWidth / scale;
        const qreal half = width / 2;
        QPen pen(QColor(0, 120, 215, 110), width);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(frame).adjusted(half, half, -half, -half));
    }
    const qreal inset = 0.5 / scale;
    painter.setPen(QPen(Qt::black, 1 / scale));
    painter.setBrush(Qt::white);
    for (int grip = 0; grip < 9; ++grip)
        if (shape.GripVisible(grip))
            painter.drawRect(shape.GripArea(grip, scale).adjusted(inset, inset, -inset, -inset));
    painter.restore();
}

} // namespace kelvane::editor::GraficPainter
