#include "editor/DragGeometry.h"
#include "editor/DrawingStyle.h"
#include "editor/ScriptBuilder.h"
#include "editor/ShapeSlots.h"
#include "editor/ToolbarState.h"

#include <sendral/OverlayGraphic.h>

#include <QGraphicsScene>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvane::editor;

namespace {

const QSize kPicture(640, 480);

QString rectRecord(int x, int y)
{
    GraficGeometry shape;
    shape.SetStyle(ShapeStyle::Rect);
    shape.Place(0, 0, 100, 80);
    return shape.Serialize(x, y);
}

} // namespace

class TestEditorLogic : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveRules();
    void stackingDecidesTheScriptOrder();
    void slotsAreReused();
    void unreadableRecordsAreWrittenBackInTheirPlace();
    void copyAndPaste();
    void selection();
    void toolbarStateFromShape();
    void dragGeometry_data();
    void dragGeometry();
    void drawnLinesRunFromPressToRelease();
    void drawingStyleIsRemembered();
};

void TestEditorLogic::saveRules()
{
    {
        // Nothing drawn on an empty script: nothing to save, nothing changed.
        QGraphicsScene scene;
        ShapeSlots shapes(scene);
        const SaveResult result = Save(shapes, kPicture, QString());
        QVERIFY(result.script.isEmpty());
        QVERIFY(!result.changed);
        QVERIFY(!result.overlay);
    }
    const QString given = rectRecord(10, 20) + u'#';
    {
        // The only shape deleted: the script becomes empty, and that is a change.
        QGraphicsScene scene;
        ShapeSlots shapes(scene);
        shapes.LoadScript(given, {});
        QCOMPARE(shapes.count(), 1);
        QVERIFY(shapes.IsShown(0));
        shapes.DeleteShape(0);
        const SaveResult result = Save(shapes, kPicture, given);
        QVERIFY(result.script.isEmpty());
        QVERIFY(result.changed);
    }
    {
        // Saved as loaded: no change, yet the overlay is drawn at the picture's size.
        QGraphicsScene scene;
        ShapeSlots shapes(scene);
        shapes.LoadScript(given, {});
        const SaveResult result = Save(shapes, kPicture, given);
        QCOMPARE(result.script, given);
        QVERIFY(!result.changed);
        QVERIFY(result.overlay);
        QCOMPARE(QSize(result.overlay->Width(), result.overlay->Height()), kPicture);
        // The border of the rectangle at (10, 20) is in the overlay.
        QVERIFY(qAlpha(result.overlay->Image().pixel(10, 20)) > 0);
        QCOMPARE(qAlpha(result.overlay->Image().pixel(5, 5)), 0);
    }
    {
        // A caption changed only in letter case is no change.
        GraficGeometry text;
        text.SetStyle(ShapeStyle::Text);
        text.Label().Caption = QStringLiteral("Delle vorne");
        const QString script = text.Serialize(30, 40) + u'#';
        QGraphicsScene scene;
        ShapeSlots shapes(scene);
        shapes.LoadScript(script, {});
        shapes.Shape(0).Label().Caption = QStringLiteral("DELLE VORNE");
        SaveResult result = Save(shapes, kPicture, script);
        QVERIFY(!result.changed);
        QCOMPARE(result.script, script);
        shapes.Shape(0).Label().Caption = QStringLiteral("Delle hinten");
        result = Save(shapes, kPicture, script);
        QVERIFY(result.changed);
        QVERIFY(result.script.contains(QStringLiteral("Delle hinten")));
    }
}

void TestEditorLogic::stackingDecidesTheScriptOrder()
{
    QGraphicsScene scene;
    ShapeSlots shapes(scene);
    const int first = shapes.CreateShape(ShapeStyle::Rect, {}, QPoint(10, 10));
    const int second = shapes.CreateShape(ShapeStyle::Rect, {}, QPoint(300, 10));
    QCOMPARE(shapes.Shape(second).ZPos(), 0);
    QVERIFY(shapes.Shape(first).ZPos() > 0);
    QVERIFY(shapes.Shape(second).zValue() > shapes.Shape(first).zValue());
    QVERIFY(Save(shapes, kPicture, {}).script.startsWith(QStringLiteral("RECT;10;")));

    int largest = 0;
    for (int index = 0; index < shapes.count(); ++index)
        largest = qMax(largest, shapes.Shape(index).ZPos());
    shapes.SetStacking(second, Stacking::Back);
    QCOMPARE(shapes.Shape(second).ZPos(), largest + 1);
    QVERIFY(shapes.Shape(second).zValue() < shapes.Shape(first).zValue());
    const SaveResult result = Save(shapes, kPicture, {});
    QVERIFY(result.script.startsWith(QStringLiteral("RECT;300;")));
    QCOMPARE(result.script.count(u'#'), 2);

    shapes.SetStacking(second, Stacking::Front);
    QVERIFY(Save(shapes, kPicture, {}).script.startsWith(QStringLiteral("RECT;10;")));
}

void TestEditorLogic::slotsAreReused()
{
    QGraphicsScene scene;
    ShapeSlots shapes(scene);
    // Element 0 is there from the start and taken first.
    QCOMPARE(shapes.CreateShape(ShapeStyle::Line, {}, {}), 0);
    QCOMPARE(shapes.CreateShape(ShapeStyle::Circle, {}, {}), 1);
    QCOMPARE(shapes.CreateShape(ShapeStyle::Text, {}, {}), 2);
    shapes.DeleteShape(1);
    shapes.DeleteShape(0);
    QVERIFY(!shapes.IsShown(0));
    // The lowest hidden slot first, then the next hidden one, then a new one.
    QCOMPARE(shapes.CreateShape(ShapeStyle::Rect, {}, {}), 0);
    QCOMPARE(shapes.Shape(0).Style(), ShapeStyle::Rect);
    QCOMPARE(shapes.CreateShape(ShapeStyle::Rect, {}, {}), 1);
    QCOMPARE(shapes.CreateShape(ShapeStyle::Rect, {}, {}), 3);
    QCOMPARE(shapes.count(), 4);
    // A hidden shape is neither saved nor reached by the mouse.
    shapes.DeleteShape(3);
    QCOMPARE(Save(shapes, kPicture, {}).script.count(u'#'), 3);
    QVERIFY(!scene.items(QPointF(5, 5)).contains(&shapes.Shape(3)));
}

void TestEditorLogic::unreadableRecordsAreWrittenBackInTheirPlace()
{
    const QString damaged = QStringLiteral("RECT;x;50;120;80;2;16711680;16777215;1");
    const QString unknown = QStringLiteral("BLOB;5;6;70;80;Sprechblase");
    const QString given = damaged + u'#' + rectRecord(10, 20) + u'#' + unknown + u'#' + rectRecord(30, 40) + u"##";
    QGraphicsScene scene;
    ShapeSlots shapes(scene);
    shapes.LoadScript(given, {});
    // The empty record carries nothing; the other two are kept, not shown.
    QCOMPARE(shapes.KeptCount(), 2);
    QCOMPARE(shapes.count(), 4);
    QVERIFY(!shapes.IsShown(0) && shapes.IsShown(1) && !shapes.IsShown(2) && shapes.IsShown(3));
    SaveResult result = Save(shapes, kPicture, given);
    QCOMPARE(result.script, given.chopped(1));
    QVERIFY(result.changed);

    // A new shape takes no kept slot and goes in front; moving the front one
    // to the back puts it behind the kept records too.
    const int added = shapes.CreateShape(ShapeStyle::Circle, {}, QPoint(1, 1));
    QCOMPARE(added, 4);
    shapes.SetStacking(3, Stacking::Back);
    result = Save(shapes, kPicture, given);
    const QStringList records = result.script.split(u'#', Qt::SkipEmptyParts);
    QCOMPARE(records.size(), 5);
    QCOMPARE(records[0], rectRecord(30, 40));
    QCOMPARE(records[1], damaged);
    QCOMPARE(records[2], rectRecord(10, 20));
    QCOMPARE(records[3], unknown);
    QVERIFY(records[4].startsWith(QStringLiteral("CIRCLE;1;1;")));

    // Every shape deleted: what could not be read is still there.
    for (int index : {1, 3, 4})
        shapes.DeleteShape(index);
    QCOMPARE(Save(shapes, kPicture, given).script, damaged + u'#' + unknown + u'#');
    {
        // A script of one unreadable record alone is no empty drawing.
        QGraphicsScene single;
        ShapeSlots only(single);
        only.LoadScript(unknown + u'#', {});
        const SaveResult kept = Save(only, kPicture, unknown + u'#');
        QCOMPARE(kept.script, unknown + u'#');
        QVERIFY(!kept.changed);
    }
}

void TestEditorLogic::copyAndPaste()
{
    QGraphicsScene scene;
    ShapeSlots shapes(scene);
    QVERIFY(shapes.CopySelected().isEmpty());
    NewShapeStyle style;
    style.pen = 0x0000FF;
    style.penWidth = 3;
    const int original = shapes.CreateShape(ShapeStyle::Arrow, style, QPoint(120, 90));
    shapes.CreateShape(ShapeStyle::Rect, {}, QPoint(5, 5));
    shapes.SelectShape(original);
    const QString copied = shapes.CopySelected();
    QVERIFY(copied.startsWith(QStringLiteral("ARROW;0;0;")));

    // Pasted at the given place (the window's left edge and the picture's
    // top), selected, in front, with the original's style.
    const int copy = shapes.Paste(copied, QPoint(100, 0));
    QCOMPARE(copy, 2);
    QCOMPARE(shapes.Shape(copy).Placement().topLeft(), QPoint(100, 0));
    QCOMPARE(shapes.Selected(), copy);
    QVERIFY(!shapes.Shape(original).ShowGrips());
    QCOMPARE(shapes.Shape(copy).ZPos(), 0);
    QCOMPARE(shapes.Shape(copy).PenColor(), 0x0000FF);
    QCOMPARE(shapes.Shape(copy).PenWidth(), 3);
    QCOMPARE(shapes.Shape(copy).Placement().size(), shapes.Shape(original).Placement().size());

    // A record that cannot be read gives no shape.
    QCOMPARE(shapes.Paste(QStringLiteral("RECT;x"), {}), -1);
    QCOMPARE(Save(shapes, kPicture, {}).script.count(u'#'), 3);
}

void TestEditorLogic::selection()
{
    QGraphicsScene scene;
    ShapeSlots shapes(scene);
    QCOMPARE(shapes.Selected(), -1);
    const int rect = shapes.CreateShape(ShapeStyle::Rect, {}, {});
    const int text = shapes.CreateShape(ShapeStyle::Text, {}, {});
    shapes.SelectShape(rect);
    QVERIFY(shapes.Shape(rect).ShowGrips());
    QVERIFY(!shapes.Shape(rect).ShowFrame());
    shapes.SelectShape(text);
    QCOMPARE(shapes.Selected(), text);
    QVERIFY(shapes.Shape(text).ShowFrame());
    QVERIFY(!shapes.Shape(rect).ShowGrips());
    // Deleting the selected shape leaves nothing selected.
    shapes.DeleteShape(text);
    QCOMPARE(shapes.Selected(), -1);
    shapes.SelectShape(rect);
    shapes.DeselectAll();
    QCOMPARE(shapes.Selected(), -1);
}

void TestEditorLogic::toolbarStateFromShape()
{
    QGraphicsScene scene;
    ShapeSlots shapes(scene);
    NewShapeStyle style;
    style.pen = 0x112233;
    style.fill = 0x445566;
    style.penWidth = 4;
    const int rect = shapes.CreateShape(ShapeStyle::Rect, style, {});
    shapes.Shape(rect).SetTransparenz(true);
    const QStringList fonts{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("liberation sans")};
    ToolbarState state = ReadToolbarState(shapes.Shape(rect), fonts);
    QCOMPARE(state.pen, 0x112233);
    QCOMPARE(state.fill, 0x445566);
    QCOMPARE(state.penWidthIndex, 3);
    QVERIFY(state.transparent);
    QVERIFY(!state.isText);
    QCOMPARE(state.fontIndex, -1);

    const int text = shapes.CreateShape(ShapeStyle::Text, {}, {});
    TextElement &label = shapes.Shape(text).Label();
    label.FontName = QStringLiteral("ARIAL");
    label.FontSize = 11;    // 4.5: ties to the even entry
    label.Bold = true;
    label.Underline = true;
    state = ReadToolbarState(shapes.Shape(text), fonts);
    QVERIFY(state.isText);
    QCOMPARE(state.fontIndex, 1); // the face Arial is drawn in
    QCOMPARE(state.sizeIndex, 4);
    QVERIFY(state.bold && state.underline && !state.italic);
    label.FontName = TextElement().FontName; // a new text's "MS Sans Serif" too
    QCOMPARE(ReadToolbarState(shapes.Shape(text), fonts).fontIndex, 1);
    label.FontName = QStringLiteral("Unbekannt");
    label.FontSize = 400;
    state = ReadToolbarState(shapes.Shape(text), fonts);
    QCOMPARE(state.fontIndex, -1);
    QCOMPARE(state.sizeIndex, 36);
    // Zoomed in, a thin pen is still the first entry.
    QCOMPARE(PenWidthAtZoom(1, 4.0), 1);
}

void TestEditorLogic::dragGeometry_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QPointF>("press");
    QTest::addColumn<QPointF>("release");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("click");
    // A box for box kinds and clicks, else the line from its first to its second point.
    QTest::addColumn<QRect>("expected");

    using S = QRect;
    QTest::newRow("box") << ShapeStyle::Rect << 1.0 << QPointF(10, 20) << QPointF(110, 70) << false << false
                         << S(10, 20, 100, 50);
    QTest::newRow("box dragged up-left") << ShapeStyle::Circle << 1.0 << QPointF(110, 70) << QPointF(10, 20)
                                         << false << false << S(10, 20, 100, 50);
    QTest::newRow("square") << ShapeStyle::Rect << 1.0 << QPointF(10, 20) << QPointF(110, 50) << true << false
                            << S(10, 20, 100, 100);
    QTest::newRow("circle up-left") << ShapeStyle::Circle << 1.0 << QPointF(100, 100) << QPointF(40, 80) << true
                                    << false << S(40, 40, 60, 60);
    QTest::newRow("arrow") << ShapeStyle::Arrow << 1.0 << QPointF(10, 20) << QPointF(200, 100) << false << false
                           << S(QPoint(10, 20), QPoint(200, 100));
    QTest::newRow("arrow at 45 degrees") << ShapeStyle::Arrow << 1.0 << QPointF(0, 0) << QPointF(100, 90) << true
                                         << false << S(QPoint(0, 0), QPoint(95, 95));
    QTest::newRow("line kept level") << ShapeStyle::Line << 1.0 << QPointF(50, 50) << QPointF(-50, 60) << true
                                     << false << S(QPoint(50, 50), QPoint(-50, 50));
    QTest::newRow("line kept upright") << ShapeStyle::DblArrow << 1.0 << QPointF(50, 50) << QPointF(45, -50)
                                       << true << false << S(QPoint(50, 50), QPoint(50, -50));
    QTest::newRow("click") << ShapeStyle::Arrow << 1.0 << QPointF(10, 20) << QPointF(12, 22) << false << true
                           << S(10, 20, 200, 200);
    // Fitted to a 12 MP photo: 3 screen pixels are 18 picture pixels, a
    // click still; 200 screen pixels are 1200 picture pixels.
    QTest::newRow("click at fit") << ShapeStyle::Text << 1.0 / 6 << QPointF(1000.4, 2000.6) << QPointF(1018, 2000)
                                  << false << true << S(1000, 2001, 1200, 1200);
    QTest::newRow("box at fit") << ShapeStyle::Rect << 1.0 / 6 << QPointF(1000, 2000) << QPointF(1030, 1900)
                                << false << false << S(1000, 1900, 30, 100);
    QTest::newRow("arrow at fit") << ShapeStyle::Arrow << 1.0 / 6 << QPointF(1000, 2000) << QPointF(400, 2300.4)
                                  << false << false << S(QPoint(1000, 2000), QPoint(400, 2300));
}

void TestEditorLogic::dragGeometry()
{
    QFETCH(int, kind);
    QFETCH(double, zoom);
    QFETCH(QPointF, press);
    QFETCH(QPointF, release);
    QFETCH(bool, shift);
    QFETCH(bool, click);
    QFETCH(QRect, expected);
    DragGeometry drag(kind, press, zoom);
    drag.MoveTo(release, shift);
    QCOMPARE(drag.IsClick(), click);
    QCOMPARE(drag.ByLine(), !click && GraficGeometry::IsLineKind(kind));
    if (drag.ByLine())
        QCOMPARE(drag.Line(), QLine(expected.topLeft(), expected.bottomRight()));
    else
        QCOMPARE(drag.Box(), expected);
}

void TestEditorLogic::drawnLinesRunFromPressToRelease()
{
    QGraphicsScene scene;
    ShapeSlots shapes(scene);
    const QPoint press(300, 200);
    // Back near its start, a drag stays a drag: the box does not jump to a click's.
    DragGeometry back(ShapeStyle::Rect, press, 1.0);
    back.MoveTo(QPointF(340, 240), false);
    back.MoveTo(QPointF(302, 201), false);
    QVERIFY(!back.IsClick());
    QCOMPARE(back.Box(), QRect(300, 200, 2, 1));

    // Every direction, the straight ones included: the shape's line runs from
    // the press to the release, the head at the release.
    for (const QPoint to : {QPoint(500, 300), QPoint(100, 300), QPoint(100, 100), QPoint(500, 100),
                            QPoint(300, 400), QPoint(300, 50), QPoint(450, 200), QPoint(120, 200)}) {
        for (const int kind : {ShapeStyle::Line, ShapeStyle::Arrow, ShapeStyle::DblArrow}) {
            DragGeometry drag(kind, press, 1.0);
            drag.MoveTo(QPoint(320, 220), false);
            const int index = shapes.DrawShape(drag, {});
            drag.MoveTo(to, false);
            shapes.Reshape(index, drag);
            const GraficObj &shape = shapes.Shape(index);
            const QPoint at = shape.Placement().topLeft();
            const LineElement &line = shape.Line();
            const QString where = QStringLiteral("kind %1 to %2,%3").arg(kind).arg(to.x()).arg(to.y());
            QVERIFY2(at + QPoint(line.X1, line.Y1) == press, qPrintable(where));
            QVERIFY2(at + QPoint(line.X2, line.Y2) == to, qPrintable(where));
            // Read back from its record, as after saving, it lies alike.
            GraficGeometry read;
            QVERIFY(read.BuildObj(shape.Serialize(at.x(), at.y())));
            QCOMPARE(QPoint(read.Line().X2, read.Line().Y2), QPoint(line.X2, line.Y2));
            shapes.DeleteShape(index);
        }
    }
}

void TestEditorLogic::drawingStyleIsRemembered()
{
    // Remembered and used between openings: see the mouse test. Here what
    // cannot be read is the first start's.
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("user.conf")), QSettings::IniFormat);
    DrawingStyle chosen;
    chosen.pen = 255;
    chosen.penWidth = 4;
    chosen.Write(settings);
    settings.setValue(QStringLiteral("Objektgrafik/Linienbreite"), QStringLiteral("99"));
    settings.setValue(QStringLiteral("Objektgrafik/Linienfarbe"), QStringLiteral("rot"));
    QCOMPARE(DrawingStyle::Read(settings).penWidth, 1);
    QCOMPARE(DrawingStyle::Read(settings).pen, 0);
}

QTEST_MAIN(TestEditorLogic)
#include "tst_editorlogic.moc"
