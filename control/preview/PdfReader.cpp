#include "PdfReader.h"

#include <poppler-qt6.h>

namespace preview {

bool looksLikePdf(const QByteArray &bytes)
{
    // Readers accept the marker anywhere in the first kilobyte.
    return bytes.left(1024).contains("%PDF-");
}

QImage firstPage(const QByteArray &bytes, const QSize &bound)
{
    Poppler::setDebugErrorFunction([](const QString &, const QVariant &) {}, QVariant());
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::loadFromData(bytes);
    if (!pdf || pdf->isLocked() || pdf->numPages() < 1)
        return {};
    const std::unique_ptr<Poppler::Page> page = pdf->page(0);
    if (!page)
        return {};
    const QSizeF points = page->pageSizeF();
    if (points.isEmpty())
        return {};
    pdf->setRenderHint(Poppler::Document::Antialiasing);
    pdf->setRenderHint(Poppler::Document::TextAntialiasing);
    const QSize target = points.scaled(QSizeF(bound), Qt::KeepAspectRatio).toSize().expandedTo(QSize(1, 1));
    const double dpi = 72.0 * target.width() / points.width();
    return page->renderToImage(dpi, dpi, 0, 0, target.width(), target.height());
}

} // namespace preview
