#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

class QBuffer;
class QImageReader;

namespace quarvik {

// Reads one picture upright (by its EXIF orientation), by content rather
// than by its name, within our size bounds; the pixels are decoded by the
// preview program (sandbox/Previews.h, kelvane-preview), the header here:
// the one way into a picture's pixels for the viewer, the container's
// picture documents, the annotation editor and the report. probe() looks at
// the header only; read() decodes, at full size or straight at a smaller size.
class PictureReader {
public:
    // Our own bound instead of Qt's 128 MB: a 108 MP phone photo passes, a
    // file declaring 30000 x 30000 pixels does not.
    static constexpr qint64 kMaxPixels = 120'000'000;
    static constexpr int kMaxSide = 32767;

    explicit PictureReader(QString path);
    // The picture in bytes (a stored attachment, an embedded document);
    // name names it in messages.
    PictureReader(QByteArray bytes, QString name);

    // False, with errorString() in German, when the file is missing, empty,
    // no picture, oversized or a JPEG cut short.
    bool probe();
    QSize uprightSize() const { return m_uprightSize; }
    bool isHeif() const { return m_heif; }
    QByteArray format() const { return m_format; }

    // The upright picture; with a valid bound decoded to fit into it (never
    // enlarged), its resolution set so that it stands for the whole picture's
    // size on paper. Null, with errorString(), when decoding fails.
    QImage read(const QSize &bound = QSize());
    QString errorString() const { return m_error; }

private:
    bool fail(const QString &message);
    bool inMemory() const { return m_inMemory; }
    std::unique_ptr<QImageReader> openReader(QBuffer &buffer) const;
    QImage decodeForeign(const QSize &target, bool scaled);
    QString name() const;

    QString m_path;
    QByteArray m_bytes;
    QString m_name;
    QString m_error;
    QByteArray m_format;
    QSize m_uprightSize;
    bool m_turned = false; // stored lying on its side (EXIF turns by 90 degrees)
    bool m_heif = false;
    bool m_inMemory = false;
};

// A picture decoded smaller than full: its resolution is set so that it
// still stands for the full picture's size on paper.
void keepPaperSize(QImage &picture, const QSize &full);

} // namespace quarvik
