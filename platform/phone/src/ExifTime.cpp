#include "phone/ExifTime.h"

namespace phone {
namespace {

constexpr quint16 kExifPointer = 0x8769;
constexpr quint16 kDateTime = 0x0132;
constexpr quint16 kDateTimeOriginal = 0x9003;
constexpr quint16 kAscii = 2;
constexpr int kMaxEntries = 512;

// The TIFF structure inside the Exif segment, every read checked against its end.
class Tiff {
public:
    explicit Tiff(QByteArrayView bytes) : m_bytes(bytes) {}

    bool readHeader(quint32 &firstIfd)
    {
        if (m_bytes.size() < 8)
            return false;
        if (m_bytes.first(2) == "II")
            m_little = true;
        else if (m_bytes.first(2) == "MM")
            m_little = false;
        else
            return false;
        quint16 magic = 0;
        return u16(2, magic) && magic == 42 && u32(4, firstIfd);
    }

    // The value or offset field of tag in the directory at offset.
    bool find(quint32 ifd, quint16 tag, quint16 &type, quint32 &count, quint32 &valueAt) const
    {
        quint16 entries = 0;
        if (!u16(ifd, entries) || entries > kMaxEntries)
            return false;
        for (quint32 i = 0; i < entries; ++i) {
            const quint64 entry = quint64(ifd) + 2 + quint64(i) * 12;
            quint16 id = 0;
            if (!u16(entry, id) || !u16(entry + 2, type) || !u32(entry + 4, count))
                return false;
            if (id != tag)
                continue;
            valueAt = quint32(entry + 8);
            return true;
        }
        return false;
    }

    bool u16(quint64 at, quint16 &value) const
    {
        if (at + 2 > quint64(m_bytes.size()))
            return false;
        const auto a = quint8(m_bytes[qsizetype(at)]), b = quint8(m_bytes[qsizetype(at) + 1]);
        value = m_little ? quint16(a | (b << 8)) : quint16((a << 8) | b);
        return true;
    }

    bool u32(quint64 at, quint32 &value) const
    {
        quint16 first = 0, second = 0;
        if (!u16(at, first) || !u16(at + 2, second))
            return false;
        value = m_little ? (quint32(second) << 16) | first : (quint32(first) << 16) | second;
        return true;
    }

    // "YYYY:MM:DD HH:MM:SS" stored for tag in the directory at ifd.
    std::optional<QDateTime> date(quint32 ifd, quint16 tag) const
    {
        quint16 type = 0;
        quint32 count = 0, valueAt = 0, offset = 0;
        if (!find(ifd, tag, type, count, valueAt) || type != kAscii || count < 19 || count > 64
            || !u32(valueAt, offset) || quint64(offset) + 19 > quint64(m_bytes.size()))
            return std::nullopt;
        const QString text = QString::fromLatin1(m_bytes.sliced(offset, 19));
        QDateTime moment = QDateTime::fromString(text, QStringLiteral("yyyy:MM:dd HH:mm:ss"));
        if (!moment.isValid())
            return std::nullopt;
        return moment;
    }

private:
    QByteArrayView m_bytes;
    bool m_little = false;
};

// The Exif segment's TIFF part: the first APP1 that starts "Exif\0\0"
// among the segments before the picture data.
QByteArrayView exifSegment(QByteArrayView jpeg)
{
    if (jpeg.size() < 4 || quint8(jpeg[0]) != 0xFF || quint8(jpeg[1]) != 0xD8)
        return {};
    qsizetype at = 2;
    while (at + 4 <= jpeg.size()) {
        if (quint8(jpeg[at]) != 0xFF)
            return {};
        const quint8 marker = quint8(jpeg[at + 1]);
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            return {};
        const qsizetype length = (qsizetype(quint8(jpeg[at + 2])) << 8) | quint8(jpeg[at + 3]);
        if (length < 2)
            return {};
        if (marker == 0xE1 && length >= 8 && at + 2 + length <= jpeg.size()
            && jpeg.sliced(at + 4, 6) == QByteArrayView("Exif\0\0", 6))
            return jpeg.sliced(at + 10, length - 8);
        at += 2 + length;
    }
    return {};
}

} // namespace

std::optional<QDateTime> exifTime(QByteArrayView jpeg)
{
    Tiff tiff(exifSegment(jpeg));
    quint32 ifd0 = 0;
    if (!tiff.readHeader(ifd0))
        return std::nullopt;
    quint16 type = 0;
    quint32 count = 0, valueAt = 0, exifIfd = 0;
    if (tiff.find(ifd0, kExifPointer, type, count, valueAt) && tiff.u32(valueAt, exifIfd))
        if (auto original = tiff.date(exifIfd, kDateTimeOriginal))
            return original;
    return tiff.date(ifd0, kDateTime);
}

} // namespace phone
