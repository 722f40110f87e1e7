#pragma once

#include <QString>
#include <QStringList>

namespace sandbox {

// How the preview program is started: the program (settings "Main",
// "Vorschauprogramm", for packagers and tests' stand-ins; else
// kelvane-preview beside the library or the program), inside bubblewrap
// where it can start, and how long it may take (settings "Main",
// "VorschauZeitlimit" in milliseconds, 10 s when not set).
struct PreviewLaunch {
    QString program;
    bool sandboxed = false;
    int timeoutMs = 10'000;
    bool operator==(const PreviewLaunch &) const = default;

    // What QProcess runs: bwrap with its arguments around the program, or
    // the program itself.
    QString command() const;
    QStringList arguments() const;

    // From the settings; sandboxed as the caller found bubblewrap.
    static PreviewLaunch fromSettings(bool sandboxStarts);
    // Whether bubblewrap is installed and can make its namespaces here (it
    // cannot in some containers); runs it once.
    static bool sandboxStarts();
};

} // namespace sandbox
