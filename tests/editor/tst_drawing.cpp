#include "editor/GraficObj.h"
#include "editor/GraficPainter.h"
#include "editor/Rounding.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QtMath>

#include <cmath>

using namespace kelvane::editor;

namespace {

// A transparent picture at 96 dpi, as the overlay of a photo.
QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::transparent);
    return image;
}

QImage drawn(const GraficGeometry &shape, int ox, int oy)
{
    QImage image = transparentImage(200, 150);
    QPainter painter(&image);
    GraficPainter::DrawToDC(shape, painter, ox, oy);
    return image;
}

GraficGeometry fromRecord(const QString &record)
{
    GraficGeometry shape;
    if (!shape.BuildObj(record))
        qFatal("record not read: %s", qPrintable(record));
    return shape;
}

QRgb opaque(QColor color) { return color.rgba(); }

void sendMouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A view of a 400 x 300 scene showing it one to one.
struct Stage {
    QGraphicsScene scene{0, 0, 400, 300};
    QGraphicsView view{&scene};
    Stage()
    {
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setFrameShape(QFrame::NoFrame);
        view.resize(400, 300);
        view.show();
    }
    QPoint at(QPointF scenePoint) const { return view.mapFromScene(scenePoint); }
    QWidget *surface() { return view.viewport(); }
};

} // namespace

class TestDrawing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void boxesAreDrawnWithTheBorderInside();
    void linesAndTextAreDrawnAtTheOffset();
    void fontSizeIsRoundedToWholePoints();
    void arrowHeadIsAPointedTriangle_data();
    void arrowHeadIsAPointedTriangle();
    void itemTakesClicksWhereTheHitTestSays();
    void gripDragIsHandledInsideTheShape();
};

void TestDrawing::boxesAreDrawnWithTheBorderInside()
{
    const QRgb blue = opaque(QColor(0, 0, 255));
    GraficGeometry rect = fromRecord(QStringLiteral("RECT;0;0;50;40;2;16711680;65535;0"));
    QImage image = drawn(rect, 10, 10);
    QCOMPARE(image.pixel(10, 20), blue);
    QCOMPARE(image.pixel(11, 20), blue);
    QCOMPARE(image.pixel(59, 20), blue);
    QCOMPARE(image.pixel(30, 49), blue);
    QCOMPARE(qAlpha(image.pixel(9, 20)), 0);
    QCOMPARE(qAlpha(image.pixel(60, 20)), 0);
    QCOMPARE(qAlpha(image.pixel(30, 50)), 0);
    QCOMPARE(qAlpha(image.pixel(30, 30)), 0);   // transparent: no fill

    rect.SetTransparenz(false);
    image = drawn(rect, 10, 10);
    QCOMPARE(image.pixel(30, 30), opaque(QColor(255, 255, 0)));

    GraficGeometry ellipse = fromRecord(QStringLiteral("CIRCLE;0;0;50;40;1;0;255;1"));
    image = drawn(ellipse, 0, 0);
    QCOMPARE(image.pixel(25, 20), opaque(QColor(255, 0, 0)));
    QCOMPARE(qAlpha(image.pixel(1, 1)), 0);

    // Kinds without a keyword are not drawn.
    rect.SetStyle(ShapeStyle::Square);
    QVERIFY(drawn(rect, 10, 10) == transparentImage(200, 150));
}

void TestDrawing::linesAndTextAreDrawnAtTheOffset()
{
    GraficGeometry line = fromRecord(QStringLiteral("LINE;0;0;108;8;4;4;104;4;3;255"));
    QImage image = drawn(line, 20, 30);
    QCOMPARE(image.pixel(70, 34), opaque(QColor(255, 0, 0)));
    QCOMPARE(qAlpha(image.pixel(70, 38)), 0);

    GraficGeometry arrow = fromRecord(QStringLiteral("ARROW;0;0;168;118;34;84;134;34;3;0;2;6"));
    image = drawn(arrow, 0, 0);
    QCOMPARE(qAlpha(image.pixel(84, 59)), 255);   // the middle of the stroke
    const LineElement &head = arrow.LineAt(1);
    QCOMPARE(qAlpha(image.pixel(head.X2, head.Y2)), 255);

    GraficGeometry text = fromRecord(QStringLiteral("TEXT;0;0;120;60;Kratzer an der Tür;Arial;12;True;False;False;False;32768"));
    image = drawn(text, 40, 50);
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0) {
                ++inked;
                QVERIFY(QRect(40, 50, 120, 60).contains(x, y));
            }
    QVERIFY(inked > 50);
    // No background: the text's box is not filled.
    QCOMPARE(qAlpha(image.pixel(158, 108)), 0);
    // Wrapped at the box's width: ink on a second line.
    bool secondLine = false;
    for (int x = 40; x < 160; ++x)
        secondLine = secondLine || qAlpha(image.pixel(x, 50 + 24)) != 0 || qAlpha(image.pixel(x, 50 + 26)) != 0;
    QVERIFY(secondLine);
}

void TestDrawing::fontSizeIsRoundedToWholePoints()
{
    const QImage device = transparentImage(10, 10);
    TextElement label;
    label.FontName = QString(40, u'x');
    label.FontSize = 12;
    QCOMPARE(GraficPainter::FontToLogFont(label, device).pixelSize(), 16);
    label.FontSize = 10.5f;   // 10 points: 13.33 pixels
    QCOMPARE(GraficPainter::FontToLogFont(label, device).pixelSize(), 13);
    label.FontSize = 11.5f;   // 12 points
    QCOMPARE(GraficPainter::FontToLogFont(label, device).pixelSize(), 16);
    label.Bold = true;
    label.Strikethrough = true;
    const QFont font = GraficPainter::FontToLogFont(label, device);
    QCOMPARE(font.family(), QString(32, u'x'));
    QCOMPARE(font.weight(), QFont::Bold);
    QVERIFY(font.strikeOut() && !font.italic() && !font.underline());
}

void TestDrawing::arrowHeadIsAPointedTriangle_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("1") << 1;
    QTest::newRow("10") << 10;
}

void TestDrawing::arrowHeadIsAPointedTriangle()
{
    QFETCH(int, width);
    // A level arrow pointing right, its tip at (250, 100).
    GraficGeometry arrow;
    arrow.SetStyle(ShapeStyle::Arrow);
    arrow.SetPenWidth(width);
    arrow.PlaceLine({50, 100}, {250, 100});
    const QPoint tip = arrow.Geometry().topLeft() + QPoint(arrow.Line().X2, arrow.Line().Y2);
    QCOMPARE(tip, QPoint(250, 100));
    const LineElement &toA = arrow.LineAt(1);
    const LineElement &toB = arrow.LineAt(2);
    // The head strokes: pen width + 30 long, 15 degrees off the shaft.
    const double length = width + 30;
    QCOMPARE(toA.X2, toA.X1 - roundHalfEven(length * std::cos(3.1415 / 12)));
    QCOMPARE(std::abs(toA.Y2 - toA.Y1), roundHalfEven(length * std::sin(3.1415 / 12)));
    QCOMPARE(toB.Y2 - toB.Y1, toA.Y1 - toA.Y2);

    const QRectF outline = GraficPainter::HeadOutline(toA, toB, width).boundingRect();
    const QPointF local(toA.X1, toA.Y1);
    // The mitred tip reaches half the width / sin 15 degrees beyond the
    // line's end (a round cap would reach half the width), and the head is
    // as wide as the strokes' flat ends apart.
    const double half = std::atan2(std::abs(toA.Y2 - toA.Y1), toA.X1 - toA.X2);
    QVERIFY2(std::abs(outline.right() - local.x() - width / 2.0 / std::sin(half)) < 0.5,
             qPrintable(QString::number(outline.right() - local.x())));
    const double across = (toA.Y2 - toB.Y2 < 0 ? toB.Y2 - toA.Y2 : toA.Y2 - toB.Y2) + width * std::cos(M_PI / 12);
    QVERIFY2(std::abs(outline.height() - across) < 1.0, qPrintable(QString::number(outline.height())));
    QVERIFY(std::abs(outline.left() - std::min(toA.X2, toB.X2)) < width);

    // Drawn filled: ink between the head strokes and beyond the tip.
    QImage image = transparentImage(400, 200);
    QPainter painter(&image);
    GraficPainter::DrawToDC(arrow, painter, arrow.Geometry().left(), arrow.Geometry().top());
    painter.end();
    QCOMPARE(qAlpha(image.pixel(tip + QPoint(0, 0))), 255);
    QCOMPARE(qAlpha(image.pixel(tip - QPoint(qRound(length * 0.8), -qRound(length * 0.15)))), 255);
    if (width >= 10)
        QCOMPARE(qAlpha(image.pixel(tip + QPoint(width, 0))), 255);
}

void TestDrawing::itemTakesClicksWhereTheHitTestSays()
{
    Stage stage;
    auto *below = new GraficObj;
    auto *above = new GraficObj;
    stage.scene.addItem(below);
    stage.scene.addItem(above);
    QVERIFY(below->BuildObj(u"RECT;50;40;100;80;1;0;255;1"));
    QVERIFY(above->BuildObj(u"RECT;50;40;100;80;2;0;255;0"));
    QSignalSpy belowDown(below, &GraficObj::MouseDown);
    QSignalSpy aboveDown(above, &GraficObj::MouseDown);
    QSignalSpy aboveDouble(above, &GraficObj::DblClick);

    // The transparent one lets its inside through to the opaque one.
    QTest::mouseClick(stage.surface(), Qt::LeftButton, {}, stage.at({100, 80}));
    QCOMPARE(belowDown.count(), 1);
    QCOMPARE(aboveDown.count(), 0);
    QCOMPARE(belowDown.at(0).at(2).toFloat(), 50.0f);   // in shape pixels
    QCOMPARE(belowDown.at(0).at(3).toFloat(), 40.0f);
    // ... and takes its border.
    QTest::mouseClick(stage.surface(), Qt::LeftButton, {}, stage.at({51, 80}));
    QCOMPARE(aboveDown.count(), 1);
    QTest::mouseDClick(stage.surface(), Qt::LeftButton, {}, stage.at({51, 80}));
    QCOMPARE(aboveDouble.count(), 1);

    // A width of 0 is not taken, yet the shape is drawn again.
    QSignalSpy changed(&stage.scene, &QGraphicsScene::changed);
    above->SetPenWidth(0);
    QCOMPARE(above->PenWidth(), 2);
    QTRY_VERIFY(changed.count() > 0);
}

void TestDrawing::gripDragIsHandledInsideTheShape()
{
    Stage stage;
    auto *shape = new GraficObj;
    stage.scene.addItem(shape);
    shape->SetStyle(ShapeStyle::Rect);
    shape->Place(50, 40, 100, 80);
    shape->SetShowGrips(true);
    QSignalSpy down(shape, &GraficObj::MouseDown);
    QSignalSpy moved(shape, &GraficObj::MouseMove);

    // Bottom-right grip at (142..149, 112..119) of the scene, pulled 30, 20.
    sendMouse(stage.surface(), QEvent::MouseButtonPress, stage.at({145, 115}), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(shape->Placement(), QRect(0, 0, 400, 300));
    sendMouse(stage.surface(), QEvent::MouseMove, stage.at({160, 125}), Qt::NoButton, Qt::LeftButton);
    sendMouse(stage.surface(), QEvent::MouseMove, stage.at({175, 135}), Qt::NoButton, Qt::LeftButton);
    sendMouse(stage.surface(), QEvent::MouseButtonRelease, stage.at({175, 135}), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(shape->Placement(), QRect(50, 40, 130, 100));
    QCOMPARE(shape->pos(), QPointF(50, 40));
    QCOMPARE(down.count(), 0);
    for (const QList<QVariant> &move : moved)
        QCOMPARE(move.at(0).value<Qt::MouseButtons>(), Qt::NoButton);   // only hovering reached the editor
}

QTEST_MAIN(TestDrawing)
#include "tst_drawing.moc"
