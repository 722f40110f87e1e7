#include "PdfReader.h"

#include <poppler-qt6.h>

namespace preview {

bool looksLikePdf(const QByteArray &bytes)
{
    // Readers accept the marker anywhere in the first kilobyte.
    return bytes.left(1024).contains("%PDF-");
}

namespace {

// A one-page PDF with a line of Helvetica, the cross-reference table counted
// out so that Poppler reads it without repairing.
QByteArray smallPdf()
{
    const QByteArray stream = "BT /F1 12 Tf 10 20 Td (Vorschau) Tj ET";
    const QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 40] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" + stream + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray table = "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype n = 0; n < objects.size(); ++n) {
        table += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(n + 1) + " 0 obj\n" + objects[n] + "\nendobj\n";
    }
    const QByteArray start = QByteArray::number(pdf.size());
    return pdf + table + "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n"
        + start + "\n%%EOF\n";
}

} // namespace

void warmUpPdf() { firstPage(smallPdf(), QSize(100, 40)); }

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
