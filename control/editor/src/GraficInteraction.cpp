// Grip drag and hit test of a shape.
#include "editor/GraficGeometry.h"

#include "editor/Rounding.h"

#include <QtGlobal>

#include <cmath>

namespace kelvane::editor {

namespace {

// Whether the pixel (x, y) lies in the ellipse inscribed in the rectangle
// from (left, top) to (right, bottom), right and bottom outside, as an
// elliptic region of that rectangle covers its pixels.
bool inEllipse(int x, int y, double left, double top, double right, double bottom)
{
    const double a = (right - left) / 2;
    const double b = (bottom - top) / 2;
    if (a <= 0 || b <= 0)
        return false;
    const double dx = (x + 0.5 - (left + a)) / a;
    const double dy = (y + 0.5 - (top + b)) / b;
    return dx * dx + dy * dy <= 1.0;
}

// A tolerance of `width` shape pixels as the screen shows it: when the
// stroke is narrower than 2 screen pixels, 4 screen pixels instead.
double screenTolerance(double width, double scale)
{
    const double onScreen = width * scale;
    return onScreen < 2 ? 4 / scale : width;
}

bool lineHit(const LineElement &line, QPointF point, double scale)
{
    const double t = screenTolerance(roundHalfEven(line.BorderWidth * scale / 2.0) / scale, scale);
    const double along = 1 / scale;
    const double x = point.x();
    const double y = point.y();
    if (line.X1 == line.X2)
        return line.X1 - t <= x && x <= line.X1 + t && qMin(line.Y1, line.Y2) - t <= y
            && y <= qMax(line.Y1, line.Y2) + t;
    if (line.Y1 == line.Y2)
        return qMin(line.X1, line.X2) - along <= x && x <= qMax(line.X1, line.X2) + along && line.Y1 - t <= y
            && y <= line.Y1 + t;
    const double slope = double(line.Y2 - line.Y1) / double(line.X2 - line.X1);
    const double intercept = line.Y1 - line.X1 * slope;
    const double lineX = (y - intercept) / slope;
    if (x - t <= lineX && lineX <= x + t)
        return true;
    const double lineY = x * slope + intercept;
    return y - t <= lineY && lineY <= y + t;
}

} // namespace

QRectF GraficGeometry::GripArea(int grip, double scale) const
{
    const double side = GripSize / scale;
    const QPointF centre = QPointF(m_grips[grip].topLeft()) + QPointF(GripSize / 2.0, GripSize / 2.0);
    return {centre - QPointF(side / 2, side / 2), QSizeF(side, side)};
}

int GraficGeometry::GripAt(QPointF point, double scale) const
{
    for (int grip = 8; grip >= 0; --grip) {
        const QRectF r = GripArea(grip, scale);
        if (m_gripVisible[grip] && point.x() >= r.left() && point.x() < r.right() && point.y() >= r.top()
            && point.y() < r.bottom())
            return grip;
    }
    return -1;
}

double GraficGeometry::ScreenMargin(double scale)
{
    return qMax(0.0, GripSize / 2.0 / scale - GripSize / 2.0);
}

void GraficGeometry::BeginGripDrag(int grip, QPointF onGrip, QSize container)
{
    if (grip < 0 || grip > 8)
        return;
    m_dragOrigin = QPoint(roundHalfEven(onGrip.x()), roundHalfEven(onGrip.y()));
    m_gripDragging = true;
    resetWorkRect(true);
    Place(0, 0, qMax(m_width, container.width()), qMax(m_height, container.height()));
}

void GraficGeometry::DragGrip(int grip, QPointF onGrip)
{
    if (!m_gripDragging || grip < 0 || grip > 8)
        return;
    const int dx = roundHalfEven(onGrip.x() - m_dragOrigin.x());
    const int dy = roundHalfEven(onGrip.y() - m_dragOrigin.y());
    const int column = grip / 3;
    const int row = grip % 3;
    if (grip == 4) {
        m_work.Left += dx;
        m_work.Top += dy;
    } else {
        if (column == 0) {
            m_work.Left += dx;
            m_work.Width -= dx;
        } else if (column == 2) {
            m_work.Width += dx;
        }
        if (row == 0) {
            m_work.Top += dy;
            m_work.Height -= dy;
        } else if (row == 2) {
            m_work.Height += dy;
        }
    }
    Repaint();
}

void GraficGeometry::EndGripDrag()
{
    if (!m_gripDragging)
        return;
    m_gripDragging = false;
    if (IsLineKind(m_style))
        OrientLineGrips();
    const QRect bounds = ContentBounds();
    Place(bounds.left(), bounds.top(), bounds.width(), bounds.height());
}

bool GraficGeometry::HitTest(QPointF point, double scale) const
{
    if (IsLineKind(m_style))
        return lineHit(m_lines[0], point, scale);
    if (m_style != ShapeStyle::Rect && m_style != ShapeStyle::Circle)
        return true;
    const double band = screenTolerance(m_box.BorderWidth, scale);
    const double x = point.x();
    const double y = point.y();
    if (m_style == ShapeStyle::Rect) {
        if (m_box.FillStyle != 0)
            return true;
        return (0 <= x && x <= band) || (m_width - band <= x && x <= m_width) || (0 <= y && y <= band)
            || (m_height - band <= y && y <= m_height);
    }
    if (m_showGrips) {
        // The grip's pixels, inclusive: its last screen pixel begins one
        // screen pixel before its edge.
        const double last = (GripSize - 1) / scale;
        for (int grip : {0, 2, 6, 8}) {
            const QRectF r = GripArea(grip, scale);
            if (r.left() <= x && x <= r.left() + last && r.top() <= y && y <= r.top() + last)
                return true;
        }
    }
    const int px = roundHalfEven(x);
    const int py = roundHalfEven(y);
    if (!inEllipse(px, py, 0, 0, m_width, m_height))
        return false;
    return m_box.FillStyle != 0 || !inEllipse(px, py, band, band, m_width - band, m_height - band);
}

} // namespace kelvane::editor
