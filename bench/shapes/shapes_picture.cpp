// Draws the six example shapes of an overlay script with DrawToDC over a
// made-up photo and writes the result as PNG, to look at.
//
// shapes_picture OUTPUT.png

#include "editor/GraficPainter.h"
#include "editor/OverlayScript.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <cstdio>

using namespace kelvane::editor;

namespace {

// A car's flank in the evening: sky, asphalt, a door with a window, noise.
QImage photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(120, 160, 205));
    sky.setColorAt(0.55, QColor(215, 205, 190));
    sky.setColorAt(0.56, QColor(90, 90, 95));
    sky.setColorAt(1, QColor(60, 60, 64));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 30, 35));
    p.drawRoundedRect(QRectF(20, 80, width - 40, 150), 30, 30);
    p.setBrush(QColor(70, 90, 110));
    p.drawRoundedRect(QRectF(70, 90, 120, 50), 10, 10);
    p.setBrush(QColor(25, 25, 25));
    p.drawEllipse(QPointF(90, 235), 35, 35);
    p.drawEllipse(QPointF(width - 90, 235), 35, 35);
    p.end();
    QRandomGenerator random(4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int n = random.bounded(17) - 8;
            const QColor c = image.pixelColor(x, y);
            image.setPixelColor(x, y, QColor(qBound(0, c.red() + n, 255), qBound(0, c.green() + n, 255),
                                             qBound(0, c.blue() + n, 255)));
        }
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: shapes_picture OUTPUT.png\n");
        return 2;
    }
    // The opaque rectangle at the back, so that the strokes over it show.
    const QString script = QStringLiteral(
        "RECT;40;50;120;80;2;16711680;16777215;1#"
        "LINE;26;36;108;58;4;4;104;54;2;255#"
        "ARROW;10;20;168;118;34;84;134;34;3;0;2;6#"
        "DBLARROW;10;20;168;118;34;84;134;34;3;0#"
        "CIRCLE;200;60;90;90;1;32768;65535;0#"
        "TEXT;15;120;150;40;Note;Arial;12;True;False;False;False;0#");
    QImage picture = photo(400, 300);
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(3780);
    // The overlay is drawn into a transparent picture of its own, as it is
    // stored, and then laid over the photo.
    QImage overlay(picture.size(), QImage::Format_ARGB32_Premultiplied);
    overlay.setDotsPerMeterX(3780);
    overlay.setDotsPerMeterY(3780);
    overlay.fill(Qt::transparent);
    QPainter painter(&overlay);
    for (const GraficGeometry &shape : OverlayScript::Read(script).shapes)
        GraficPainter::DrawToDC(shape, painter, shape.Geometry().left(), shape.Geometry().top());
    painter.end();
    QPainter onto(&picture);
    onto.drawImage(0, 0, overlay);
    onto.end();
    return picture.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
