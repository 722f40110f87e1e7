#include "vehicle/DiagramGeometry.h"

#include "vehicle/DamageMark.h"

#include <algorithm>
#include <cmath>

namespace vehicle {

DiagramGeometry::DiagramGeometry(const QSizeF &drawing, const QRectF &area, double zoom)
{
    QSizeF size = drawing.isEmpty() ? area.size() : drawing.scaled(area.size(), Qt::KeepAspectRatio);
    size *= zoom > 0 ? zoom : 1.0;
    m_drawn = QRectF(QPointF(), size);
    m_drawn.moveCenter(area.center());
}

QPointF DiagramGeometry::toArea(const QPoint &diagram) const
{
    return {m_drawn.left() + m_drawn.width() * diagram.x() / DiagramUnits,
            m_drawn.top() + m_drawn.height() * diagram.y() / DiagramUnits};
}

QPoint DiagramGeometry::toDiagram(const QPointF &area) const
{
    if (m_drawn.isEmpty())
        return {};
    const auto unit = [](double offset, double length) {
        return std::clamp(int(std::lround(offset / length * DiagramUnits)), 0, DiagramUnits);
    };
    return {unit(area.x() - m_drawn.left(), m_drawn.width()), unit(area.y() - m_drawn.top(), m_drawn.height())};
}

} // namespace vehicle
