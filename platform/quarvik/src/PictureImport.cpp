#include "quarvik/PictureImport.h"

#include "quarvik/PictureReader.h"

#include "HeifCodec.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace quarvik {
namespace {

// A decode at this small size proves the picture data readable: a JPEG is
// decoded at an eighth of its size, cheaply.
const QSize kCheckSize(256, 256);

PreparedPicture refused(const QString &message) { return PreparedPicture{{}, message, false}; }

} // namespace

bool PictureImport::isPictureFile(const QString &path)
{
    PictureReader reader(path);
    return reader.probe();
}

PreparedPicture PictureImport::prepare(const QString &path)
{
    PictureReader reader(path);
    if (!reader.probe())
        return refused(reader.errorString());
    if (!reader.isHeif()) {
        if (reader.read(kCheckSize).isNull())
            return refused(reader.errorString());
        return PreparedPicture{path, {}, false};
    }

    // The attachment is stored as JPEG: the preview program turns HEIC
    // upright and converts it.
    QString error;
    const QByteArray jpeg = heif::uprightJpeg(path, &error);
    if (jpeg.isEmpty())
        return refused(error);
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/Bild-XXXXXX.jpg"));
    file.setAutoRemove(false);
    if (!file.open() || file.write(jpeg) != jpeg.size()) {
        file.remove();
        return refused(QStringLiteral("Das Bild \"%1\" kann nicht als JPEG gespeichert werden.").arg(QFileInfo(path).fileName()));
    }
    return PreparedPicture{file.fileName(), {}, true};
}

} // namespace quarvik
