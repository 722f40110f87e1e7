#include "sandbox/PreviewCache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSaveFile>
#include <QStandardPaths>

namespace sandbox {
namespace {

constexpr qint64 MaxPixelsOnDisk = 4'000'000;
constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

qint64 costOf(const PreviewResult &result) { return qMax<qint64>(1, (result.image.sizeInBytes() + result.jpeg.size()) / 1024); }

} // namespace

PreviewCache::PreviewCache(QString folder, qint64 diskLimit, qint64 memoryLimit)
    : m_folder(std::move(folder)), m_diskLimit(diskLimit), m_memory(qMax<qint64>(1, memoryLimit / 1024))
{
    m_writer.setMaxThreadCount(1);
}

PreviewCache::~PreviewCache() { waitForWrites(); }

QString PreviewCache::userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/Varnholt/Vorschau");
}

QByteArray PreviewCache::keyOf(const PreviewRequest &request)
{
    // The leading version changes when the preview program draws differently.
    const QByteArray hash = "1-" + QCryptographicHash::hash(request.bytes, QCryptographicHash::Sha256).toHex();
    if (request.mode == PreviewMode::Jpeg)
        return hash + "-jpeg";
    return hash + '-' + QByteArray::number(request.bound.width()) + 'x' + QByteArray::number(request.bound.height());
}

QString PreviewCache::fileOf(const QByteArray &key, bool jpeg) const
{
    return m_folder + QLatin1Char('/') + QString::fromLatin1(key) + (jpeg ? QStringLiteral(".jpg") : QStringLiteral(".png"));
}

std::optional<PreviewResult> PreviewCache::find(const QByteArray &key, const PreviewRequest &request)
{
    if (const PreviewResult *held = m_memory.object(key))
        return *held;
    if (m_folder.isEmpty())
        return std::nullopt;
    const bool jpeg = request.mode == PreviewMode::Jpeg;
    QFile file(fileOf(key, jpeg));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    PreviewResult result;
    // Our own files in an owner-only folder; still, what does not fit what
    // was asked for is not taken.
    if (jpeg) {
        result.jpeg = file.readAll();
        if (!result.jpeg.startsWith("\xFF\xD8\xFF"))
            return std::nullopt;
    } else {
        result.image.load(&file, "PNG");
        if (result.image.isNull() || result.image.width() > request.bound.width() + 1
            || result.image.height() > request.bound.height() + 1)
            return std::nullopt;
        result.image = result.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    m_memory.insert(key, new PreviewResult(result), costOf(result));
    return result;
}

void PreviewCache::insert(const QByteArray &key, const PreviewResult &result)
{
    m_memory.insert(key, new PreviewResult(result), costOf(result));
    // A picture larger than a screen's view (a photo's full decode for the
    // editor) would cost more to write than to make again.
    if (!result.ok() || m_folder.isEmpty() || qint64(result.image.width()) * result.image.height() > MaxPixelsOnDisk)
        return;
    // Written beside the window's thread, one file after another: the
    // picture is shown at once.
    m_writer.start([this, file = fileOf(key, !result.jpeg.isEmpty()), result] {
        if (write(file, result))
            keepToLimit();
    });
}

bool PreviewCache::write(const QString &path, const PreviewResult &result) const
{
    if (!prepareFolder())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(OwnerOnly);
    if (!result.jpeg.isEmpty())
        file.write(result.jpeg);
    else if (!result.image.save(&file, "PNG", 80)) // quick to write; the disk is not the bottleneck
        return false;
    return file.commit();
}

void PreviewCache::waitForWrites() { m_writer.waitForDone(); }

bool PreviewCache::prepareFolder() const
{
    if (!QDir().mkpath(m_folder))
        return false;
    return QFile::setPermissions(m_folder, OwnerOnly | QFileDevice::ExeOwner);
}

void PreviewCache::keepToLimit() const
{
    // Newest first; the one just written stays whatever its size.
    const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files, QDir::Time);
    qint64 total = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        total += files[i].size();
        if (i > 0 && total > m_diskLimit)
            QFile::remove(files[i].absoluteFilePath());
    }
}

} // namespace sandbox
