#pragma once

#include "editor/ShapeElements.h"

#include <QStringList>

namespace kelvane::editor {

class GraficObj;

// The values the editor's toolbars show for a selected shape, set while
// UpdatingToolbars keeps their change handlers quiet.
struct ToolbarState {
    ColorRef pen = 0;
    ColorRef fill = 0xFFFFFF;
    int penWidthIndex = 0;      // cboPenWidth entry: width on screen - 1, within 0..9
    bool transparent = false;
    bool isText = false;
    // TEXT only: the first ComboFont entry equal to the face the font name
    // is drawn in (core::FontFaces) without regard to case, -1 to leave the
    // list as it is.
    int fontIndex = -1;
    int sizeIndex = 3;          // ComboSize entry: size on screen / 2 - 1, ties to even
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// The lists mean what the user sees: pen widths in screen pixels and font
// sizes in points at the zoom; the shape keeps picture pixels.
ToolbarState ReadToolbarState(GraficObj &shape, const QStringList &fonts, double zoom = 1.0);

// A pen width or font size of the lists, as the shape keeps it at the zoom;
// a pen stays at least 1 pixel wide.
int PenWidthAtZoom(int onScreen, double zoom);
float FontSizeAtZoom(float onScreen, double zoom);

// ComboSize: "2", "4", ... "74".
QStringList FontSizeEntries();

} // namespace kelvane::editor
