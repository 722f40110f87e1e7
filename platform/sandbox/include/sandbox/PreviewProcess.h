#pragma once

#include "sandbox/PreviewLaunch.h"
#include "sandbox/PreviewProtocol.h"
#include "sandbox/PreviewResult.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QTimer>

namespace sandbox {

// One run of the preview program for one request: the request goes to its
// input, the answer is read from its output and checked, its error output
// is dropped. Whatever the child does (faults, hangs, answers garbage, eats
// memory) ends as a result with a failure; after the launch's timeout the
// child is killed. Asynchronous with finished(); waitForFinished() blocks
// for a caller that must have the picture now (printing).
class PreviewProcess : public QObject {
    Q_OBJECT
public:
    PreviewProcess(PreviewLaunch launch, PreviewRequest request, QObject *parent = nullptr);
    ~PreviewProcess() override;

    void start();
    // Blocks until the child is done or killed; always finishes.
    void waitForFinished();
    bool isFinished() const { return m_finished; }
    const PreviewResult &result() const { return m_result; }
    const PreviewRequest &request() const { return m_request; }

Q_SIGNALS:
    void finished();

private:
    void readAnswer();
    void childEnded(int exitCode, QProcess::ExitStatus status);
    void failed(PreviewFailure failure);
    void finish();

    PreviewLaunch m_launch;
    PreviewRequest m_request;
    QProcess m_process;
    QTimer m_deadline;
    QElapsedTimer m_clock;
    QByteArray m_answer;
    PreviewResult m_result;
    bool m_finished = false;
};

} // namespace sandbox
