#include "editor/GraficPainter.h"
#include "editor/ScriptBuilder.h"
#include "editor/frmMain.h"

#include <sendral/OverlayGraphic.h>

#include "core/MessageService.h"
#include "core/UserSettings.h"

#include <QAbstractScrollArea>
#include <QColorDialog>
#include <QApplication>
#include <QTimer>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsView>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QTest>
#include <QToolBar>

using namespace kelvane::editor;

namespace {

QString writePicture(const QTemporaryDir &dir, QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(QColor(90, 120, 150));
    const QString file = dir.filePath(QStringLiteral("bild_%1x%2.png").arg(size.width()).arg(size.height()));
    picture.save(file);
    return file;
}

QAction *action(frmMain &editor, const char *bar, const char *key)
{
    return editor.findChild<QToolBar *>(QLatin1String(bar))->findChild<QAction *>(QLatin1String(key));
}

// Shown at 100 % unless `fitted`, as a large picture opens.
void open(frmMain &editor, const QString &file, const QString &script = {}, bool fitted = false)
{
    editor.SetEditPictureFile(file);
    editor.SetEditScript(script);
    editor.resize(900, 640);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    if (!fitted)
        editor.SetZoom(1.0);
}

} // namespace

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
    void elementsAndTheirTexts();
    void scrollBarsOnlyWhenNeeded();
    void toolbarsNeverCoverEachOther();
    void opensWhereItWasLeft();
    void okAndCancel();
    void scrolledViewPlacesInPicturePixels();
    void copyPasteAtPictureTop();
    void doubleClickEditsTextOnly();
    void deleteKey();
    void undoAndRedoEveryOperation();
    void dragIsOneStep();
    void nudgesAndShortcuts();
    void zoom();
    void gripsAndTolerancesKeepTheirScreenSize();
    void zoomedGripDragAndTextEditor();
    void toolButtonsArmDrawing();
    void drawingWithTheMouse_data();
    void drawingWithTheMouse();
    void newTextIsTypedOver();
    void stylesAreRememberedBetweenOpenings();
    void changedDrawingIsNotDiscardedUnasked();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<core::RecordingMessageService> m_messages;
};

void TestEditorWindow::elementsAndTheirTexts()
{
    frmMain editor;
    QCOMPARE(editor.windowTitle(), QStringLiteral("Objektgrafik"));
    const QStringList keys{"Line", "Arrow", "DblArrow", "Rect", "Circle", "Text",
                           "Copy", "Paste", "Delete", "ZOrderFore", "ZOrderBack"};
    const QList<QAction *> main = editor.findChild<QToolBar *>("tbMain")->actions();
    // Then the undo and redo buttons and the zoom buttons.
    QCOMPARE(main.size(), keys.size() + 7);
    QCOMPARE(main[17]->toolTip(), QStringLiteral("Ganzes Bild"));
    for (int i = 0; i < keys.size(); ++i)
        QCOMPARE(main[i]->objectName(), keys[i]);
    QCOMPARE(main[12]->toolTip(), QString::fromUtf8("Rückgängig (Strg+Z)"));
    QCOMPARE(main[13]->toolTip(), QStringLiteral("Wiederholen (Strg+Y)"));
    QCOMPARE(main[2]->toolTip(), QString::fromUtf8("Doppelpfeil einfügen"));
    QCOMPARE(main[10]->toolTip(), QStringLiteral("In den Hintergrund"));
    QVERIFY(!action(editor, "tbMain", "Paste")->isEnabled());
    QCOMPARE(action(editor, "tbTextProps", "FontUnderline")->toolTip(), QStringLiteral("Unterstrichen"));
    QVERIFY(action(editor, "tbTextProps", "FontBold")->isCheckable());

    auto *sizes = editor.findChild<QComboBox *>("ComboSize");
    QCOMPARE(sizes->count(), 37);
    QCOMPARE(sizes->currentText(), QStringLiteral("8"));
    QCOMPARE(sizes->itemText(36), QStringLiteral("74"));
    auto *widths = editor.findChild<QComboBox *>("cboPenWidth");
    QCOMPARE(widths->count(), 10);
    QCOMPARE(widths->currentIndex(), 0);
    QCOMPARE(editor.findChild<QComboBox *>("ComboFont")->currentIndex(), 0);
    auto *transparent = editor.findChild<QCheckBox *>("chkTransparent");
    QCOMPARE(transparent->text(), QStringLiteral("Transparent "));
    QVERIFY(!transparent->isChecked());
    QCOMPARE(action(editor, "tbObjProps", "Fillcolor")->toolTip(), QString::fromUtf8("Füllfarbe einstellen"));
    // The fill colour cannot be chosen for a transparent shape.
    transparent->setChecked(true);
    QVERIFY(!action(editor, "tbObjProps", "Fillcolor")->isEnabled());
    transparent->setChecked(false);
    QVERIFY(action(editor, "tbObjProps", "Fillcolor")->isEnabled());

    QCOMPARE(action(editor, "tbOKCancel", "Cancel")->text(), QStringLiteral("Abbrechen "));
    QCOMPARE(action(editor, "tbOKCancel", "Cancel")->toolTip(), QString::fromUtf8("Änderungen verwerfen und beenden"));
    QCOMPARE(action(editor, "tbOKCancel", "Ok")->text(), QStringLiteral("OK      "));
    QCOMPARE(action(editor, "tbOKCancel", "Ok")->toolTip(), QStringLiteral("Speichern und beenden"));
    for (const char *name : {"Dummy1", "FrameHS", "FrameVS", "Text1", "StatusBar1"})
        QVERIFY2(editor.findChild<QWidget *>(QLatin1String(name)), name);
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

void TestEditorWindow::scrolledViewPlacesInPicturePixels()
{
    frmMain editor;
    open(editor, writePicture(m_dir, {2400, 1800}));
    editor.ScrollTo(100, 0);
    QCOMPARE(editor.DrawingArea()->mapToScene(QPoint(0, 0)).toPoint(), QPoint(100, 0));
    action(editor, "tbMain", "Rect")->trigger();
    const int index = editor.Shapes().Selected();
    GraficObj &shape = editor.Shapes().Shape(index);
    // New at the window's left edge, then dragged 50 pixels to the right.
    QCOMPARE(shape.Placement().topLeft(), QPoint(100, 0));
    Q_EMIT shape.MouseDown(Qt::LeftButton, {}, 10, 10);
    Q_EMIT shape.MouseMove(Qt::LeftButton, {}, 60, 10);
    QCOMPARE(editor.DrawingArea()->mapFromScene(shape.pos()).x(), 50);
    action(editor, "tbOKCancel", "Ok")->trigger();
    QVERIFY(editor.EditScript().startsWith(QStringLiteral("RECT;150;0;")));
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

namespace {

// Press, four moves and release with the left button, in view pixels.
void drag(QGraphicsView *view, QPoint start, QPoint by, Qt::KeyboardModifiers keys = {})
{
    QWidget *viewport = view->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, keys, start);
    for (int step = 1; step <= 4; ++step) {
        const QPointF at = start + by * step / 4;
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, keys);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, keys, start + by);
}

} // namespace

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

// Whether a click at a view point selects the shape.
bool clickSelects(frmMain &editor, QPoint at, int index)
{
    editor.Shapes().DeselectAll();
    QTest::mouseClick(editor.DrawingArea()->viewport(), Qt::LeftButton, {}, at);
    return editor.Shapes().Selected() == index;
}

} // namespace

void TestEditorWindow::gripsAndTolerancesKeepTheirScreenSize()
{
    // A horizontal thin line at picture y 404 from x 404 to 1204, and a
    // transparent rectangle beside it.
    const QString script = QStringLiteral("LINE;400;400;808;8;4;4;804;4;1;0#RECT;2000;400;800;800;1;255;0;0#");
    frmMain editor;
    open(editor, writePicture(m_dir, {4000, 3000}), script);
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

        // 3 screen pixels off the line hits it, 6 do not.
        const QPoint onLine = view->mapFromScene(QPointF(800, 404));
        QVERIFY2(clickSelects(editor, onLine + QPoint(0, 3), 0), qPrintable(QString::number(zoom)));
        QVERIFY2(!clickSelects(editor, onLine + QPoint(0, 6), 0), qPrintable(QString::number(zoom)));
        // The rectangle's border takes the click, its inside does not.
        const QPoint corner = view->mapFromScene(QPointF(2000, 400));
        QVERIFY(clickSelects(editor, corner + QPoint(1, 100), 1));
        QVERIFY(!clickSelects(editor, corner + QPoint(100, 100), 1));
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

namespace {

QWidget *toolButton(frmMain &editor, const char *key)
{
    return editor.findChild<QToolBar *>("tbMain")->widgetForAction(action(editor, "tbMain", key));
}

GraficObj &selected(frmMain &editor)
{
    return editor.Shapes().Shape(editor.Shapes().Selected());
}

} // namespace

void TestEditorWindow::toolButtonsArmDrawing()
{
    frmMain editor;
    open(editor, writePicture(m_dir, {800, 600}));
    QWidget *viewport = editor.DrawingArea()->viewport();
    // A click on the button arms its tool: shown pressed, a cross over the
    // picture, nothing drawn yet.
    QTest::mouseClick(toolButton(editor, "Arrow"), Qt::LeftButton);
    QCOMPARE(editor.ArmedTool(), QStringLiteral("Arrow"));
    QVERIFY(action(editor, "tbMain", "Arrow")->isChecked());
    QCOMPARE(viewport->cursor().shape(), Qt::CrossCursor);
    QVERIFY(!editor.Shapes().IsShown(0));
    // Another tool's button takes over; the armed one again disarms.
    QTest::mouseClick(toolButton(editor, "Rect"), Qt::LeftButton);
    QCOMPARE(editor.ArmedTool(), QStringLiteral("Rect"));
    QVERIFY(!action(editor, "tbMain", "Arrow")->isChecked());
    QTest::mouseClick(toolButton(editor, "Rect"), Qt::LeftButton);
    QVERIFY(editor.ArmedTool().isEmpty());
    QVERIFY(!action(editor, "tbMain", "Rect")->isChecked());
    QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
    // Escape disarms, and leaves the window open.
    QTest::mouseClick(toolButton(editor, "Circle"), Qt::LeftButton);
    QTest::keyClick(editor.DrawingArea(), Qt::Key_Escape);
    QVERIFY(editor.ArmedTool().isEmpty());
    QVERIFY(editor.isVisible());
    // Pressed without the mouse, the button puts its shape at the top-left.
    action(editor, "tbMain", "Circle")->trigger();
    QVERIFY(editor.ArmedTool().isEmpty());
    QVERIFY(!action(editor, "tbMain", "Circle")->isChecked());
    QCOMPARE(editor.Shapes().Shape(0).Placement(), QRect(0, 0, 200, 200));

    // Escape in the middle of a drag takes the shape back.
    QTest::mouseClick(toolButton(editor, "Rect"), Qt::LeftButton);
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(300, 300));
    QMouseEvent move(QEvent::MouseMove, QPointF(400, 380), viewport->mapToGlobal(QPointF(400, 380)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &move);
    QVERIFY(editor.Shapes().IsShown(1));
    QTest::keyClick(editor.DrawingArea(), Qt::Key_Escape);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(400, 380));
    QVERIFY(!editor.Shapes().IsShown(1));
    QVERIFY(editor.ArmedTool().isEmpty());
    QCOMPARE(editor.UndoStack().count(), 1);
}

void TestEditorWindow::drawingWithTheMouse_data()
{
    QTest::addColumn<bool>("fitted");
    QTest::newRow("100 %") << false;
    QTest::newRow("fitted to a 12 MP photo") << true;
}

void TestEditorWindow::drawingWithTheMouse()
{
    QFETCH(bool, fitted);
    frmMain editor;
    open(editor, writePicture(m_dir, {4000, 3000}), {}, fitted);
    QGraphicsView *view = editor.DrawingArea();
    const double zoom = editor.Zoom();
    QCOMPARE(zoom < 0.25, fitted);
    const auto near = [view](QPointF picture, QPoint screen) {
        return (picture - view->mapToScene(screen)).manhattanLength() <= 1.5;
    };
    QUndoStack &undo = editor.UndoStack();

    // An arrow from the press to the release, its head at the release; the
    // tool stays armed for the next one.
    QTest::mouseClick(toolButton(editor, "Arrow"), Qt::LeftButton);
    drag(view, QPoint(100, 300), QPoint(300, -150));
    GraficObj &arrow = selected(editor);
    QCOMPARE(arrow.Style(), ShapeStyle::Arrow);
    const QPointF at = arrow.Placement().topLeft();
    QVERIFY(near(at + QPointF(arrow.Line().X1, arrow.Line().Y1), QPoint(100, 300)));
    QVERIFY(near(at + QPointF(arrow.Line().X2, arrow.Line().Y2), QPoint(400, 150)));
    QCOMPARE(undo.count(), 1);
    QCOMPARE(editor.ArmedTool(), QStringLiteral("Arrow"));

    // A drag beginning on the arrow (not on its grips) draws, it does not
    // move the arrow.
    QTest::mouseClick(toolButton(editor, "Rect"), Qt::LeftButton);
    const QRect arrowPlace = arrow.Placement();
    drag(view, QPoint(175, 262), QPoint(60, 200), Qt::ShiftModifier);
    QCOMPARE(arrow.Placement(), arrowPlace);
    // With Shift a box is a square, 200 screen pixels a side as dragged.
    GraficObj &square = selected(editor);
    QCOMPARE(square.Style(), ShapeStyle::Rect);
    QVERIFY(near(square.Placement().topLeft(), QPoint(175, 262)));
    QCOMPARE(square.Placement().width(), square.Placement().height());
    QVERIFY(std::abs(square.Placement().height() * zoom - 200) <= 1);
    QCOMPARE(undo.count(), 2);

    // A click gives 200 x 200 screen pixels with the top-left at the click.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(500, 350));
    GraficObj &clicked = selected(editor);
    QVERIFY(&clicked != &square);
    QVERIFY(near(clicked.Placement().topLeft(), QPoint(500, 350)));
    QVERIFY(std::abs(clicked.Placement().width() * zoom - 200) <= 1);
    QCOMPARE(undo.count(), 3);

    // Each drawing is one step.
    const QRect drawn = square.Placement();
    undo.undo();
    undo.undo();
    QVERIFY(!square.isVisible());
    QVERIFY(!clicked.isVisible());
    undo.redo();
    QCOMPARE(square.Placement(), drawn);
    QVERIFY(square.isVisible());

    action(editor, "tbOKCancel", "Ok")->trigger();
    QVERIFY(editor.EditScript().startsWith(QStringLiteral("ARROW;")));
    QCOMPARE(editor.EditScript().count(u'#'), 2);
}

void TestEditorWindow::newTextIsTypedOver()
{
    frmMain editor;
    open(editor, writePicture(m_dir, {4000, 3000}), {}, true);
    const double zoom = editor.Zoom();
    QTest::mouseClick(toolButton(editor, "Text"), Qt::LeftButton);
    QTest::mouseClick(editor.DrawingArea()->viewport(), Qt::LeftButton, {}, QPoint(200, 150));
    // Straight into editing, the caption selected: typing replaces it.
    QPlainTextEdit *box = editor.TextEditor();
    QVERIFY(box->isVisible());
    QCOMPARE(box->textCursor().selectedText(), QStringLiteral("Text"));
    QCOMPARE(editor.findChild<QComboBox *>("ComboSize")->currentText(), QStringLiteral("12"));
    QTest::keyClicks(box, QStringLiteral("Delle"));
    QTest::keyClick(box, Qt::Key_Escape);
    GraficObj &text = selected(editor);
    QCOMPARE(text.Label().Caption, QStringLiteral("Delle"));
    // 12 points as seen at the zoom, and the list says so.
    QCOMPARE(text.Label().FontSize, float(12 / zoom));
    QVERIFY(GraficPainter::FontToLogFont(text.Label(), *editor.DrawingArea()->viewport()).pixelSize() * zoom >= 15);
    // With the text tool, a click on a text edits it instead of making another.
    const int steps = editor.UndoStack().count();
    QTest::mouseClick(editor.DrawingArea()->viewport(), Qt::LeftButton, {}, QPoint(210, 160));
    QVERIFY(box->isVisible());
    QCOMPARE(box->toPlainText(), QStringLiteral("Delle"));
    QVERIFY(box->textCursor().atEnd());
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(editor.UndoStack().count(), steps);
    Q_EMIT text.MouseDown(Qt::LeftButton, {}, 5, 5);
    QCOMPARE(editor.findChild<QComboBox *>("ComboSize")->currentText(), QStringLiteral("12"));

    // The text key does the same at the top-left.
    action(editor, "tbMain", "Text")->trigger();
    QVERIFY(box->isVisible());
    QTest::keyClicks(box, QStringLiteral("Kratzer"));
    action(editor, "tbOKCancel", "Ok")->trigger();
    const QString script = editor.EditScript();
    QVERIFY(script.contains(QStringLiteral(";Delle;")));
    QVERIFY(script.contains(QStringLiteral(";Kratzer;")));
    QVERIFY(!script.contains(QStringLiteral(";Text;")));
}

void TestEditorWindow::stylesAreRememberedBetweenOpenings()
{
    const QString file = writePicture(m_dir, {800, 600});
    const auto controls = [](frmMain &editor) {
        return std::tuple{editor.findChild<QComboBox *>("cboPenWidth"), editor.findChild<QCheckBox *>("chkTransparent"),
                          editor.findChild<QComboBox *>("ComboSize"), action(editor, "tbTextProps", "FontItalic")};
    };
    {
        frmMain editor;
        open(editor, file);
        // The first start: black, 1 pixel, opaque white.
        action(editor, "tbMain", "Rect")->trigger();
        QCOMPARE(selected(editor).PenWidth(), 1);
        QCOMPARE(selected(editor).PenColor(), 0);
        QCOMPARE(selected(editor).FillColor(), 0xFFFFFF);
        QVERIFY(!selected(editor).Transparenz());
        editor.Shapes().DeselectAll();
        // A red pen 3 wide, no fill, italic 20 points.
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setCurrentColor(Qt::red);
            dialog->accept();
        });
        action(editor, "tbObjProps", "Pencolor")->trigger();
        auto [widths, transparent, sizes, italic] = controls(editor);
        widths->setCurrentIndex(2);
        Q_EMIT widths->activated(2);
        transparent->click();
        sizes->setCurrentIndex(9);
        Q_EMIT sizes->activated(9);
        italic->trigger();
        action(editor, "tbOKCancel", "Ok")->trigger();
    }
    frmMain editor;
    open(editor, file);
    auto [widths, transparent, sizes, italic] = controls(editor);
    QCOMPARE(widths->currentText(), QStringLiteral("3"));
    QVERIFY(transparent->isChecked());
    QCOMPARE(sizes->currentText(), QStringLiteral("20"));
    QVERIFY(italic->isChecked());
    action(editor, "tbMain", "Rect")->trigger();
    QCOMPARE(selected(editor).PenColor(), 255);
    QCOMPARE(selected(editor).PenWidth(), 3);
    QVERIFY(selected(editor).Transparenz());
    // As seen on screen: at 50 % twice as large in the picture.
    editor.SetZoom(0.5);
    action(editor, "tbMain", "Text")->trigger();
    const TextElement &label = selected(editor).Label();
    QCOMPARE(label.FontSize, 40.0f);
    QVERIFY(label.Italic && !label.Bold);
    QCOMPARE(label.FontName, editor.findChild<QComboBox *>("ComboFont")->currentText());
}

void TestEditorWindow::changedDrawingIsNotDiscardedUnasked()
{
    const QString file = writePicture(m_dir, {800, 600});
    const QString question = QString::fromUtf8("Änderungen an der Grafik verwerfen?");
    const QString given = QStringLiteral("TEXT;10;10;150;40;Tür;Arial;12;False;False;False;False;0#");
    {
        // Unchanged: nothing asked, also when a record could not be read.
        frmMain editor;
        open(editor, file, given + QStringLiteral("RECT;1;2#"));
        action(editor, "tbOKCancel", "Cancel")->trigger();
        QVERIFY(!editor.isVisible());
        QVERIFY(editor.EditCancelled());
        QVERIFY(m_messages->shown.isEmpty());
    }
    {
        frmMain editor;
        open(editor, file, given);
        action(editor, "tbMain", "Circle")->trigger();
        // "Nein" keeps the window and the drawing: by "Abbrechen", by Escape
        // with nothing selected, by the close box.
        m_messages->answers = {core::MsgAnswer::No, core::MsgAnswer::No, core::MsgAnswer::No};
        action(editor, "tbOKCancel", "Cancel")->trigger();
        QVERIFY(editor.isVisible());
        editor.Shapes().DeselectAll();
        QTest::keyClick(editor.DrawingArea(), Qt::Key_Escape);
        QVERIFY(editor.isVisible());
        editor.close();
        QVERIFY(editor.isVisible());
        QCOMPARE(m_messages->shown.size(), 3);
        QCOMPARE(m_messages->lastText(), question);
        QCOMPARE(m_messages->shown.last().buttons, core::MsgButtons::YesNo);
        QVERIFY(!editor.EditCancelled());
        QVERIFY(editor.Shapes().IsShown(1));
        // Undone to what was given, there is nothing to lose.
        editor.UndoStack().undo();
        m_messages->clear();
        action(editor, "tbOKCancel", "Cancel")->trigger();
        QVERIFY(!editor.isVisible());
        QVERIFY(m_messages->shown.isEmpty());
    }
    {
        // A caption still being typed counts; "Ja" throws it away.
        frmMain editor;
        open(editor, file, given);
        editor.BeginTextEdit(0);
        QTest::keyClicks(editor.TextEditor(), QStringLiteral(" links"));
        m_messages->answers = {core::MsgAnswer::Yes};
        editor.close();
        QVERIFY(!editor.isVisible());
        QVERIFY(editor.EditCancelled());
        QCOMPARE(m_messages->shown.size(), 1);
    }
}

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
