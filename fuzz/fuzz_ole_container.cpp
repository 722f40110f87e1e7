// A document container's stored file as read from the database: read, and
// when accepted, written again; what it holds goes through the preview
// program's readers, as it would to be shown.
#include "Readers.h"

#include "ole/DocumentFormat.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer input(&bytes);
    input.open(QIODevice::ReadOnly);
    QString error;
    const std::optional<ole::Document> document = ole::readDocument(input, &error);
    if (!document) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    // The format has one spelling per document: writing it again gives
    // exactly the bytes that were read.
    QByteArray again;
    QBuffer output(&again);
    output.open(QIODevice::WriteOnly);
    if (!ole::writeDocument(output, *document) || again != bytes.left(input.pos()))
        std::abort();
    preview::fitted(document->bytes, QSize(64, 64));
    return 0;
}
