#include "HeifCodec.h"

#include "sandbox/Previews.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace quarvik::heif {
namespace {

QString failure(const QString &path, const QString &why)
{
    return QStringLiteral("Das HEIC-Bild \"%1\" kann nicht gelesen werden (%2).").arg(QFileInfo(path).fileName(), why);
}

} // namespace

bool looksLikeHeif(const QByteArray &head)
{
    // ISO base media: a box size, "ftyp", the major brand.
    if (head.size() < 12 || head.mid(4, 4) != "ftyp")
        return false;
    static const QByteArrayList brands{"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs", "mif1", "msf1"};
    return brands.contains(head.mid(8, 4));
}

QByteArray uprightJpeg(const QString &path, const QByteArray &bytes, QString *error)
{
    QByteArray content = bytes;
    if (content.isEmpty()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = failure(path, file.errorString());
            return {};
        }
        content = file.readAll();
    }
    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    const sandbox::PreviewResult result = previews ? previews->make({sandbox::PreviewMode::Jpeg, {}, content})
                                                   : sandbox::PreviewResult{{}, {}, sandbox::PreviewFailure::NotStarted};
    if (!result.ok())
        *error = failure(path, sandbox::failureText(result.failure));
    return result.jpeg;
}

QSize uprightSize(const QString &path, const QByteArray &bytes, QString *error)
{
    QByteArray jpeg = uprightJpeg(path, bytes, error);
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::ReadOnly);
    return jpeg.isEmpty() ? QSize() : QImageReader(&buffer, "jpeg").size();
}

QImage decode(const QString &path, const QByteArray &bytes, QString *error)
{
    const QByteArray jpeg = uprightJpeg(path, bytes, error);
    return jpeg.isEmpty() ? QImage() : QImage::fromData(jpeg, "JPEG");
}

} // namespace quarvik::heif
