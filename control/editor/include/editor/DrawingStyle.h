#pragma once

#include "editor/ShapeSlots.h"

#include <QString>

class QSettings;

namespace kelvane::editor {

// The style new shapes take: what the user last chose in the toolbars,
// kept in the user settings' section "Objektgrafik" from one opening of the
// editor to the next. Pen width and font size are as the user sees them on
// screen; the first start has black lines one pixel wide on an opaque white
// fill and the text element's own font.
struct DrawingStyle {
    ColorRef pen = 0;
    ColorRef fill = 0xFFFFFF;
    bool transparent = false;
    int penWidth = 1;
    // The text format bar's font, once the user set it.
    bool fontChosen = false;
    QString fontName;
    float fontSize = 12.0f;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    static const QString Section;
    // Values that cannot be read keep the first start's.
    static DrawingStyle Read(QSettings &settings);
    void Write(QSettings &settings) const;

    // What a new shape takes at the zoom (screen pixels per picture pixel).
    NewShapeStyle AtZoom(double zoom) const;
};

} // namespace kelvane::editor
