#pragma once

#include "editor/DragGeometry.h"
#include "editor/DrawingStyle.h"
#include "editor/ShapeSlots.h"

#include <QDialog>
#include <QGraphicsScene>
#include <QStringList>
#include <QUndoStack>

#include <memory>
#include <optional>

class QAbstractScrollArea;
class QAction;
class QCheckBox;
class QComboBox;
class QGraphicsPixmapItem;
class QGraphicsView;
class QPlainTextEdit;
class QStatusBar;
class QToolBar;

namespace sendral {
class OverlayGraphic;
}

namespace kelvane {
class Scrollbars;
}

namespace kelvane::editor {

// What the annotation editor gives back to the attachment control.
struct EditResult {
    bool cancelled = true;
    // The rest only when not cancelled.
    QString script;
    std::unique_ptr<sendral::OverlayGraphic> overlay;   // none for an empty script
    bool changed = false;
};

// The annotation editor "Objektgrafik": shapes drawn over one picture, in
// the picture's pixels. The window wires toolbars, view and keys to the
// shape slots (ShapeSlots) and the save rules (Save).
class frmMain : public QDialog {
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Opens the editor modally on the picture with the script and returns
    // what the user left it with; a picture that cannot be read is told and
    // counts as cancelled.
    static EditResult Edit(const QString &pictureFile, const QString &script, QWidget *parent = nullptr);

    // Written before the window is shown; false when the picture cannot be read.
    bool SetEditPictureFile(const QString &file);
    void SetEditScript(const QString &script) { m_script = script; }
    // Read after it closed.
    const QString &EditScript() const { return m_script; }
    bool EditCancelled() const { return m_cancelled; }
    bool EditChanged() const { return m_changed; }
    std::unique_ptr<sendral::OverlayGraphic> TakeEditOverlay();
    // However the window is left without "OK", it counts as cancelled; a
    // changed drawing is only thrown away when the user agrees.
    void reject() override;

    ShapeSlots &Shapes() { return m_shapes; }
    QGraphicsView *DrawingArea() const { return m_view; }
    QPlainTextEdit *TextEditor() const { return m_text; }
    QSize PictureSize() const { return m_pictureSize; }

    // The tbMain commands by key ("Rect", "Copy", "ZOrderBack", ...),
    // compared without regard to case.
    // The shape keys create their shape at the visible top-left.
    void DoCommand(const QString &key);
    // A shape key arms its tool for drawing with the mouse (its button shown
    // pressed); the armed key again, or an empty one, disarms. A click on a
    // shape's button arms it, any other way of pressing it is DoCommand.
    void ArmTool(const QString &key);
    QString ArmedTool() const { return m_tool; }
    // A new text is edited with its caption selected, so that typing
    // replaces it; otherwise the caret goes after the text.
    void BeginTextEdit(int index, bool selectAll = false);
    void EndTextEdit();
    // Scrolls the drawing area, in window pixels.
    void ScrollTo(int x, int y);
    // The scale of the drawing area (1 = one picture pixel a screen pixel),
    // keeping the picture point under `anchor` (view pixels) where it is.
    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom, QPoint anchor = {});
    // The whole picture in the drawing area, at most at 100 %.
    void ZoomToFit();
    // Every change of the drawing, one step per operation.
    QUndoStack &UndoStack() { return m_undo; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Delete and Escape; false for keys left to the focused widget.
    bool handleKey(const QKeyEvent &event);
    // Mouse events on the drawing area while a tool is armed; true when taken.
    bool drawWithMouse(const QMouseEvent &event);
    // Selects a new shape and starts editing it when it is a text.
    void created(int index);
    // The toolbars as the next new shape will be.
    void showStyle();
    void rememberStyle();
    bool mayDiscard();
    void toolTriggered(const QString &key);
    // The armed tool's button pressed, the others not; the cross cursor.
    void showArmed();
    void buildToolbars();
    void buildDrawingArea();
    void wireShape(int index);
    void shapeMouseDown(int index, float x, float y);
    void showSelectionFormat(int index);
    void UpdateColorButton(const QString &which, ColorRef color);
    ColorRef PickColor(ColorRef color);
    void ApplyFill();
    void ApplyTextFormat();
    void fontTextEditor(const TextElement &label);
    void layoutScrollBars();
    void scrolled(int scrollbar, int value);
    QPoint visibleTopLeft() const;
    NewShapeStyle newShapeStyle() const;
    void save();
    // Says how many records of the script are kept without being shown.
    void tellKept(int kept);
    // Runs an operation and keeps it as one undo step when it changed the
    // drawing; steps with the same non-zero merge key become one.
    template <typename Operation>
    void recorded(const QString &text, Operation operation, int mergeKey = 0)
    {
        const QList<SlotState> before = m_shapes.States();
        operation();
        pushStep(text, before, mergeKey);
    }
    void pushStep(const QString &text, const QList<SlotState> &before, int mergeKey = 0);
    void nudge(int dx, int dy);

    static constexpr double kZoomStep = 1.25;
    // The property that marks a shape's tool button.
    static constexpr const char *kToolButton = "drawingTool";
    static constexpr double kMinZoom = 0.02;
    static constexpr double kMaxZoom = 8.0;

    QGraphicsScene m_scene;
    ShapeSlots m_shapes{m_scene};
    QGraphicsPixmapItem *Image1 = nullptr;
    QSize m_pictureSize;
    QString m_pictureError;
    QString m_script;
    // The shapes' script right after they were read: what "Abbrechen" keeps.
    QString m_openedScript;
    bool m_cancelled = false;
    bool m_changed = false;
    std::unique_ptr<sendral::OverlayGraphic> m_overlay;
    bool m_scriptLoaded = false;
    bool m_updatingToolbars = false;
    bool m_layingOut = false;
    // What new shapes take, remembered between openings.
    DrawingStyle m_style;
    // The armed tool's key, empty when none; the shape being drawn.
    QString m_tool;
    std::optional<DragGeometry> m_drawing;
    int m_drawnIndex = -1;
    QList<SlotState> m_beforeDrawing;
    // A shape button's click came from the mouse.
    bool m_toolByMouse = false;
    QString m_copyBuffer;
    QPoint m_dragOrigin;
    int m_editingTextIndex = -1;
    QUndoStack m_undo;
    QList<SlotState> m_beforeMouse;
    // A press took the states above; only its release makes a step.
    bool m_mouseStep = false;
    QList<SlotState> m_beforeText;
    // Arrow-key moves in a row are one step; anything else starts a new run.
    int m_nudgeRun = 1;
    double m_zoom = 1.0;

    QToolBar *tbMain = nullptr;
    QToolBar *tbTextProps = nullptr;
    QToolBar *tbObjProps = nullptr;
    QToolBar *tbOKCancel = nullptr;
    QComboBox *ComboFont = nullptr;
    QComboBox *ComboSize = nullptr;
    QComboBox *cboPenWidth = nullptr;
    QCheckBox *chkTransparent = nullptr;
    QGraphicsView *m_view = nullptr;            // Dummy1
    QAbstractScrollArea *FrameHS = nullptr;
    QAbstractScrollArea *FrameVS = nullptr;
    std::unique_ptr<Scrollbars> HS;
    std::unique_ptr<Scrollbars> VS;
    QPlainTextEdit *m_text = nullptr;           // Text1
    QStatusBar *StatusBar1 = nullptr;
};

} // namespace kelvane::editor
