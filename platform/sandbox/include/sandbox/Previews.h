#pragma once

#include "sandbox/PreviewCache.h"
#include "sandbox/PreviewWorker.h"

#include <QObject>

#include <optional>

namespace sandbox {

// The program's road to pictures of outside bytes: the cache first, else a
// request to the preview program (PreviewWorker) whose result goes into the
// cache.
// One per application (the cache and whether bubblewrap starts are the
// process's), like core::PrivateTempFolders.
class Previews : public QObject {
    Q_OBJECT
public:
    // The cache's folder ("" for memory only) and limits (bytes).
    Previews(const QString &cacheFolder, qint64 diskLimit, qint64 memoryLimit, QObject *parent = nullptr);

    // The application's instance, made on first use; nullptr without an application.
    static Previews *ofApplication();

    std::optional<PreviewResult> cached(const PreviewRequest &request);
    // A job for request, owned by owner; its result is cached when it is
    // served. Check cached() first.
    PreviewJob *start(const PreviewRequest &request, QObject *owner);
    // The cached result or that of a job waited for (printing, insert).
    PreviewResult make(const PreviewRequest &request);

    // Requests sent to the preview program (a cached preview sends none),
    // and the children started to serve them.
    int requestsSent() const { return m_worker.requestsSent(); }
    int childrenStarted() const { return m_worker.childrenStarted(); }

private:
    PreviewLaunch launch();

    PreviewCache m_cache;
    PreviewWorker m_worker;
    std::optional<bool> m_sandboxStarts;
};

} // namespace sandbox
