#pragma once

#include <QSize>
#include <QString>

#include <memory>

namespace sendral {
class OverlayGraphic;
}

namespace kelvane::editor {

class ShapeSlots;

// What leaving the editor with "OK" gives back.
struct SaveResult {
    QString script;
    // None when the only slot is hidden (nothing ever drawn or all deleted
    // from a single shape).
    std::unique_ptr<sendral::OverlayGraphic> overlay;
    bool changed = false;
};

// Writes the shown shapes and the records kept unread rear-most first
// (sorted by ZPos) and draws the shapes into a new overlay of the picture's
// size. The script counts as changed
// only when it differs from the given one other than in letter case.
SaveResult BuildScript(const ShapeSlots &shapes, QSize picture, const QString &given);

// BuildScript, except that a single hidden slot gives an empty script and no
// overlay, changed exactly when the given script was not empty.
SaveResult Save(const ShapeSlots &shapes, QSize picture, const QString &given);

// The script of the shown shapes as BuildScript writes it, without drawing
// the overlay.
QString ScriptOf(const ShapeSlots &shapes);

// Pixels at 96 dpi to the picture's HIMETRIC size (1/100 mm) and back.
int HimetricFromPixels(int pixels);

} // namespace kelvane::editor
