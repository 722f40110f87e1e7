#include "kelvane/FileRoutines.h"

#include "kelvane/ErrorMessage.h"
#include "core/PrivateTempFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>


#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane {
namespace {

// A variable by name as the original platform looks it up: without regard to case.
QString environmentValue(const QString &name)
{
    const QString exact = qEnvironmentVariable(name.toLocal8Bit().constData());
    if (!exact.isEmpty())
        return exact;
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &key : environment.keys())
        if (key.compare(name, Qt::CaseInsensitive) == 0 && !environment.value(key).isEmpty())
            return environment.value(key);
    return {};
}

// Any entry counts, also a link whose target is missing: writing there would
// create the target.
bool nameTaken(const QString &path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

QString TempFolder()
{
    QString folder = environmentValue(QStringLiteral("Temp"));
    if (folder.isEmpty())
        folder = environmentValue(QStringLiteral("Tmp"));
    // Without either a name would land at the root of the file system.
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo(path).isFile();
}

QString MakeTempFileName(const QString &baseName, const QString &extension)
{
    core::PrivateTempFolders *folders = core::PrivateTempFolders::ofApplication();
    if (!folders)
        return {};
    QString folder = folders->inside(TempFolder());
    if (folder.isEmpty())
        return {};
    folder += u'/';
    const QString plain = folder + baseName + u'.' + extension;
    if (!nameTaken(plain))
        return plain;
    for (int n = 1; n <= 999; ++n) {
        const QString numbered = folder + baseName + u'(' + QString::number(n) + u')' + u'.' + extension;
        if (!nameTaken(numbered))
            return numbered;
    }
    return {};
}

QByteArray ReadFileBytes(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw KelvaneError(ErrFileNotFound, QStringLiteral("Datei nicht gefunden"));
    if (!file.open(QIODevice::ReadOnly))
        throw KelvaneError(ErrPathAccess, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei"));
    const qint64 length = file.size();
    if (length <= 0)
        throw KelvaneError(ErrSubscript, QStringLiteral("Index außerhalb des gültigen Bereichs"));
    QByteArray bytes(length, Qt::Uninitialized);
    if (file.read(bytes.data(), length) != length)
        throw KelvaneError(ErrPathAccess, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei"));
    return bytes;
}

void WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    const auto failed = [] { return KelvaneError(ErrPathAccess, QStringLiteral("Fehler beim Zugriff auf Pfad/Datei")); };
    if (path.isEmpty())
        throw failed();
    // Never through a link: whoever planted it would choose the file written.
    // Truncated, so that a file left over with more bytes cannot add a stale tail.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0)
        throw failed();
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw failed();
    }
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw failed();
}

void DeleteTempFile(const QString &path, QString &tempFile)
{
    if (!path.isEmpty()) {
        QFile::remove(path);
    } else if (!tempFile.isEmpty()) {
        QFile::remove(tempFile);
        tempFile.clear();
    }
}

QString BytesToHex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QByteArray HexToBytes(const QString &text)
{
    const qsizetype length = text.size();
    // Half the length, a half rounded to the even neighbour: 1 -> 0, 3 -> 2, 5 -> 2.
    qsizetype count = length / 2;
    if (length % 2 == 1 && count % 2 == 1)
        ++count;
    if (count < 1)
        return {};
    QByteArray bytes(count, '\0');
    for (qsizetype i = 0; i < count; ++i) {
        int value = 0;
        for (qsizetype k = 2 * i; k < 2 * i + 2 && k < length; ++k) {
            const int digit = hexDigit(text[k]);
            if (digit < 0)
                break;
            value = value * 16 + digit;
        }
        bytes[i] = char(value);
    }
    return bytes;
}

} // namespace kelvane
