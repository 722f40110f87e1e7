// The case list on a large database, against the raw engine in the same run:
// the time from ApplyFilter to the first screen of rows painted, and that of
// RefreshGrid(lID) for the case at the very end of the list, each next to the
// sqlite3 shell running the same statement to the end and a bare loop over
// SQLite's C API; the first screen sorted by customer in German order and by
// description (no index) against the shell; then the program's peak memory
// with that list open.
//
// bench_list [CASES] [DATABASE]: a database that exists is used as it is.
// The measuring runs in a child process of its own, so that making the demo
// cases does not count towards the peak memory.

#include "list/CaseListModel.h"
#include "list/frmMain.h"

#include "varnholt/DemoData.h"
#include "varnholt/Globals.h"
#include "varnholt/Schema.h"

#include "core/UserSettings.h"
#include "dao/Dao.h"

#include "BestOf.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

void createDatabase(const QString &path, int cases)
{
    dao::OpenOptions create;
    create.create = true;
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(path, create);
    varnholt::createSchema(*db);
    varnholt::DemoData().addCases(*db, cases);
    db->Execute(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    db->Close();
}

// The shell knows no German order: it sorts the same rows by the column's own.
QString shellStatement(QString statement) { return statement.remove(QStringLiteral(" COLLATE German")); }

void runShell(const QString &path, const QString &statement)
{
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    shell.start(QStringLiteral("sqlite3"), {path, statement});
    shell.waitForFinished(-1);
}

// The statement's rows through the C API, every value as text, up to `limit` rows.
long runCApi(const QString &path, const QString &statement, long limit)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, statement.toUtf8().constData(), -1, &stmt, nullptr);
    const int columns = sqlite3_column_count(stmt);
    long rows = 0;
    qint64 chars = 0;
    while (rows < limit && sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i)
            chars += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)),
                                       sqlite3_column_bytes(stmt, i)).size();
        ++rows;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return chars > 0 ? rows : 0;
}

// Read beside the program, so that its memory does not count.
long lastCase(const QString &path, const QString &statement)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, statement.toUtf8().constData(), -1, &stmt, nullptr);
    long id = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        id = long(sqlite3_column_int64(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return id;
}

// A line of /proc/self/status in kB: VmHWM the peak resident size, RssAnon
// the program's own memory now, RssFile the mapped files (the database among them).
long statusKilobytes(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(QByteArray(key + ':')))
            return line.mid(key.size() + 1).trimmed().split(' ').first().toLong();
    }
    return -1;
}

long peakKilobytes() { return statusKilobytes("VmHWM"); }

QTableView *gridOf(frmMain &window) { return window.findChild<QTableView *>(QStringLiteral("DBGrid1")); }

// ApplyFilter until the first screen is painted.
double firstScreen(frmMain &window, int runs)
{
    QTableView *grid = gridOf(window);
    return bestOf(runs, [&] {
        window.ApplyFilter(false);
        grid->viewport()->repaint();
    });
}

int measure(const QString &path, const QString &smallPath)
{
    QTemporaryDir home;
    varnholt::gIniFile = home.filePath(QStringLiteral("Varnholt.ini"));
    core::UserSettings::useFolder(home.filePath(QStringLiteral("user")));

    double smallFirst = 0;
    {
        auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(smallPath);
        frmMain small(*db);
        small.show();
        QApplication::processEvents();
        smallFirst = firstScreen(small, 5);
        small.hide();
    }

    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(path);
    QElapsedTimer opening;
    opening.start();
    frmMain window(*db);
    window.show();
    QApplication::processEvents();
    const double openMs = opening.nsecsElapsed() / 1e6;
    QTableView *grid = gridOf(window);
    auto *model = qobject_cast<list::CaseListModel *>(grid->model());
    const QString statement = model->statement();
    const int screenRows = grid->rowAt(grid->viewport()->height() - 1) + 1;
    const long peakOpen = peakKilobytes();

    const double listFirst = firstScreen(window, 5);
    const double paintMs = bestOf(5, [&] { grid->viewport()->repaint(); });
    const long rowsRead = model->rowCount();
    const double shellMs = bestOf(3, [&] { runShell(path, statement); });
    const double cScreenMs = bestOf(5, [&] { runCApi(path, statement, screenRows); });
    const double cAllMs = bestOf(3, [&] { runCApi(path, statement, LONG_MAX); });

    // The case at the very end of the list: the oldest one.
    const long lastId = lastCase(path, statement);
    const double locateMs = bestOf(3, [&] {
        window.RefreshGrid(lastId);
        grid->viewport()->repaint();
    });
    const bool located = window.GetCurrentID() && window.CurrentID() == lastId;
    const long peakAll = peakKilobytes();
    const long anonAll = statusKilobytes("RssAnon");
    const long fileAll = statusKilobytes("RssFile");

    // Sorted by customer in German order, served by the customer's index.
    window.HeadClick(4);
    window.HeadClick(4);
    const QString byCustomer = model->statement();
    const double customerFirst = firstScreen(window, 5);
    const double customerShell = bestOf(3, [&] { runShell(path, shellStatement(byCustomer)); });

    // A sort no index serves: the engine has to sort every case first.
    window.HeadClick(5);
    const QString unindexed = model->statement();
    const double unindexedFirst = firstScreen(window, 3);
    const double unindexedShell = bestOf(3, [&] { runShell(path, shellStatement(unindexed)); });

    std::printf("statement: %s\n", qPrintable(statement));
    std::printf("rows on the first screen: %d, rows read for it: %ld\n", screenRows, rowsRead);
    std::printf("window made, loaded and shown:            %8.1f ms\n", openMs);
    std::printf("first screen, %d cases:                  %8.2f ms\n", 100, smallFirst);
    std::printf("first screen, large list:                 %8.2f ms\n", listFirst);
    std::printf("  of which painting the rows alone:       %8.2f ms\n", paintMs);
    std::printf("  C API, first screen only:               %8.2f ms\n", cScreenMs);
    std::printf("  C API, whole statement:                 %8.1f ms\n", cAllMs);
    std::printf("  sqlite3 shell, whole statement:         %8.1f ms\n", shellMs);
    std::printf("RefreshGrid(last case) shown:             %8.1f ms  (%s)\n", locateMs, located ? "found" : "NOT FOUND");
    std::printf("statement by customer: %s\n", qPrintable(byCustomer));
    std::printf("first screen sorted by customer:          %8.2f ms, shell %8.1f ms\n", customerFirst, customerShell);
    std::printf("first screen sorted by description:       %8.1f ms, shell %8.1f ms\n", unindexedFirst, unindexedShell);
    std::printf("ratio first screen / shell:         %6.3f  (target <= 1.5)\n", listFirst / shellMs);
    std::printf("ratio first screen / C API screen:  %6.2f\n", listFirst / cScreenMs);
    std::printf("ratio large / 100-case first screen:%6.2f\n", listFirst / smallFirst);
    std::printf("ratio locate last / shell:          %6.2f  (target <= 2)\n", locateMs / shellMs);
    std::printf("ratio locate last / C API whole:    %6.2f\n", locateMs / cAllMs);
    std::printf("ratio by customer first screen / shell: %4.3f  (target <= 1.5)\n", customerFirst / customerShell);
    std::printf("ratio unindexed first screen / shell: %4.2f\n", unindexedFirst / unindexedShell);
    std::printf("peak memory, list open:             %6.1f MB\n", peakOpen / 1024.0);
    std::printf("peak memory, every row read:        %6.1f MB  (target < 150)\n", peakAll / 1024.0);
    std::printf("  then own memory %.1f MB, mapped files %.1f MB (database file %.1f MB)\n", anonAll / 1024.0,
                fileAll / 1024.0, QFile(path).size() / 1048576.0);
    window.close();
    return located ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 3 && std::strcmp(argv[1], "--measure") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return measure(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }

    QCoreApplication app(argc, argv);
    const int cases = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("bench.db"));
    const QString smallPath = dir.filePath(QStringLiteral("small.db"));
    if (!QFile::exists(path))
        createDatabase(path, cases);
    createDatabase(smallPath, 100);
    std::printf("cases: %d\n", cases);
    std::fflush(stdout);

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure"), path, smallPath});
    child.waitForFinished(-1);
    return child.exitCode();
}
