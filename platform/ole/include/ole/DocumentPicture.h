#pragma once

#include "ole/Document.h"

#include "sandbox/PreviewProtocol.h"
#include "sandbox/PreviewResult.h"

#include <QImage>
#include <QSize>

#include <optional>

namespace ole {

// What a document looks like, the same for the screen and the printed
// report: a PDF as its first page, a picture as itself (upright), anything
// else as its type's icon from the desktop theme (a drawn page when the
// theme has none) above its file name and size.
//
// PDF pages and pictures are made by the preview program, never in this
// process (sandbox/Previews.h): a file it cannot read shows the card
// "Vorschau nicht möglich" with its name, size and the reason.
//
// The image fits into bound keeping its proportions (a PDF page or a
// picture) or fills it (the cards, transparent around icon and text); a
// null image for an empty document or an empty bound.
//
// documentPicture() waits for the preview program when the picture is not
// cached (printing); a window asks previewRequest() and shows waitingCard()
// until the answer comes.
QImage documentPicture(const Document &document, const QSize &bound);

// True for the kinds shown as their own content (PDF pages, pictures).
bool showsContent(const Document &document);

// What the preview program is asked for a document shown as its content in
// bound; nullopt for any other document or an empty bound.
std::optional<sandbox::PreviewRequest> previewRequest(const Document &document, const QSize &bound);
// The picture of a result, or the card that says why there is none.
QImage pictureOfResult(const Document &document, const QSize &bound, const sandbox::PreviewResult &result);
// "Vorschau nicht möglich" with the document's name, size and the reason.
QImage failureCard(const Document &document, const QSize &bound, sandbox::PreviewFailure failure);
// "Vorschau wird erstellt ..." with the document's name and size.
QImage waitingCard(const Document &document, const QSize &bound);

} // namespace ole
