#pragma once

#include "sandbox/PreviewCache.h"
#include "sandbox/PreviewProcess.h"

#include <QObject>

#include <optional>

namespace sandbox {

// The program's road to pictures of outside bytes: the cache first, else a
// preview program run (PreviewProcess) whose result goes into the cache.
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
    // A child started for request, owned by owner; its result is cached
    // when it finishes. Check cached() first.
    PreviewProcess *start(const PreviewRequest &request, QObject *owner);
    // The cached result or that of a child waited for (printing, insert).
    PreviewResult make(const PreviewRequest &request);

    // Children started by this process (a cached preview starts none).
    int childrenStarted() const { return m_started; }

private:
    PreviewLaunch launch();

    PreviewCache m_cache;
    std::optional<bool> m_sandboxStarts;
    int m_started = 0;
};

} // namespace sandbox
