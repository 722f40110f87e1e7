#include "varnholt/CommandLine.h"
#include "varnholt/Schema.h"

#include "history/ChainCheck.h"
#include "history/Journal.h"
#include "history/Versions.h"

#include "core/Clock.h"
#include "core/DateText.h"
#include "core/MessageService.h"
#include "dao/Dao.h"
#include "dao/ServerAddress.h"

namespace varnholt {
namespace {

// The database opened and brought to this program's tables; null, told, when it cannot be.
std::unique_ptr<dao::Database> openForHistory(const QString &given, CommandIo &io)
{
    const QString path = readDatabasePath(given, io);
    if (path.isEmpty())
        return {};
    auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path);
    upgradeSchema(*db);
    if (!history::keepsHistory(*db)) {
        io.err << "Die Datenbank " << dao::shownDatabaseName(path) << " führt keinen Verlauf.\n";
        return {};
    }
    return db;
}

} // namespace

int verifyHistoryCommand(const QStringList &args, CommandIo &io)
{
    if (args.size() > 1) {
        io.err << "Aufruf: varnholt --verify-history [PFAD]\n";
        return 2;
    }
    try {
        const core::StreamMessages messages(io.err);
        const std::unique_ptr<dao::Database> db = openForHistory(args.value(0), io);
        if (!db)
            return 2;
        const history::ChainReport report = history::verifyChain(*db);
        (report.ok() ? io.out : io.err) << report.text() << '\n';
        return report.ok() ? 0 : 1;
    } catch (const dao::DaoError &error) {
        io.err << "Der Verlauf konnte nicht geprüft werden: " << error.description() << '\n';
        return 2;
    }
}

int purgeHistoryCommand(const QStringList &args, CommandIo &io)
{
    QStringList rest = args;
    const qsizetype at = rest.indexOf(QStringLiteral("--before"));
    std::optional<QDateTime> before;
    if (at >= 0 && at + 1 < rest.size()) {
        before = core::readDate(rest.at(at + 1));
        rest.remove(at, 2);
    }
    const bool confirmed = rest.removeAll(QStringLiteral("--yes")) > 0;
    if (!before || rest.size() > 1) {
        io.err << "Aufruf: varnholt --purge-history --before DATUM --yes [PFAD]  (DATUM: TT.MM.JJJJ)\n";
        return 2;
    }
    if (!confirmed) {
        io.err << "Ohne --yes wird nichts gelöscht: die Versionen vor " << before->toString(QStringLiteral("dd.MM.yyyy"))
               << " gehen unwiderruflich verloren.\n";
        return 2;
    }
    try {
        const core::StreamMessages messages(io.err);
        const std::unique_ptr<dao::Database> db = openForHistory(rest.value(0), io);
        if (!db)
            return 2;
        const long purged = history::purgeVersions(*db, *before, core::Clock::now());
        io.out << purged << " Versionen von Anlagen vor " << before->toString(QStringLiteral("dd.MM.yyyy"))
               << " gelöscht; der Verlauf selbst bleibt vollständig.\n";
        return 0;
    } catch (const dao::DaoError &error) {
        io.err << "Die Versionen konnten nicht gelöscht werden: " << error.description() << '\n';
        return 1;
    }
}

} // namespace varnholt
