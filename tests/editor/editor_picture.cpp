// Opens the annotation editor over a made-up photo with the six kinds of
// shape, selects one (or edits the text in place) and writes the window as
// PNG, to look at.
//
// editor_picture OUTPUT.png [select|text|big]

#include "editor/frmMain.h"

#include <QApplication>
#include <QGraphicsView>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

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
    p.drawRoundedRect(QRectF(40, height * 0.3, width - 80, height * 0.4), 60, 60);
    p.setBrush(QColor(70, 90, 110));
    p.drawRoundedRect(QRectF(140, height * 0.33, 260, 110), 20, 20);
    p.setBrush(QColor(25, 25, 25));
    p.drawEllipse(QPointF(190, height * 0.7), 70, 70);
    p.drawEllipse(QPointF(width - 190, height * 0.7), 70, 70);
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
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: editor_picture OUTPUT.png [select|text|big]\n");
        return 2;
    }
    const QString mode = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("select");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("foto.png"));
    photo(mode == u"big" ? 4000 : 1000, mode == u"big" ? 3000 : 700).save(file);
    const QString script = QStringLiteral(
        "RECT;80;300;240;160;2;16711680;16777215;1#"
        "LINE;420;120;200;110;4;4;196;106;3;255#"
        "ARROW;600;330;200;140;34;104;166;34;4;255;2;6#"
        "DBLARROW;300;520;260;80;20;40;240;40;3;0#"
        "CIRCLE;700;80;180;120;3;32768;65535;0#"
        "TEXT;560;480;220;60;Delle an der Tür;Arial;16;True;False;False;False;255#");
    frmMain editor;
    editor.SetEditPictureFile(file);
    editor.SetEditScript(script);
    editor.resize(1100, 760);
    editor.show();
    QTest::qWait(200);
    if (mode == u"text") {
        editor.Shapes().SelectShape(5);
        editor.BeginTextEdit(5);
        QTest::keyClicks(editor.TextEditor(), QStringLiteral(" hinten"));
    } else {
        editor.Shapes().SelectShape(2);
    }
    QTest::qWait(200);
    return editor.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
