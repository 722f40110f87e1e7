#include "quarvik/ScannerProcesses.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace quarvik {
namespace {

constexpr int kGraceMs = 2000;

QString notInstalled(const QString &program)
{
    return QStringLiteral("Das Programm \"%1\" zum Scannen wurde nicht gefunden. Bitte das Paket sane-utils "
                          "installieren.")
        .arg(program);
}

// Kills and reaps a process that is still running, without waiting long.
void endNow(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.disconnect();
    process.kill();
    process.waitForFinished(kGraceMs);
}

} // namespace

DeviceSearch::DeviceSearch(QObject *parent) : QObject(parent)
{
    connect(&m_process, &QProcess::finished, this, &DeviceSearch::done);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && !m_cancelled)
            Q_EMIT finished({}, notInstalled(m_program));
    });
}

DeviceSearch::~DeviceSearch() { endNow(m_process); }

void DeviceSearch::start()
{
    m_cancelled = false;
    m_process.start(m_program, ScannerDeviceList::arguments(), QIODevice::ReadOnly);
}

void DeviceSearch::cancel()
{
    m_cancelled = true;
    m_process.kill();
}

void DeviceSearch::done(int exitCode, QProcess::ExitStatus status)
{
    if (m_cancelled)
        return;
    const QByteArray output = m_process.readAllStandardOutput();
    if (status != QProcess::NormalExit || exitCode != 0) {
        const QString detail = QString::fromLocal8Bit(m_process.readAllStandardError()).trimmed();
        const QString why = status == QProcess::CrashExit ? QStringLiteral("das Scanprogramm ist abgestürzt")
            : detail.isEmpty()                            ? QStringLiteral("Rückgabewert %1").arg(exitCode)
                                                          : detail;
        Q_EMIT finished({}, QStringLiteral("Die Scanner können nicht abgefragt werden (%1).").arg(why));
        return;
    }
    Q_EMIT finished(ScannerDeviceList::parse(output), {});
}

ScanJob::ScanJob(QObject *parent) : QObject(parent)
{
    connect(&m_process, &QProcess::finished, this, &ScanJob::done);
    connect(&m_process, &QProcess::readyReadStandardError, this, [this] {
        if (m_progress.feed(m_process.readAllStandardError()))
            Q_EMIT progress(m_progress.percent());
    });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            failedToStart();
    });
}

ScanJob::~ScanJob()
{
    endNow(m_process);
    if (!m_output.isEmpty())
        QFile::remove(m_output);
}

void ScanJob::start(const QString &device, const QString &outputPath)
{
    m_progress = ScanProgress();
    m_cancelled = false;
    m_device = device;
    m_output = outputPath;
    QStringList arguments{QStringLiteral("--device-name=") + device, QStringLiteral("--format=png"),
                          QStringLiteral("--progress"), QStringLiteral("--output-file=") + outputPath};
    arguments += m_options;
    m_process.start(m_program, arguments, QIODevice::ReadOnly);
}

void ScanJob::cancel()
{
    if (!isRunning() || m_cancelled)
        return;
    m_cancelled = true;
    m_process.terminate(); // scanimage cancels at the device on SIGTERM
    QTimer::singleShot(kGraceMs, &m_process, [this] {
        if (isRunning())
            m_process.kill();
    });
}

void ScanJob::failedToStart()
{
    QFile::remove(m_output);
    m_output.clear();
    Q_EMIT finished(ScanOutcome{ScanOutcome::Kind::Failed, notInstalled(m_program)});
}

void ScanJob::done(int exitCode, QProcess::ExitStatus status)
{
    m_progress.feed(m_process.readAllStandardError() + '\n');
    ScanOutcome outcome;
    if (m_cancelled) {
        outcome.kind = ScanOutcome::Kind::Cancelled;
    } else if (status == QProcess::NormalExit && exitCode == 0 && QFileInfo(m_output).size() > 0) {
        outcome.kind = ScanOutcome::Kind::Scanned;
    } else {
        outcome.error = status == QProcess::CrashExit
            ? QStringLiteral("Das Scanprogramm ist abgestürzt.")
            : ScanProgress::germanError(m_progress.complaints(), exitCode, m_device);
    }
    if (outcome.kind != ScanOutcome::Kind::Scanned)
        QFile::remove(m_output);
    m_output.clear(); // from here on the file belongs to whoever asked for it
    Q_EMIT finished(outcome);
}

} // namespace quarvik
