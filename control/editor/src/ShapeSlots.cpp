#include "editor/ShapeSlots.h"

#include "editor/DragGeometry.h"
#include "editor/OverlayScript.h"

#include <QGraphicsScene>

#include <algorithm>

namespace kelvane::editor {

ShapeSlots::ShapeSlots(QGraphicsScene &scene, QObject *parent) : QObject(parent), m_scene(scene)
{
    auto *first = new GraficObj;
    first->setVisible(false);
    m_scene.addItem(first);
    m_shapes.append(first);
}

int ShapeSlots::AcquireShapeSlot()
{
    int index = 0;
    while (index < count() && (IsShown(index) || m_kept.contains(index)))
        ++index;
    if (index == count()) {
        auto *shape = new GraficObj;
        shape->SetScreenScale(m_scale);
        shape->setVisible(false);
        m_scene.addItem(shape);
        m_shapes.append(shape);
        Q_EMIT ShapeAdded(index);
    }
    SetStacking(index, Stacking::Front);
    return index;
}

int ShapeSlots::CreateShape(int kind, const NewShapeStyle &style, QPoint at, int size)
{
    const int index = AcquireShapeSlot();
    GraficObj &shape = Shape(index);
    shape.SetStyle(kind);
    shape.SetFillColor(style.fill);
    shape.SetPenColor(style.pen);
    shape.SetPenWidth(style.penWidth);
    shape.SetTransparenz(style.transparent);
    if (kind == ShapeStyle::Text) {
        TextElement &label = shape.Label();
        label.Caption = TextElement().Caption;
        if (!style.fontName.isEmpty())
            label.FontName = style.fontName;
        label.FontSize = style.fontSize;
        label.Bold = style.bold;
        label.Italic = style.italic;
        label.Underline = style.underline;
        label.Strikethrough = false;
    }
    shape.Place(at.x(), at.y(), size, size);
    shape.setVisible(true);
    return index;
}

int ShapeSlots::DrawShape(const DragGeometry &drag, const NewShapeStyle &style)
{
    const int index = CreateShape(drag.Kind(), style, drag.Box().topLeft());
    Reshape(index, drag);
    return index;
}

void ShapeSlots::Reshape(int index, const DragGeometry &drag)
{
    GraficObj &shape = Shape(index);
    if (drag.ByLine()) {
        const QLine line = drag.Line();
        shape.PlaceLine(line.p1(), line.p2());
    } else {
        const QRect box = drag.Box();
        shape.Place(box.left(), box.top(), box.width(), box.height());
    }
}

void ShapeSlots::SetStacking(int index, Stacking where)
{
    GraficObj &shape = Shape(index);
    if (where == Stacking::Front) {
        for (GraficObj *each : std::as_const(m_shapes))
            each->SetZPos(each->ZPos() + 1);
        shape.setZValue(++m_frontZ);
        shape.SetZPos(0);
        return;
    }
    int rear = 0;
    for (const GraficObj *each : std::as_const(m_shapes))
        rear = std::max(rear, each->ZPos());
    shape.setZValue(--m_backZ);
    shape.SetZPos(rear + 1);
}

void ShapeSlots::SetScreenScale(double scale)
{
    m_scale = scale;
    for (GraficObj *each : std::as_const(m_shapes))
        each->SetScreenScale(scale);
}

void ShapeSlots::DeleteShape(int index)
{
    GraficObj &shape = Shape(index);
    shape.SetShowGrips(false);
    shape.SetShowFrame(false);
    shape.setVisible(false);
    Q_EMIT SelectionChanged(Selected());
}

void ShapeSlots::SelectShape(int index)
{
    for (GraficObj *each : std::as_const(m_shapes)) {
        each->SetShowFrame(false);
        each->SetShowGrips(false);
    }
    GraficObj &shape = Shape(index);
    shape.SetShowGrips(true);
    if (shape.Style() == ShapeStyle::Text)
        shape.SetShowFrame(true);
    Q_EMIT SelectionChanged(index);
}

void ShapeSlots::DeselectAll()
{
    for (GraficObj *each : std::as_const(m_shapes)) {
        each->SetShowFrame(false);
        each->SetShowGrips(false);
    }
    Q_EMIT SelectionChanged(-1);
}

int ShapeSlots::Selected() const
{
    for (int index = 0; index < count(); ++index) {
        if (m_shapes[index]->ShowGrips())
            return index;
    }
    return -1;
}

QString ShapeSlots::CopySelected() const
{
    const int index = Selected();
    return index < 0 ? QString() : Shape(index).Serialize(0, 0);
}

int ShapeSlots::Paste(const QString &record, QPoint at)
{
    const int index = AcquireShapeSlot();
    if (!Shape(index).BuildObj(record, at.x(), at.y()))
        return -1;
    Shape(index).setVisible(true);
    SelectShape(index);
    return index;
}

void ShapeSlots::LoadScript(const QString &script, QPoint offset)
{
    for (QStringView record : OverlayScript::Records(script)) {
        if (record.isEmpty())
            continue;
        const int index = AcquireShapeSlot();
        // An unknown kind would be read as a line and written back as one.
        if (OverlayScript::NamesKnownKind(record) && Shape(index).BuildObj(record, offset.x(), offset.y()))
            Shape(index).setVisible(true);
        else
            m_kept.insert(index, record.toString());
    }
}

QList<SlotState> ShapeSlots::States() const
{
    QList<SlotState> states;
    states.reserve(count());
    for (const GraficObj *shape : m_shapes) {
        const QPoint at = shape->Placement().topLeft();
        states.append({shape->isVisible(), shape->Serialize(at.x(), at.y()), shape->ZPos(), shape->zValue()});
    }
    return states;
}

void ShapeSlots::Restore(int index, const SlotState &state)
{
    GraficObj &shape = Shape(index);
    if (!state.record.isEmpty())
        shape.BuildObj(state.record);
    shape.SetZPos(state.zpos);
    shape.setZValue(state.drawOrder);
    if (!state.shown) {
        shape.SetShowGrips(false);
        shape.SetShowFrame(false);
    }
    shape.setVisible(state.shown);
    Q_EMIT SelectionChanged(Selected());
}

} // namespace kelvane::editor
