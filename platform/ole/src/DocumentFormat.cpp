#include "ole/DocumentFormat.h"

#include <QFile>
#include <QIODevice>
#include <QStringDecoder>
#include <QtEndian>

#include <array>

namespace ole {

namespace {

constexpr QByteArrayView Magic = "KELVANE-DOKUMENT\n";
constexpr QByteArrayView EndMark = "ENDE\n";
constexpr quint32 Version = 1;
constexpr qint64 ChunkSize = 1 << 20;

// The longest each text field may be, in bytes of UTF-8.
constexpr quint64 MaxClass = 255;
constexpr quint64 MaxSourceDoc = 16384;
constexpr quint64 MaxFileName = 1024;

QString message(const char *text) { return QString::fromUtf8(text); }

bool writeAll(QIODevice &device, QByteArrayView bytes)
{
    return device.write(bytes.data(), bytes.size()) == bytes.size();
}

bool writeField(QIODevice &device, QByteArrayView bytes)
{
    std::array<char, 8> length{};
    qToBigEndian<quint64>(quint64(bytes.size()), length.data());
    return writeAll(device, QByteArrayView(length.data(), 8)) && writeAll(device, bytes);
}

// Reads up to n bytes; on a device without a known size the buffer grows only
// with what actually arrives.
QByteArray readUpTo(QIODevice &device, qint64 n)
{
    QByteArray result;
    while (result.size() < n) {
        const QByteArray chunk = device.read(qMin(ChunkSize, n - result.size()));
        if (chunk.isEmpty())
            break;
        result += chunk;
    }
    return result;
}

class Reader {
public:
    explicit Reader(QIODevice &device) : m_device(device) {}

    bool expect(QByteArrayView bytes, const QString &failure)
    {
        return readUpTo(m_device, bytes.size()) == bytes || fail(failure);
    }

    bool number(int width, quint64 &value)
    {
        const QByteArray raw = readUpTo(m_device, width);
        if (raw.size() != width)
            return fail(message("Das gespeicherte Dokument ist unvollständig."));
        value = width == 4 ? qFromBigEndian<quint32>(raw.constData()) : qFromBigEndian<quint64>(raw.constData());
        return true;
    }

    bool field(quint64 limit, QByteArray &bytes)
    {
        quint64 length = 0;
        if (!number(8, length))
            return false;
        if (length > limit || (!m_device.isSequential() && length > quint64(remaining())))
            return fail(message("Das gespeicherte Dokument ist beschädigt: eine Längenangabe passt nicht zur Datei."));
        bytes = readUpTo(m_device, qint64(length));
        return quint64(bytes.size()) == length || fail(message("Das gespeicherte Dokument ist unvollständig."));
    }

    bool text(quint64 limit, QString &text)
    {
        QByteArray bytes;
        if (!field(limit, bytes))
            return false;
        // A leading byte order mark is part of the text, so that what is read
        // is written back the same; a sequence cut off at the field's end is
        // an error, not a character silently left out.
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
        text = decoder(bytes);
        return !decoder.hasError() || fail(message("Das gespeicherte Dokument ist beschädigt: ein Name ist kein gültiger Text."));
    }

    bool fail(const QString &reason)
    {
        m_error = reason;
        return false;
    }

    qint64 remaining() const { return qMax<qint64>(0, m_device.size() - m_device.pos()); }
    const QString &error() const { return m_error; }

private:
    QIODevice &m_device;
    QString m_error;
};

} // namespace

bool writeDocument(QIODevice &device, const Document &document, QString *error)
{
    std::array<char, 4> version{};
    qToBigEndian<quint32>(Version, version.data());
    const bool written = writeAll(device, Magic) && writeAll(device, QByteArrayView(version.data(), 4))
        && writeField(device, document.className.toUtf8()) && writeField(device, document.sourceDoc.toUtf8())
        && writeField(device, document.fileName.toUtf8()) && writeField(device, document.bytes)
        && writeAll(device, EndMark);
    if (!written && error)
        *error = QStringLiteral("Das Dokument kann nicht gespeichert werden: %1").arg(device.errorString());
    return written;
}

// The format, version 1 (all numbers big-endian, unsigned):
//
//   "KELVANE-DOKUMENT" LF                 the magic line
//   version                 4 bytes       1
//   class                   field         MIME type, UTF-8, at most 255 bytes
//   source document         field         path, UTF-8, at most 16384 bytes
//   file name               field         UTF-8, at most 1024 bytes; empty or
//                                         a plain name (no "/", "\", "." or "..")
//   content                 field         the document's bytes
//   "ENDE" LF                             the end mark
//
// A field is its length n in 8 bytes followed by n bytes. Every length is
// checked against its limit and against what the device still holds before
// anything is allocated; the end mark catches a content length shorter than
// what was written. Nothing else is accepted.
std::optional<Document> readDocument(QIODevice &device, QString *error)
{
    Reader reader(device);
    Document document;
    quint64 version = 0;
    QString fileName;
    const bool read = reader.expect(Magic, message("Die Datei enthält kein gespeichertes Dokument."))
        && reader.number(4, version)
        && (version == Version
            || reader.fail(QStringLiteral("Das Dokument wurde in Version %1 gespeichert; gelesen werden kann Version %2.")
                               .arg(version)
                               .arg(Version)))
        && reader.text(MaxClass, document.className) && reader.text(MaxSourceDoc, document.sourceDoc)
        && reader.text(MaxFileName, fileName)
        && (fileName.isEmpty() || isPlainFileName(fileName)
            || reader.fail(QStringLiteral("Das gespeicherte Dokument hat den ungültigen Dateinamen \"%1\".").arg(fileName)))
        && reader.field(std::numeric_limits<qint64>::max(), document.bytes)
        && reader.expect(EndMark, message("Das gespeicherte Dokument ist beschädigt: das Ende fehlt."));
    if (!read) {
        if (error)
            *error = reader.error();
        return std::nullopt;
    }
    document.fileName = fileName;
    return document;
}

} // namespace ole

namespace ole {

bool isStoredDocumentFile(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.read(Magic.size()) == Magic.toByteArray())
        return true;
    // The name after the last separator: "/srv/schaden.ole-archiv/x" is no stored document.
    return path.section(u'/', -1).endsWith(QLatin1String(".ole"), Qt::CaseInsensitive);
}

Document documentOfFile(const QString &path)
{
    if (!isStoredDocumentFile(path))
        return documentFromFile(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw OleError(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2").arg(path, file.errorString()));
    QString error;
    std::optional<Document> document = readDocument(file, &error);
    if (!document)
        throw OleError(QStringLiteral("Die Datei \"%1\" ist ein beschädigtes gespeichertes Dokument: %2").arg(path, error));
    return std::move(*document);
}

} // namespace ole
