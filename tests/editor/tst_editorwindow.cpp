#include "EditorWindowDriver.h"

#include "editor/GraficPainter.h"
#include "editor/ScriptBuilder.h"
#include "editor/frmMain.h"

#include <sendral/OverlayGraphic.h>

#include "core/MessageService.h"
#include "core/UserSettings.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QTimer>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGraphicsView>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QTest>
#include <QToolBar>

using namespace kelvane::editor;
using namespace editortest;

class TestEditorWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
    }
    // Each test starts as the first start, and answers every question with "Ja".
    void init()
    {
        core::UserSettings::useFolder(m_dir.filePath(QStringLiteral("user-%1").arg(QTest::currentTestFunction())));
        m_messages = std::make_unique<core::RecordingMessageService>();
    }
    void cleanup() { m_messages.reset(); }
    void startsWithoutPasteAndTransparentHasNoFill();
    void scrollBarsOnlyWhenNeeded();
    void toolbarsNeverCoverEachOther();
    void opensWhereItWasLeft();
    void okAndCancel();
    void keepsWhatItCannotRead();
    void copyPasteAtPictureTop();
    void doubleClickEditsTextOnly();
    void deleteKey();
    void undoAndRedoEveryOperation();
    void dragIsOneStep();
    void nudgesAndShortcuts();
    void zoom();
    void gripsAndTolerancesKeepTheirScreenSize();
    void zoomedGripDragAndTextEditor();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<core::RecordingMessageService> m_messages;
};

void TestEditorWindow::startsWithoutPasteAndTransparentHasNoFill()
{
    frmMain editor;
    QVERIFY(!action(editor, "tbMain", "Paste")->isEnabled());
    // A new text's "MS Sans Serif" shows as the face it is drawn in.
    QCOMPARE(editor.findChild<QComboBox *>("ComboFont")->currentText(), QStringLiteral("Liberation Sans"));
    // The fill colour cannot be chosen for a transparent shape.
    auto *transparent = editor.findChild<QCheckBox *>("chkTransparent");
    transparent->setChecked(true);
    QVERIFY(!action(editor, "tbObjProps", "Fillcolor")->isEnabled());
    transparent->setChecked(false);
    QVERIFY(action(editor, "tbObjProps", "Fillcolor")->isEnabled());
    QVERIFY(!editor.TextEditor()->isVisible());
}

void TestEditorWindow::scrollBarsOnlyWhenNeeded()
{
    {
        frmMain editor;
        open(editor, writePicture(m_dir, {320, 200}));
        QVERIFY(!editor.findChild<QWidget *>("FrameHS")->isVisible());
        QVERIFY(!editor.findChild<QWidget *>("FrameVS")->isVisible());
    }
    {
        // Wider than the window only: the vertical bar is not needed.
        frmMain editor;
        open(editor, writePicture(m_dir, {2000, 200}));
        QVERIFY(editor.findChild<QWidget *>("FrameHS")->isVisible());
        QVERIFY(!editor.findChild<QWidget *>("FrameVS")->isVisible());
        // Taller than the window after a resize: both.
        editor.resize(900, 150);
        QTRY_VERIFY(editor.findChild<QWidget *>("FrameVS")->isVisible());
        QVERIFY(editor.findChild<QWidget *>("FrameHS")->isVisible());
        editor.resize(2200, 700);
        QTRY_VERIFY(!editor.findChild<QWidget *>("FrameHS")->isVisible());
    }
}

void TestEditorWindow::toolbarsNeverCoverEachOther()
{
    frmMain editor;
    open(editor, writePicture(m_dir, {320, 200}));
    const QStringList names{"tbMain", "tbTextProps", "ComboFont", "ComboSize", "tbObjProps", "cboPenWidth", "chkTransparent"};
    for (const int width : {716, 900, 1600}) {
        editor.resize(width, 640);
        QTRY_COMPARE(editor.width(), width);
        QList<QRect> bars;
        for (const QString &name : names) {
            const QWidget *bar = editor.findChild<QWidget *>(name);
            QVERIFY2(bar && bar->isVisible(), qPrintable(name));
            bars.append(bar->geometry());
        }
        for (int i = 0; i < bars.size(); ++i) {
            QVERIFY2(bars[i].right() < width, qPrintable(QStringLiteral("%1 at %2").arg(names[i]).arg(width)));
            QVERIFY(bars[i].bottom() < editor.DrawingArea()->geometry().top());
            for (int j = i + 1; j < bars.size(); ++j)
                QVERIFY2(!bars[i].intersects(bars[j]),
                         qPrintable(QStringLiteral("%1 / %2 at %3").arg(names[i], names[j]).arg(width)));
        }
        // Wide enough, they stand in one row as usual, centred on one line.
        if (width == 1600)
            QVERIFY(qAbs(bars.first().center().y() - bars.last().center().y()) <= 1);
    }
}

void TestEditorWindow::opensWhereItWasLeft()
{
    const QString picture = writePicture(m_dir, {320, 200});
    QSize first;
    QTimer::singleShot(0, this, [&] {
        auto *editor = qobject_cast<frmMain *>(QApplication::activeModalWidget());
        QVERIFY(editor);
        first = editor->size();
        editor->resize(1200, 760);
        editor->reject();
    });
    QVERIFY(frmMain::Edit(picture, QString()).cancelled);
    QCOMPARE(first, QSize(900, 640));
    QSize again;
    QTimer::singleShot(0, this, [&] {
        auto *editor = qobject_cast<frmMain *>(QApplication::activeModalWidget());
        QVERIFY(editor);
        again = editor->size();
        editor->reject();
    });
    frmMain::Edit(picture, QString());
    QCOMPARE(again, QSize(1200, 760));
}

void TestEditorWindow::okAndCancel()
{
    const QString file = writePicture(m_dir, {400, 300});
    {
        frmMain editor;
        open(editor, file);
        action(editor, "tbOKCancel", "Ok")->trigger();
        QVERIFY(!editor.isVisible());
        QVERIFY(!editor.EditCancelled());
        QVERIFY(editor.EditScript().isEmpty());
        QVERIFY(!editor.EditChanged());
    }
    {
        frmMain editor;
        open(editor, file);
        action(editor, "tbMain", "Circle")->trigger();
        action(editor, "tbOKCancel", "Ok")->trigger();
        QVERIFY(editor.EditScript().startsWith(QStringLiteral("CIRCLE;0;0;200;200;")));
        QVERIFY(editor.EditChanged());
        const auto overlay = editor.TakeEditOverlay();
        QVERIFY(overlay);
        QCOMPARE(overlay->Width(), 400);
    }
    {
        frmMain editor;
        GraficGeometry given;
        given.SetStyle(ShapeStyle::Rect);
        open(editor, file, given.Serialize(1, 2) + u'#');
        QVERIFY(editor.Shapes().IsShown(0));
        action(editor, "tbMain", "Rect")->trigger();
        action(editor, "tbOKCancel", "Cancel")->trigger();
        QVERIFY(editor.EditCancelled());
    }
    {
        frmMain editor;
        open(editor, file);
        editor.close();
        QVERIFY(editor.EditCancelled());
    }
    {
        // Left by any other way than "OK" (the dialog's own rejection): the
        // opener must not take an empty overlay for the result.
        frmMain editor;
        open(editor, file);
        editor.reject();
        QVERIFY(!editor.isVisible());
        QVERIFY(editor.EditCancelled());
    }
}

void TestEditorWindow::keepsWhatItCannotRead()
{
    const QString picture = writePicture(m_dir, {320, 200});
    core::RecordingMessageService messages;
    GraficGeometry rect;
    rect.SetStyle(ShapeStyle::Rect);
    const QString given = QStringLiteral("SPRECHBLASE;1;2;30;40#") + rect.Serialize(5, 6)
        + QStringLiteral("#TEXT;0;0;9;9;x;Arial;12;vielleicht;False;False;False;0#");
    QTimer::singleShot(0, this, [&] {
        auto *editor = qobject_cast<frmMain *>(QApplication::activeModalWidget());
        QVERIFY(editor);
        QTRY_COMPARE(messages.shown.size(), 1);
        action(*editor, "tbOKCancel", "Ok")->trigger();
    });
    const EditResult result = frmMain::Edit(picture, given);
    QCOMPARE(messages.lastText(), QStringLiteral("2 Formen der Objekt-Grafik können nicht angezeigt werden. "
                                                 "Sie bleiben beim Speichern unverändert erhalten."));
    QVERIFY(!result.cancelled);
    QCOMPARE(result.script, given);
    QVERIFY(!result.changed);

    // A picture that cannot be decoded opens no editor over an empty scene.
    const QString broken = m_dir.filePath(QStringLiteral("kaputt.jpg"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xFF\xD8\xFF\xE0 kein Bild");
    file.close();
    bool opened = false;
    QTimer::singleShot(0, this, [&] {
        if (auto *editor = qobject_cast<frmMain *>(QApplication::activeModalWidget())) {
            opened = true;
            editor->reject();
        }
    });
    QVERIFY(frmMain::Edit(broken, given).cancelled);
    QCoreApplication::processEvents();
    QVERIFY(!opened);
    QCOMPARE(messages.shown.size(), 2);
    QVERIFY(messages.lastText().startsWith(QStringLiteral("Das Bild kann nicht gelesen werden")));
    QCOMPARE(messages.shown.last().icon, core::MsgIcon::Exclamation);
}

void TestEditorWindow::copyPasteAtPictureTop()
{
    frmMain editor;
    open(editor, writePicture(m_dir, {2400, 1800}));
    editor.ScrollTo(100, 300);
    action(editor, "tbMain", "Arrow")->trigger();
    const int original = editor.Shapes().Selected();
    QCOMPARE(editor.Shapes().Shape(original).Placement().topLeft(), QPoint(100, 300));
    // Copy needs a selection; Paste comes with the first copy.
    editor.Shapes().DeselectAll();
    action(editor, "tbMain", "Copy")->trigger();
    QVERIFY(!action(editor, "tbMain", "Paste")->isEnabled());
    editor.Shapes().SelectShape(original);
    action(editor, "tbMain", "Copy")->trigger();
    QVERIFY(action(editor, "tbMain", "Paste")->isEnabled());
    action(editor, "tbMain", "Paste")->trigger();
    const int copy = editor.Shapes().Selected();
    QVERIFY(copy != original);
    // Window x 0 and the picture's top edge, above the visible area.
    QCOMPARE(editor.Shapes().Shape(copy).Placement().topLeft(), QPoint(100, 0));
    QCOMPARE(editor.Shapes().Shape(copy).ZPos(), 0);
    QVERIFY(editor.Shapes().Shape(copy).zValue() > editor.Shapes().Shape(original).zValue());
}

void TestEditorWindow::doubleClickEditsTextOnly()
{
    frmMain editor;
    open(editor, writePicture(m_dir, {800, 600}));
    action(editor, "tbMain", "Rect")->trigger();
    GraficObj &rect = editor.Shapes().Shape(editor.Shapes().Selected());
    Q_EMIT rect.DblClick();
    QVERIFY(!editor.TextEditor()->isVisible());
    QVERIFY(rect.isVisible());

    action(editor, "tbMain", "Text")->trigger();
    const int index = editor.Shapes().Selected();
    GraficObj &text = editor.Shapes().Shape(index);
    QVERIFY(text.ShowFrame());
    Q_EMIT text.DblClick();
    QPlainTextEdit *box = editor.TextEditor();
    QVERIFY(box->isVisible());
    QVERIFY(!text.isVisible());
    QCOMPARE(box->toPlainText(), text.Label().Caption);
    QVERIFY(box->textCursor().atEnd());
    // The Delete key edits the text, not the drawing.
    QTest::keyClicks(box, QStringLiteral(" links"));
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(!box->isVisible());
    QVERIFY(text.isVisible());
    QCOMPARE(text.Label().Caption, QStringLiteral("Text links"));
    QVERIFY(editor.isVisible());

    // An edit still open is taken by OK.
    Q_EMIT text.DblClick();
    QTest::keyClicks(editor.TextEditor(), QStringLiteral("!"));
    action(editor, "tbOKCancel", "Ok")->trigger();
    QVERIFY(editor.EditScript().contains(QStringLiteral("Text links!")));
}

void TestEditorWindow::deleteKey()
{
    frmMain editor;
    open(editor, writePicture(m_dir, {800, 600}));
    action(editor, "tbMain", "Line")->trigger();
    action(editor, "tbMain", "Circle")->trigger();
    editor.Shapes().DeselectAll();
    QTest::keyClick(editor.DrawingArea(), Qt::Key_Delete);
    QVERIFY(editor.Shapes().IsShown(0));
    QVERIFY(editor.Shapes().IsShown(1));
    editor.Shapes().SelectShape(0);
    QTest::keyClick(editor.DrawingArea(), Qt::Key_Delete);
    QVERIFY(!editor.Shapes().IsShown(0));
    QVERIFY(editor.Shapes().IsShown(1));
    // Escape clears the selection and leaves the window open.
    editor.Shapes().SelectShape(1);
    QTest::keyClick(editor.DrawingArea(), Qt::Key_Escape);
    QCOMPARE(editor.Shapes().Selected(), -1);
    QVERIFY(editor.isVisible());
}

void TestEditorWindow::undoAndRedoEveryOperation()
{
    frmMain editor;
    open(editor, writePicture(m_dir, {800, 600}));
    QUndoStack &undo = editor.UndoStack();
    ShapeSlots &shapes = editor.Shapes();
    const auto script = [&shapes] { return Save(shapes, {800, 600}, {}).script; };
    QVERIFY(!action(editor, "tbMain", "Undo")->isEnabled());

    // Create.
    action(editor, "tbMain", "Rect")->trigger();
    action(editor, "tbMain", "Text")->trigger();
    editor.EndTextEdit();
    QCOMPARE(undo.count(), 2);
    QVERIFY(action(editor, "tbMain", "Undo")->isEnabled());
    const QString two = script();
    action(editor, "tbMain", "Undo")->trigger();
    QVERIFY(!shapes.IsShown(1));
    QVERIFY(action(editor, "tbMain", "Redo")->isEnabled());
    action(editor, "tbMain", "Redo")->trigger();
    QCOMPARE(script(), two);

    // Stack: the text behind the rectangle, and back again by undo.
    shapes.SelectShape(1);
    action(editor, "tbMain", "ZOrderBack")->trigger();
    QVERIFY(script().startsWith(QStringLiteral("TEXT")));
    undo.undo();
    QCOMPARE(script(), two);
    QVERIFY(shapes.Shape(1).zValue() > shapes.Shape(0).zValue());
    undo.redo();
    QVERIFY(script().startsWith(QStringLiteral("TEXT")));
    undo.undo();

    // Restyle.
    shapes.SelectShape(0);
    auto *widths = editor.findChild<QComboBox *>("cboPenWidth");
    widths->setCurrentIndex(5);
    Q_EMIT widths->activated(5);
    QCOMPARE(shapes.Shape(0).PenWidth(), 6);
    undo.undo();
    QCOMPARE(shapes.Shape(0).PenWidth(), 1);

    // Text edited in place.
    Q_EMIT shapes.Shape(1).DblClick();
    QTest::keyClicks(editor.TextEditor(), QStringLiteral("!"));
    QTest::keyClick(editor.TextEditor(), Qt::Key_Escape);
    QCOMPARE(shapes.Shape(1).Label().Caption, QStringLiteral("Text!"));
    undo.undo();
    QCOMPARE(shapes.Shape(1).Label().Caption, QStringLiteral("Text"));
    QVERIFY(shapes.IsShown(1));

    // Delete, then a new shape in the freed slot: undoing both brings the
    // deleted one back as it was.
    shapes.SelectShape(0);
    action(editor, "tbMain", "Delete")->trigger();
    action(editor, "tbMain", "Circle")->trigger();
    QCOMPARE(shapes.Shape(0).Style(), ShapeStyle::Circle);
    undo.undo();
    undo.undo();
    QCOMPARE(shapes.Shape(0).Style(), ShapeStyle::Rect);
    QCOMPARE(script(), two);

    // Paste.
    shapes.SelectShape(0);
    action(editor, "tbMain", "Copy")->trigger();
    action(editor, "tbMain", "Paste")->trigger();
    QCOMPARE(script().count(u'#'), 3);
    undo.undo();
    QCOMPARE(script(), two);
    // Copying alone is no step.
    const int steps = undo.index();
    action(editor, "tbMain", "Copy")->trigger();
    QCOMPARE(undo.index(), steps);
}


void TestEditorWindow::dragIsOneStep()
{
    frmMain editor;
    open(editor, writePicture(m_dir, {800, 600}));
    action(editor, "tbMain", "Rect")->trigger();
    GraficObj &shape = editor.Shapes().Shape(0);
    QGraphicsView *view = editor.DrawingArea();
    // The body, dragged in several moves.
    drag(view, view->mapFromScene(QPointF(50, 50)), QPoint(40, 20));
    QCOMPARE(shape.Placement().topLeft(), QPoint(40, 20));
    QTRY_COMPARE(editor.UndoStack().count(), 2);
    // The right middle grip, dragged wider.
    const QRect before = shape.Placement();
    drag(view, view->mapFromScene(QPointF(40 + 197, 20 + 100)), QPoint(60, 0));
    QTRY_COMPARE(editor.UndoStack().count(), 3);
    QVERIFY(shape.Placement().width() > before.width());
    editor.UndoStack().undo();
    QCOMPARE(shape.Placement(), before);
    editor.UndoStack().undo();
    QCOMPARE(shape.Placement().topLeft(), QPoint(0, 0));
    editor.UndoStack().redo();
    QCOMPARE(shape.Placement().topLeft(), QPoint(40, 20));
}

void TestEditorWindow::nudgesAndShortcuts()
{
    frmMain editor;
    open(editor, writePicture(m_dir, {800, 600}));
    QWidget *view = editor.DrawingArea();
    action(editor, "tbMain", "Rect")->trigger();
    GraficObj &shape = editor.Shapes().Shape(0);
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(shape.Placement().topLeft(), QPoint(1, 0));
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(shape.Placement().topLeft(), QPoint(11, 10));
    QTest::keyClick(view, Qt::Key_Left);
    QCOMPARE(shape.Placement().topLeft(), QPoint(10, 10));
    // The run of nudges is one step after the creation.
    QCOMPARE(editor.UndoStack().count(), 2);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(shape.Placement().topLeft(), QPoint(0, 0));
    QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(shape.Placement().topLeft(), QPoint(10, 10));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(shape.Placement().topLeft(), QPoint(10, 10));

    // Ctrl+C and Ctrl+V copy and paste; nothing selected, nothing moves.
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(editor.Shapes().Selected(), 1);
    QCOMPARE(editor.Shapes().Shape(1).Placement().topLeft(), QPoint(0, 0));
    editor.Shapes().DeselectAll();
    QTest::keyClick(view, Qt::Key_Up);
    QCOMPARE(shape.Placement().topLeft(), QPoint(10, 10));
}

void TestEditorWindow::zoom()
{
    {
        // Small pictures open at 100 %.
        frmMain editor;
        open(editor, writePicture(m_dir, {320, 200}), {}, true);
        QCOMPARE(editor.Zoom(), 1.0);
    }
    frmMain editor;
    open(editor, writePicture(m_dir, {4000, 3000}), {}, true);
    QGraphicsView *view = editor.DrawingArea();
    // A large photo opens whole, filling one direction.
    QVERIFY(editor.Zoom() < 0.25);
    QVERIFY(4000 * editor.Zoom() <= view->viewport()->width() + 0.5);
    QVERIFY(3000 * editor.Zoom() <= view->viewport()->height() + 0.5);
    QVERIFY(3000 * editor.Zoom() >= view->viewport()->height() - 1);
    QVERIFY(!editor.findChild<QWidget *>("FrameHS")->isVisible());

    // At 50 %: a new shape is 200 x 200 on screen at the visible top-left,
    // and a drag of 100 screen pixels moves it 200 picture pixels.
    editor.SetZoom(0.5);
    editor.ScrollTo(30, 40);
    QCOMPARE(view->mapToScene(QPoint(0, 0)).toPoint(), QPoint(60, 80));
    action(editor, "tbMain", "Rect")->trigger();
    GraficObj &shape = editor.Shapes().Shape(0);
    QCOMPARE(shape.Placement(), QRect(60, 80, 400, 400));
    drag(view, QPoint(50, 50), QPoint(100, 100));
    QCOMPARE(shape.Placement().topLeft(), QPoint(260, 280));
    QCOMPARE(view->mapFromScene(shape.pos()), QPoint(100, 100));
    // The pen width list means screen pixels: "4" at 50 % is 8 picture pixels.
    auto *widths = editor.findChild<QComboBox *>("cboPenWidth");
    widths->setCurrentIndex(3);
    Q_EMIT widths->activated(3);
    QCOMPARE(shape.PenWidth(), 8);
    // The font size list means points on screen: "16" at 50 % is 32 points.
    action(editor, "tbMain", "Text")->trigger();
    GraficObj &text = editor.Shapes().Shape(editor.Shapes().Selected());
    auto *sizes = editor.findChild<QComboBox *>("ComboSize");
    sizes->setCurrentIndex(7);
    Q_EMIT sizes->activated(7);
    QCOMPARE(text.Label().FontSize, 32.0f);
    // A selected shape shows its values at the zoom again.
    widths->setCurrentIndex(0);
    Q_EMIT shape.MouseDown(Qt::LeftButton, {}, 10, 10);
    QCOMPARE(widths->currentText(), QStringLiteral("4"));
    editor.EndTextEdit();
    editor.Shapes().DeleteShape(editor.Shapes().IndexOf(&text));

    // Ctrl+wheel keeps the picture point under the mouse.
    const QPoint mouse(300, 200);
    const QPointF before = view->mapToScene(mouse);
    QWheelEvent wheel(QPointF(mouse), view->viewport()->mapToGlobal(QPointF(mouse)), {}, QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    QCOMPARE(editor.Zoom(), 0.625);
    QVERIFY((view->mapToScene(mouse) - before).manhattanLength() <= 2);

    action(editor, "tbMain", "ZoomOut")->trigger();
    QCOMPARE(editor.Zoom(), 0.5);
    action(editor, "tbMain", "Fit")->trigger();
    QVERIFY(editor.Zoom() < 0.25);
    // The script keeps picture pixels.
    action(editor, "tbOKCancel", "Ok")->trigger();
    QVERIFY(editor.EditScript().startsWith(QStringLiteral("RECT;260;280;400;400;8;")));
}

namespace {

// The run of pixels unlike the picture's colour through `at`, across and down.
QSize runAround(const QImage &image, QPoint at)
{
    const QRgb background = QColor(90, 120, 150).rgb();
    const auto differs = [&](int x, int y) { return image.pixel(x, y) != background; };
    int left = at.x(), right = at.x(), top = at.y(), bottom = at.y();
    while (left > 0 && differs(left - 1, at.y()))
        --left;
    while (right < image.width() - 1 && differs(right + 1, at.y()))
        ++right;
    while (top > 0 && differs(at.x(), top - 1))
        --top;
    while (bottom < image.height() - 1 && differs(at.x(), bottom + 1))
        ++bottom;
    return {right - left + 1, bottom - top + 1};
}

} // namespace

void TestEditorWindow::gripsAndTolerancesKeepTheirScreenSize()
{
    // A horizontal thin line at picture y 404 from x 404 to 1204.
    frmMain editor;
    open(editor, writePicture(m_dir, {4000, 3000}), QStringLiteral("LINE;400;400;808;8;4;4;804;4;1;0#"));
    QGraphicsView *view = editor.DrawingArea();
    for (const double zoom : {1.0, 0.5, 0.25}) {
        editor.SetZoom(zoom);
        editor.ScrollTo(0, 0);
        // A new ellipse, whose bottom-right grip lies over the bare picture.
        action(editor, "tbMain", "Circle")->trigger();
        const int circle = editor.Shapes().Selected();
        GraficObj &shape = editor.Shapes().Shape(circle);
        const QPoint grip = view->mapFromScene(shape.mapToScene(shape.Geometry().GripArea(8, zoom).center()));
        QCOMPARE(runAround(view->viewport()->grab().toImage(), grip), QSize(GripSize, GripSize));
        editor.Shapes().DeleteShape(circle);
        // The selection frame of a text: 8 screen pixels along its left edge.
        action(editor, "tbMain", "Text")->trigger();
        editor.EndTextEdit();
        const int text = editor.Shapes().Selected();
        const QPoint edge = view->mapFromScene(QPointF(editor.Shapes().Shape(text).Placement().topLeft()));
        QCOMPARE(runAround(view->viewport()->grab().toImage(), edge + QPoint(1, 50)).width(), SelectionFrameWidth);
        editor.Shapes().DeleteShape(text);

        // The view hands its zoom to the hit test: 3 screen pixels off the
        // line hit it, 6 do not (the bands themselves: see the geometry test).
        const QPoint onLine = view->mapFromScene(QPointF(800, 404));
        for (const auto &[off, hits] : {std::pair{3, true}, std::pair{6, false}}) {
            editor.Shapes().DeselectAll();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, onLine + QPoint(0, off));
            QVERIFY2((editor.Shapes().Selected() == 0) == hits, qPrintable(QString::number(zoom)));
        }
    }
}

void TestEditorWindow::zoomedGripDragAndTextEditor()
{
    frmMain editor;
    open(editor, writePicture(m_dir, {4000, 3000}));
    QGraphicsView *view = editor.DrawingArea();
    for (const double zoom : {0.5, 0.25}) {
        editor.SetZoom(zoom);
        editor.ScrollTo(0, 0);
        action(editor, "tbMain", "Rect")->trigger();
        GraficObj &shape = editor.Shapes().Shape(editor.Shapes().Selected());
        const QRect before = shape.Placement();
        QCOMPARE(before.size() * zoom, QSize(200, 200));
        // The bottom-right grip, taken 3 screen pixels off its centre
        // (outside the shape) and pulled 30 x 20 screen pixels.
        const QPoint grip = view->mapFromScene(shape.mapToScene(QRectF(shape.Geometry().GripRect(8)).center()));
        drag(view, grip + QPoint(3, 3), QPoint(30, 20));
        QCOMPARE(shape.Placement(), before.adjusted(0, 0, qRound(30 / zoom), qRound(20 / zoom)));
        editor.Shapes().DeleteShape(editor.Shapes().Selected() < 0 ? 0 : editor.Shapes().Selected());
    }

    // The in-place editor lies exactly over the text, in the font the view
    // draws it with at the zoom.
    editor.SetZoom(0.5);
    editor.ScrollTo(40, 30);
    action(editor, "tbMain", "Text")->trigger();
    GraficObj &text = editor.Shapes().Shape(editor.Shapes().Selected());
    text.Label().FontName = QStringLiteral("Liberation Sans");
    text.Label().FontSize = 24;
    Q_EMIT text.DblClick();
    QPlainTextEdit *box = editor.TextEditor();
    QVERIFY(box->isVisible());
    QCOMPARE(box->geometry(), QRect(view->mapFromScene(QPointF(text.Placement().topLeft())), QSize(200, 200)));
    const int drawn = GraficPainter::FontToLogFont(text.Label(), *view->viewport()).pixelSize();
    QCOMPARE(box->font().pixelSize(), qRound(drawn * 0.5));
    QCOMPARE(box->font().family(), QStringLiteral("Liberation Sans"));
}

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
