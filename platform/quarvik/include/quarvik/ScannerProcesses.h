#pragma once

#include "quarvik/ScanProgress.h"
#include "quarvik/ScannerDevices.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace quarvik {

// SANE's `scanimage` run as a child process, so that a crashing driver
// cannot take the program down and the window keeps answering meanwhile.
// Both classes end a process that still runs when they are destroyed.

// Lists the scanners; that can take seconds (network scanners).
class DeviceSearch : public QObject {
    Q_OBJECT
public:
    explicit DeviceSearch(QObject *parent = nullptr);
    ~DeviceSearch() override;
    void setProgram(const QString &program) { m_program = program; }
    void start();
    // Ends the search; finished() is not raised.
    void cancel();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

Q_SIGNALS:
    // error is German and empty when the list could be taken (it may be empty).
    void finished(const QList<quarvik::ScannerDevice> &devices, const QString &error);

private:
    void done(int exitCode, QProcess::ExitStatus status);

    QProcess m_process;
    QString m_program = QStringLiteral("scanimage");
    bool m_cancelled = false;
};

struct ScanOutcome {
    enum class Kind { Scanned, Cancelled, Failed };
    Kind kind = Kind::Failed;
    QString error; // German, for Failed
};

// Scans one page from a device into a PNG file.
class ScanJob : public QObject {
    Q_OBJECT
public:
    explicit ScanJob(QObject *parent = nullptr);
    ~ScanJob() override;
    void setProgram(const QString &program) { m_program = program; }
    // Device options passed on as they are (e.g. "--resolution=300").
    void setDeviceOptions(const QStringList &options) { m_options = options; }
    void start(const QString &device, const QString &outputPath);
    // Asks scanimage to stop (it cancels at the device); kills it when it
    // does not end within two seconds. finished() reports Cancelled.
    void cancel();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

Q_SIGNALS:
    void progress(int percent);
    // The output file is removed unless the page was scanned.
    void finished(const quarvik::ScanOutcome &outcome);

private:
    void done(int exitCode, QProcess::ExitStatus status);
    void failedToStart();

    QProcess m_process;
    ScanProgress m_progress;
    QString m_program = QStringLiteral("scanimage");
    QStringList m_options;
    QString m_device;
    QString m_output;
    bool m_cancelled = false;
};

} // namespace quarvik
