#pragma once

#include "sandbox/PreviewJob.h"
#include "sandbox/PreviewLaunch.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace sandbox {

// One preview program kept running to serve requests one after another, so
// that a picture costs no process start. Each request is bounded on its
// own: the launch's timeout (the child is killed), the child's own CPU and
// memory limits. Whatever the child does (faults, hangs, answers garbage)
// fails only the request it was serving; the next request starts a new
// child. A child is also replaced after so many requests and when the
// launch (the settings) changed.
class PreviewWorker : public QObject {
    Q_OBJECT
public:
    using LaunchSource = std::function<PreviewLaunch()>;
    explicit PreviewWorker(LaunchSource launch, QObject *parent = nullptr);
    ~PreviewWorker() override;

    // Served in the order given, those given First (shown now) before
    // those asked ahead; job->finished() when done.
    enum class Order { Last, First };
    void submit(PreviewJob *job, Order order = Order::Last);
    void withdraw(PreviewJob *job);
    // Serves without the event loop until job is done.
    void serveUntilDone(PreviewJob *job);
    // Starts the child before it is asked anything, so that the first
    // request pays neither its start nor its readers' set-up.
    void warmUp();
    // Requests given and not yet served, the one in flight included.
    int pending() const;

    int childrenStarted() const { return m_childrenStarted; }
    int requestsSent() const { return m_requestsSent; }

    static constexpr int RequestsPerChild = 100;

Q_SIGNALS:
    // Every request served, also for a job deleted meanwhile.
    void served(const sandbox::PreviewRequest &request, const sandbox::PreviewResult &result);

private:
    struct InFlight {
        PreviewRequest request;
        QPointer<PreviewJob> job;
    };

    void dispatch();
    bool startChild(const PreviewLaunch &launch);
    void stopChild();
    void readAnswer();
    void childEnded(int exitCode, QProcess::ExitStatus status);
    void complete(PreviewResult result);
    void fail(PreviewFailure failure);

    LaunchSource m_launchSource;
    PreviewLaunch m_launch;
    std::unique_ptr<QProcess> m_child;
    int m_servedByChild = 0;
    QList<QPointer<PreviewJob>> m_queue;
    std::optional<InFlight> m_inFlight;
    QByteArray m_answer;
    QTimer m_deadline;
    QElapsedTimer m_clock;
    int m_childrenStarted = 0;
    int m_requestsSent = 0;
};

} // namespace sandbox
