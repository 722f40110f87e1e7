#include "quarvik/PictureReader.h"

#include "HeifCodec.h"
#include "JpegCheck.h"

#include "sandbox/Previews.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <memory>

namespace quarvik {
namespace {

// Qt refuses to decode more than 128 MB by default; a 48 MP photo needs
// 192 MB. The limit is process-wide, so it is only ever raised, to what our
// own pixel bound allows (4 bytes a pixel).
void allowOurBound()
{
    const int needed = int(PictureReader::kMaxPixels * 4 / (1024 * 1024)) + 1;
    const int current = QImageReader::allocationLimit();
    if (current != 0 && current < needed)
        QImageReader::setAllocationLimit(needed);
}

void prepare(QImageReader &reader)
{
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
}

bool jpegComplete(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (uchar *mapped = file.map(0, size)) {
        const bool complete = jpegIsComplete(QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), size));
        file.unmap(mapped);
        return complete;
    }
    return jpegIsComplete(file.readAll());
}

// A decode this small proves the picture data readable (a JPEG is decoded at
// an eighth of its size).
const QSize kCheckSize(256, 256);

bool previewProgramAnswers(const QSize &size)
{
    return size.width() <= sandbox::MaxSide && size.height() <= sandbox::MaxSide
        && qint64(size.width()) * size.height() <= sandbox::MaxPixels;
}

sandbox::PreviewResult decodedByPreviewProgram(const QByteArray &bytes, const QSize &size)
{
    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    if (!previews)
        return sandbox::PreviewResult{{}, {}, sandbox::PreviewFailure::NotStarted};
    return previews->make({sandbox::PreviewMode::Fit, size, bytes});
}

} // namespace

PictureReader::PictureReader(QString path) : m_path(std::move(path)) {}

PictureReader::PictureReader(QByteArray bytes, QString name)
    : m_bytes(std::move(bytes)), m_name(std::move(name)), m_inMemory(true)
{
}

QString PictureReader::name() const { return inMemory() ? m_name : QFileInfo(m_path).fileName(); }

std::unique_ptr<QImageReader> PictureReader::openReader(QBuffer &buffer) const
{
    std::unique_ptr<QImageReader> reader;
    if (inMemory()) {
        buffer.setData(m_bytes);
        buffer.open(QIODevice::ReadOnly);
        reader = std::make_unique<QImageReader>(&buffer);
    } else {
        reader = std::make_unique<QImageReader>(m_path);
    }
    prepare(*reader);
    return reader;
}

bool PictureReader::fail(const QString &message)
{
    m_error = message;
    m_uprightSize = QSize();
    return false;
}

bool PictureReader::probe()
{
    m_error.clear();
    const QString name = this->name();
    if (inMemory()) {
        if (m_bytes.isEmpty())
            return fail(QStringLiteral("Die Datei \"%1\" ist leer.").arg(name));
        m_heif = heif::looksLikeHeif(m_bytes.left(64));
    } else {
        const QFileInfo info(m_path);
        if (!info.isFile())
            return fail(QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(name));
        if (info.size() == 0)
            return fail(QStringLiteral("Die Datei \"%1\" ist leer.").arg(name));
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden.").arg(name));
        m_heif = heif::looksLikeHeif(file.read(64));
    }

    QSize size;
    if (m_heif) {
        m_format = "heif";
        size = heif::uprightSize(inMemory() ? name : m_path, m_bytes, &m_error);
        if (!size.isValid())
            return fail(m_error);
    } else {
        QBuffer buffer;
        const std::unique_ptr<QImageReader> reader = openReader(buffer);
        m_format = reader->format();
        size = reader->size();
        if (m_format.isEmpty() || !size.isValid() || size.isEmpty())
            return fail(QStringLiteral("Die Datei \"%1\" ist kein lesbares Bild oder sie ist beschädigt.").arg(name));
        m_turned = reader->transformation().testFlag(QImageIOHandler::TransformationRotate90);
        if (m_turned)
            size.transpose();
    }
    if (qint64(size.width()) * size.height() > kMaxPixels || size.width() > kMaxSide || size.height() > kMaxSide)
        return fail(QStringLiteral("Das Bild \"%1\" ist mit %2 x %3 Bildpunkten zu groß; es werden höchstens "
                                   "%4 Millionen Bildpunkte gezeigt.")
                        .arg(name).arg(size.width()).arg(size.height()).arg(kMaxPixels / 1'000'000));
    if (m_format == "jpeg" && !(inMemory() ? jpegIsComplete(m_bytes) : jpegComplete(m_path)))
        return fail(QStringLiteral("Die Bilddatei \"%1\" ist unvollständig oder beschädigt.").arg(name));
    m_uprightSize = size;
    return true;
}

QImage PictureReader::read(const QSize &bound)
{
    if (!m_uprightSize.isValid() && !probe())
        return {};
    const bool scaled = bound.isValid() && !bound.isEmpty()
        && (m_uprightSize.width() > bound.width() || m_uprightSize.height() > bound.height());
    const QSize target = scaled ? m_uprightSize.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)) : m_uprightSize;

    QImage image;
    if (m_heif) {
        image = heif::decode(inMemory() ? m_name : m_path, m_bytes, &m_error);
        if (!image.isNull() && image.size() != target) {
            image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            keepPaperSize(image, m_uprightSize);
        }
    } else {
        image = decodeForeign(target, scaled);
    }
    return image;
}

QImage PictureReader::decodeForeign(const QSize &target, bool scaled)
{
    // Qt's image plugins are not ours: the preview program decodes, and a
    // fault or a bomb in them ends that process, not this one. A picture
    // larger than it answers with (the full picture of a 48 MP photo) is
    // decoded here, once the preview program has read it.
    QByteArray bytes = m_bytes;
    if (!inMemory()) {
        QFile file(m_path);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    }
    const bool answered = previewProgramAnswers(target);
    const sandbox::PreviewResult result = decodedByPreviewProgram(bytes, answered ? target : kCheckSize);
    QImage image;
    if (!result.ok()) {
        m_error = QStringLiteral("Das Bild \"%1\" ist beschädigt und kann nicht gelesen werden (%2).")
                      .arg(name(), sandbox::failureText(result.failure));
        return image;
    }
    if (answered) {
        image = result.image;
    } else {
        allowOurBound();
        QBuffer buffer;
        const std::unique_ptr<QImageReader> reader = openReader(buffer);
        image = reader->read();
        if (image.isNull())
            m_error = QStringLiteral("Das Bild \"%1\" ist beschädigt und kann nicht gelesen werden (%2).")
                          .arg(name(), reader->errorString());
    }
    // Qt's PNG reader sets the resolution of a smaller decode itself; the
    // others keep the file's.
    if (scaled && m_format != "png")
        keepPaperSize(image, m_uprightSize);
    return image;
}

void keepPaperSize(QImage &picture, const QSize &full)
{
    if (picture.isNull() || full.isEmpty() || picture.size() == full)
        return;
    constexpr int ScreenDotsPerMeter = 3780;   // 96 dpi
    const int dotsX = picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() : ScreenDotsPerMeter;
    const int dotsY = picture.dotsPerMeterY() > 0 ? picture.dotsPerMeterY() : ScreenDotsPerMeter;
    picture.setDotsPerMeterX(std::max(1, int(std::lround(dotsX * double(picture.width()) / full.width()))));
    picture.setDotsPerMeterY(std::max(1, int(std::lround(dotsY * double(picture.height()) / full.height()))));
}

} // namespace quarvik
