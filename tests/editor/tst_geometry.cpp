#include "editor/GraficGeometry.h"

#include <QTest>

using namespace kelvane::editor;

namespace {

GraficGeometry fromRecord(const QString &record)
{
    GraficGeometry shape;
    if (!shape.BuildObj(record))
        qFatal("record not read: %s", qPrintable(record));
    return shape;
}

QRect rectOf(const LineElement &line) { return QRect(QPoint(line.X1, line.Y1), QPoint(line.X2, line.Y2)); }

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void arrowHeadPointsAlongTheLine();
    void boxDraggedInsideOutIsLaidOutTheRightWayRound();
    void dragEndShrinksTheShapeToItsContent();
    void hitTestsFollowKindAndFill();
    void propertiesGoToTheElementsOfTheKind();
    void gripsAndTolerancesKeepTheirScreenSize();
};

void TestGeometry::arrowHeadPointsAlongTheLine()
{
    // Grips 3 and 5 of the inset box (30, 30, 40, 140): a vertical line
    // from (50, 34) down to (50, 166); head length 2 + 30.
    GraficGeometry down = fromRecord(QStringLiteral("ARROW;0;0;100;200;50;34;50;166;2;0;3;5"));
    QCOMPARE(rectOf(down.Line()), QRect(QPoint(50, 34), QPoint(50, 166)));
    QCOMPARE(rectOf(down.LineAt(1)), QRect(QPoint(50, 166), QPoint(42, 135)));
    QCOMPARE(rectOf(down.LineAt(2)), QRect(QPoint(50, 166), QPoint(58, 135)));
    QVERIFY(!down.LineAt(3).Visible);

    // Reversed, the head sits at the top and opens downward.
    GraficGeometry up = fromRecord(QStringLiteral("ARROW;0;0;100;200;50;166;50;34;2;0;5;3"));
    QCOMPARE(rectOf(up.LineAt(1)), QRect(QPoint(50, 34), QPoint(58, 65)));
    QCOMPARE(rectOf(up.LineAt(2)), QRect(QPoint(50, 34), QPoint(42, 65)));

    // A double arrow has the mirrored head at its start.
    // Its grips come from the direction: corner grips, so a vertical one
    // needs a box whose inset is one grip wide.
    GraficGeometry both = fromRecord(QStringLiteral("DBLARROW;0;0;68;200;34;34;34;166;2;0"));
    QCOMPARE(both.StartGrip(), 0);
    QCOMPARE(both.EndGrip(), 8);
    QCOMPARE(rectOf(both.Line()), QRect(QPoint(34, 34), QPoint(34, 166)));
    QVERIFY(both.LineAt(3).Visible && both.LineAt(4).Visible);
    QCOMPARE(rectOf(both.LineAt(1)), QRect(QPoint(34, 166), QPoint(26, 135)));
    QCOMPARE(rectOf(both.LineAt(3)), QRect(QPoint(34, 34), QPoint(42, 65)));
    QCOMPARE(rectOf(both.LineAt(4)), QRect(QPoint(34, 34), QPoint(26, 65)));
}

void TestGeometry::boxDraggedInsideOutIsLaidOutTheRightWayRound()
{
    GraficGeometry box;
    box.SetStyle(ShapeStyle::Rect);
    box.Place(10, 20, 100, 60);
    box.SetShowGrips(true);
    QCOMPARE(box.GripVisible(4), false);
    QCOMPARE(box.GripVisible(8), true);

    // The bottom-right grip taken at (3, 3) and pulled 151 left, 100 up,
    // past the top-left grip.
    box.BeginGripDrag(8, QPointF(3, 3), QSize(800, 600));
    QCOMPARE(box.Geometry(), QRect(0, 0, 800, 600));
    QCOMPARE(box.WorkRect(), (GraficGeometry::Rect{10, 20, 100, 60}));
    box.DragGrip(8, QPointF(3 - 151, 3 - 100));
    QCOMPARE(box.WorkRect(), (GraficGeometry::Rect{10, 20, -51, -40}));
    // (-51 - 8) div 2 truncates toward zero: -29, not -30.
    QCOMPARE(box.GripRect(3).topLeft(), QPoint(10 - 29, 20));
    QCOMPARE(box.StartGrip(), 8);
    QCOMPARE(box.EndGrip(), 0);
    QCOMPARE(box.Shape().Rect, QRect(-49, -28, 67, 56));
    // Further moves with the grip under the same point of it change nothing.
    box.DragGrip(8, QPointF(3, 3));
    QCOMPARE(box.Shape().Rect, QRect(-49, -28, 67, 56));

    box.EndGripDrag();
    QCOMPARE(box.Geometry(), QRect(-49, -28, 67, 56));
    QCOMPARE(box.WorkRect(), (GraficGeometry::Rect{0, 0, 67, 56}));
    QCOMPARE(box.StartGrip(), 0);
    QCOMPARE(box.Shape().Rect, QRect(0, 0, 67, 56));
}

void TestGeometry::dragEndShrinksTheShapeToItsContent()
{
    // A line's end pulled 20 right and 10 down: the line's box plus 4.
    GraficGeometry line = fromRecord(QStringLiteral("LINE;26;36;108;58;4;4;104;54;2;255"));
    line.BeginGripDrag(8, QPointF(4, 4), QSize(800, 600));
    QCOMPARE(rectOf(line.Line()), QRect(QPoint(30, 40), QPoint(130, 90)));
    line.DragGrip(8, QPointF(24, 14));
    line.EndGripDrag();
    QCOMPARE(line.Geometry(), QRect(26, 36, 128, 68));
    QCOMPARE(rectOf(line.Line()), QRect(QPoint(4, 4), QPoint(124, 64)));

    // An arrow moved by its centre grip keeps its size: 30 more on each side.
    GraficGeometry arrow = fromRecord(QStringLiteral("ARROW;10;20;168;118;34;84;134;34;3;0;2;6"));
    arrow.BeginGripDrag(4, QPointF(2, 2), QSize(800, 600));
    arrow.DragGrip(4, QPointF(7, 7));
    arrow.EndGripDrag();
    QCOMPARE(arrow.Geometry(), QRect(15, 25, 168, 118));
    QCOMPARE(arrow.StartGrip(), 2);
    QCOMPARE(arrow.EndGrip(), 6);
    QCOMPARE(arrow.ContentBounds(), QRect(0, 0, 168, 118));

    // A line's end dragged across its start: the grips follow the direction.
    GraficGeometry crossed = fromRecord(QStringLiteral("LINE;0;0;108;58;4;4;104;54;1;0"));
    crossed.BeginGripDrag(8, QPointF(4, 4), QSize(800, 600));
    crossed.DragGrip(8, QPointF(4 - 150, 4));
    crossed.EndGripDrag();
    QCOMPARE(crossed.StartGrip(), 6);
    QCOMPARE(crossed.EndGrip(), 2);
    QCOMPARE(crossed.Geometry(), QRect(-50, 0, 58, 58));
}

void TestGeometry::hitTestsFollowKindAndFill()
{
    GraficGeometry rect = fromRecord(QStringLiteral("RECT;0;0;100;60;1;0;16777215;0"));
    QVERIFY(rect.HitTest({2, 30}));
    QVERIFY(rect.HitTest({98, 30}));
    QVERIFY(rect.HitTest({50, 58}));
    QVERIFY(!rect.HitTest({50, 30}));
    QVERIFY(!rect.HitTest({5, 30}));
    rect.SetTransparenz(false);
    QVERIFY(rect.HitTest({50, 30}));

    GraficGeometry ellipse = fromRecord(QStringLiteral("CIRCLE;0;0;100;60;1;0;16777215;0"));
    QVERIFY(ellipse.HitTest({1, 30}));       // on the ring
    QVERIFY(!ellipse.HitTest({50, 30}));     // the cut-out inside
    QVERIFY(!ellipse.HitTest({2, 2}));       // the corner outside the ellipse
    ellipse.SetShowGrips(true);
    QVERIFY(ellipse.HitTest({2, 2}));        // ... unless it is a shown corner grip
    QVERIFY(ellipse.HitTest({99, 59}));
    QVERIFY(ellipse.HitTest({50, -0.4}));    // rounds to the top row, inside
    QVERIFY(!ellipse.HitTest({50, -0.6}));   // rounds to the row above
    ellipse.SetTransparenz(false);
    QVERIFY(ellipse.HitTest({50, 30}));

    // Horizontal: 1 pixel along the line, 4 across it for a thin pen.
    GraficGeometry flat = fromRecord(QStringLiteral("LINE;0;0;108;8;4;4;104;4;1;0"));
    QVERIFY(flat.HitTest({105, 4}));
    QVERIFY(!flat.HitTest({106, 4}));
    QVERIFY(flat.HitTest({50, 8}));
    QVERIFY(!flat.HitTest({50, 9}));
    // Vertical, pen 3: 2 pixels around it.
    GraficGeometry upright = fromRecord(QStringLiteral("LINE;0;0;8;100;4;4;4;96;3;0"));
    QVERIFY(upright.HitTest({6, 50}));
    QVERIFY(!upright.HitTest({7, 50}));
    QVERIFY(upright.HitTest({4, 98}));
    QVERIFY(!upright.HitTest({4, 99}));
    // Sloped (y = x / 2 + 2): within 4 across either axis.
    GraficGeometry sloped = fromRecord(QStringLiteral("LINE;0;0;108;58;4;4;104;54;2;0"));
    QVERIFY(sloped.HitTest({54, 33}));
    QVERIFY(!sloped.HitTest({54, 34}));

    GraficGeometry text = fromRecord(QStringLiteral("TEXT;0;0;50;20;x;Arial;12;False;False;False;False;0"));
    QVERIFY(text.HitTest({25, 10}));
}

void TestGeometry::propertiesGoToTheElementsOfTheKind()
{
    GraficGeometry shape;
    shape.SetStyle(ShapeStyle::DblArrow);
    shape.SetPenWidth(3);
    shape.SetPenColor(255);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(shape.LineAt(i).BorderWidth, 3);
        QCOMPARE(shape.LineAt(i).BorderColor, 255);
    }
    shape.SetPenWidth(0);
    shape.SetPenWidth(-2);
    QCOMPARE(shape.PenWidth(), 3);

    shape.SetStyle(ShapeStyle::Line);
    shape.SetFillColor(123);
    QCOMPARE(shape.FillColor(), 0);
    shape.SetStyle(ShapeStyle::Circle);
    QCOMPARE(shape.Shape().ShapeNumber, ShapeStyle::Circle);
    shape.SetFillColor(-65280);
    QCOMPARE(shape.FillColor(), 65280);
    shape.SetFillColor(std::numeric_limits<ColorRef>::min());   // no positive counterpart
    QCOMPARE(shape.FillColor(), std::numeric_limits<ColorRef>::min());
    QVERIFY(!shape.Transparenz());   // opaque until told otherwise
    shape.SetStyle(ShapeStyle::Text);
    QCOMPARE(shape.PenWidth(), 0);
    shape.SetPenColor(4711);
    QCOMPARE(shape.Label().ForeColor, 4711);
    QVERIFY(shape.Label().Visible && !shape.Shape().Visible && !shape.Line().Visible);

    shape.SetStyle(ShapeStyle::Square);
    QCOMPARE(shape.Serialize(0, 0), QString());
}

void TestGeometry::gripsAndTolerancesKeepTheirScreenSize()
{
    // At 1 the grips are the laid-out grips themselves.
    GraficGeometry box = fromRecord(QStringLiteral("RECT;0;0;400;300;1;0;16777215;0"));
    box.SetShowGrips(true);
    QCOMPARE(box.GripArea(8, 1.0), QRectF(box.GripRect(8)));
    QCOMPARE(GraficGeometry::ScreenMargin(1.0), 0.0);
    QCOMPARE(GraficGeometry::ScreenMargin(2.0), 0.0);
    for (const double zoom : {0.5, 0.25}) {
        // 8 screen pixels around the centre of the grip, whose layout stays.
        const QRectF area = box.GripArea(8, zoom);
        QCOMPARE(area.size() * zoom, QSizeF(GripSize, GripSize));
        QCOMPARE(area.center(), QRectF(box.GripRect(8)).center());
        QCOMPARE(box.GripRect(8), QRect(392, 292, 8, 8));
        // 3 screen pixels from its centre, outside the laid-out grip, is
        // still on it ...
        const QPointF near(396 + 3 / zoom, 296 + 3 / zoom);
        QVERIFY(!QRectF(box.GripRect(8)).contains(near));
        QCOMPARE(box.GripAt(near, zoom), 8);
        // ... and 5 screen pixels from its centre is not.
        QCOMPARE(box.GripAt(QPointF(396 + 5 / zoom, 296), zoom), -1);
        QVERIFY(GraficGeometry::ScreenMargin(zoom) >= 4 / zoom - 4);
    }

    // A thin line: 4 screen pixels across it at every zoom, not 4 picture
    // pixels (a hair's breadth at 25 %).
    GraficGeometry flat = fromRecord(QStringLiteral("LINE;0;0;808;8;4;4;804;4;1;0"));
    for (const double zoom : {1.0, 0.5, 0.25}) {
        QVERIFY(flat.HitTest({400, 4 + 3 / zoom}, zoom));
        QVERIFY(!flat.HitTest({400, 4 + 5 / zoom}, zoom));
        QVERIFY(flat.HitTest({804 + 1 / zoom, 4}, zoom));
        QVERIFY(!flat.HitTest({804 + 2 / zoom, 4}, zoom));
    }
    // A thick pen is its own tolerance: half its width, as drawn.
    GraficGeometry thick = fromRecord(QStringLiteral("LINE;0;0;808;8;4;4;804;4;40;0"));
    QVERIFY(thick.HitTest({400, 4 + 19}, 0.5));
    QVERIFY(!thick.HitTest({400, 4 + 21}, 0.5));
    // Zoomed in, a thin line takes 2 screen pixels either side, half its drawn width.
    QVERIFY(flat.HitTest({400, 4.4}, 4.0));
    QVERIFY(!flat.HitTest({400, 4.6}, 4.0));

    // The border band of a transparent box and the corner grips of an ellipse.
    for (const double zoom : {1.0, 0.25}) {
        QVERIFY(box.HitTest({3 / zoom, 150}, zoom));
        QVERIFY(!box.HitTest({5 / zoom, 150}, zoom));
        GraficGeometry ellipse = fromRecord(QStringLiteral("CIRCLE;0;0;400;300;1;0;16777215;0"));
        ellipse.SetShowGrips(true);
        QVERIFY(ellipse.HitTest({4 + 3 / zoom, 4 + 3 / zoom}, zoom));
        QVERIFY(!ellipse.HitTest({4 + 5 / zoom, 4 + 5 / zoom}, zoom));
    }
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
