#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace kelvane::editor {

// The editor's toolbar images, drawn rather than shipped.
namespace EditorIcons {

// The image of a tbMain, tbTextProps or tbOKCancel key.
QIcon ForKey(const QString &key);
// The 16 x 16 image of "Pencolor" / "Fillcolor" with a strip of the colour
// along its bottom edge (x 0..16, y 12..16).
QImage ColorButton(bool fill, const QColor &color);

} // namespace EditorIcons

} // namespace kelvane::editor
