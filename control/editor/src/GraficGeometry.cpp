#include "editor/GraficGeometry.h"

#include "editor/Rounding.h"

#include <QtGlobal>

#include <cmath>

namespace kelvane::editor {

namespace {

// The half opening of an arrow head and the stand-in for pi it is built with.
constexpr double kPi = 3.1415;
constexpr double kHeadHalfOpening = kPi / 12;

// |color| without overflow: the one value without a positive counterpart
// keeps its bits.
ColorRef absoluteColor(ColorRef color)
{
    const std::int64_t magnitude = color < 0 ? -std::int64_t(color) : std::int64_t(color);
    return ColorRef(static_cast<std::uint32_t>(magnitude));
}

// The two head strokes' far ends for a head at (x2, y2) of a line coming
// from (x1, y1).
void headPoints(int x1, int y1, int x2, int y2, int length, QPoint &a, QPoint &b)
{
    const double dir = x2 < x1 ? 1.0 : -1.0;
    double angle;
    if (x2 == x1)
        angle = y2 > y1 ? kPi / 2 : 4.71225;
    else
        angle = std::atan(double(y2 - y1) / double(x2 - x1));
    a = QPoint(roundHalfEven(dir * std::cos(angle - kHeadHalfOpening) * length + x2),
               roundHalfEven(dir * std::sin(angle - kHeadHalfOpening) * length + y2));
    b = QPoint(roundHalfEven(dir * std::cos(angle + kHeadHalfOpening) * length + x2),
               roundHalfEven(dir * std::sin(angle + kHeadHalfOpening) * length + y2));
}

void setStroke(LineElement &line, QPoint from, QPoint to)
{
    line.X1 = from.x();
    line.Y1 = from.y();
    line.X2 = to.x();
    line.Y2 = to.y();
}

} // namespace

GraficGeometry::GraficGeometry()
{
    m_startGrip = 0;
    m_endGrip = 8;
    SetStyle(ShapeStyle::Line);
    resetWorkRect(false);
    Repaint();
}

bool GraficGeometry::IsLineKind(int style)
{
    return style == ShapeStyle::Line || style == ShapeStyle::Arrow || style == ShapeStyle::DblArrow;
}

ColorRef GraficGeometry::FillColor() const
{
    return m_style == ShapeStyle::Line || m_style == ShapeStyle::Text ? 0 : m_box.FillColor;
}

void GraficGeometry::SetFillColor(ColorRef color)
{
    if (m_style != ShapeStyle::Line && m_style != ShapeStyle::Text)
        m_box.FillColor = absoluteColor(color);
}

bool GraficGeometry::Transparenz() const
{
    return m_box.FillStyle == 0;
}

void GraficGeometry::SetTransparenz(bool transparent)
{
    if (m_style != ShapeStyle::Line && m_style != ShapeStyle::Text)
        m_box.FillStyle = transparent ? 0 : 1;
}

ColorRef GraficGeometry::PenColor() const
{
    if (IsLineKind(m_style))
        return m_lines[0].BorderColor;
    return m_style == ShapeStyle::Text ? m_label.ForeColor : m_box.BorderColor;
}

void GraficGeometry::SetPenColor(ColorRef color)
{
    if (m_style == ShapeStyle::Arrow || m_style == ShapeStyle::DblArrow) {
        for (LineElement &line : m_lines)
            line.BorderColor = color;
    } else if (m_style == ShapeStyle::Text) {
        m_label.ForeColor = color;
    } else if (m_style == ShapeStyle::Line) {
        m_lines[0].BorderColor = color;
    } else {
        m_box.BorderColor = color;
    }
}

int GraficGeometry::PenWidth() const
{
    if (IsLineKind(m_style))
        return m_lines[0].BorderWidth;
    return m_style == ShapeStyle::Text ? 0 : m_box.BorderWidth;
}

void GraficGeometry::SetPenWidth(int width)
{
    if (width > 0) {
        if (m_style == ShapeStyle::Arrow || m_style == ShapeStyle::DblArrow) {
            for (LineElement &line : m_lines)
                line.BorderWidth = width;
        } else if (m_style == ShapeStyle::Line) {
            m_lines[0].BorderWidth = width;
        } else if (m_style != ShapeStyle::Text) {
            m_box.BorderWidth = width;
        }
    }
    Repaint();
}

void GraficGeometry::SetStyle(int style)
{
    m_style = style;
    applyVisibility();
    if (style >= 0)
        m_box.ShapeNumber = style;
    Repaint();
}

void GraficGeometry::applyVisibility()
{
    const bool arrow = m_style == ShapeStyle::Arrow || m_style == ShapeStyle::DblArrow;
    m_lines[0].Visible = IsLineKind(m_style);
    m_lines[1].Visible = m_lines[2].Visible = arrow;
    m_lines[3].Visible = m_lines[4].Visible = m_style == ShapeStyle::DblArrow;
    m_box.Visible = m_style >= 0;
    m_label.Visible = m_style == ShapeStyle::Text;
}

void GraficGeometry::SetShowGrips(bool show)
{
    m_showGrips = show;
    updateGripVisibility();
}

void GraficGeometry::Move(int left, int top)
{
    m_left = left;
    m_top = top;
}

void GraficGeometry::Place(int left, int top, int width, int height)
{
    m_left = left;
    m_top = top;
    m_width = qMax(0, width);
    m_height = qMax(0, height);
    resized();
}

void GraficGeometry::resized()
{
    if (!m_gripDragging)
        resetWorkRect(false);
    Repaint();
}

void GraficGeometry::resetWorkRect(bool addPosition)
{
    m_work = {0, 0, m_width, m_height};
    if (m_style == ShapeStyle::Arrow || m_style == ShapeStyle::DblArrow)
        m_work = {ArrowInset, ArrowInset, m_width - 2 * ArrowInset, m_height - 2 * ArrowInset};
    if (addPosition) {
        m_work.Left += m_left;
        m_work.Top += m_top;
    }
}

void GraficGeometry::Repaint()
{
    layoutGrips();
    switch (m_style) {
    case ShapeStyle::DblArrow:
        layoutArrow(ArrowInset, true);
        break;
    case ShapeStyle::Arrow:
        layoutArrow(ArrowInset, false);
        break;
    case ShapeStyle::Line:
        layoutLine();
        break;
    default:
        layoutBox();
    }
}

void GraficGeometry::layoutGrips()
{
    const int xs[3] = {m_work.Left, m_work.Left + (m_work.Width - GripSize) / 2,
                       m_work.Left + m_work.Width - GripSize};
    const int ys[3] = {m_work.Top, m_work.Top + (m_work.Height - GripSize) / 2,
                       m_work.Top + m_work.Height - GripSize};
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row)
            m_grips[column * 3 + row] = QRect(xs[column], ys[row], GripSize, GripSize);
    updateGripVisibility();
}

void GraficGeometry::updateGripVisibility()
{
    m_gripVisible.fill(false);
    if (!m_showGrips)
        return;
    if (IsLineKind(m_style)) {
        m_gripVisible[4] = m_gripVisible[m_startGrip] = m_gripVisible[m_endGrip] = true;
        return;
    }
    m_gripVisible.fill(true);
    m_gripVisible[4] = false;
}

void GraficGeometry::layoutLine()
{
    const QPoint from = m_grips[m_startGrip].topLeft() + QPoint(GripSize / 2, GripSize / 2);
    const QPoint to = m_grips[m_endGrip].topLeft() + QPoint(GripSize / 2, GripSize / 2);
    setStroke(m_lines[0], from, to);
}

void GraficGeometry::layoutArrow(int headLength, bool both)
{
    const int length = m_lines[0].BorderWidth + headLength;
    layoutLine();
    const LineElement &line = m_lines[0];
    QPoint a, b;
    headPoints(line.X1, line.Y1, line.X2, line.Y2, length, a, b);
    setStroke(m_lines[1], {line.X2, line.Y2}, a);
    setStroke(m_lines[2], {line.X2, line.Y2}, b);
    if (!both)
        return;
    headPoints(line.X2, line.Y2, line.X1, line.Y1, length, a, b);
    setStroke(m_lines[3], {line.X1, line.Y1}, a);
    setStroke(m_lines[4], {line.X1, line.Y1}, b);
}

void GraficGeometry::layoutBox()
{
    const QPoint first = m_grips[0].topLeft();
    const QPoint last = m_grips[8].topLeft();
    const bool left = first.x() < last.x();
    const bool above = first.y() < last.y();
    if (left && above) {
        m_startGrip = 0;
        m_endGrip = 8;
    } else if (!left && above) {
        m_startGrip = 6;
        m_endGrip = 2;
    } else if (!above && left) {
        m_startGrip = 2;
        m_endGrip = 6;
    } else {
        m_startGrip = 8;
        m_endGrip = 0;
    }
    const QPoint start = m_grips[m_startGrip].topLeft();
    const QPoint end = m_grips[m_endGrip].topLeft();
    const QRect rect(start.x(), start.y(), std::abs(start.x() - end.x()) + GripSize,
                     std::abs(start.y() - end.y()) + GripSize);
    if (m_style == ShapeStyle::Text)
        m_label.Rect = rect;
    else
        m_box.Rect = rect;
}

void GraficGeometry::PlaceLine(QPoint from, QPoint to)
{
    const int inset = GripSize / 2 + (m_style == ShapeStyle::Line ? 0 : ArrowInset);
    orientLineGrips(from.x(), from.y(), to.x(), to.y());
    Place(qMin(from.x(), to.x()) - inset, qMin(from.y(), to.y()) - inset, std::abs(to.x() - from.x()) + 2 * inset,
          std::abs(to.y() - from.y()) + 2 * inset);
}

void GraficGeometry::OrientLineGrips()
{
    const LineElement &line = m_lines[0];
    orientLineGrips(line.X1, line.Y1, line.X2, line.Y2);
}

void GraficGeometry::orientLineGrips(double x1, double y1, double x2, double y2)
{
    const auto swapEnds = [this] { std::swap(m_startGrip, m_endGrip); };
    if (x1 == x2) {
        if ((y1 <= y2 && (m_endGrip == 0 || m_endGrip == 6)) || (y1 > y2 && (m_endGrip == 8 || m_endGrip == 2)))
            swapEnds();
        return;
    }
    if (y1 == y2) {
        if ((x1 <= x2 && (m_endGrip == 2 || m_endGrip == 0)) || (x1 > x2 && (m_endGrip == 8 || m_endGrip == 6)))
            swapEnds();
        return;
    }
    const double d1 = (y2 - y1) / std::abs(x2 - x1);
    const double d2 = (x2 - x1) / std::abs(y2 - y1);
    if (d1 > 0 && d2 > 0) {
        m_startGrip = 0;
        m_endGrip = 8;
    } else if (d1 >= 0 || d2 >= 0) {
        m_startGrip = d2 <= 0 ? 6 : 2;
        m_endGrip = d2 <= 0 ? 2 : 6;
    } else {
        m_startGrip = 8;
        m_endGrip = 0;
    }
}

QRect GraficGeometry::ContentBounds() const
{
    if (IsLineKind(m_style)) {
        const LineElement &line = m_lines[0];
        QRect bounds(qMin(line.X1, line.X2) - GripSize / 2, qMin(line.Y1, line.Y2) - GripSize / 2,
                     std::abs(line.X1 - line.X2) + GripSize, std::abs(line.Y1 - line.Y2) + GripSize);
        if (m_style != ShapeStyle::Line)
            bounds.adjust(-ArrowInset, -ArrowInset, ArrowInset, ArrowInset);
        return bounds;
    }
    return m_style == ShapeStyle::Text ? m_label.Rect : m_box.Rect;
}

} // namespace kelvane::editor
