#include "UnreadablePicture.h"

#include "ole/DocumentPicture.h"
#include "sandbox/Previews.h"

#include <QFile>

namespace kelvane {
namespace {

// Enough to prove the picture data decodes; a JPEG decodes at an eighth.
constexpr QSize CheckSize(256, 256);

} // namespace

bool UnreadablePicture::check(const QString &path, const QString &name)
{
    clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true; // the viewer tells what is wrong with the file itself
    const QByteArray bytes = file.readAll();
    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    if (!previews || bytes.isEmpty())
        return true;
    const sandbox::PreviewResult result = previews->make({sandbox::PreviewMode::Fit, CheckSize, bytes});
    if (result.ok())
        return true;
    m_path = path;
    m_failure = result.failure;
    m_document = ole::Document{QStringLiteral("image/x-unknown"), path, name, bytes};
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
