#include "ProductPicture.h"

#include <QPainter>
#include <QPainterPath>

namespace varnholt {

QPixmap productPicture(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 100 x 70 grid, scaled to the size asked for.
    p.scale(width / 100.0, height / 70.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(225, 232, 240));
    p.drawRoundedRect(QRectF(2, 2, 96, 66), 8, 8);

    QPainterPath body;
    body.moveTo(8, 50);
    body.lineTo(8, 22);
    body.quadTo(8, 16, 14, 16);
    body.lineTo(66, 16);
    body.lineTo(80, 30);
    body.lineTo(90, 33);
    body.quadTo(93, 34, 93, 38);
    body.lineTo(93, 50);
    body.closeSubpath();
    p.setPen(QPen(QColor(20, 50, 90), 1.5));
    p.setBrush(QColor(40, 90, 160));
    p.drawPath(body);

    p.setBrush(QColor(200, 225, 245));
    p.drawRect(QRectF(14, 21, 18, 10));
    p.drawRect(QRectF(36, 21, 18, 10));
    QPainterPath windscreen;
    windscreen.moveTo(59, 21);
    windscreen.lineTo(65, 21);
    windscreen.lineTo(75, 31);
    windscreen.lineTo(59, 31);
    windscreen.closeSubpath();
    p.drawPath(windscreen);

    p.setPen(QPen(Qt::white, 0.8));
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 6, QFont::Bold));
    p.drawText(QRectF(14, 36, 40, 9), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VARNHOLT"));

    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.setBrush(QColor(45, 45, 45));
    p.drawEllipse(QPointF(24, 51), 7, 7);
    p.drawEllipse(QPointF(76, 51), 7, 7);
    p.setBrush(QColor(170, 170, 170));
    p.drawEllipse(QPointF(24, 51), 3, 3);
    p.drawEllipse(QPointF(76, 51), 3, 3);

    // The damage mark the program is about.
    p.setPen(QPen(QColor(220, 40, 30), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(86, 42), 6, 6);
    p.drawLine(QPointF(83, 39), QPointF(89, 45));
    p.drawLine(QPointF(89, 39), QPointF(83, 45));
    return pixmap;
}

} // namespace varnholt
