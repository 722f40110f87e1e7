#include "sandbox/PreviewJob.h"

#include "sandbox/PreviewWorker.h"

namespace sandbox {

PreviewJob::PreviewJob(PreviewRequest request, QObject *parent) : QObject(parent), m_request(std::move(request)) {}

PreviewJob::~PreviewJob()
{
    if (m_worker && !m_finished)
        m_worker->withdraw(this);
}

void PreviewJob::waitForFinished()
{
    if (m_finished)
        return;
    if (m_joined) {
        m_joined->waitForFinished();
        finish(m_joined ? m_joined->result() : PreviewResult{{}, {}, PreviewFailure::NotStarted});
    } else if (m_worker) {
        m_worker->serveUntilDone(this);
    }
    if (!m_finished) // its worker is gone
        finish(PreviewResult{{}, {}, PreviewFailure::NotStarted});
}

void PreviewJob::finish(PreviewResult result)
{
    if (m_finished)
        return;
    m_result = std::move(result);
    m_finished = true;
    Q_EMIT finished();
}

} // namespace sandbox
