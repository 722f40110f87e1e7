#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QString>
#include <QtEndian>

// Pictures the tests write themselves, byte for byte where Qt cannot.
namespace testpictures {

inline QByteArray jpegBytes(const QImage &image, int quality = 90)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

// Left half red, right half blue: which way up it is shows at a glance.
inline QImage halves(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(0, 0, 255));
    QPainter(&image).fillRect(0, 0, width / 2, height, QColor(255, 0, 0));
    return image;
}

inline void putBig16(QByteArray &b, quint16 v) { b.append(char(v >> 8)).append(char(v & 0xFF)); }
inline void putBig32(QByteArray &b, quint32 v) { putBig16(b, quint16(v >> 16)); putBig16(b, quint16(v & 0xFFFF)); }

// An EXIF segment with only the orientation tag, and optionally junk bytes
// after the directory (standing in for an embedded thumbnail).
inline QByteArray exifSegment(int orientation, const QByteArray &tail = {})
{
    QByteArray tiff("MM\0*", 4);
    putBig32(tiff, 8);          // first directory
    putBig16(tiff, 1);          // one entry
    putBig16(tiff, 0x0112);     // orientation
    putBig16(tiff, 3);          // SHORT
    putBig32(tiff, 1);
    putBig16(tiff, quint16(orientation));
    putBig16(tiff, 0);
    putBig32(tiff, 0);          // no next directory
    tiff += tail;
    QByteArray segment("\xFF\xE1", 2);
    putBig16(segment, quint16(2 + 6 + tiff.size()));
    segment += QByteArray("Exif\0\0", 6) + tiff;
    return segment;
}

inline QByteArray withExif(const QByteArray &jpeg, int orientation, const QByteArray &tail = {})
{
    return jpeg.left(2) + exifSegment(orientation, tail) + jpeg.mid(2);
}

inline quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk;
    putBig32(chunk, quint32(data.size()));
    chunk += type + data;
    putBig32(chunk, crc32(type + data));
    return chunk;
}

// A PNG whose header declares the size but that carries no picture data.
inline QByteArray pngDeclaring(int width, int height)
{
    QByteArray ihdr;
    putBig32(ihdr, quint32(width));
    putBig32(ihdr, quint32(height));
    ihdr += QByteArray("\x08\x02\x00\x00\x00", 5); // 8 bit RGB
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) + pngChunk("IDAT", {}) + pngChunk("IEND", {});
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline bool isReddish(QRgb c) { return qRed(c) > 180 && qBlue(c) < 90; }
inline bool isBluish(QRgb c) { return qBlue(c) > 180 && qRed(c) < 90; }

} // namespace testpictures
