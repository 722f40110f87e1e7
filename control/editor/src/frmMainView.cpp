// The editor window's drawing area: zoom, scrolling, in-place text, mouse.
#include "editor/frmMain.h"

#include "editor/EditCommand.h"
#include "editor/EditorIcons.h"
#include "editor/GraficPainter.h"
#include "editor/Rounding.h"
#include "editor/ScriptBuilder.h"
#include "editor/ToolbarState.h"

#include <kelvane/OLELangTrans.h>
#include <kelvane/Scrollbars.h>
#include <sendral/OverlayGraphic.h>

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
#include <QImageReader>
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

void frmMain::SetZoom(double zoom, QPoint anchor)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    EndTextEdit();
    const QPointF under = m_view->mapToScene(anchor);
    m_zoom = zoom;
    m_view->setTransform(QTransform::fromScale(zoom, zoom));
    m_shapes.SetScreenScale(zoom);
    layoutScrollBars();
    ScrollTo(qRound(under.x() * zoom - anchor.x()), qRound(under.y() * zoom - anchor.y()));
    StatusBar1->showMessage(QStringLiteral("%1 %").arg(qRound(zoom * 100)));
}

void frmMain::ZoomToFit()
{
    if (m_pictureSize.isEmpty())
        return;
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 1;
    const QSize area = m_view->size() + QSize(FrameVS->isVisible() ? extent : 0, FrameHS->isVisible() ? extent : 0);
    const double fit = std::min(double(area.width()) / m_pictureSize.width(), double(area.height()) / m_pictureSize.height());
    SetZoom(std::min(1.0, fit));
}

void frmMain::BeginTextEdit(int index, bool selectAll)
{
    EndTextEdit();
    GraficObj &shape = m_shapes.Shape(index);
    const TextElement &label = shape.Label();
    // Exactly over the text as the view shows it, so that it wraps alike.
    const QRectF onScreen = m_view->viewportTransform().mapRect(QRectF(shape.Placement()));
    m_text->setGeometry(onScreen.toRect());
    fontTextEditor(label);
    QPalette colours = m_text->palette();
    colours.setColor(QPalette::Text, toQColor(label.ForeColor));
    m_text->setPalette(colours);
    m_text->setPlainText(label.Caption);
    m_beforeText = m_shapes.States();
    shape.setVisible(false);
    m_text->show();
    if (selectAll)
        m_text->selectAll();
    else
        m_text->moveCursor(QTextCursor::End);
    m_text->setFocus();
    m_editingTextIndex = index;
}

void frmMain::fontTextEditor(const TextElement &label)
{
    // The font the view draws the text with, at the zoom.
    QFont font = GraficPainter::FontToLogFont(label, *m_view->viewport());
    if (font.pixelSize() > 0)
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * m_zoom)));
    m_text->setFont(font);
}

void frmMain::EndTextEdit()
{
    if (!m_text->isVisible())
        return;
    m_text->hide();
    GraficObj &shape = m_shapes.Shape(m_editingTextIndex);
    shape.Label().Caption = m_text->toPlainText();
    shape.setVisible(true);
    shape.Repaint();
    pushStep(QStringLiteral("Text"), m_beforeText);
    m_view->setFocus();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched->property(kToolButton).toBool()) {
        // The click this release makes is the mouse's; any later one is not.
        m_toolByMouse = true;
        QTimer::singleShot(0, this, [this] { m_toolByMouse = false; });
    } else if (watched == m_view->viewport() && !m_tool.isEmpty()
               && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove
                   || event->type() == QEvent::MouseButtonRelease)
               && drawWithMouse(*static_cast<QMouseEvent *>(event))) {
        return true;
    } else if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const auto under = m_view->items(mouse->position().toPoint());
        const bool onShape = std::any_of(under.begin(), under.end(), [](QGraphicsItem *item) {
            return dynamic_cast<GraficObj *>(item) != nullptr;
        });
        if (!onShape) {
            EndTextEdit();
            m_shapes.DeselectAll();
        }
        m_beforeMouse = m_shapes.States();
        m_mouseStep = true;
        ++m_nudgeRun;
    } else if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonRelease
               && std::exchange(m_mouseStep, false)) {
        // A whole drag, of the body or of a grip, is one step; the shape
        // finishes a grip drag when it gets this release, after this filter.
        QTimer::singleShot(0, this, [this, before = m_beforeMouse] { pushStep(QStringLiteral("Verschieben"), before); });
    } else if ((watched == m_view || watched == m_text) && event->type() == QEvent::KeyPress) {
        if (handleKey(*static_cast<QKeyEvent *>(event)))
            return true;
    } else if (watched == m_view->viewport() && event->type() == QEvent::Wheel) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers().testFlag(Qt::ControlModifier)) {
            const double steps = wheel->angleDelta().y() / 120.0;
            SetZoom(m_zoom * std::pow(kZoomStep, steps), wheel->position().toPoint());
            return true;
        }
        if (Scrollbar *bar = VS->VScroll(); bar && FrameVS->isVisible())
            bar->SetValue(bar->Value() - wheel->angleDelta().y() / 2);
        return true;
    } else if (watched == m_view->viewport() && event->type() == QEvent::Resize) {
        layoutScrollBars();
    }
    return QDialog::eventFilter(watched, event);
}

bool frmMain::drawWithMouse(const QMouseEvent &event)
{
    const QPointF at = m_view->mapToScene(event.position().toPoint());
    const bool shift = event.modifiers().testFlag(Qt::ShiftModifier);
    if (event.type() == QEvent::MouseButtonPress) {
        if (event.button() != Qt::LeftButton || m_drawing)
            return m_drawing.has_value();
        // The selected shape's grips still size it while a tool is armed,
        // and the text tool edits a text it is pressed on.
        for (QGraphicsItem *item : m_view->items(event.position().toPoint())) {
            auto *shape = dynamic_cast<GraficObj *>(item);
            if (!shape)
                continue;
            if (shape->Geometry().GripAt(shape->mapFromScene(at), m_zoom) >= 0)
                return false;
            if (shape->Style() == ShapeStyle::Text && *ToolKind(m_tool) == ShapeStyle::Text) {
                const int index = m_shapes.IndexOf(shape);
                m_shapes.SelectShape(index);
                BeginTextEdit(index);
                return true;
            }
        }
        EndTextEdit();
        m_beforeDrawing = m_shapes.States();
        m_drawing.emplace(*ToolKind(m_tool), at, m_zoom);
        m_drawnIndex = -1;
        return true;
    }
    if (!m_drawing)
        return false;
    m_drawing->MoveTo(at, shift);
    if (m_drawnIndex >= 0)
        m_shapes.Reshape(m_drawnIndex, *m_drawing);
    else if (!m_drawing->IsClick())
        m_drawnIndex = m_shapes.DrawShape(*m_drawing, newShapeStyle());
    if (event.type() != QEvent::MouseButtonRelease || event.button() != Qt::LeftButton)
        return true;
    // A click places the shape where a key would, but at the mouse.
    const int index = m_drawnIndex >= 0 ? m_drawnIndex : m_shapes.DrawShape(*m_drawing, newShapeStyle());
    m_drawing.reset();
    m_drawnIndex = -1;
    m_shapes.SelectShape(index);
    pushStep(QStringLiteral("Neues Objekt"), m_beforeDrawing);
    created(index);
    return true;
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    layoutScrollBars();
}

void frmMain::layoutScrollBars()
{
    if (m_layingOut || !HS || !VS)
        return;
    QScopedValueRollback<bool> busy(m_layingOut, true);
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 1;
    // The drawing area with both bars hidden.
    const QSize area = m_view->size() + QSize(FrameVS->isVisible() ? extent : 0, FrameHS->isVisible() ? extent : 0);
    const QSize shown(qCeil(m_pictureSize.width() * m_zoom), qCeil(m_pictureSize.height() * m_zoom));
    bool horizontal = false;
    bool vertical = false;
    // Showing one bar takes room from the other direction: repeat until stable.
    for (int round = 0; round < 3; ++round) {
        const int width = area.width() - (vertical ? extent : 0);
        const int height = area.height() - (horizontal ? extent : 0);
        const bool h = shown.width() > width;
        const bool v = shown.height() > height;
        if (h == horizontal && v == vertical)
            break;
        horizontal = h;
        vertical = v;
    }
    const int width = area.width() - (vertical ? extent : 0);
    const int height = area.height() - (horizontal ? extent : 0);
    HS->HScroll()->SetRange(0, shown.width(), width + 1);
    VS->VScroll()->SetRange(0, shown.height(), height + 1);
    FrameHS->setVisible(horizontal);
    FrameVS->setVisible(vertical);
    if (!horizontal)
        HS->HScroll()->SetValue(0);
    if (!vertical)
        VS->VScroll()->SetValue(0);
    scrolled(0, HS->HScroll()->Value());
    scrolled(1, VS->VScroll()->Value());
}

void frmMain::scrolled(int scrollbar, int value)
{
    QScrollBar *bar = scrollbar == 0 ? m_view->horizontalScrollBar() : m_view->verticalScrollBar();
    bar->setValue(value);
    if (m_text->isVisible())
        EndTextEdit();
}

void frmMain::ScrollTo(int x, int y)
{
    HS->HScroll()->SetValue(x);
    VS->VScroll()->SetValue(y);
}

} // namespace kelvane::editor
