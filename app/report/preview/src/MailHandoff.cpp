#include "preview/MailHandoff.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace report {
namespace {

// Lives as a child of the application object, so its folder goes at the end.
class CopyFolder : public QObject {
public:
    explicit CopyFolder(QObject *parent)
        : QObject(parent), m_dir(QDir::tempPath() + QStringLiteral("/varnholt-mail-XXXXXX"))
    {
        setObjectName(QStringLiteral("varnholtMailCopies"));
    }
    QString path() const { return m_dir.isValid() ? m_dir.path() : QString(); }

private:
    QTemporaryDir m_dir;   // made 0700, so no other user reads a report in it
};

} // namespace

bool MailHandoff::mailProgramSetUp()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty())
        return false;
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForFinished(10000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return false;
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

QString MailHandoff::copyFolder()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return {};
    auto *folder = app->findChild<CopyFolder *>(QStringLiteral("varnholtMailCopies"), Qt::FindDirectChildrenOnly);
    if (!folder)
        folder = new CopyFolder(app);
    return folder->path();
}

bool MailHandoff::handOver(const QString &subject, const QString &file)
{
    // The mail program may stay open for as long as the message is written.
    return QProcess::startDetached(QStringLiteral("xdg-email"),
                                   {QStringLiteral("--subject"), subject, QStringLiteral("--attach"), file});
}

} // namespace report
