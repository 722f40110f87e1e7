#include "report/PdfAppendix.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <memory>
#include <vector>

namespace report {
namespace {

std::unique_ptr<QPDF> readPdf(const QByteArray &bytes, const char *description)
{
    auto pdf = std::make_unique<QPDF>();
    // qpdf reads from the buffer while the object lives: the bytes are kept by the caller.
    pdf->setSuppressWarnings(true);
    pdf->processMemoryFile(description, bytes.constData(), size_t(bytes.size()));
    return pdf;
}

} // namespace

Appended appendPdfPages(const QByteArray &base, const QList<QByteArray> &documents)
{
    Appended result;
    std::unique_ptr<QPDF> merged;
    try {
        merged = readPdf(base, "Bericht");
    } catch (const std::exception &failure) {
        result.error = QString::fromLocal8Bit(failure.what());
        return result;
    }
    QPDFPageDocumentHelper target(*merged);
    // Each source stays open until the merged file is written: its pages are copied lazily.
    std::vector<std::unique_ptr<QPDF>> sources;
    for (int i = 0; i < documents.size(); ++i) {
        try {
            sources.push_back(readPdf(documents[i], "Anhang"));
            const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(*sources.back()).getAllPages();
            for (const QPDFPageObjectHelper &page : pages)
                target.addPage(page, false);
        } catch (const std::exception &) {
            result.skipped.append(i + 1);
        }
    }
    try {
        QPDFWriter writer(*merged);
        writer.setOutputMemory();
        writer.write();
        const std::unique_ptr<Buffer> buffer(writer.getBuffer());
        result.pdf = QByteArray(reinterpret_cast<const char *>(buffer->getBuffer()), qsizetype(buffer->getSize()));
    } catch (const std::exception &failure) {
        result.error = QString::fromLocal8Bit(failure.what());
    }
    return result;
}

int pdfPageCount(const QByteArray &pdf)
{
    try {
        std::unique_ptr<QPDF> read = readPdf(pdf, "PDF");
        return int(QPDFPageDocumentHelper(*read).getAllPages().size());
    } catch (const std::exception &) {
        return 0;
    }
}

} // namespace report
