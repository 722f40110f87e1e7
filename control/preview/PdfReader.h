#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace preview {

bool looksLikePdf(const QByteArray &bytes);
// The first page drawn to fit into bound; null when Poppler cannot read it.
// Poppler's own messages are dropped: a damaged file makes millions.
QImage firstPage(const QByteArray &bytes, const QSize &bound);
// Draws a small page with text of our own, so that Poppler's set-up and the
// font configuration are done before the first request comes.
void warmUpPdf();

} // namespace preview
