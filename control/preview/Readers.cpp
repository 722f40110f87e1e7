#include "Readers.h"

#include "HeifReader.h"
#include "Orientation.h"
#include "PdfReader.h"

#include "sandbox/PreviewProtocol.h"

#include <QBuffer>
#include <QImageReader>

namespace preview {
namespace {

// What a picture may declare before it is decoded: a 108 MP phone photo
// passes; a 60,000 x 60,000 bomb is refused before a byte is decoded.
constexpr qint64 MaxDecodedPixels = 120'000'000;

bool declaredTooLarge(const QSize &size)
{
    return qint64(size.width()) * size.height() > MaxDecodedPixels;
}

Outcome failed(int status) { return Outcome{{}, status}; }

Outcome qtPicture(const QByteArray &bytes, const QSize &bound)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    // Turned here rather than by the reader: Qt's WebP reader leaves the
    // EXIF orientation of a phone's photo aside.
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return failed(sandbox::ExitUnreadable);
    if (declaredTooLarge(size))
        return failed(sandbox::ExitTooLarge);
    QImageReader::setAllocationLimit(int(MaxDecodedPixels * 4 / (1024 * 1024)) + 1);
    QImageIOHandler::Transformations turn = reader.transformation();
    if (turn == QImageIOHandler::TransformationNone && reader.format() == "webp")
        turn = webpOrientation(bytes);
    const bool turned = turn.testFlag(QImageIOHandler::TransformationRotate90);
    const QSize upright = turned ? size.transposed() : size;
    if (bound.isValid()) {
        const QSize target = upright.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        reader.setScaledSize(turned ? target.transposed() : target);
    }
    const QImage image = reader.read();
    // A header that reads and data that does not (a cut-off PNG) is damage,
    // not a picture.
    if (image.isNull() || reader.error() != QImageReader::UnknownError)
        return failed(sandbox::ExitUnreadable);
    return Outcome{transformed(image, turn), sandbox::ExitOk};
}

Outcome heifPicture(const QByteArray &bytes, const QSize &bound)
{
    const HeifOutcome heif = readHeif(bytes, MaxDecodedPixels);
    if (heif.tooLarge)
        return failed(sandbox::ExitTooLarge);
    if (heif.image.isNull())
        return failed(sandbox::ExitUnreadable);
    if (!bound.isValid())
        return Outcome{heif.image, sandbox::ExitOk};
    return Outcome{heif.image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation), sandbox::ExitOk};
}

} // namespace

Outcome fitted(const QByteArray &bytes, const QSize &bound)
{
    if (looksLikePdf(bytes)) {
        QImage page = firstPage(bytes, bound);
        return page.isNull() ? failed(sandbox::ExitUnreadable) : Outcome{page, sandbox::ExitOk};
    }
    if (looksLikeHeif(bytes))
        return heifPicture(bytes, bound);
    return qtPicture(bytes, bound);
}

Outcome whole(const QByteArray &bytes)
{
    if (looksLikeHeif(bytes))
        return heifPicture(bytes, QSize());
    return qtPicture(bytes, QSize());
}

} // namespace preview
