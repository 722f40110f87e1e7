#pragma once

#include "editor/GraficGeometry.h"
#include "editor/OverlayScript.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QStringList>

#include <cmath>
#include <vector>

// The overlay script of the shape benchmarks and the plain drawing its
// shapes are measured against.
namespace bench {

using namespace kelvane::editor;

// A script of every kind in turn, at random places, as the editor writes it.
inline QString makeScript(int records, int pictureWidth, int pictureHeight)
{
    QRandomGenerator random(18);
    const int styles[] = {ShapeStyle::Line, ShapeStyle::Arrow, ShapeStyle::DblArrow, ShapeStyle::Rect,
                          ShapeStyle::Circle, ShapeStyle::Text};
    std::vector<GraficGeometry> shapes(records);
    std::vector<OverlayScript::Placed> placed;
    for (int i = 0; i < records; ++i) {
        GraficGeometry &shape = shapes[i];
        shape.SetStyle(styles[i % 6]);
        shape.SetPenWidth(1 + random.bounded(6));
        shape.SetPenColor(ColorRef(random.bounded(0x1000000)));
        shape.SetFillColor(ColorRef(random.bounded(0x1000000)));
        shape.SetTransparenz(random.bounded(2) == 0);
        shape.Label().Caption = QStringLiteral("Kratzer %1 an der Tür hinten links").arg(i);
        shape.Label().FontName = QStringLiteral("Arial");
        shape.Label().FontSize = 8 + 2 * random.bounded(6);
        const int width = 70 + random.bounded(300);
        const int height = 70 + random.bounded(200);
        shape.Place(0, 0, width, height);
        if (random.bounded(2))   // half of the lines run the other way
            shape.BeginGripDrag(8, {0, 0}, {width, height}), shape.DragGrip(8, {-2.0 * width, 0}), shape.EndGripDrag();
        placed.push_back({&shape, random.bounded(pictureWidth - width), random.bounded(pictureHeight - height)});
    }
    return OverlayScript::Write(placed);
}

inline void plainHead(QPainter &painter, QPointF from, QPointF to, int length)
{
    const double dir = to.x() < from.x() ? 1.0 : -1.0;
    const double angle = to.x() == from.x() ? (to.y() > from.y() ? 3.1415 / 2 : 4.71225)
                                            : std::atan((to.y() - from.y()) / (to.x() - from.x()));
    for (double side : {-3.1415 / 12, 3.1415 / 12})
        painter.drawLine(to, QPointF(std::round(dir * std::cos(angle + side) * length + to.x()),
                                     std::round(dir * std::sin(angle + side) * length + to.y())));
}

inline QColor plainColour(const QString &field)
{
    const uint bits = uint(field.toInt());
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

// The shapes of a script drawn with plain QPainter calls, as a program
// without the shape classes would: what the shapes' own drawing is measured
// against. Returns the number of records drawn.
inline int plainDraw(QPainter &painter, const QString &script)
{
    int drawn = 0;
    QStringList records = script.split(u'#');
    records.removeLast();
    for (const QString &record : records) {
        const QStringList f = record.split(u';');
        const int x = f[1].toInt(), y = f[2].toInt(), w = f[3].toInt(), h = f[4].toInt();
        painter.save();
        if (f[0] == u"LINE" || f[0] == u"ARROW" || f[0] == u"DBLARROW") {
            QPen pen(plainColour(f[10]), f[9].toInt());
            pen.setCapStyle(Qt::RoundCap);
            painter.setPen(pen);
            const QPointF a(f[5].toInt() + x, f[6].toInt() + y), b(f[7].toInt() + x, f[8].toInt() + y);
            painter.drawLine(a, b);
            if (f[0] != u"LINE")
                plainHead(painter, a, b, f[9].toInt() + 30);
            if (f[0] == u"DBLARROW")
                plainHead(painter, b, a, f[9].toInt() + 30);
        } else if (f[0] == u"RECT" || f[0] == u"CIRCLE") {
            const int border = f[5].toInt();
            painter.setPen(QPen(plainColour(f[6]), border));
            painter.setBrush(f[8].toInt() ? QBrush(plainColour(f[7])) : QBrush(Qt::NoBrush));
            const QRectF inner = QRectF(x, y, w, h).adjusted(border / 2.0, border / 2.0, -border / 2.0, -border / 2.0);
            if (f[0] == u"RECT")
                painter.drawRect(inner);
            else
                painter.drawEllipse(inner);
        } else if (f[0] == u"TEXT") {
            QFont font(f[6]);
            font.setPixelSize(std::lround(f[7].toDouble() * 96 / 72));
            font.setBold(f[8] == u"True");
            painter.setFont(font);
            painter.setPen(plainColour(f[12]));
            painter.drawText(QRect(x, y, w, h), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, f[5]);
        }
        painter.restore();
        ++drawn;
    }
    return drawn;
}

} // namespace bench
