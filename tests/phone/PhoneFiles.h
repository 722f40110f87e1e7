#pragma once

// Files as a phone sends them: photos with the camera's time in their Exif
// segment, a PDF, and the bytes of a raw HTTP exchange with the receiver.

#include <QBuffer>
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTcpSocket>

namespace phonefiles {

inline QByteArray jpeg(const QImage &image, int quality = 85)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return bytes;
}

inline QImage photo(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QPainter(&image).fillRect(width / 4, height / 4, width / 2, height / 2, Qt::white);
    return image;
}

inline void put16(QByteArray &out, quint16 value, bool little)
{
    out += char(little ? value & 0xff : value >> 8);
    out += char(little ? value >> 8 : value & 0xff);
}

inline void put32(QByteArray &out, quint32 value, bool little)
{
    put16(out, little ? quint16(value & 0xffff) : quint16(value >> 16), little);
    put16(out, little ? quint16(value >> 16) : quint16(value & 0xffff), little);
}

// The Exif segment's TIFF part: IFD0 with DateTime (when given) and the
// pointer to an Exif IFD with DateTimeOriginal (when given).
inline QByteArray exifTiff(bool little, const QByteArray &dateTime, const QByteArray &original)
{
    QByteArray tiff(little ? "II" : "MM");
    put16(tiff, 42, little);
    put32(tiff, 8, little);
    const quint16 entries = quint16(!dateTime.isEmpty()) + 1;
    const quint32 exifIfd = 8 + 2 + entries * 12 + 4;
    const quint32 data = exifIfd + 2 + 12 + 4;
    put16(tiff, entries, little);
    if (!dateTime.isEmpty()) {
        put16(tiff, 0x0132, little);
        put16(tiff, 2, little);
        put32(tiff, 20, little);
        put32(tiff, data + 20, little);
    }
    put16(tiff, 0x8769, little);
    put16(tiff, 4, little);
    put32(tiff, 1, little);
    put32(tiff, exifIfd, little);
    put32(tiff, 0, little);
    put16(tiff, 1, little);
    put16(tiff, original.isEmpty() ? 0x9004 : 0x9003, little);
    put16(tiff, 2, little);
    put32(tiff, 20, little);
    put32(tiff, data, little);
    put32(tiff, 0, little);
    tiff += (original.isEmpty() ? QByteArray(19, '0') : original) + '\0';
    tiff += (dateTime.isEmpty() ? QByteArray(19, '0') : dateTime) + '\0';
    return tiff;
}

// The JPEG with an APP1 Exif segment right after its start marker.
inline QByteArray withExif(const QByteArray &jpeg, const QByteArray &tiff)
{
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xFF\xE1");
    put16(segment, quint16(payload.size() + 2), false);
    return jpeg.left(2) + segment + payload + jpeg.mid(2);
}

inline QByteArray photoTakenAt(const QImage &image, const QByteArray &when, bool little = false)
{
    return withExif(jpeg(image), exifTiff(little, {}, when));
}

// A PDF of `pages` pages with a line of text on each.
inline QByteArray pdf(int pages = 1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter p(&writer);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        p.drawText(200, 400, QStringLiteral("Kostenvoranschlag Seite %1").arg(page + 1));
    }
    p.end();
    return bytes;
}

// The raw request that sends a file as the page does.
inline QByteArray upload(const QByteArray &tokenPath, const QByteArray &name, const QByteArray &body)
{
    return "POST " + tokenPath + "datei HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Dateiname: " + name
           + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// One connection to the receiver on loopback, driven by the event loop the
// receiver runs in: what is sent, what came back, whether it has ended.
class RawClient : public QObject {
public:
    explicit RawClient(quint16 port)
    {
        connect(&socket, &QTcpSocket::readyRead, this, [this] { reply += socket.readAll(); });
        connect(&socket, &QTcpSocket::disconnected, this, [this] { ended = true; });
        connect(&socket, &QTcpSocket::errorOccurred, this, [this] { ended = true; });
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    void send(const QByteArray &bytes) { socket.write(bytes); }
    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The final status (a "100 Continue" before it does not count); 0 for none.
    int status() const
    {
        const qsizetype at = reply.lastIndexOf("HTTP/1.1 ");
        return at < 0 ? 0 : reply.mid(at + 9, 3).toInt();
    }
    QString body() const
    {
        const qsizetype at = reply.indexOf("\r\n\r\n", reply.lastIndexOf("HTTP/1.1 "));
        return at < 0 ? QString() : QString::fromUtf8(reply.mid(at + 4));
    }
    QByteArray field(const QByteArray &name) const
    {
        for (const QByteArray &line : reply.split('\n'))
            if (line.toLower().startsWith(QByteArray(name.toLower() + ':')))
                return line.mid(name.size() + 1).trimmed();
        return {};
    }

    QTcpSocket socket;
    QByteArray reply;
    bool ended = false;
};

} // namespace phonefiles
