#include "sandbox/PreviewLaunch.h"

#include "core/UserSettings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <dlfcn.h>

namespace sandbox {
namespace {

QString bubblewrap() { return QStandardPaths::findExecutable(QStringLiteral("bwrap")); }

// The system read-only, a private /tmp, no network, no other process, no
// home: the child sees its program and the request on its input.
QStringList sandboxArguments(const QString &programFolder)
{
    QStringList arguments{QStringLiteral("--ro-bind"), QStringLiteral("/usr"), QStringLiteral("/usr")};
    // The system's font cache, or fontconfig builds one on every run.
    for (const char *path : {"/etc", "/lib", "/lib64", "/bin", "/sbin", "/var/cache/fontconfig"})
        arguments << QStringLiteral("--ro-bind-try") << QLatin1String(path) << QLatin1String(path);
    arguments << QStringLiteral("--proc") << QStringLiteral("/proc") << QStringLiteral("--dev") << QStringLiteral("/dev")
              << QStringLiteral("--tmpfs") << QStringLiteral("/tmp");
    if (!programFolder.isEmpty())
        arguments << QStringLiteral("--ro-bind") << programFolder << programFolder;
    arguments << QStringLiteral("--unshare-all") << QStringLiteral("--die-with-parent") << QStringLiteral("--new-session")
              << QStringLiteral("--clearenv") << QStringLiteral("--setenv") << QStringLiteral("PATH")
              << QStringLiteral("/usr/bin:/bin") << QStringLiteral("--setenv") << QStringLiteral("LANG")
              << QStringLiteral("C.UTF-8") << QStringLiteral("--");
    return arguments;
}

// The folder of the library (or program) this code is linked into.
QString ownFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&ownFolder), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return {};
}

QString defaultProgram()
{
    const QString name = QStringLiteral("/kelvane-preview");
    const QString besideLibrary = ownFolder() + name;
    if (QFileInfo(besideLibrary).isExecutable())
        return besideLibrary;
    return QCoreApplication::applicationDirPath() + name;
}

} // namespace

QString PreviewLaunch::command() const { return sandboxed ? bubblewrap() : program; }

QStringList PreviewLaunch::arguments() const
{
    if (!sandboxed)
        return {};
    return sandboxArguments(QFileInfo(program).absolutePath()) << program;
}

PreviewLaunch PreviewLaunch::fromSettings(bool sandboxStarts)
{
    PreviewLaunch launch;
    launch.program = core::UserSettings::value(QStringLiteral("Main"), QStringLiteral("Vorschauprogramm"));
    if (launch.program.isEmpty())
        launch.program = defaultProgram();
    const double timeout = core::UserSettings::number(QStringLiteral("Main"), QStringLiteral("VorschauZeitlimit"), 10'000);
    launch.timeoutMs = int(qBound(500.0, timeout, 120'000.0));
    launch.sandboxed = sandboxStarts;
    return launch;
}

bool PreviewLaunch::sandboxStarts()
{
    const QString bwrap = bubblewrap();
    if (bwrap.isEmpty())
        return false;
    QProcess probe;
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(bwrap, sandboxArguments({}) << QStringLiteral("/usr/bin/true"));
    return probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

} // namespace sandbox
