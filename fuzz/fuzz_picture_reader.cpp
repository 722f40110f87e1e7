// A stored attachment's or an embedded document's bytes as the report and the
// container decode them: probed here, and when accepted, read at a small
// size, which the preview program does (fuzz_preview_readers fuzzes its
// readers); without an application to run it, reading fails with a message.
#include "quarvik/PictureReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    quarvik::PictureReader reader(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)),
                                  QStringLiteral("Objekt"));
    if (!reader.probe()) {
        if (reader.errorString().isEmpty())
            std::abort();
        return 0;
    }
    // Within the bounds it promises, and never larger than asked for.
    const QSize upright = reader.uprightSize();
    if (qint64(upright.width()) * upright.height() > quarvik::PictureReader::kMaxPixels)
        std::abort();
    const QImage image = reader.read(QSize(64, 64));
    if (image.isNull() ? reader.errorString().isEmpty() : (image.width() > 64 || image.height() > 64))
        std::abort();
    return 0;
}
