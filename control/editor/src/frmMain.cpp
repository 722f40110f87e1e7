#include "editor/frmMain.h"

#include "editor/EditCommand.h"
#include "editor/EditorIcons.h"
#include "editor/Rounding.h"
#include "editor/ScriptBuilder.h"
#include "editor/ToolbarState.h"

#include <kelvane/OLELangTrans.h>
#include <kelvane/Scrollbars.h>
#include <sendral/OverlayGraphic.h>

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

namespace kelvane::editor {

namespace {

int kindOf(const QString &key)
{
    static const QList<QPair<QString, int>> kinds{
        {QStringLiteral("line"), ShapeStyle::Line},     {QStringLiteral("arrow"), ShapeStyle::Arrow},
        {QStringLiteral("dblarrow"), ShapeStyle::DblArrow}, {QStringLiteral("rect"), ShapeStyle::Rect},
        {QStringLiteral("circle"), ShapeStyle::Circle}, {QStringLiteral("text"), ShapeStyle::Text}};
    for (const auto &[name, kind] : kinds) {
        if (name == key)
            return kind;
    }
    return std::numeric_limits<int>::min();
}

// The screen fonts in the order the system lists them, read once per
// process: the font database is slow to ask on machines with many fonts.

} // namespace

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
    UpdateColorButton(QStringLiteral("Linecolor"), m_penColor);
    UpdateColorButton(QStringLiteral("Fillcolor"), m_fillColor);
    const OLELangTrans translation;
    translation.TranslateToolbar(tbMain);
    translation.TranslateToolbar(tbOKCancel);
}

frmMain::~frmMain() = default;

void frmMain::SetEditPictureFile(const QString &file)
{
    // The same reader and size bounds as the viewer that showed the picture.
    quarvik::PictureReader reader(file);
    const QImage picture = reader.read();
    m_pictureSize = picture.size();
    Image1->setPixmap(QPixmap::fromImage(picture));
    m_scene.setSceneRect(QRectF(QPointF(0, 0), QSizeF(m_pictureSize)));
    layoutScrollBars();
}

std::unique_ptr<sendral::OverlayGraphic> frmMain::TakeEditOverlay()
{
    return std::move(m_overlay);
}

EditResult frmMain::Edit(const QString &pictureFile, const QString &script, QWidget *parent)
{
    frmMain editor(parent);
    editor.SetEditPictureFile(pictureFile);
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
        // A photo larger than the drawing area opens whole.
        layoutScrollBars();
        ZoomToFit();
    }
    layoutScrollBars();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (result() != QDialog::Accepted)
        m_cancelled = true;
    QDialog::closeEvent(event);
}

void frmMain::reject()
{
    m_cancelled = true;
    QDialog::reject();
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
    return {m_fillColor, m_penColor, PenWidthAtZoom(cboPenWidth->currentIndex() + 1, m_zoom)};
}

void frmMain::DoCommand(const QString &key)
{
    const QString k = key.toLower();
    EndTextEdit();
    const int selected = m_shapes.Selected();
    if (const int kind = kindOf(k); kind != std::numeric_limits<int>::min()) {
        recorded(QStringLiteral("Neues Objekt"), [&] {
            // 200 x 200 on screen, whatever the zoom.
            const int index = m_shapes.CreateShape(kind, newShapeStyle(), visibleTopLeft(), qRound(200 / m_zoom));
            m_shapes.SelectShape(index);
        });
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
        // Clears the selection; never closes the window unsaved.
        m_shapes.DeselectAll();
        return true;
    default:
        return false;
    }
}

} // namespace kelvane::editor
