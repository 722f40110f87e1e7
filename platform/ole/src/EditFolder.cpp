#include "EditFolder.h"

#include "ole/Document.h"

#include "core/PrivateTempFolders.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QUrl>

namespace ole {

EditFolder::EditFolder(QObject *parent)
    : QObject(parent), m_dir(core::PrivateTempFolders::ofSystemTemp() + QStringLiteral("/dokument-XXXXXX"))
{
    // Named after its path, so that the folder can be found among the
    // application object's children once its container is gone.
    setObjectName(m_dir.path());
    if (m_dir.isValid())
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString EditFolder::put(const QString &fileName, const QByteArray &bytes)
{
    if (!m_dir.isValid())
        throw OleError(QStringLiteral("Im temporären Ordner kann kein Arbeitsordner angelegt werden: %1")
                           .arg(m_dir.errorString()));
    const QString name = isPlainFileName(fileName) ? fileName : QStringLiteral("Dokument");
    QSaveFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw OleError(QStringLiteral("Das Dokument kann nicht in \"%1\" geschrieben werden: %2")
                           .arg(m_dir.filePath(name), file.errorString()));
    QFile::setPermissions(m_dir.filePath(name), QFile::ReadOwner | QFile::WriteOwner);
    return m_dir.filePath(name);
}

void openInDesktopApplication(const QString &path)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return;
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {path}))
        throw OleError(QStringLiteral("Das Dokument \"%1\" kann nicht in seiner Anwendung geöffnet werden: "
                                      "weder der Desktop noch xdg-open stehen zur Verfügung.")
                           .arg(path));
}

} // namespace ole
