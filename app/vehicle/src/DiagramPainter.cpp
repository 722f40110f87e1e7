#include "vehicle/DiagramPainter.h"

#include "vehicle/Outline.h"

#include <QFont>
#include <QPainter>
#include <QSvgRenderer>

// The drawings are compiled into a static library: its resources are
// registered by hand, once.
static void registerDrawings()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(vehicle);
        return true;
    }();
    (void)registered;
}

namespace vehicle {
namespace {

const QColor Own(200, 0, 0);
const QColor Earlier(120, 120, 120);

void paintMark(QPainter &painter, const QPointF &centre, double radius, const QColor &colour, const QString &number,
               const QString &caption, bool selected)
{
    painter.setPen(QPen(colour, radius * (selected ? 0.35 : 0.18)));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, radius, radius);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, int(radius * 1.2)));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(colour);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    painter.drawText(box, Qt::AlignCenter, number);
    if (caption.isEmpty())
        return;
    font.setBold(false);
    font.setPixelSize(std::max(1, int(radius * 0.9)));
    painter.setFont(font);
    // On white, so the drawing's lines do not cross the case number.
    QRectF label = painter.fontMetrics().boundingRect(caption);
    label.moveTopLeft(QPointF(centre.x() + radius * 1.1, centre.y() - label.height() / 2));
    painter.fillRect(label.adjusted(-radius * 0.1, 0, radius * 0.1, 0), Qt::white);
    painter.drawText(label, Qt::AlignCenter, caption);
}

} // namespace

DiagramPainter::DiagramPainter(const QString &outline)
{
    registerDrawings();
    m_drawing = std::make_unique<QSvgRenderer>(OutlineChoice::drawingFile(outline));
}

DiagramPainter::~DiagramPainter() = default;

QSizeF DiagramPainter::drawingSize() const
{
    return m_drawing->viewBoxF().size();
}

DiagramGeometry DiagramPainter::geometry(const QRectF &area, double zoom) const
{
    return DiagramGeometry(drawingSize(), area, zoom);
}

void DiagramPainter::paint(QPainter &painter, const DiagramGeometry &where, const QList<DamageMark> &own,
                           const QList<DamageMark> &earlier, double radius, int selected, long selectedEarlier) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    m_drawing->render(&painter, where.drawn());
    for (const DamageMark &mark : earlier)
        paintMark(painter, where.toArea(mark.at), radius, Earlier, QString::number(mark.nr), mark.caseNumber,
                  mark.id == selectedEarlier && selectedEarlier != 0);
    for (const DamageMark &mark : own)
        paintMark(painter, where.toArea(mark.at), radius, Own, QString::number(mark.nr), QString(),
                  mark.nr == selected);
    painter.restore();
}

} // namespace vehicle
