#include "sandbox/Previews.h"

#include <QCoreApplication>

#include <cstdio>

namespace sandbox {
namespace {

constexpr qint64 DiskLimit = 256LL * 1024 * 1024;
constexpr qint64 MemoryLimit = 192LL * 1024 * 1024;

} // namespace

Previews::Previews(const QString &cacheFolder, qint64 diskLimit, qint64 memoryLimit, QObject *parent)
    : QObject(parent), m_cache(cacheFolder, diskLimit, memoryLimit), m_worker([this] { return launch(); })
{
    connect(&m_worker, &PreviewWorker::served, this,
            [this](const PreviewRequest &request, const PreviewResult &result) {
                m_cache.insert(PreviewCache::keyOf(request), result);
            });
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
    m_worker.submit(job);
    return job;
}

PreviewResult Previews::make(const PreviewRequest &request)
{
    if (std::optional<PreviewResult> result = cached(request))
        return *result;
    PreviewJob job(request);
    m_worker.submit(&job);
    job.waitForFinished();
    return job.result();
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
