#pragma once

#include "vehicle/DamageMark.h"
#include "vehicle/DiagramGeometry.h"
#include "vehicle/OutlineDrawing.h"

#include <QList>
#include <QString>


class QPainter;

namespace vehicle {

// Draws an outline and its marks: the case's own in red, earlier cases'
// grey with their case number. The same code for the tab, the vehicle's
// record and paper, so that each shows the marks where the others do.
// The drawing's lines are painted as plain paths and its texts (group
// "Seiten", hidden in the file) as plain text: the SVG renderer would hand a
// PDF state changes and clips per shape and the texts as glyph outlines,
// several times the size and the time of the rest of the report page.
class DiagramPainter {
public:
    // outline: OutlineChoice's name of the drawing.
    explicit DiagramPainter(const QString &outline);
    ~DiagramPainter();
    DiagramPainter(const DiagramPainter &) = delete;
    DiagramPainter &operator=(const DiagramPainter &) = delete;

    // The drawing's own proportions.
    QSizeF drawingSize() const;
    DiagramGeometry geometry(const QRectF &area, double zoom = 1.0) const;

    // radius: of a mark, in the painter's units; selected: the number of the
    // own mark drawn as chosen (0 none), selectedEarlier the ID of an earlier one.
    void paint(QPainter &painter, const DiagramGeometry &where, const QList<DamageMark> &own,
               const QList<DamageMark> &earlier, double radius, int selected = 0, long selectedEarlier = 0) const;

    using Label = OutlineDrawing::Label;
    const QList<Label> &labels() const { return m_drawing.labels(); }

private:
    void paintOutline(QPainter &painter, const QRectF &drawn) const;
    void paintLabels(QPainter &painter, const QRectF &drawn) const;

    OutlineDrawing m_drawing;
};

} // namespace vehicle
