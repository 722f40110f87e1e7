// A workstation that saves: appends `count` records for a case, each in a
// write transaction of its own, as fast as the write lock lets it.
#include "history/Journal.h"

#include "dao/Dao.h"

#include <QCoreApplication>
#include <QDateTime>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    try {
        auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(args.at(1));
        const long caseId = args.at(2).toLong();
        const int count = args.at(3).toInt();
        history::Journal journal(*db, {QStringLiteral("writer%1").arg(caseId), QStringLiteral("host%1").arg(caseId)});
        for (int i = 0; i < count; ++i) {
            dao::retryWhileLocked(*db, [&] {
                // Both roads to the chain's head: read with the transaction's start, as a case save does, or by append.
                dao::Transaction tx = i % 2 ? dao::Transaction(*db, history::chainHeadQuery()) : dao::Transaction(*db);
                journal.append({caseId, QStringLiteral("Feld"), QStringLiteral("Schadenbetrag"), QString::number(i),
                                QString::number(i + 1), QVariant()},
                               QDateTime::currentDateTime());
                tx.commit();
            });
        }
    } catch (const dao::DaoError &error) {
        qWarning("%s", qPrintable(error.description()));
        return 1;
    }
    return 0;
}
