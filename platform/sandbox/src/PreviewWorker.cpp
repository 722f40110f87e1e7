#include "sandbox/PreviewWorker.h"

namespace sandbox {
namespace {

PreviewFailure failureOfStatus(int exitCode)
{
    switch (exitCode) {
    case ExitUnreadable:
        return PreviewFailure::Unreadable;
    case ExitTooLarge:
        return PreviewFailure::TooLarge;
    case ExitOk:
        return PreviewFailure::Garbage; // ended without the answer
    default:
        return PreviewFailure::Crashed;
    }
}

PreviewResult resultOf(const QByteArray &answer, const AnswerScan &scan, const PreviewRequest &request)
{
    if (scan.status != ExitOk)
        return PreviewResult{{}, {}, failureOfStatus(scan.status)};
    PreviewResult result;
    if (request.mode == PreviewMode::Fit) {
        if (std::optional<QImage> image = parseImageAnswer(answer, request.bound))
            result.image = std::move(*image);
    } else if (std::optional<QByteArray> jpeg = parseJpegAnswer(answer)) {
        result.jpeg = std::move(*jpeg);
    }
    if (result.image.isNull() && result.jpeg.isEmpty())
        result.failure = PreviewFailure::Garbage;
    return result;
}

} // namespace

PreviewWorker::PreviewWorker(LaunchSource launch, QObject *parent) : QObject(parent), m_launchSource(std::move(launch))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { fail(PreviewFailure::TimedOut); });
}

PreviewWorker::~PreviewWorker()
{
    stopChild();
    for (const QPointer<PreviewJob> &job : std::as_const(m_queue))
        if (job)
            job->m_worker = nullptr;
    if (m_inFlight && m_inFlight->job)
        m_inFlight->job->m_worker = nullptr;
}

void PreviewWorker::submit(PreviewJob *job, Order order)
{
    job->m_worker = this;
    if (order == Order::First)
        m_queue.prepend(job);
    else
        m_queue.append(job);
    dispatch();
}

void PreviewWorker::withdraw(PreviewJob *job)
{
    // One in flight is served all the same: its result is cached.
    m_queue.removeAll(job);
}

void PreviewWorker::serveUntilDone(PreviewJob *job)
{
    while (!job->isFinished()) {
        dispatch();
        if (job->isFinished() || !m_inFlight || !m_child)
            return;
        const qint64 left = m_launch.timeoutMs - m_clock.elapsed();
        if (left <= 0) {
            fail(PreviewFailure::TimedOut);
            continue;
        }
        QProcess *child = m_child.get();
        if (!child->waitForReadyRead(int(left)) && m_child.get() == child && m_inFlight) {
            if (child->state() == QProcess::NotRunning)
                childEnded(child->exitCode(), child->exitStatus());
            else if (m_clock.elapsed() >= m_launch.timeoutMs)
                fail(PreviewFailure::TimedOut);
        }
    }
}

void PreviewWorker::warmUp()
{
    if (m_child)
        return;
    const PreviewLaunch launch = m_launchSource();
    if (!launch.program.isEmpty())
        startChild(launch);
}

int PreviewWorker::pending() const { return int(m_queue.size()) + (m_inFlight ? 1 : 0); }

void PreviewWorker::dispatch()
{
    while (!m_inFlight && !m_queue.isEmpty()) {
        const QPointer<PreviewJob> job = m_queue.takeFirst();
        if (!job || job->isFinished())
            continue;
        const PreviewLaunch launch = m_launchSource();
        if (m_child && (!(launch == m_launch) || m_servedByChild >= RequestsPerChild))
            stopChild();
        m_inFlight = InFlight{job->request(), job};
        m_answer.clear();
        if (launch.program.isEmpty() || job->request().bytes.isEmpty()) {
            complete(PreviewResult{{}, {}, launch.program.isEmpty() ? PreviewFailure::NotStarted : PreviewFailure::Unreadable});
            continue;
        }
        if (!m_child && !startChild(launch))
            continue; // told the job already
        ++m_servedByChild;
        ++m_requestsSent;
        m_clock.start();
        m_deadline.start(m_launch.timeoutMs);
        m_child->write(requestHeader(job->request()));
        m_child->write(job->request().bytes);
    }
}

bool PreviewWorker::startChild(const PreviewLaunch &launch)
{
    m_launch = launch;
    m_servedByChild = 0;
    m_child = std::make_unique<QProcess>();
    QProcess *child = m_child.get();
    child->setStandardErrorFile(QProcess::nullDevice());
    connect(child, &QProcess::readyReadStandardOutput, this, &PreviewWorker::readAnswer);
    connect(child, &QProcess::finished, this, &PreviewWorker::childEnded);
    connect(child, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            stopChild();
            if (m_inFlight)
                complete(PreviewResult{{}, {}, PreviewFailure::NotStarted});
            QTimer::singleShot(0, this, &PreviewWorker::dispatch);
        }
    });
    ++m_childrenStarted;
    child->start(launch.command(), launch.arguments());
    return m_child != nullptr && m_inFlight;
}

void PreviewWorker::stopChild()
{
    if (!m_child)
        return;
    m_child->disconnect(this);
    if (m_child->state() != QProcess::NotRunning) {
        m_child->kill();
        m_child->waitForFinished(1000);
    }
    // Possibly inside one of its signals: deleted once they returned.
    m_child.release()->deleteLater();
}

void PreviewWorker::readAnswer()
{
    if (!m_child)
        return;
    m_answer += m_child->readAllStandardOutput();
    if (!m_inFlight) {
        if (!m_answer.isEmpty()) // nothing was asked
            stopChild();
        m_answer.clear();
        return;
    }
    const AnswerScan scan = scanAnswer(m_answer, m_inFlight->request);
    if (scan.state == AnswerScan::Incomplete)
        return;
    // No answer, or more than one: the child is not trusted with another
    // request.
    if (scan.state == AnswerScan::Garbage || m_answer.size() > scan.length) {
        fail(PreviewFailure::Garbage);
        return;
    }
    const PreviewResult result = resultOf(m_answer, scan, m_inFlight->request);
    if (!result.ok() && result.failure != PreviewFailure::Unreadable)
        stopChild(); // after running out of memory, a fresh one
    complete(result);
    dispatch();
}

void PreviewWorker::childEnded(int exitCode, QProcess::ExitStatus status)
{
    if (m_child)
        m_answer += m_child->readAllStandardOutput();
    stopChild();
    if (m_inFlight) {
        // An answer written whole before the end still counts.
        const AnswerScan scan = scanAnswer(m_answer, m_inFlight->request);
        if (scan.state == AnswerScan::Complete && m_answer.size() == scan.length)
            complete(resultOf(m_answer, scan, m_inFlight->request));
        else
            complete(PreviewResult{{}, {}, status == QProcess::CrashExit ? PreviewFailure::Crashed : failureOfStatus(exitCode)});
    }
    dispatch();
}

void PreviewWorker::fail(PreviewFailure failure)
{
    stopChild();
    if (!m_inFlight)
        return;
    complete(PreviewResult{{}, {}, failure});
    dispatch();
}

void PreviewWorker::complete(PreviewResult result)
{
    m_deadline.stop();
    m_answer.clear();
    const InFlight done = std::move(*m_inFlight);
    m_inFlight.reset();
    Q_EMIT served(done.request, result);
    if (done.job)
        done.job->finish(std::move(result));
}

} // namespace sandbox
