#include "attachments/Thumbnails.h"

#include "sandbox/PreviewJob.h"
#include "sandbox/Previews.h"

namespace attachments {

QImage Thumbnails::request(const QString &key, const QByteArray &bytes)
{
    if (const auto known = m_images.constFind(key); known != m_images.constEnd())
        return *known;
    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    const sandbox::PreviewRequest request{sandbox::PreviewMode::Fit, m_size, bytes};
    if (!previews || bytes.isEmpty()) {
        m_images.insert(key, QImage());
        return {};
    }
    if (const std::optional<sandbox::PreviewResult> cached = previews->cached(request)) {
        m_images.insert(key, cached->image);
        return cached->image;
    }
    // Asked once: a second request before the answer waits for the first.
    m_images.insert(key, QImage());
    ++m_pending;
    sandbox::PreviewJob *child = previews->start(request, this);
    connect(child, &sandbox::PreviewJob::finished, this, [this, child, key] {
        --m_pending;
        take(key, child->result().image);
        child->deleteLater();
    });
    return {};
}

void Thumbnails::take(const QString &key, const QImage &image)
{
    m_images.insert(key, image);
    Q_EMIT ready(key, image);
}

void Thumbnails::waitForAll()
{
    for (sandbox::PreviewJob *child : findChildren<sandbox::PreviewJob *>()) {
        if (!child->isFinished())
            child->waitForFinished();
    }
}

} // namespace attachments
