#include "editor/ToolbarState.h"

#include "editor/GraficObj.h"
#include "editor/Rounding.h"

#include "core/FontFaces.h"

#include <algorithm>

namespace kelvane::editor {

int PenWidthAtZoom(int onScreen, double zoom)
{
    return std::max(1, roundHalfEven(onScreen / zoom));
}

float FontSizeAtZoom(float onScreen, double zoom)
{
    return float(onScreen / zoom);
}

ToolbarState ReadToolbarState(GraficObj &shape, const QStringList &fonts, double zoom)
{
    ToolbarState state;
    state.pen = shape.PenColor();
    state.fill = shape.FillColor();
    state.penWidthIndex = std::clamp(roundHalfEven(shape.PenWidth() * zoom) - 1, 0, 9);
    state.transparent = shape.Transparenz();
    state.isText = shape.Style() == ShapeStyle::Text;
    if (!state.isText)
        return state;
    const TextElement &label = shape.Label();
    const QString face = core::FontFaces::resolve(label.FontName);
    for (int index = 0; index < fonts.size(); ++index) {
        if (fonts[index].compare(face, Qt::CaseInsensitive) == 0) {
            state.fontIndex = index;
            break;
        }
    }
    state.sizeIndex = std::clamp(roundHalfEven(label.FontSize * zoom / 2.0 - 1.0), 0, 36);
    state.bold = label.Bold;
    state.italic = label.Italic;
    state.underline = label.Underline;
    return state;
}

QStringList FontSizeEntries()
{
    QStringList sizes;
    for (int size = 2; size <= 74; size += 2)
        sizes.append(QString::number(size));
    return sizes;
}

} // namespace kelvane::editor
