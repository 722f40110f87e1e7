#pragma once

// Picture files for the tests of the attachment control, the case form and
// the report: photos, a GIF, a JPEG turned by its EXIF orientation, and the
// drop of files onto a widget as a file manager does it.

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <QWidget>

namespace testpictures {

inline QString write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

inline QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A picture whose left half is red and right half blue, with a black top row:
// which way up it is shows in its pixels.
inline QImage marked(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, width / 2, height, Qt::red);
    p.fillRect(width / 2, 0, width - width / 2, height, Qt::blue);
    p.fillRect(0, 0, width, std::max(1, height / 10), Qt::black);
    return image;
}

inline QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    if (!writer.write(image))
        qFatal("cannot encode %s", format);
    return bytes;
}

// A PNG of one colour.
inline QByteArray png(const QColor &colour, int width = 64, int height = 48)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return encoded(image, "png");
}

// A JPEG of image with an EXIF orientation (6: shown turned a quarter clockwise).
inline QByteArray jpegWithOrientation(const QImage &image, quint16 orientation)
{
    const QByteArray jpeg = encoded(image, "jpg");
    QByteArray tiff("MM\0*\0\0\0\x08", 8);
    tiff += QByteArray("\0\x01", 2);                              // one entry
    tiff += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8);            // Orientation, SHORT, 1
    tiff += char(orientation >> 8);
    tiff += char(orientation & 0xff);
    tiff += QByteArray("\0\0", 2);
    tiff += QByteArray("\0\0\0\0", 4);                            // no next IFD
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    QByteArray app1("\xFF\xE1", 2);
    app1 += char(length >> 8);
    app1 += char(length & 0xff);
    app1 += payload;
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

// A 4 x 2 GIF (Qt reads GIF but writes none).
inline QByteArray gif()
{
    static const unsigned char bytes[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x02, 0x00, 0xf0, 0x00, 0x00, 0xff, 0x00,
        0x00, 0x00, 0x00, 0xff, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00,
        0x00, 0x00, 0x04, 0x00, 0x02, 0x00, 0x00, 0x02, 0x04, 0x04, 0x62, 0x16, 0x05, 0x00, 0x3b};
    return QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes);
}

// Drops the files on target as a file manager does: a list of URLs, or the
// URIs as text.
inline bool drop(QWidget &target, const QStringList &files, bool asText = false)
{
    QMimeData data;
    QList<QUrl> urls;
    QStringList lines;
    for (const QString &file : files) {
        urls.append(QUrl::fromLocalFile(file));
        lines.append(QUrl::fromLocalFile(file).toString());
    }
    if (asText)
        data.setText(lines.join(u'\n'));
    else
        data.setUrls(urls);
    // Qt hands a drop only to the widget that took the drag's entry.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &event);
    return event.isAccepted();
}

} // namespace testpictures
