#pragma once

#include <QByteArray>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace vehicle {

// One of the program's outline drawings (data/vehicle/*.svg) read into
// plain paths once: painted straight from them, a report page gets a few
// path operators instead of the SVG renderer's state changes and clips per
// shape. Reads what the drawings use: the viewBox; groups with fill, stroke
// width and translate/scale; path (M, L, Q, Z), rect and circle; the texts of
// the group "Seiten" as labels. Anything else is left out.
class OutlineDrawing {
public:
    // A shape filled with white (unless unfilled) and stroked in black,
    // in the drawing's own coordinates; stroke width there too.
    struct Shape {
        QPainterPath path;
        bool filled = true;
        double strokeWidth = 1;
    };
    // A text of the drawing ("vorne", "links" ...): where its baseline's
    // middle stands in the drawing's own coordinates, and its size there.
    struct Label {
        QPointF at;
        double size = 0;
        QString text;
    };

    explicit OutlineDrawing(const QByteArray &svg);

    QRectF viewBox() const { return m_viewBox; }
    const QList<Shape> &shapes() const { return m_shapes; }
    const QList<Label> &labels() const { return m_labels; }

private:
    QRectF m_viewBox;
    QList<Shape> m_shapes;
    QList<Label> m_labels;
};

} // namespace vehicle
