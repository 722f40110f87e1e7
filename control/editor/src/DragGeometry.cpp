#include "editor/DragGeometry.h"

#include "editor/GraficGeometry.h"
#include "editor/Rounding.h"

#include <QtMath>

#include <algorithm>
#include <utility>
#include <cmath>

namespace kelvane::editor {

std::optional<int> ToolKind(QStringView key)
{
    static constexpr std::pair<const char16_t *, int> kinds[] = {
        {u"line", ShapeStyle::Line}, {u"arrow", ShapeStyle::Arrow}, {u"dblarrow", ShapeStyle::DblArrow},
        {u"rect", ShapeStyle::Rect}, {u"circle", ShapeStyle::Circle}, {u"text", ShapeStyle::Text}};
    for (const auto &[name, kind] : kinds) {
        if (key.compare(QStringView(name), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}

DragGeometry::DragGeometry(int kind, QPointF press, double zoom)
    : m_kind(kind), m_press(press), m_current(press), m_zoom(zoom > 0 ? zoom : 1.0)
{
}

void DragGeometry::MoveTo(QPointF current, bool shift)
{
    m_current = current;
    m_shift = shift;
    const QPointF moved = (m_current - m_press) * m_zoom;
    m_dragged = m_dragged || std::hypot(moved.x(), moved.y()) >= ClickDistance;
}

bool DragGeometry::IsClick() const
{
    return !m_dragged;
}

bool DragGeometry::ByLine() const
{
    return !IsClick() && GraficGeometry::IsLineKind(m_kind);
}

QPoint DragGeometry::pressed() const
{
    return {roundHalfEven(m_press.x()), roundHalfEven(m_press.y())};
}

QPoint DragGeometry::constrained() const
{
    const QPoint current(roundHalfEven(m_current.x()), roundHalfEven(m_current.y()));
    if (!m_shift)
        return current;
    const QPoint d = current - pressed();
    if (GraficGeometry::IsLineKind(m_kind)) {
        // The nearest of the eight directions, its length kept; a diagonal
        // goes the same whole number of pixels across and down.
        const double angle = std::round(std::atan2(d.y(), d.x()) / (M_PI / 4)) * (M_PI / 4);
        const int ux = roundHalfEven(std::cos(angle));
        const int uy = roundHalfEven(std::sin(angle));
        const double length = std::hypot(d.x(), d.y());
        const int along = roundHalfEven(ux != 0 && uy != 0 ? length / M_SQRT2 : length);
        return pressed() + QPoint(ux * along, uy * along);
    }
    const int side = std::max(std::abs(d.x()), std::abs(d.y()));
    return pressed() + QPoint(d.x() < 0 ? -side : side, d.y() < 0 ? -side : side);
}

QLine DragGeometry::Line() const
{
    return {pressed(), constrained()};
}

QRect DragGeometry::Box() const
{
    if (IsClick()) {
        const int size = roundHalfEven(ClickSize / m_zoom);
        return {pressed(), QSize(size, size)};
    }
    const QPoint from = pressed();
    const QPoint to = constrained();
    // At least one pixel each way, so that a box dragged along one edge stays a box.
    return {QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
            QSize(std::max(1, std::abs(to.x() - from.x())), std::max(1, std::abs(to.y() - from.y())))};
}

} // namespace kelvane::editor
