#include "quarvik/PictureImport.h"

#include "quarvik/PictureReader.h"

#include "HeifCodec.h"

#include "core/PrivateTempFolders.h"
#include "sandbox/Previews.h"

#include <QStringList>
#include <QFile>
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

QString PictureImport::refusalOf(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName().isEmpty() ? path : info.fileName();
    if (info.isDir())
        return QStringLiteral("\"%1\" ist ein Ordner; eingefügt werden kann nur eine Datei.").arg(name);
    if (!info.isFile())
        return QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(name);
    if (info.size() == 0)
        return QStringLiteral("Die Datei \"%1\" ist leer.").arg(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden.").arg(name);
    return {};
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

sandbox::PreviewFailure PictureImport::checkDecode(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sandbox::PreviewFailure::Unreadable;
    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    if (!previews)
        return sandbox::PreviewFailure::NotStarted;
    return previews->make({sandbox::PreviewMode::Fit, kCheckSize, file.readAll()}).failure;
}

PreparedPicture PictureImport::prepare(const QString &path)
{
    PictureReader reader(path);
    if (!reader.probe())
        return refused(reader.errorString());
    if (!reader.isHeif()) {
        const sandbox::PreviewFailure failure = checkDecode(path);
        if (failure != sandbox::PreviewFailure::None)
            return refused(QStringLiteral("Das Bild \"%1\" ist beschädigt und kann nicht gelesen werden (%2).")
                               .arg(QFileInfo(path).fileName(), sandbox::failureText(failure)));
        return PreparedPicture{path, {}, false};
    }

    // The attachment is stored as JPEG: the preview program turns HEIC
    // upright and converts it.
    QString error;
    const QByteArray jpeg = heif::uprightJpeg(path, {}, &error);
    if (jpeg.isEmpty())
        return refused(error);
    const QString failed = QStringLiteral("Das Bild \"%1\" kann nicht als JPEG gespeichert werden.")
                               .arg(QFileInfo(path).fileName());
    // Into the program's private folder: no other user sees the photo.
    const QString folder = core::PrivateTempFolders::ofSystemTemp();
    if (folder.isEmpty())
        return refused(failed);
    QTemporaryFile file(folder + QStringLiteral("/Bild-XXXXXX.jpg"));
    file.setAutoRemove(false);
    if (!file.open() || file.write(jpeg) != jpeg.size()) {
        file.remove();
        return refused(failed);
    }
    return PreparedPicture{file.fileName(), {}, true};
}

} // namespace quarvik
