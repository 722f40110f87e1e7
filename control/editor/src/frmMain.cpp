#include "editor/frmMain.h"

#include "editor/EditCommand.h"
#include "editor/EditorIcons.h"
#include "editor/Rounding.h"
#include "editor/ScriptBuilder.h"
#include "editor/ToolbarState.h"

#include <kelvane/OLELangTrans.h>
#include <kelvane/Scrollbars.h>
#include <sendral/OverlayGraphic.h>

#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "quarvik/PictureReader.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QGraphicsPixmapItem>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace kelvane::editor {

frmMain::frmMain(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Objektgrafik"));
    // 10740 x 1755 twips at 15 twips a pixel.
    setMinimumSize(716, 117);
    resize(900, 640);
    buildToolbars();
    buildDrawingArea();
    connect(&m_shapes, &ShapeSlots::ShapeAdded, this, &frmMain::wireShape);
    wireShape(0);
    m_style = DrawingStyle::Read(*core::UserSettings::open());
    showStyle();
    connect(&m_shapes, &ShapeSlots::SelectionChanged, this, [this](int index) {
        if (index < 0)
            showStyle();
    });
    const OLELangTrans translation;
    translation.TranslateToolbar(tbMain);
    translation.TranslateToolbar(tbOKCancel);
}

frmMain::~frmMain() = default;

bool frmMain::SetEditPictureFile(const QString &file)
{
    // The same reader and size bounds as the viewer that showed the picture.
    quarvik::PictureReader reader(file);
    const QImage picture = reader.read();
    m_pictureError = picture.isNull() ? reader.errorString() : QString();
    m_pictureSize = picture.size();
    Image1->setPixmap(QPixmap::fromImage(picture));
    m_scene.setSceneRect(QRectF(QPointF(0, 0), QSizeF(m_pictureSize)));
    layoutScrollBars();
    return !picture.isNull();
}

std::unique_ptr<sendral::OverlayGraphic> frmMain::TakeEditOverlay()
{
    return std::move(m_overlay);
}

EditResult frmMain::Edit(const QString &pictureFile, const QString &script, QWidget *parent)
{
    frmMain editor(parent);
    // Shapes drawn over no picture could not be placed: the editor stays shut.
    if (!editor.SetEditPictureFile(pictureFile)) {
        core::showMessage(QStringLiteral("Das Bild kann nicht gelesen werden (%1). "
                                         "Die Objekt-Grafik kann deshalb nicht bearbeitet werden; sie bleibt, wie sie ist.")
                              .arg(editor.m_pictureError),
                          core::MsgIcon::Exclamation, core::MsgButtons::Ok, {}, parent);
        return {};
    }
    editor.SetEditScript(script);
    // Opens where the user left it last, at the size chosen for large photos.
    const QString placement = QStringLiteral("Objektgrafik");
    core::UserSettings::restoreDialogPlacement(&editor, placement, editor.size());
    editor.exec();
    core::UserSettings::savePlacement(&editor, placement);
    EditResult result;
    result.cancelled = editor.EditCancelled();
    if (!result.cancelled) {
        result.script = editor.EditScript();
        result.overlay = editor.TakeEditOverlay();
        result.changed = editor.EditChanged();
    }
    return result;
}

void frmMain::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QApplication::restoreOverrideCursor();
    if (!m_scriptLoaded) {
        m_shapes.LoadScript(m_script, {});
        m_scriptLoaded = true;
        m_openedScript = ScriptOf(m_shapes);
        // A photo larger than the drawing area opens whole.
        layoutScrollBars();
        ZoomToFit();
        // Told once the window stands, not over an empty screen.
        if (const int kept = m_shapes.KeptCount())
            QTimer::singleShot(0, this, [this, kept] { tellKept(kept); });
    }
    layoutScrollBars();
}

void frmMain::tellKept(int kept)
{
    const QString text = kept == 1
        ? QStringLiteral("1 Form der Objekt-Grafik kann nicht angezeigt werden. Sie bleibt beim Speichern unverändert erhalten.")
        : QStringLiteral("%1 Formen der Objekt-Grafik können nicht angezeigt werden. "
                         "Sie bleiben beim Speichern unverändert erhalten.")
              .arg(kept);
    core::showMessage(text, core::MsgIcon::Information, core::MsgButtons::Ok, {}, this);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // The close box goes through reject, which may keep the window open.
    QDialog::closeEvent(event);
    if (event->isAccepted() && result() != QDialog::Accepted)
        m_cancelled = true;
}

void frmMain::reject()
{
    if (!mayDiscard())
        return;
    m_cancelled = true;
    QDialog::reject();
}

bool frmMain::mayDiscard()
{
    EndTextEdit();
    // Against the drawing as it was read, so that a script written elsewhere
    // (another decimal separator, records that could not be read) is no change.
    if (!m_scriptLoaded || ScriptOf(m_shapes).compare(m_openedScript, Qt::CaseInsensitive) == 0)
        return true;
    return core::showMessage(QString::fromUtf8("Änderungen an der Grafik verwerfen?"), core::MsgIcon::Question,
                             core::MsgButtons::YesNo, windowTitle(), this)
        == core::MsgAnswer::Yes;
}

void frmMain::save()
{
    EndTextEdit();
    if (!m_scriptLoaded) {
        m_shapes.LoadScript(m_script, {});
        m_scriptLoaded = true;
    }
    m_cancelled = false;
    SaveResult result = Save(m_shapes, m_pictureSize, m_script);
    m_overlay = std::move(result.overlay);
    m_script = result.script;
    m_changed = result.changed;
    accept();
}

QPoint frmMain::visibleTopLeft() const
{
    return m_view->mapToScene(QPoint(0, 0)).toPoint();
}

NewShapeStyle frmMain::newShapeStyle() const
{
    return m_style.AtZoom(m_zoom);
}

void frmMain::created(int index)
{
    m_shapes.SelectShape(index);
    // The text format bar shows the new text's size as seen at the zoom.
    showSelectionFormat(index);
    if (m_shapes.Shape(index).Style() == ShapeStyle::Text)
        BeginTextEdit(index, true);
}

void frmMain::ArmTool(const QString &key)
{
    EndTextEdit();
    if (m_drawing && m_drawnIndex >= 0) {
        // Disarmed in the middle of a drag: the shape begun goes again.
        EditCommand(m_shapes, {}, m_beforeDrawing).undo();
    }
    m_drawing.reset();
    m_drawnIndex = -1;
    m_tool = key.isEmpty() || key.compare(m_tool, Qt::CaseInsensitive) == 0 || !ToolKind(key) ? QString() : key;
    showArmed();
}

void frmMain::showArmed()
{
    for (QAction *action : tbMain->actions()) {
        if (action->isCheckable())
            action->setChecked(action->objectName().compare(m_tool, Qt::CaseInsensitive) == 0);
    }
    if (m_tool.isEmpty())
        m_view->viewport()->unsetCursor();
    else
        m_view->viewport()->setCursor(Qt::CrossCursor);
}

void frmMain::toolTriggered(const QString &key)
{
    if (std::exchange(m_toolByMouse, false)) {
        ArmTool(key);
        return;
    }
    // Pressed without the mouse: the shape at the top-left; the armed tool stays.
    showArmed();
    DoCommand(key);
}

void frmMain::DoCommand(const QString &key)
{
    const QString k = key.toLower();
    EndTextEdit();
    const int selected = m_shapes.Selected();
    if (const std::optional<int> kind = ToolKind(k)) {
        int index = -1;
        recorded(QStringLiteral("Neues Objekt"), [&] {
            // 200 x 200 on screen, whatever the zoom.
            index = m_shapes.CreateShape(*kind, newShapeStyle(), visibleTopLeft(), qRound(DragGeometry::ClickSize / m_zoom));
            m_shapes.SelectShape(index);
        });
        created(index);
    } else if (k == u"zorderfore" && selected >= 0) {
        recorded(QStringLiteral("In den Vordergrund"), [&] { m_shapes.SetStacking(selected, Stacking::Front); });
    } else if (k == u"zorderback" && selected >= 0) {
        recorded(QStringLiteral("In den Hintergrund"), [&] { m_shapes.SetStacking(selected, Stacking::Back); });
    } else if (k == u"delete" && selected >= 0) {
        recorded(QString::fromUtf8("Löschen"), [&] { m_shapes.DeleteShape(selected); });
    } else if (k == u"copy" && selected >= 0) {
        m_copyBuffer = m_shapes.CopySelected();
        tbMain->findChild<QAction *>(QStringLiteral("Paste"))->setEnabled(!m_copyBuffer.isEmpty());
    } else if (k == u"paste" && !m_copyBuffer.isEmpty()) {
        // At the window's left edge and the picture's top, as the copy was made at (0, 0).
        recorded(QString::fromUtf8("Einfügen"), [&] { m_shapes.Paste(m_copyBuffer, QPoint(visibleTopLeft().x(), 0)); });
    } else if (k == u"undo") {
        m_undo.undo();
    } else if (k == u"redo") {
        m_undo.redo();
    }
}

void frmMain::pushStep(const QString &text, const QList<SlotState> &before, int mergeKey)
{
    auto step = std::make_unique<EditCommand>(m_shapes, text, before, mergeKey);
    if (mergeKey == 0)
        ++m_nudgeRun;
    if (step->Changed())
        m_undo.push(step.release());
}

void frmMain::nudge(int dx, int dy)
{
    const int index = m_shapes.Selected();
    if (index < 0)
        return;
    recorded(QStringLiteral("Verschieben"), [&] {
        GraficObj &shape = m_shapes.Shape(index);
        const QPoint at = shape.Placement().topLeft();
        shape.Move(at.x() + dx, at.y() + dy);
    }, m_nudgeRun);
}

void frmMain::keyPressEvent(QKeyEvent *event)
{
    if (!handleKey(*event))
        QDialog::keyPressEvent(event);
}

bool frmMain::handleKey(const QKeyEvent &event)
{
    // While a shape is being drawn only Escape counts: it takes the shape back.
    if (m_drawing && event.key() != Qt::Key_Escape)
        return true;
    if (m_text->isVisible()) {
        // Keys belong to the text, except Escape, which ends the editing.
        if (event.key() != Qt::Key_Escape)
            return false;
        EndTextEdit();
        return true;
    }
    const bool control = event.modifiers().testFlag(Qt::ControlModifier);
    const bool shift = event.modifiers().testFlag(Qt::ShiftModifier);
    const int step = shift ? 10 : 1;
    switch (event.key()) {
    case Qt::Key_Delete:
        DoCommand(QStringLiteral("Delete"));
        return true;
    case Qt::Key_Left:
        nudge(-step, 0);
        return true;
    case Qt::Key_Right:
        nudge(step, 0);
        return true;
    case Qt::Key_Up:
        nudge(0, -step);
        return true;
    case Qt::Key_Down:
        nudge(0, step);
        return true;
    case Qt::Key_Z:
        if (!control)
            return false;
        DoCommand(shift ? QStringLiteral("Redo") : QStringLiteral("Undo"));
        return true;
    case Qt::Key_Y:
    case Qt::Key_C:
    case Qt::Key_V:
        if (!control)
            return false;
        DoCommand(event.key() == Qt::Key_Y ? QStringLiteral("Redo")
                  : event.key() == Qt::Key_C ? QStringLiteral("Copy") : QStringLiteral("Paste"));
        return true;
    case Qt::Key_Escape:
        // Step by step: the armed tool, the selection, then the window, which
        // asks before it throws a changed drawing away.
        if (!m_tool.isEmpty())
            ArmTool({});
        else if (m_shapes.Selected() >= 0)
            m_shapes.DeselectAll();
        else
            reject();
        return true;
    default:
        return false;
    }
}

} // namespace kelvane::editor
