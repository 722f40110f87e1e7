#include "sandbox/Previews.h"

#include <QCoreApplication>

#include <cstdio>

namespace sandbox {
namespace {

constexpr qint64 DiskLimit = 256LL * 1024 * 1024;
constexpr qint64 MemoryLimit = 192LL * 1024 * 1024;

} // namespace

Previews::Previews(const QString &cacheFolder, qint64 diskLimit, qint64 memoryLimit, QObject *parent)
    : QObject(parent), m_cache(cacheFolder, diskLimit, memoryLimit)
{
    for (std::unique_ptr<PreviewWorker> &worker : m_workers) {
        worker = std::make_unique<PreviewWorker>([this] { return launch(); });
        connect(worker.get(), &PreviewWorker::served, this,
                [this](const PreviewRequest &request, const PreviewResult &result) {
                    m_cache.insert(PreviewCache::keyOf(request), result);
                });
    }
}

Previews *Previews::ofApplication()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return nullptr;
    if (auto *previews = application->findChild<Previews *>(QString(), Qt::FindDirectChildrenOnly))
        return previews;
    return new Previews(PreviewCache::userFolder(), DiskLimit, MemoryLimit, application); // owned by the application
}

std::optional<PreviewResult> Previews::cached(const PreviewRequest &request)
{
    return m_cache.find(PreviewCache::keyOf(request), request);
}

PreviewJob *Previews::start(const PreviewRequest &request, QObject *owner)
{
    auto *job = new PreviewJob(request, owner); // owned by owner, or by the caller
    if (PreviewJob *ahead = m_ahead.value(PreviewCache::keyOf(request))) {
        job->m_joined = ahead;
        connect(ahead, &PreviewJob::finished, job, [job, ahead] { job->finish(ahead->result()); });
        return job;
    }
    // Shown now: before what is asked ahead.
    leastBusy().submit(job, PreviewWorker::Order::First);
    return job;
}

void Previews::prefetch(const PreviewRequest &request)
{
    const QByteArray key = PreviewCache::keyOf(request);
    if (m_ahead.contains(key) || cached(request))
        return;
    auto *job = new PreviewJob(request, this); // owned by this
    m_ahead.insert(key, job);
    connect(job, &PreviewJob::finished, this, [this, key, job] {
        m_ahead.remove(key);
        job->deleteLater();
    });
    leastBusy().submit(job);
}

PreviewResult Previews::make(const PreviewRequest &request)
{
    if (std::optional<PreviewResult> result = cached(request))
        return *result;
    if (PreviewJob *ahead = m_ahead.value(PreviewCache::keyOf(request))) {
        ahead->waitForFinished();
        return ahead->result();
    }
    PreviewJob job(request);
    leastBusy().submit(&job);
    job.waitForFinished();
    return job.result();
}

void Previews::warmUp()
{
    for (const std::unique_ptr<PreviewWorker> &worker : m_workers)
        worker->warmUp();
}

int Previews::requestsSent() const
{
    int sent = 0;
    for (const std::unique_ptr<PreviewWorker> &worker : m_workers)
        sent += worker->requestsSent();
    return sent;
}

int Previews::childrenStarted() const
{
    int started = 0;
    for (const std::unique_ptr<PreviewWorker> &worker : m_workers)
        started += worker->childrenStarted();
    return started;
}

PreviewWorker &Previews::leastBusy()
{
    PreviewWorker *least = m_workers.front().get();
    for (const std::unique_ptr<PreviewWorker> &worker : m_workers)
        if (worker->pending() < least->pending())
            least = worker.get();
    return *least;
}

PreviewLaunch Previews::launch()
{
    if (!m_sandboxStarts) {
        m_sandboxStarts = PreviewLaunch::sandboxStarts();
        if (!*m_sandboxStarts)
            std::fputs("kelvane-preview: bubblewrap kann hier nicht starten; Vorschauen laufen nur mit Speicher-, "
                       "Rechenzeit- und Zeitgrenzen.\n",
                       stderr);
    }
    return PreviewLaunch::fromSettings(*m_sandboxStarts);
}

} // namespace sandbox
