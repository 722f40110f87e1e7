#include "phone/FileKind.h"

#include "JpegCheck.h"

#include <QFile>

namespace phone {
namespace {

bool startsWith(QByteArrayView bytes, QByteArrayView prefix, qsizetype at = 0)
{
    return bytes.size() >= at + prefix.size() && bytes.sliced(at, prefix.size()) == prefix;
}

// An ISO media file whose "ftyp" box names a HEIF brand (HEIC, HEIF, AVIF
// pictures and their sequences) as major or compatible brand.
bool isHeif(QByteArrayView bytes)
{
    if (!startsWith(bytes, "ftyp", 4))
        return false;
    const quint32 boxSize = (quint32(quint8(bytes[0])) << 24) | (quint32(quint8(bytes[1])) << 16)
                            | (quint32(quint8(bytes[2])) << 8) | quint32(quint8(bytes[3]));
    if (boxSize < 16 || boxSize > 4096 || boxSize % 4 != 0 || boxSize > quint32(bytes.size()))
        return false;
    static const QByteArrayView brands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx",
                                            "mif1", "msf1", "avif", "avis"};
    for (quint32 at = 8; at + 4 <= boxSize; at += 4) {
        if (at == 12)
            continue; // the minor version
        for (QByteArrayView brand : brands)
            if (bytes.sliced(at, 4) == brand)
                return true;
    }
    return false;
}

// "%PDF-1.x" within the first kilobyte, as readers allow, and "%%EOF" in the last one.
bool isPdf(QByteArrayView bytes)
{
    const qsizetype start = bytes.first(qMin<qsizetype>(bytes.size(), 1024)).indexOf("%PDF-");
    if (start < 0)
        return false;
    const qsizetype tail = qMin<qsizetype>(bytes.size() - start, 1024);
    return bytes.last(tail).indexOf("%%EOF") >= 0;
}

bool isPng(QByteArrayView bytes)
{
    // The signature, then the header chunk first and the end chunk last.
    return startsWith(bytes, "\x89PNG\r\n\x1a\n") && startsWith(bytes, "IHDR", 12) && bytes.size() >= 57
           && bytes.last(8).first(4) == "IEND";
}

} // namespace

FileKind sniffKind(QByteArrayView bytes)
{
    if (startsWith(bytes, "\xFF\xD8\xFF"))
        return quarvik::jpegIsComplete(QByteArray::fromRawData(bytes.data(), bytes.size())) ? FileKind::Jpeg
                                                                                           : FileKind::None;
    if (startsWith(bytes, "\x89PNG"))
        return isPng(bytes) ? FileKind::Png : FileKind::None;
    if ((startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a")) && bytes.size() > 13)
        return FileKind::Gif;
    if (startsWith(bytes, "RIFF") && startsWith(bytes, "WEBPVP8", 8))
        return FileKind::WebP;
    if ((startsWith(bytes, QByteArrayView("II*\0", 4)) || startsWith(bytes, QByteArrayView("MM\0*", 4))) && bytes.size() > 8)
        return FileKind::Tiff;
    if (startsWith(bytes, "BM") && bytes.size() > 26 && startsWith(bytes, QByteArrayView("\0\0\0\0", 4), 6))
        return FileKind::Bmp;
    if (isHeif(bytes))
        return FileKind::Heif;
    if (isPdf(bytes))
        return FileKind::Pdf;
    return FileKind::None;
}

FileKind sniffFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return FileKind::None;
    const uchar *mapped = file.map(0, file.size());
    if (!mapped)
        return FileKind::None;
    const FileKind kind = sniffKind(QByteArrayView(reinterpret_cast<const char *>(mapped), file.size()));
    file.unmap(const_cast<uchar *>(mapped));
    return kind;
}

QString extensionOf(FileKind kind)
{
    switch (kind) {
    case FileKind::None: return {};
    case FileKind::Jpeg: return QStringLiteral("jpg");
    case FileKind::Png: return QStringLiteral("png");
    case FileKind::Gif: return QStringLiteral("gif");
    case FileKind::WebP: return QStringLiteral("webp");
    case FileKind::Heif: return QStringLiteral("heic");
    case FileKind::Tiff: return QStringLiteral("tif");
    case FileKind::Bmp: return QStringLiteral("bmp");
    case FileKind::Pdf: return QStringLiteral("pdf");
    }
    return {};
}

QString nameOf(FileKind kind)
{
    return kind == FileKind::None ? QString() : extensionOf(kind) == QLatin1String("jpg")
                                                  ? QStringLiteral("JPEG")
                                                  : extensionOf(kind).toUpper();
}

} // namespace phone
