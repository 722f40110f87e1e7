#pragma once

#include "sandbox/PreviewProtocol.h"
#include "sandbox/PreviewResult.h"

#include <QObject>
#include <QPointer>

namespace sandbox {

class PreviewWorker;

// One request for a preview, served by a PreviewWorker: finished() when its
// result is there, whatever the preview program did. Deleting a job that is
// still waiting takes it back from the worker.
class PreviewJob : public QObject {
    Q_OBJECT
public:
    explicit PreviewJob(PreviewRequest request, QObject *parent = nullptr);
    ~PreviewJob() override;

    // Blocks until the result is there (printing, insert); always finishes,
    // within the worker's timeout for each request before it.
    void waitForFinished();
    bool isFinished() const { return m_finished; }
    const PreviewResult &result() const { return m_result; }
    const PreviewRequest &request() const { return m_request; }

Q_SIGNALS:
    void finished();

private:
    friend class PreviewWorker;
    friend class Previews;
    void finish(PreviewResult result);

    PreviewRequest m_request;
    PreviewResult m_result;
    QPointer<PreviewWorker> m_worker;
    // The same request asked ahead, which this job waits for instead.
    QPointer<PreviewJob> m_joined;
    bool m_finished = false;
};

} // namespace sandbox
