#pragma once

#include "sandbox/PreviewProtocol.h"
#include "sandbox/PreviewResult.h"

#include <QCache>
#include <QString>
#include <QThreadPool>

#include <optional>

namespace sandbox {

// Previews kept by the content's hash, the mode and the size asked for: in
// memory for this process (failures too, so that a bad file is not tried on
// every paint), and pictures on disk in an owner-only folder (the user's
// cache folder) so that the next start needs no child either. The folder
// stays under its size limit, the least recently used files going first.
class PreviewCache {
public:
    PreviewCache(QString folder, qint64 diskLimit, qint64 memoryLimit);
    ~PreviewCache();

    // ~/.cache/Varnholt/Vorschau, or under $XDG_CACHE_HOME.
    static QString userFolder();
    static QByteArray keyOf(const PreviewRequest &request);

    std::optional<PreviewResult> find(const QByteArray &key, const PreviewRequest &request);
    // At once in memory; on disk a moment later (waitForWrites()).
    void insert(const QByteArray &key, const PreviewResult &result);
    void waitForWrites();

private:
    QString fileOf(const QByteArray &key, bool jpeg) const;
    bool write(const QString &path, const PreviewResult &result) const;
    bool prepareFolder() const;
    void keepToLimit() const;

    QString m_folder;
    qint64 m_diskLimit;
    QCache<QByteArray, PreviewResult> m_memory;
    QThreadPool m_writer;
};

} // namespace sandbox
