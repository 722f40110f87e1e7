#pragma once

#include "ole/Document.h"

#include <QImage>
#include <QSize>

namespace ole {

// What a document looks like, the same for the screen and the printed
// report: a PDF as its first page, a picture as itself (upright), anything
// else as its type's icon from the desktop theme (a drawn page when the
// theme has none) above its file name and size.
//
// The image fits into bound keeping its proportions (a PDF page or a
// picture) or fills it (the icon card, transparent around icon and text); a
// null image for an empty document or an empty bound.
QImage documentPicture(const Document &document, const QSize &bound);

// True for the kinds shown as their own content (PDF pages, pictures).
bool showsContent(const Document &document);

} // namespace ole
