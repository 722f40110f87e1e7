#include "SettledFileWatch.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace ole {

namespace {

QByteArray hashOf(const QByteArray &content)
{
    return QCryptographicHash::hash(content, QCryptographicHash::Sha256);
}

} // namespace

SettledFileWatch::SettledFileWatch(QObject *parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(700);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &SettledFileWatch::somethingHappened);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &SettledFileWatch::somethingHappened);
    connect(&m_settle, &QTimer::timeout, this, &SettledFileWatch::check);
}

void SettledFileWatch::watch(const QString &filePath)
{
    stop();
    m_path = QFileInfo(filePath).absoluteFilePath();
    m_pending = stampNow();
    QFile file(m_path);
    m_knownHash = file.open(QIODevice::ReadOnly) ? hashOf(file.readAll()) : QByteArray();
    m_watcher.addPath(QFileInfo(m_path).absolutePath());
    if (m_pending.exists)
        m_watcher.addPath(m_path);
}

void SettledFileWatch::stop()
{
    m_settle.stop();
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_path.clear();
}

SettledFileWatch::Stamp SettledFileWatch::stampNow() const
{
    const QFileInfo info(m_path);
    if (!info.isFile())
        return {};
    return {true, info.size(), info.lastModified()};
}

void SettledFileWatch::somethingHappened()
{
    if (m_path.isEmpty())
        return;
    // A file renamed over the old one is a new file: watch it again.
    if (!m_watcher.files().contains(m_path) && QFileInfo(m_path).isFile())
        m_watcher.addPath(m_path);
    m_settle.start();
}

void SettledFileWatch::check()
{
    const Stamp now = stampNow();
    if (now != m_pending) {
        m_pending = now;
        m_settle.start();
        return;
    }
    if (!now.exists)
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.readAll();
    const QByteArray hash = hashOf(content);
    if (hash == m_knownHash)
        return;
    m_knownHash = hash;
    Q_EMIT settled(content);
}

} // namespace ole
