// Draws the six example shapes of an overlay script with DrawToDC over a
// made-up photo and writes the result as PNG, to look at.
//
// shapes_picture OUTPUT.png

#include "CarPhoto.h"

#include "editor/GraficPainter.h"
#include "editor/OverlayScript.h"

#include <QGuiApplication>
#include <QPainter>

#include <cstdio>

using namespace kelvane::editor;

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
    QImage picture = carPhoto(400, 300);
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
