// Saves new cases into one database as fast as it can, as a second
// workstation would: case_saver DATABASE COUNT PLATE.

#include "form/CaseNumbering.h"

#include "core/Clock.h"
#include "dao/Dao.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 4)
        return 2;
    core::Clock::setFixed(QDateTime(QDate(2010, 3, 5), QTime(9, 30)));
    try {
        auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(QString::fromLocal8Bit(argv[1]));
        form::CaseStore store(*db);
        const int count = atoi(argv[2]);
        const QString plate = QString::fromLocal8Bit(argv[3]);
        for (int i = 0; i < count; ++i) {
            store.save(0, core::Clock::now(), [&](dao::Recordset &row) {
                row.SetValue(QStringLiteral("EigenKZ"), plate);
                row.SetValue(QStringLiteral("Schadenart"), QStringLiteral("Einzelschaden"));
            });
        }
    } catch (const dao::DaoError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
