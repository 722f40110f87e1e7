#include "UnreadablePicture.h"

#include "ole/DocumentPicture.h"
#include "quarvik/PictureImport.h"

#include <QFile>

namespace kelvane {

bool UnreadablePicture::check(const QString &path, const QString &name)
{
    clear();
    const sandbox::PreviewFailure failure = quarvik::PictureImport::checkDecode(path);
    if (failure == sandbox::PreviewFailure::None)
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true; // the viewer tells what is wrong with the file itself
    m_path = path;
    m_failure = failure;
    m_document = ole::Document{QStringLiteral("image/x-unknown"), path, name, file.readAll()};
    return false;
}

void UnreadablePicture::clear()
{
    m_path.clear();
    m_document = {};
    m_failure = sandbox::PreviewFailure::None;
}

QString UnreadablePicture::message() const
{
    return QStringLiteral("Das Bild \"%1\" kann nicht gezeigt werden: %2. Es bleibt unverändert gespeichert.")
        .arg(m_document.fileName, sandbox::failureText(m_failure));
}

QImage UnreadablePicture::card(const QSize &bound) const
{
    return isSet() ? ole::failureCard(m_document, bound, m_failure) : QImage();
}

} // namespace kelvane
