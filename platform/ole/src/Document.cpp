#include "ole/Document.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

namespace ole {

QString classOf(const QString &fileName, const QByteArray &bytes)
{
    return QMimeDatabase().mimeTypeForFileNameAndData(fileName, bytes).name();
}

bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && !name.contains(QChar(0));
}

Document documentFromFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw OleError(QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw OleError(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2").arg(path, file.errorString()));
    Document document;
    document.bytes = file.readAll();
    if (document.bytes.size() != file.size())
        throw OleError(QStringLiteral("Die Datei \"%1\" konnte nicht vollständig gelesen werden.").arg(path));
    document.fileName = info.fileName();
    document.sourceDoc = info.absoluteFilePath();
    document.className = classOf(document.fileName, document.bytes);
    return document;
}

} // namespace ole
