#pragma once

#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace vehicle {

// Where the drawing stands in an area and how a point moves between the
// drawing's coordinates (0 to DiagramUnits both ways) and the area's: the
// drawing keeps its proportions, centred, scaled by a zoom on top of the fit.
class DiagramGeometry {
public:
    DiagramGeometry(const QSizeF &drawing, const QRectF &area, double zoom = 1.0);

    // The drawing's rectangle in the area's coordinates.
    QRectF drawn() const { return m_drawn; }
    QPointF toArea(const QPoint &diagram) const;
    // Clamped to the drawing, so a mark cannot leave it.
    QPoint toDiagram(const QPointF &area) const;
    bool contains(const QPointF &area) const { return m_drawn.contains(area); }

private:
    QRectF m_drawn;
};

} // namespace vehicle
