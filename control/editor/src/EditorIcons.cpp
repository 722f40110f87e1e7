#include "editor/EditorIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kelvane::editor::EditorIcons {

namespace {

void arrowHead(QPainter &p, QPointF tip, QPointF from)
{
    const QLineF back(tip, from);
    QLineF left = back;
    left.setLength(6);
    left.setAngle(back.angle() + 30);
    QLineF right = back;
    right.setLength(6);
    right.setAngle(back.angle() - 30);
    p.drawLine(left);
    p.drawLine(right);
}

void drawKey(QPainter &p, const QString &key)
{
    const QString k = key.toLower();
    p.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap));
    if (k == u"line") {
        p.drawLine(QPointF(3, 19), QPointF(19, 3));
    } else if (k == u"arrow" || k == u"dblarrow") {
        p.drawLine(QPointF(3, 19), QPointF(19, 3));
        arrowHead(p, QPointF(19, 3), QPointF(3, 19));
        if (k == u"dblarrow")
            arrowHead(p, QPointF(3, 19), QPointF(19, 3));
    } else if (k == u"rect") {
        p.drawRect(QRectF(3, 5, 16, 12));
    } else if (k == u"circle") {
        p.drawEllipse(QRectF(3, 5, 16, 12));
    } else if (k == u"text" || k == u"fontbold" || k == u"fontitalic" || k == u"fontunderline") {
        QFont font(QStringLiteral("Serif"));
        font.setPixelSize(17);
        font.setBold(k != u"fontitalic" && k != u"fontunderline");
        font.setItalic(k == u"fontitalic");
        font.setUnderline(k == u"fontunderline");
        p.setFont(font);
        p.drawText(QRectF(0, 0, 22, 22), Qt::AlignCenter, k == u"text" ? QStringLiteral("T") : k.mid(4, 1).toUpper());
    } else if (k == u"copy" || k == u"paste") {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 3, 10, 12));
        p.drawRect(QRectF(8, 7, 10, 12));
        if (k == u"paste")
            p.fillRect(QRectF(9, 8, 9, 11), QColor(250, 220, 120));
    } else if (k == u"delete") {
        p.setPen(QPen(QColor(200, 0, 0), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(17, 17));
        p.drawLine(QPointF(17, 5), QPointF(5, 17));
    } else if (k == u"zorderfore" || k == u"zorderback") {
        const bool fore = k == u"zorderfore";
        p.setBrush(fore ? QColor(Qt::white) : QColor(80, 130, 220));
        p.drawRect(QRectF(3, 3, 11, 11));
        p.setBrush(fore ? QColor(80, 130, 220) : QColor(Qt::white));
        p.drawRect(QRectF(8, 8, 11, 11));
        if (!fore) {
            p.setBrush(QColor(80, 130, 220));
            p.drawRect(QRectF(3, 3, 5, 5));
        }
    } else if (k == u"undo" || k == u"redo") {
        QPainterPath path;
        const bool undo = k == u"undo";
        path.moveTo(undo ? 18 : 4, 17);
        path.cubicTo(undo ? 18 : 4, 6, undo ? 9 : 13, 6, undo ? 5 : 17, 9);
        p.drawPath(path);
        arrowHead(p, QPointF(undo ? 5 : 17, 9), QPointF(undo ? 12 : 10, 7));
    } else if (k == u"zoomin" || k == u"zoomout" || k == u"fit") {
        p.drawEllipse(QRectF(3, 3, 12, 12));
        p.drawLine(QPointF(14, 14), QPointF(19, 19));
        if (k == u"fit")
            p.drawRect(QRectF(6, 6, 6, 6));
        else
            p.drawLine(QPointF(6, 9), QPointF(12, 9));
        if (k == u"zoomin")
            p.drawLine(QPointF(9, 6), QPointF(9, 12));
    } else if (k == u"ok") {
        p.setPen(QPen(QColor(0, 140, 0), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawPolyline(QPolygonF({QPointF(4, 11), QPointF(9, 17), QPointF(18, 5)}));
    } else if (k == u"cancel") {
        p.setPen(QPen(QColor(200, 0, 0), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(17, 17));
        p.drawLine(QPointF(17, 5), QPointF(5, 17));
    }
}

} // namespace

QIcon ForKey(const QString &key)
{
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawKey(painter, key);
    painter.end();
    return QIcon(pixmap);
}

QImage ColorButton(bool fill, const QColor &color)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.2));
    if (fill) {
        // A tipped bucket.
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(3, 5), QPointF(8, 1), QPointF(13, 6), QPointF(8, 10)}));
    } else {
        // A pen.
        p.drawLine(QPointF(3, 10), QPointF(12, 1));
        p.drawLine(QPointF(5, 11), QPointF(13, 3));
    }
    p.setPen(Qt::NoPen);
    p.fillRect(QRect(0, 12, 16, 4), color);
    return image;
}

} // namespace kelvane::editor::EditorIcons
