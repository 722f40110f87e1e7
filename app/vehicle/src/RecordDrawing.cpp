#include "vehicle/RecordDrawing.h"

#include "vehicle/DiagramPainter.h"

namespace vehicle {

void RecordDrawing::draw(QPainter &painter, const QRectF &box, long caseId, const QString &field)
{
    (void)caseId, (void)field;
    const DiagramPainter diagram(m_record.outline());
    const DiagramGeometry where = diagram.geometry(box);
    diagram.paint(painter, where, {}, m_record.openMarks(), where.drawn().width() / 45.0);
}

} // namespace vehicle
