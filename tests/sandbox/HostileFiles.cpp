#include "HostileFiles.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QList>

#include <zlib.h>

namespace hostile {

QByteArray deflatedRepeat(const QByteArray &pattern, qint64 total)
{
    QByteArray chunk;
    while (chunk.size() < (1 << 20))
        chunk += pattern;
    z_stream stream{};
    deflateInit(&stream, 9);
    QByteArray out;
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    qint64 left = total;
    while (true) {
        const qint64 piece = std::min<qint64>(left, chunk.size());
        left -= piece;
        stream.next_in = reinterpret_cast<Bytef *>(chunk.data());
        stream.avail_in = uInt(piece);
        const int flush = left > 0 ? Z_NO_FLUSH : Z_FINISH;
        int result = Z_OK;
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
            stream.avail_out = uInt(buffer.size());
            result = deflate(&stream, flush);
            out.append(buffer.constData(), buffer.size() - qsizetype(stream.avail_out));
        } while (stream.avail_out == 0);
        if (flush == Z_FINISH && result == Z_STREAM_END)
            break;
    }
    deflateEnd(&stream);
    return out;
}

QByteArray pdf(const QByteArray &content, const QByteArray &contentFilter, const QByteArray &imageDictionary,
               const QByteArray &imageStream)
{
    const QByteArray resources = imageDictionary.isEmpty() ? QByteArray() : "/Resources << /XObject << /Im1 5 0 R >> >> ";
    QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] " + resources + "/Contents 4 0 R >>",
        "<< /Length " + QByteArray::number(content.size()) + ' ' + contentFilter + " >>\nstream\n" + content
            + "\nendstream",
    };
    if (!imageDictionary.isEmpty())
        objects << "<< " + imageDictionary + " /Length " + QByteArray::number(imageStream.size()) + " >>\nstream\n"
                + imageStream + "\nendstream";
    QByteArray file = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << file.size();
        file += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = file.size();
    file += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        file += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    file += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n"
        + QByteArray::number(xref) + "\n%%EOF\n";
    return file;
}

QByteArray inflatingPdf()
{
    return pdf(deflatedRepeat("0 0 m 9 9 l ", 512LL * 1024 * 1024), "/Filter /FlateDecode");
}

QByteArray hugeImagePdf()
{
    // 60,000 x 60,000 one-bit pixels: 450 MB inflated.
    return pdf("q 595 0 0 842 0 0 cm /Im1 Do Q", {},
               "/Type /XObject /Subtype /Image /Width 60000 /Height 60000 /ColorSpace /DeviceGray /BitsPerComponent 1 "
               "/Filter /FlateDecode",
               deflatedRepeat(QByteArray(1, '\x55'), 60000LL / 8 * 60000));
}

QByteArray damagedPdf() { return pdf("0 0 m 100 100 l S").left(120); }

QByteArray damagedHeic()
{
    QByteArray heic("\0\0\0\x18" "ftypheic\0\0\0\0mif1heic", 24);
    heic += QByteArray("\0\0\x10\0meta", 8);
    for (int i = 0; i < 512; ++i)
        heic += char(i * 37 + 11);
    return heic;
}

QByteArray truncatedPng()
{
    QImage image(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.left(png.size() / 2);
}

QByteArray gifBomb()
{
    QByteArray gif("GIF89a");
    gif += QByteArray("\xFF\xFF\xFF\xFF\x80\x00\x00", 7); // 65535 x 65535, a two-colour table
    gif += QByteArray("\x00\x00\x00\xFF\xFF\xFF", 6);
    gif += QByteArray("\x2C\x00\x00\x00\x00\xFF\xFF\xFF\xFF\x00", 10); // one frame as large
    gif += QByteArray("\x02\x02\x44\x01\x00\x3B", 6);
    return gif;
}

QByteArray webpWithOrientation(const QByteArray &simpleWebp, int width, int height, int orientation)
{
    if (!simpleWebp.startsWith("RIFF") || simpleWebp.mid(8, 4) != "WEBP")
        return {};
    const auto le = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out += char((value >> (8 * i)) & 0xFF);
        return out;
    };
    const QByteArray vp8x = "VP8X" + le(10, 4) + char(0x08) + QByteArray(3, '\0') + le(quint32(width - 1), 3)
        + le(quint32(height - 1), 3);
    const QByteArray tiff = "II*" + QByteArray(1, '\0') + le(8, 4) + le(1, 2) + le(0x0112, 2) + le(3, 2) + le(1, 4)
        + le(quint32(orientation), 2) + le(0, 2) + le(0, 4);
    const QByteArray exif = "EXIF" + le(quint32(tiff.size()), 4) + tiff;
    const QByteArray body = "WEBP" + vp8x + simpleWebp.mid(12) + exif;
    return "RIFF" + le(quint32(body.size()), 4) + body;
}

QString standIn(const QString &folder, const QString &name, const QByteArray &body)
{
    const QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body + '\n');
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

} // namespace hostile
