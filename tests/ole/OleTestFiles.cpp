#include "OleTestFiles.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace oletest {

QByteArray pdfBytes(const QColor &firstPage)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter(&writer);
    const QRect page = painter.viewport();
    painter.fillRect(page.adjusted(20, 20, -20, -20), firstPage);
    painter.drawText(40, 60, QStringLiteral("Kostenvoranschlag"));
    writer.newPage();
    painter.fillRect(page, Qt::blue);
    painter.end();
    return bytes;
}

QByteArray pngBytes(const QColor &colour, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace oletest
