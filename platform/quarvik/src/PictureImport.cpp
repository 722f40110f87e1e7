#include "quarvik/PictureImport.h"

#include "quarvik/PictureReader.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
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

    // The attachment is stored as JPEG: HEIC is turned upright and converted.
    const QImage image = reader.read();
    if (image.isNull())
        return refused(reader.errorString());
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/Bild-XXXXXX.jpg"));
    file.setAutoRemove(false);
    const QString failed = QStringLiteral("Das Bild \"%1\" kann nicht als JPEG gespeichert werden.")
                               .arg(QFileInfo(path).fileName());
    if (!file.open())
        return refused(failed);
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(92);
    if (!writer.write(image)) {
        file.remove();
        return refused(failed);
    }
    return PreparedPicture{file.fileName(), {}, true};
}

} // namespace quarvik
