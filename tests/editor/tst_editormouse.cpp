#include "EditorWindowDriver.h"

#include "editor/GraficPainter.h"
#include "editor/frmMain.h"

#include "core/MessageService.h"
#include "core/UserSettings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTimer>
#include <QUndoStack>

#include <cmath>
#include <tuple>

using namespace kelvane::editor;
using namespace editortest;

// Drawing with the mouse, the style new shapes take and the question before
// a changed drawing is thrown away.
class TestEditorMouse : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    // Each test starts as the first start, and answers every question with "Ja".
    void init()
    {
        core::UserSettings::useFolder(m_dir.filePath(QStringLiteral("user-%1").arg(QTest::currentTestFunction())));
        m_messages = std::make_unique<core::RecordingMessageService>();
    }
    void cleanup() { m_messages.reset(); }
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

void TestEditorMouse::toolButtonsArmDrawing()
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

void TestEditorMouse::drawingWithTheMouse_data()
{
    QTest::addColumn<bool>("fitted");
    QTest::newRow("100 %") << false;
    QTest::newRow("fitted to a 12 MP photo") << true;
}

void TestEditorMouse::drawingWithTheMouse()
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

void TestEditorMouse::newTextIsTypedOver()
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

void TestEditorMouse::stylesAreRememberedBetweenOpenings()
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

void TestEditorMouse::changedDrawingIsNotDiscardedUnasked()
{
    const QString file = writePicture(m_dir, {800, 600});
    const QString question = QString::fromUtf8("Änderungen an der Grafik verwerfen?");
    const QString given = QStringLiteral("TEXT;10;10;150;40;Tür;Arial;12;False;False;False;False;0#");
    {
        // Unchanged: nothing asked, also when a record could not be read
        // (that record is told once at opening, and kept).
        frmMain editor;
        open(editor, file, given + QStringLiteral("RECT;1;2#"));
        QCOMPARE(m_messages->shown.size(), 1);
        action(editor, "tbOKCancel", "Cancel")->trigger();
        QVERIFY(!editor.isVisible());
        QVERIFY(editor.EditCancelled());
        QCOMPARE(m_messages->shown.size(), 1);
        QVERIFY(m_messages->lastText() != question);
        m_messages->shown.clear();
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

QTEST_MAIN(TestEditorMouse)
#include "tst_editormouse.moc"
