#pragma once

#include "vehicle/DamageMark.h"
#include "vehicle/DiagramGeometry.h"

#include <QList>
#include <QString>

#include <memory>

class QPainter;
class QSvgRenderer;

namespace vehicle {

// Draws an outline and its marks: the case's own in red, earlier cases'
// grey with their case number. The same code for the tab, the vehicle's
// record and paper, so that each shows the marks where the others do.
// The drawing's texts (group "Seiten", hidden in the file) are drawn here as
// plain text: the SVG renderer would hand them to a PDF as glyph outlines,
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

    // A text of the drawing ("vorne", "links" ...): where its baseline's
    // middle stands in the drawing's own coordinates, and its size there.
    struct Label {
        QPointF at;
        double size = 0;
        QString text;
    };
    const QList<Label> &labels() const { return m_labels; }

private:
    void paintLabels(QPainter &painter, const QRectF &drawn) const;

    std::unique_ptr<QSvgRenderer> m_drawing;
    QList<Label> m_labels;
};

} // namespace vehicle
