#include "DesktopApplication.h"

#include "ole/Document.h"

#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include <optional>

namespace ole {
namespace {

// A shell script that runs `file` or a desktop tool: quick, but bounded all the same.
constexpr int kAnswerWait = 5000;

// What xdg-mime prints, trimmed; nothing when it cannot be asked or fails.
std::optional<QString> askXdgMime(const QStringList &arguments)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(kAnswerWait)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

} // namespace

void requireDesktopApplication(const QString &path)
{
    const std::optional<QString> answer = askXdgMime({QStringLiteral("query"), QStringLiteral("filetype"), path});
    if (!answer || answer->isEmpty())
        return;
    // "text/plain; charset=utf-8" from some tools: the type alone is asked for.
    const QString type = answer->section(u';', 0, 0).trimmed();
    const std::optional<QString> application = askXdgMime({QStringLiteral("query"), QStringLiteral("default"), type});
    if (!application || !application->isEmpty())
        return;
    const QMimeType known = QMimeDatabase().mimeTypeForName(type);
    const QString description = known.isValid() && !known.comment().isEmpty() ? known.comment() : type;
    throw OleError(QStringLiteral("Für Dateien dieser Art ist kein Programm eingerichtet.\n\nDateiart: %1 (%2)")
                       .arg(description, type));
}

} // namespace ole
