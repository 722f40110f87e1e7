// An overlay script as read from the database: every record read into a
// shape, written again and read back to the same text, then hit-tested and
// dragged by a grip.
#include "editor/OverlayScript.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace kelvane::editor;

namespace {

// A line kind's record keeps its direction only for a box at least a grip
// wide and high (an arrow's inset box included), as the editor writes them;
// in a narrower box the grips lie inside out and the direction is read anew.
bool keepsItsDirection(const GraficGeometry &shape)
{
    if (!GraficGeometry::IsLineKind(shape.Style()))
        return true;
    const int least = GripSize + (shape.Style() == ShapeStyle::Line ? 0 : 2 * ArrowInset);
    return shape.Geometry().width() >= least && shape.Geometry().height() >= least;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString script = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const OverlayScript::ReadResult read = OverlayScript::Read(script, 0, 96);
    if (read.shapes.size() + std::size_t(read.skipped) > std::size_t(script.count(u'#')))
        std::abort();
    for (const GraficGeometry &shape : read.shapes) {
        const QRect at = shape.Geometry();
        const QString record = shape.Serialize(at.left(), at.top() - 96);
        GraficGeometry again;
        if (!again.BuildObj(record, 0, 96) || again.Geometry() != at)
            std::abort();
        if (keepsItsDirection(shape) && again.Serialize(at.left(), at.top() - 96) != record)
            std::abort();

        again.SetShowGrips(true);
        again.HitTest(QPointF(at.width() / 2.0, at.height() / 2.0));
        again.HitTest(QPointF(1, 1));
        again.BeginGripDrag(8, QPointF(3, 3), QSize(1000, 800));
        again.DragGrip(8, QPointF(-300, -200));
        again.EndGripDrag();
        again.Serialize(0, 0);
    }
    return 0;
}
