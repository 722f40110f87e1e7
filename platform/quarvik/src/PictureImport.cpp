#include "quarvik/PictureImport.h"

#include "quarvik/PictureReader.h"

#include "core/PrivateTempFolders.h"

#include <QStringList>
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

bool PictureImport::countsAsPicture(const QString &path)
{
    return isPictureFile(path) || hasPictureExtension(path);
}

bool PictureImport::hasPictureExtension(const QString &path)
{
    static const QStringList kinds = {QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                      QStringLiteral("jpe"), QStringLiteral("gif"), QStringLiteral("png"),
                                      QStringLiteral("tif"), QStringLiteral("tiff"), QStringLiteral("webp"),
                                      QStringLiteral("heic"), QStringLiteral("heif")};
    // The name after the last separator: "bilder.png/" names a folder, no file.
    const QString name = path.section(u'/', -1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && kinds.contains(name.mid(dot + 1), Qt::CaseInsensitive);
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
    const QString failed = QStringLiteral("Das Bild \"%1\" kann nicht als JPEG gespeichert werden.")
                               .arg(QFileInfo(path).fileName());
    // Into the program's private folder: no other user sees the photo.
    const QString folder = core::PrivateTempFolders::ofSystemTemp();
    if (folder.isEmpty())
        return refused(failed);
    QTemporaryFile file(folder + QStringLiteral("/Bild-XXXXXX.jpg"));
    file.setAutoRemove(false);
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
