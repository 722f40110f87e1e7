#include "vehicle/DiagramPainter.h"

#include "vehicle/Outline.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

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

struct MarkFonts {
    explicit MarkFonts(double radius) : number(QStringLiteral("Arial")), caption(QStringLiteral("Arial"))
    {
        number.setPixelSize(std::max(1, int(radius * 1.2)));
        number.setBold(true);
        caption.setPixelSize(std::max(1, int(radius * 0.9)));
    }
    QFont number;
    QFont caption;
};

void paintMark(QPainter &painter, const QPointF &centre, double radius, const QColor &colour, const QString &number,
               const QString &caption, bool selected, const MarkFonts &fonts)
{
    // The ring as two filled discs: a wide pen's stroke costs several times
    // as much on screen, and a record shows a hundred marks.
    const double ring = radius * (selected ? 0.35 : 0.18) / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(centre, radius + ring, radius + ring);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, radius - ring, radius - ring);
    painter.setFont(fonts.number);
    painter.setPen(colour);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    painter.drawText(box, Qt::AlignCenter, number);
    if (caption.isEmpty())
        return;
    painter.setFont(fonts.caption);
    // On white, so the drawing's lines do not cross the case number.
    QRectF label = painter.fontMetrics().boundingRect(caption);
    label.moveTopLeft(QPointF(centre.x() + radius * 1.1, centre.y() - label.height() / 2));
    painter.fillRect(label.adjusted(-radius * 0.1, 0, radius * 0.1, 0), Qt::white);
    painter.drawText(label, Qt::AlignCenter, caption);
}

QByteArray drawingOf(const QString &outline)
{
    registerDrawings();
    QFile file(OutlineChoice::drawingFile(outline));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

DiagramPainter::DiagramPainter(const QString &outline) : m_drawing(drawingOf(outline)) {}

DiagramPainter::~DiagramPainter() = default;

QSizeF DiagramPainter::drawingSize() const
{
    return m_drawing.viewBox().size();
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
    paintOutline(painter, where.drawn());
    paintLabels(painter, where.drawn());
    const MarkFonts fonts(radius);
    for (const DamageMark &mark : earlier)
        paintMark(painter, where.toArea(mark.at), radius, Earlier, QString::number(mark.nr), mark.caseNumber,
                  mark.id == selectedEarlier && selectedEarlier != 0, fonts);
    for (const DamageMark &mark : own)
        paintMark(painter, where.toArea(mark.at), radius, Own, QString::number(mark.nr), QString(),
                  mark.nr == selected, fonts);
    painter.restore();
}

void DiagramPainter::paintOutline(QPainter &painter, const QRectF &drawn) const
{
    const QRectF box = m_drawing.viewBox();
    if (box.isEmpty())
        return;
    const QTransform before = painter.transform();
    painter.translate(drawn.topLeft());
    painter.scale(drawn.width() / box.width(), drawn.height() / box.height());
    painter.translate(-box.topLeft());
    QPen pen(Qt::black, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    for (const OutlineDrawing::Shape &shape : m_drawing.shapes()) {
        if (pen.widthF() != shape.strokeWidth) {
            pen.setWidthF(shape.strokeWidth);
            painter.setPen(pen);
        }
        painter.setBrush(shape.filled ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
        painter.drawPath(shape.path);
    }
    painter.setTransform(before);
}

void DiagramPainter::paintLabels(QPainter &painter, const QRectF &drawn) const
{
    const QRectF box = m_drawing.viewBox();
    if (box.isEmpty())
        return;
    const double scale = drawn.width() / box.width();
    painter.setPen(Qt::black);
    for (const Label &label : m_drawing.labels()) {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(std::max(1, int(std::lround(label.size * scale))));
        painter.setFont(font);
        const QPointF middle(drawn.left() + (label.at.x() - box.left()) * scale,
                             drawn.top() + (label.at.y() - box.top()) * drawn.height() / box.height());
        painter.drawText(middle - QPointF(QFontMetricsF(font, painter.device()).horizontalAdvance(label.text) / 2, 0),
                         label.text);
    }
}

} // namespace vehicle
