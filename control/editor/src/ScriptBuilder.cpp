#include "editor/ScriptBuilder.h"

#include "editor/ShapeSlots.h"
#include "editor/SortedCollection.h"
#include "editor/Rounding.h"

#include <sendral/OverlayGraphic.h>

namespace kelvane::editor {

int HimetricFromPixels(int pixels)
{
    return mulDiv(pixels, 2540, 96);
}

namespace {

// The shown shapes' records rear-most first (sorted by ZPos), each drawn
// into `painter` when there is one.
QString writeShapes(const ShapeSlots &shapes, QPainter *painter)
{
    SortedCollection<CtrlInfo> order;
    // Larger ZPos first: the collection runs from the rear-most to the front.
    order.SetCompare([](const CtrlInfo &o1, const CtrlInfo &o2, std::int16_t &result) {
        result = o1.ZPos > o2.ZPos ? 2 : o1.ZPos < o2.ZPos ? 1 : 0;
    });
    for (int index = 0; index < shapes.count(); ++index)
        order.Add(std::make_shared<CtrlInfo>(CtrlInfo{index, shapes.Shape(index).ZPos()}),
                  QString::number(index));
    QString script;
    for (qsizetype position = 1; position <= order.count(); ++position) {
        const int index = order.Item(position)->Index;
        // What could not be read goes back as it came, at its place.
        if (const QString kept = shapes.KeptRecord(index); !kept.isEmpty()) {
            script += kept + u'#';
            continue;
        }
        if (!shapes.IsShown(index))
            continue;
        const GraficObj &shape = shapes.Shape(index);
        // Shapes live in picture pixels: where they lie is what is written.
        const QPoint at = shape.Placement().topLeft();
        if (painter)
            shape.DrawToDC(*painter, at.x(), at.y());
        // A kind the script has no keyword for would leave an empty record.
        const QString record = shape.Serialize(at.x(), at.y());
        if (!record.isEmpty())
            script += record + u'#';
    }
    return script;
}

} // namespace

SaveResult BuildScript(const ShapeSlots &shapes, QSize picture, const QString &given)
{
    SaveResult result;
    result.overlay = std::make_unique<sendral::OverlayGraphic>();
    QPainter *painter = result.overlay->BeginDraw(nullptr, HimetricFromPixels(picture.width()),
                                                  HimetricFromPixels(picture.height()), QString());
    const QString script = writeShapes(shapes, painter);
    result.overlay->EndDraw();

    if (script.compare(given, Qt::CaseInsensitive) == 0) {
        result.script = given;
    } else {
        result.script = script;
        result.changed = true;
    }
    return result;
}

QString ScriptOf(const ShapeSlots &shapes)
{
    return writeShapes(shapes, nullptr);
}

SaveResult Save(const ShapeSlots &shapes, QSize picture, const QString &given)
{
    if (shapes.count() == 1 && !shapes.IsShown(0) && shapes.KeptCount() == 0) {
        SaveResult result;
        result.changed = !given.isEmpty();
        return result;
    }
    return BuildScript(shapes, picture, given);
}

} // namespace kelvane::editor
