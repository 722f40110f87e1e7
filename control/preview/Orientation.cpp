#include "Orientation.h"

#include <QtEndian>

namespace preview {
namespace {

using T = QImageIOHandler::Transformation;

// EXIF orientation 1 to 8 as Qt names them.
QImageIOHandler::Transformations ofExif(int orientation)
{
    switch (orientation) {
    case 2: return T::TransformationMirror;
    case 3: return T::TransformationRotate180;
    case 4: return T::TransformationFlip;
    case 5: return T::TransformationFlipAndRotate90;
    case 6: return T::TransformationRotate90;
    case 7: return T::TransformationMirrorAndRotate90;
    case 8: return T::TransformationRotate270;
    default: return T::TransformationNone;
    }
}

// The orientation tag of a TIFF structure's first directory; 0 without one.
int tiffOrientation(const QByteArray &tiff)
{
    if (tiff.size() < 8)
        return 0;
    const bool little = tiff.startsWith("II");
    if (!little && !tiff.startsWith("MM"))
        return 0;
    const auto *data = reinterpret_cast<const uchar *>(tiff.constData());
    const auto u16 = [&](qsizetype at) { return little ? qFromLittleEndian<quint16>(data + at) : qFromBigEndian<quint16>(data + at); };
    const auto u32 = [&](qsizetype at) { return little ? qFromLittleEndian<quint32>(data + at) : qFromBigEndian<quint32>(data + at); };
    const quint32 directory = u32(4);
    if (directory > quint32(tiff.size() - 2))
        return 0;
    const int entries = u16(directory);
    for (int i = 0; i < entries; ++i) {
        const qint64 entry = qint64(directory) + 2 + qint64(i) * 12;
        if (entry + 12 > tiff.size())
            return 0;
        if (u16(entry) == 0x0112)
            return u16(entry + 8);
    }
    return 0;
}

} // namespace

QImageIOHandler::Transformations webpOrientation(const QByteArray &webp)
{
    if (webp.size() < 12 || !webp.startsWith("RIFF") || webp.mid(8, 4) != "WEBP")
        return T::TransformationNone;
    const auto *data = reinterpret_cast<const uchar *>(webp.constData());
    for (qint64 pos = 12; pos + 8 <= webp.size();) {
        const qint64 size = qFromLittleEndian<quint32>(data + pos + 4);
        if (size > webp.size() - pos - 8)
            break;
        if (webp.mid(pos, 4) == "EXIF") {
            QByteArray exif = webp.mid(pos + 8, size);
            if (exif.startsWith(QByteArray("Exif\0\0", 6)))
                exif.remove(0, 6);
            return ofExif(tiffOrientation(exif));
        }
        pos += 8 + size + (size & 1);
    }
    return T::TransformationNone;
}

QImage transformed(QImage image, QImageIOHandler::Transformations transformation)
{
    if (transformation == T::TransformationNone || image.isNull())
        return image;
    if (transformation == T::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    image = std::move(image).mirrored(transformation.testFlag(T::TransformationMirror),
                                      transformation.testFlag(T::TransformationFlip));
    if (transformation.testFlag(T::TransformationRotate90))
        image = image.transformed(QTransform().rotate(90));
    return image;
}

} // namespace preview
