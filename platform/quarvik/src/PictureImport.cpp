#include "quarvik/PictureImport.h"

#include "quarvik/PictureReader.h"

#include "HeifCodec.h"

#include "sandbox/Previews.h"

#include <QDir>
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
