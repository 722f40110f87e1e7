#include "preview/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace report {
namespace {

const QColor kArrow(0x2f, 0x6d, 0xb5);
const QColor kArrowEdge(0x1a, 0x3f, 0x6e);

// A paging arrow: pointing left or right, with a stop bar at its tip.
void drawArrow(QPainter &p, bool left, bool bar)
{
    QPainterPath head;
    if (left) {
        head.moveTo(7, 16);
        head.lineTo(24, 5);
        head.lineTo(24, 27);
    } else {
        head.moveTo(25, 16);
        head.lineTo(8, 5);
        head.lineTo(8, 27);
    }
    head.closeSubpath();
    p.setPen(QPen(kArrowEdge, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kArrow);
    p.drawPath(head);
    if (bar)
        p.drawRect(QRectF(left ? 3 : 25.5, 5, 3.5, 22));
}

void drawClipboard(QPainter &p)
{
    p.setPen(QPen(QColor(0x5a, 0x3a, 0x18), 1.2));
    p.setBrush(QColor(0xa0, 0x70, 0x3c));
    p.drawRoundedRect(QRectF(5.5, 4.5, 21, 25), 2, 2);
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.5, 8.5, 15, 18));
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1.2));
    p.setBrush(QColor(0xc8, 0xc8, 0xc8));
    p.drawRoundedRect(QRectF(11.5, 2.5, 9, 5), 1.5, 1.5);
    p.setPen(QPen(QColor(0x70, 0x90, 0xc0), 1.2));
    for (double y : {12.5, 15.5, 18.5, 21.5})
        p.drawLine(QPointF(10.5, y), QPointF(y < 20 ? 21.5 : 17.5, y));
}

void drawPrinter(QPainter &p)
{
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9.5, 3.5, 13, 10));                       // sheet going in
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.2));
    p.setBrush(QColor(0x9a, 0xa4, 0xae));
    p.drawRoundedRect(QRectF(3.5, 12.5, 25, 11), 2, 2);        // body
    p.setBrush(QColor(0x5a, 0x64, 0x6e));
    p.drawRect(QRectF(7.5, 20.5, 17, 3));                       // slot
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.5, 22.5, 15, 7));                       // sheet coming out
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3a, 0xb0, 0x3a));
    p.drawEllipse(QPointF(24.5, 16), 1.3, 1.3);                  // ready light
}

// A sheet with a turned-down corner, marked PDF in red.
void drawPdfSheet(QPainter &p)
{
    QPainterPath sheet;
    sheet.moveTo(6.5, 2.5);
    sheet.lineTo(19.5, 2.5);
    sheet.lineTo(25.5, 8.5);
    sheet.lineTo(25.5, 29.5);
    sheet.lineTo(6.5, 29.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(19.5, 2.5);
    corner.lineTo(19.5, 8.5);
    corner.lineTo(25.5, 8.5);
    corner.closeSubpath();
    p.setBrush(QColor(0xd8, 0xd8, 0xd8));
    p.drawPath(corner);
    p.setPen(QPen(QColor(0x70, 0x90, 0xc0), 1.2));
    for (double y : {11.5, 14.5})
        p.drawLine(QPointF(9.5, y), QPointF(22.5, y));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc6, 0x28, 0x28));
    p.drawRoundedRect(QRectF(3.5, 17.5, 25, 10), 1.5, 1.5);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(8);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(3.5, 17.5, 25, 10), Qt::AlignCenter, QStringLiteral("PDF"));
}

// An envelope with a red clip: the report goes by mail.
void drawEnvelope(QPainter &p)
{
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(QColor(0xfa, 0xf6, 0xe8));
    p.drawRect(QRectF(3.5, 8.5, 25, 17));
    QPainterPath flap;
    flap.moveTo(3.5, 8.5);
    flap.lineTo(16, 18.5);
    flap.lineTo(28.5, 8.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);
    p.setPen(QPen(QColor(0xc6, 0x28, 0x28), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 4), QPointF(24, 12));
}

void drawDoor(QPainter &p)
{
    p.setPen(QPen(QColor(0x5a, 0x4a, 0x30), 1.2));
    p.setBrush(QColor(0xe9, 0xe2, 0xd4));
    p.drawRect(QRectF(4.5, 2.5, 15, 27));
    QPainterPath leaf;
    leaf.moveTo(4.5, 2.5);
    leaf.lineTo(14.5, 6);
    leaf.lineTo(14.5, 31);
    leaf.lineTo(4.5, 29.5);
    leaf.closeSubpath();
    p.setPen(QPen(QColor(0x5a, 0x3a, 0x18), 1.2));
    p.setBrush(QColor(0xa0, 0x70, 0x3c));
    p.drawPath(leaf);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xc1, 0x2e));
    p.drawEllipse(QPointF(12, 17), 1.1, 1.1);
    p.setPen(QPen(QColor(0x1e, 0x62, 0x1e), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(17, 16), QPointF(24, 16));
    QPainterPath head;
    head.moveTo(23, 10.5);
    head.lineTo(29.5, 16);
    head.lineTo(23, 21.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1e, 0x62, 0x1e));
    p.drawPath(head);
}

QPixmap drawn(const QString &key, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    if (key == u"Erste")
        drawArrow(p, true, true);
    else if (key == u"Zurueck")
        drawArrow(p, true, false);
    else if (key == u"Vor")
        drawArrow(p, false, false);
    else if (key == u"Letzte")
        drawArrow(p, false, true);
    else if (key == u"Clip")
        drawClipboard(p);
    else if (key == u"Print")
        drawPrinter(p);
    else if (key == u"PDF")
        drawPdfSheet(p);
    else if (key == u"Mail")
        drawEnvelope(p);
    else if (key == u"Ende")
        drawDoor(p);
    return pixmap;
}

} // namespace

QIcon previewIcon(const QString &key)
{
    QIcon icon;
    icon.addPixmap(drawn(key, 32));
    icon.addPixmap(drawn(key, 64));
    return icon;
}

} // namespace report
