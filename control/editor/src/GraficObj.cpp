#include "editor/GraficObj.h"

#include "editor/GraficPainter.h"

#include <QCursor>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

namespace kelvane::editor {

namespace {

Qt::CursorShape gripCursor(int grip)
{
    switch (grip) {
    case 0: case 8: return Qt::SizeFDiagCursor;
    case 2: case 6: return Qt::SizeBDiagCursor;
    case 1: case 7: return Qt::SizeHorCursor;
    case 3: case 5: return Qt::SizeVerCursor;
    default: return Qt::SizeAllCursor;
    }
}

} // namespace

GraficObj::GraficObj(QGraphicsItem *parent) : QGraphicsObject(parent)
{
    setAcceptHoverEvents(true);
    setFlag(ItemClipsToShape);
    sync();
}

void GraficObj::SetFillColor(ColorRef color) { m_shape.SetFillColor(color); update(); }
void GraficObj::SetTransparenz(bool transparent) { m_shape.SetTransparenz(transparent); update(); }
void GraficObj::SetPenColor(ColorRef color) { m_shape.SetPenColor(color); update(); }
// Both change how far a line's strokes reach beyond its place.
void GraficObj::SetPenWidth(int width) { prepareGeometryChange(); m_shape.SetPenWidth(width); update(); }
void GraficObj::SetStyle(int style) { prepareGeometryChange(); m_shape.SetStyle(style); update(); }
void GraficObj::SetShowGrips(bool show) { m_shape.SetShowGrips(show); update(); }
void GraficObj::SetShowFrame(bool show) { m_shape.SetShowFrame(show); update(); }
void GraficObj::Repaint() { m_shape.Repaint(); update(); }

void GraficObj::Move(int left, int top)
{
    m_shape.Move(left, top);
    sync();
}

void GraficObj::Place(int left, int top, int width, int height)
{
    m_shape.Place(left, top, width, height);
    sync();
}

void GraficObj::PlaceLine(QPoint from, QPoint to)
{
    m_shape.PlaceLine(from, to);
    sync();
}

void GraficObj::SetScreenScale(double scale)
{
    if (scale <= 0 || scale == m_scale)
        return;
    prepareGeometryChange();
    m_scale = scale;
    update();
}

void GraficObj::DrawToDC(QPainter &painter, int ox, int oy) const
{
    GraficPainter::DrawToDC(m_shape, painter, ox, oy);
}

bool GraficObj::BuildObj(QStringView record, int offsetX, int offsetY)
{
    prepareGeometryChange();
    const bool read = m_shape.BuildObj(record, offsetX, offsetY);
    sync();
    return read;
}

void GraficObj::sync()
{
    const QRect placed = m_shape.Geometry();
    if (placed.size() != m_placed.size())
        prepareGeometryChange();
    m_placed = placed;
    setPos(placed.topLeft());
    update();
}

QRectF GraficObj::reach() const
{
    const double margin = GraficGeometry::ScreenMargin(m_scale);
    return QRectF(0, 0, m_placed.width(), m_placed.height()).adjusted(-margin, -margin, margin, margin);
}

QRectF GraficObj::boundingRect() const
{
    if (!GraficGeometry::IsLineKind(m_shape.Style()))
        return reach();
    // A thick pen's mitred arrow tip and head strokes reach beyond the room
    // the shape keeps for its heads.
    const double pen = 2.0 * m_shape.PenWidth();
    return reach().adjusted(-pen, -pen, pen, pen);
}

bool GraficObj::contains(const QPointF &point) const
{
    if (m_shape.GripAt(point, m_scale) >= 0)
        return true;
    // Only a stroke's tolerance reaches beyond the place; a box or a text
    // ends at its edge.
    const QRectF place(0, 0, m_placed.width(), m_placed.height());
    const bool near = GraficGeometry::IsLineKind(m_shape.Style()) ? reach().contains(point) : place.contains(point);
    return near && m_shape.HitTest(point, m_scale);
}

bool GraficObj::collidesWithPath(const QPainterPath &path, Qt::ItemSelectionMode mode) const
{
    // A view looks for the items under the mouse with the screen pixel's
    // square, which is larger than a shape pixel when zoomed out: that is a
    // point for the hit test, not an area.
    const QRectF area = path.boundingRect();
    const double pixel = qMax(1.0, 1.0 / m_scale) + 1e-9;
    if (area.width() <= pixel && area.height() <= pixel)
        return contains(area.topLeft());
    return QGraphicsObject::collidesWithPath(path, mode);
}

QPainterPath GraficObj::shape() const
{
    QPainterPath path;
    path.addRect(boundingRect());
    return path;
}

void GraficObj::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    GraficPainter::Paint(m_shape, *painter, m_scale);
}

QSize GraficObj::containerSize() const
{
    if (parentItem())
        return parentItem()->boundingRect().size().toSize();
    if (scene())
        return scene()->sceneRect().size().toSize();
    return m_placed.size();
}

QPointF GraficObj::local(const QGraphicsSceneMouseEvent *event) const
{
    // The shape moves while a grip is dragged; the event's own item position
    // can still be mapped through the place it had before.
    return sceneTransform().inverted().map(event->scenePos());
}

QPointF GraficObj::onGrip(int grip, QPointF point) const
{
    return point - QPointF(m_shape.GripRect(grip).topLeft());
}

void GraficObj::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    const QPointF at = local(event);
    const int grip = m_shape.GripAt(at, m_scale);
    if (grip >= 0 && event->button() == Qt::LeftButton) {
        m_dragGrip = grip;
        m_shape.BeginGripDrag(grip, onGrip(grip, at), containerSize());
        sync();
    } else {
        Q_EMIT MouseDown(event->button(), event->modifiers(), float(at.x()), float(at.y()));
    }
    event->accept();
}

void GraficObj::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    const QPointF at = local(event);
    if (m_dragGrip >= 0) {
        m_shape.DragGrip(m_dragGrip, onGrip(m_dragGrip, at));
        update();
        return;
    }
    Q_EMIT MouseMove(event->buttons(), event->modifiers(), float(at.x()), float(at.y()));
}

void GraficObj::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    const QPointF at = local(event);
    if (m_dragGrip >= 0) {
        endGripDrag();
        return;
    }
    Q_EMIT MouseUp(event->button(), event->modifiers(), float(at.x()), float(at.y()));
}

void GraficObj::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    const QPointF at = local(event);
    if (m_dragGrip >= 0 || m_shape.GripAt(at, m_scale) >= 0) {
        endGripDrag();
        return;
    }
    Q_EMIT DblClick();
}

void GraficObj::hoverMoveEvent(QGraphicsSceneHoverEvent *event)
{
    const int grip = m_shape.GripAt(event->pos(), m_scale);
    if (grip >= 0)
        setCursor(gripCursor(grip));
    else
        unsetCursor();
    if (grip < 0)
        Q_EMIT MouseMove(Qt::NoButton, event->modifiers(), float(event->pos().x()), float(event->pos().y()));
}

void GraficObj::endGripDrag()
{
    m_dragGrip = -1;
    m_shape.EndGripDrag();
    sync();
}

} // namespace kelvane::editor
