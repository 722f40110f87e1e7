#pragma once

#include "sandbox/PreviewCache.h"
#include "sandbox/PreviewWorker.h"

#include <QHash>
#include <QObject>

#include <array>
#include <memory>
#include <optional>

namespace sandbox {

// The program's road to pictures of outside bytes: the cache first, else a
// request to a preview program (PreviewWorker) whose result goes into the
// cache. Two programs serve side by side, one for each core of a common
// office computer: a case's three documents are made in parallel.
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
    // served. Check cached() first. A request asked ahead and still being
    // made is not sent again: the job finishes with it.
    PreviewJob *start(const PreviewRequest &request, QObject *owner);
    // Asks for a preview before it is shown (a document on a tab not shown
    // yet), so that the documents of a case are made side by side.
    void prefetch(const PreviewRequest &request);
    // The cached result or that of a job waited for (printing, insert).
    PreviewResult make(const PreviewRequest &request);
    // Starts the preview programs ahead of need (a control was made): the
    // first picture then costs no program start.
    void warmUp();

    // Requests sent to the preview program (a cached preview sends none),
    // and the children started to serve them.
    int requestsSent() const;
    int childrenStarted() const;

    static constexpr int Workers = 2;

private:
    PreviewLaunch launch();
    // The worker with the fewest requests waiting.
    PreviewWorker &leastBusy();

    PreviewCache m_cache;
    std::array<std::unique_ptr<PreviewWorker>, Workers> m_workers;
    // Requests asked ahead and not yet served, by their cache key.
    QHash<QByteArray, PreviewJob *> m_ahead;
    std::optional<bool> m_sandboxStarts;
};

} // namespace sandbox
