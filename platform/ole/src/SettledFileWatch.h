#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace ole {

// Watches one file for changes that have come to rest. Applications often
// save by writing a new file and renaming it over the old one, and the
// desktop's opener returns at once, so neither the file's own watch nor the
// process tells when editing is done: the folder is watched too, and a
// change counts once the file's size and time have stayed the same for the
// settle time and its content differs from the last one known.
class SettledFileWatch : public QObject {
    Q_OBJECT
public:
    explicit SettledFileWatch(QObject *parent = nullptr);

    // Starts watching filePath; its present content is the known one.
    void watch(const QString &filePath);
    void stop();
    const QString &filePath() const { return m_path; }

    // How long a change must rest before it counts (milliseconds).
    void setSettleTime(int milliseconds) { m_settle.setInterval(milliseconds); }

Q_SIGNALS:
    // The file's new content, different from the last known one.
    void settled(const QByteArray &content);

private:
    struct Stamp {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        friend bool operator==(const Stamp &, const Stamp &) = default;
    };
    Stamp stampNow() const;
    void somethingHappened();
    void check();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_path;
    Stamp m_pending;
    QByteArray m_knownHash;
};

} // namespace ole
