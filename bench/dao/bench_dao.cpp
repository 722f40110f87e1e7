// Reads every value of every case of a 100,000-case database three ways in
// one run: through a dao snapshot, through a bare loop over SQLite's C API
// (the limit) and through the sqlite3 shell, taking turns. Prints the best of
// five runs of each and the two ratios.

#include "varnholt/DemoData.h"
#include "varnholt/Schema.h"

#include "dao/Dao.h"

#include "BestOf.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

namespace {

const char *const kStatement = "SELECT * FROM Schaden";

// What each reader adds up, so that nothing can be skipped.
struct Tally {
    qint64 values = 0;
    qint64 bytes = 0;
};

Tally readThroughDao(const QString &path)
{
    Tally t;
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(path);
    auto rs = db->OpenRecordset(QString::fromLatin1(kStatement), dao::RecordsetType::Snapshot);
    const int fields = rs->FieldCount();
    for (; !rs->IsEOF(); rs->MoveNext()) {
        for (int i = 0; i < fields; ++i) {
            const QVariant v = rs->Fields(i).Value();
            if (dao::isNull(v))
                continue;
            ++t.values;
            if (v.typeId() == QMetaType::QString)
                t.bytes += v.toString().size();
        }
    }
    return t;
}

Tally readThroughSqlite(const QString &path)
{
    Tally t;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, kStatement, -1, &stmt, nullptr);
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_NULL:
                continue;
            case SQLITE_INTEGER:
                t.bytes += sqlite3_column_int64(stmt, i) & 1;
                break;
            case SQLITE_FLOAT:
                t.bytes += sqlite3_column_double(stmt, i) > 0;
                break;
            case SQLITE_TEXT:
                // Text as the program needs it: decoded into characters.
                t.bytes += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)),
                                             sqlite3_column_bytes(stmt, i)).size();
                break;
            default:
                t.bytes += sqlite3_column_bytes(stmt, i) > 0 && sqlite3_column_blob(stmt, i);
                break;
            }
            ++t.values;
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return t;
}

Tally readThroughShell(const QString &path)
{
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    shell.start(QStringLiteral("sqlite3"), {path, QString::fromLatin1(kStatement)});
    shell.waitForFinished(-1);
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // bench_dao [CASES] [DATABASE]: a database that exists is read as it is.
    const int cases = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;

    QTemporaryDir dir;
    const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("bench.db"));
    if (!QFile::exists(path)) {
        dao::OpenOptions create;
        create.create = true;
        auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(path, create);
        varnholt::createSchema(*db);
        varnholt::DemoData().addCases(*db, cases);
        db->Execute(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }

    Tally viaDao, viaSqlite, viaShell;
    const std::vector<double> best = bestOfEach(5, {[&] { viaShell = readThroughShell(path); },
                                                    [&] { viaSqlite = readThroughSqlite(path); },
                                                    [&] { viaDao = readThroughDao(path); }});
    const double shellMs = best[0], sqliteMs = best[1], daoMs = best[2];

    std::printf("cases: %d, values read: %lld (dao) / %lld (C API)\n", cases,
                static_cast<long long>(viaDao.values), static_cast<long long>(viaSqlite.values));
    std::printf("dao snapshot   %8.1f ms\n", daoMs);
    std::printf("SQLite C API   %8.1f ms\n", sqliteMs);
    std::printf("sqlite3 shell  %8.1f ms\n", shellMs);
    std::printf("ratio dao / C API:  %.2f  (target <= 1.5)\n", daoMs / sqliteMs);
    std::printf("ratio dao / shell:  %.2f  (target < 1)\n", daoMs / shellMs);
    return viaDao.values == viaSqlite.values ? 0 : 1;
}
