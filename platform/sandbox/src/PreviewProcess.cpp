#include "sandbox/PreviewProcess.h"

namespace sandbox {
namespace {

// An answer longer than the largest picture asked for is garbage.
qint64 longestAnswer(const PreviewRequest &request)
{
    if (request.mode == PreviewMode::Jpeg)
        return MaxInput + 64;
    return qint64(request.bound.width() + 1) * (request.bound.height() + 1) * 4 + 64;
}

PreviewFailure failureOfStatus(int exitCode)
{
    switch (exitCode) {
    case ExitUnreadable:
        return PreviewFailure::Unreadable;
    case ExitTooLarge:
        return PreviewFailure::TooLarge;
    case ExitOk:
        return PreviewFailure::Garbage; // said it answered, but did not
    default:
        return PreviewFailure::Crashed;
    }
}

} // namespace

PreviewProcess::PreviewProcess(PreviewLaunch launch, PreviewRequest request, QObject *parent)
    : QObject(parent), m_launch(std::move(launch)), m_request(std::move(request))
{
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { failed(PreviewFailure::TimedOut); });
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &PreviewProcess::readAnswer);
    connect(&m_process, &QProcess::finished, this, &PreviewProcess::childEnded);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            failed(PreviewFailure::NotStarted);
    });
}

PreviewProcess::~PreviewProcess()
{
    // Nothing outlives the request: a child still running is ended.
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

void PreviewProcess::start()
{
    if (m_launch.program.isEmpty() || m_request.bytes.isEmpty()) {
        failed(m_request.bytes.isEmpty() ? PreviewFailure::Unreadable : PreviewFailure::NotStarted);
        return;
    }
    m_clock.start();
    m_deadline.start(m_launch.timeoutMs);
    m_process.start(m_launch.command(), m_launch.arguments());
    if (m_finished)
        return;
    m_process.write(requestHeader(m_request));
    m_process.write(m_request.bytes);
    m_process.closeWriteChannel();
}

void PreviewProcess::waitForFinished()
{
    while (!m_finished) {
        const qint64 left = m_launch.timeoutMs - m_clock.elapsed();
        if (left <= 0 || !m_process.waitForFinished(int(left))) {
            if (!m_finished)
                failed(left <= 0 || m_process.state() != QProcess::NotRunning ? PreviewFailure::TimedOut
                                                                               : PreviewFailure::Crashed);
        }
    }
}

void PreviewProcess::readAnswer()
{
    m_answer += m_process.readAllStandardOutput();
    if (m_answer.size() > longestAnswer(m_request))
        failed(PreviewFailure::Garbage);
}

void PreviewProcess::childEnded(int exitCode, QProcess::ExitStatus status)
{
    if (m_finished)
        return;
    readAnswer();
    if (m_finished)
        return;
    if (status == QProcess::CrashExit) {
        failed(PreviewFailure::Crashed);
        return;
    }
    if (exitCode != ExitOk) {
        failed(failureOfStatus(exitCode));
        return;
    }
    if (m_request.mode == PreviewMode::Fit) {
        if (std::optional<QImage> image = parseImageAnswer(m_answer, m_request.bound))
            m_result.image = std::move(*image);
    } else if (std::optional<QByteArray> jpeg = parseJpegAnswer(m_answer)) {
        m_result.jpeg = std::move(*jpeg);
    }
    m_answer.clear();
    if (m_result.image.isNull() && m_result.jpeg.isEmpty())
        failed(PreviewFailure::Garbage);
    else
        finish();
}

void PreviewProcess::failed(PreviewFailure failure)
{
    if (m_finished)
        return;
    m_result = PreviewResult{{}, {}, failure};
    m_answer.clear();
    if (m_process.state() != QProcess::NotRunning) {
        m_process.disconnect(this);
        m_process.kill();
        m_process.waitForFinished(1000);
    }
    finish();
}

void PreviewProcess::finish()
{
    m_finished = true;
    m_deadline.stop();
    Q_EMIT finished();
}

} // namespace sandbox
