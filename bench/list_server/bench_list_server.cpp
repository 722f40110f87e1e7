// The case list's statement on a PostgreSQL server, against psql running the
// same statement in the same run: every row and value of it read through
// the database layer, and the first screen the list window waits for, next
// to psql printing every row.
//
// Then the first screen at 1,000,000 cases against the first screen at
// 10,000, and the peak memory of a process that holds the case list of
// 1,000,000 cases open as the list window does.
//
// Then, through a loopback proxy that holds each direction back 10 ms as a
// distant server does, the round trips and time of the list's first screen,
// of loading a case with three attachments and of saving a changed case.
//
// bench_list_server [CASES] [ADDRESS]: ADDRESS (default VARNHOLT_TEST_PG) is
// a server database; databases bench_list_<N> beside it are made and filled
// with demo cases when they hold none yet (1,000,000 take a while, once).

#include "form/CaseNumbering.h"
#include "list/CaseListModel.h"
#include "list/CaseStore.h"
#include "list/ListStatement.h"
#include "list/SortState.h"

#include "varnholt/DemoData.h"
#include "varnholt/Schema.h"

#include "dao/Dao.h"

#include "BestOf.h"
#include "DelayProxy.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {

long countCases(dao::Database &db)
{
    auto rs = db.OpenRecordset(QStringLiteral("Select Count(*) As n From Schaden"), dao::RecordsetType::Snapshot);
    return long(rs->Value(QStringLiteral("n")).toLongLong());
}

// Every row and value of the statement, as the layer delivers them to the
// list model (the model formats only the rows it shows).
long readAll(dao::Database &db, const list::ListStatement &statement)
{
    auto rs = db.OpenRecordset(statement.text, dao::RecordsetType::Snapshot, dao::RecordsetOption::None,
                               statement.params);
    long rows = 0;
    qint64 values = 0;
    for (; !rs->IsEOF(); rs->MoveNext(), ++rows)
        for (int i = 0; i < rs->FieldCount(); ++i)
            values += rs->Fields(i).Value().isValid() ? 1 : 0;
    return values > 0 ? rows : 0;
}

// What the list window waits for: the list opened and its first screen of rows read.
long firstScreen(dao::Database &db, const list::ListStatement &statement, int screenRows)
{
    list::CaseListModel model(db);
    model.setSource(statement);
    model.requery();
    long rows = 0;
    for (; rows < model.rowCount() && rows < screenRows; ++rows)
        for (int column = 0; column < list::CaseListModel::ColumnCount; ++column)
            model.text(int(rows), column);
    return rows;
}

// Demo cases written one by one; beyond these the same cases again under
// new numbers, as writing a million one by one takes far longer than the
// measurement and the list reads them alike.
constexpr int DemoCases = 10000;

void fill(dao::Database &db, int cases)
{
    const int demo = std::min(cases, DemoCases);
    varnholt::DemoData().addCases(db, demo);
    auto shape = db.OpenRecordset(QStringLiteral("Select * From Schaden Where ID < 0"), dao::RecordsetType::Snapshot);
    QStringList columns;
    QStringList values;
    for (int i = 0; i < shape->FieldCount(); ++i) {
        const QString name = shape->Fields(i).Name();
        columns << name;
        values << (name.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0 ? QStringLiteral("ID + ?") : name);
    }
    const QString copy = QStringLiteral("Insert Into Schaden (%1) Select %2 From Schaden Where ID <= ?")
                             .arg(columns.join(u','), values.join(u','));
    for (int done = demo; done < cases; done += demo)
        db.Execute(copy, {done, std::min(demo, cases - done)});
}

// The database of `cases` demo cases beside the server address, made and filled when needed.
std::unique_ptr<dao::Database> benchDatabase(const QString &server, int cases, QString *address)
{
    *address = server.left(server.lastIndexOf(u'/') + 1) + QStringLiteral("bench_list_%1").arg(cases);
    std::unique_ptr<dao::Database> db;
    try {
        db = dao::DBEngine::instance().Workspaces().OpenDatabase(*address);
    } catch (const dao::DaoError &error) {
        if (error.number() != dao::ErrDatabaseNotFound)
            throw;
        dao::OpenOptions create;
        create.create = true;
        db = dao::DBEngine::instance().Workspaces().OpenDatabase(*address, create);
        varnholt::createSchema(*db);
    }
    if (countCases(*db) == 0) {
        QElapsedTimer filling;
        filling.start();
        fill(*db, cases);
        db->Execute(QStringLiteral("ANALYZE"));
        std::printf("%d demo cases written in %.1f s\n", cases, filling.nsecsElapsed() / 1e9);
    }
    return db;
}

// The process's peak resident memory in megabytes.
double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QRegularExpression peak(QStringLiteral(R"(VmHWM:\s*(\d+) kB)"));
    return peak.match(QString::fromLatin1(status.readAll())).captured(1).toDouble() / 1024;
}

// In a process of its own: the list of every case open as the window opens
// it, its first screen shown; prints the peak memory.
int holdList(const QString &address)
{
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(address);
    list::CaseListModel model(*db);
    const list::ListStatement statement = list::buildListStatement(list::FilterInput{}, list::SortState());
    model.setSource(statement);
    model.requery();
    for (int row = 0; row < 40 && row < model.rowCount(); ++row)
        for (int column = 0; column < list::CaseListModel::ColumnCount; ++column)
            model.text(row, column);
    std::printf("%.1f\n", peakMegabytes());
    return 0;
}

double listPeakMegabytes(const QString &address)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-list"), address});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return -1;
    return child.readAllStandardOutput().trimmed().toDouble();
}

// The first case given three attachments, made once; its ID.
long caseWithAttachments(dao::Database &db)
{
    auto first = db.OpenRecordset(QStringLiteral("Select Min(ID) as ID From Schaden"), dao::RecordsetType::Snapshot);
    const long id = long(first->Value(QStringLiteral("ID")).toLongLong());
    first->Close();
    const QByteArray picture(200 * 1024, 'p');
    for (int i = 1; i <= 3; ++i) {
        const qlonglong objectId = 900000000 + i;
        db.Execute(QStringLiteral("Delete From Objekt Where ID=?"), {objectId});
        db.Execute(QStringLiteral("Insert Into Objekt (ID, lbObjekt, fBitmap, tClass, mScript) Values (?, ?, -1, 'jpg', ?)"),
                   {objectId, picture, QStringLiteral("Skript %1").arg(i)});
        db.Execute(QStringLiteral("Update Schaden Set Objekt_ID_%1=? Where ID=?").arg(i), {objectId, qlonglong(id)});
    }
    return id;
}

// What the case form reads to show a case: its row, then each attachment as
// the attachment control reads it (the layer already knows the tables).
void loadCase(dao::Database &db, long id)
{
    auto row = db.OpenRecordset(QStringLiteral("Select * from Schaden where ID=?"), dao::RecordsetType::Snapshot,
                                dao::RecordsetOption::None, {qlonglong(id)});
    for (int i = 1; i <= 3; ++i) {
        const QVariant objectId = row->Value(QStringLiteral("Objekt_ID_%1").arg(i));
        const bool scripted = db.TableHasColumn(QStringLiteral("Objekt"), QStringLiteral("mScript"));
        auto object = db.OpenRecordset(QStringLiteral("Select ID, lbObjekt, fBitmap, tClass")
                                           + (scripted ? QStringLiteral(", mScript") : QString())
                                           + QStringLiteral(" from Objekt where ID =?"),
                                       dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {objectId});
        object->Fields(QStringLiteral("lbObjekt")).GetChunk(0, object->Fields(QStringLiteral("lbObjekt")).FieldSize());
    }
}

struct Trips {
    long roundTrips;
    double ms;
};

template <typename Action>
Trips countTrips(DelayProxy &proxy, Action action)
{
    action();   // the layer learns the tables' columns once per connection
    proxy.resetCount();
    QElapsedTimer timer;
    timer.start();
    action();
    return {proxy.roundTrips(), timer.nsecsElapsed() / 1e6};
}

void roundTrips(const QString &address, const list::ListStatement &statement)
{
    DelayProxy proxy(quint16(QUrl(address).port()), std::chrono::milliseconds(10));
    QUrl distant(address);
    distant.setPort(proxy.port());
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(distant.toString());
    const long id = caseWithAttachments(*db);
    list::CaseListModel model(*db);
    model.setSource(statement);
    const Trips screen = countTrips(proxy, [&] {
        model.requery();
        list::countCases(*db, statement.countText, statement.params);
    });
    const Trips load = countTrips(proxy, [&] { loadCase(*db, id); });
    form::CaseStore store(*db);
    int saves = 0;
    // As the form saves: the row as it was read must still be there, unchanged by others.
    std::optional<form::CaseStamp> read;
    const Trips save = countTrips(proxy, [&] {
        store.save(id, QDateTime::currentDateTime(), [&](dao::Recordset &row) {
            row.SetValue(QStringLiteral("Schadenbeschreibung"), QStringLiteral("Geändert %1").arg(++saves));
        }, read);
        read = store.written();
    });
    std::printf("round trips through a proxy holding each direction 10 ms:\n");
    std::printf("  list, first screen with its count:   %3ld  %7.1f ms  (target <= 3)\n", screen.roundTrips, screen.ms);
    std::printf("  case with three attachments loaded:  %3ld  %7.1f ms  (target <= 6)\n", load.roundTrips, load.ms);
    std::printf("  changed case saved:                  %3ld  %7.1f ms  (target <= 8)\n", save.roundTrips, save.ms);
}

bool runPsql(const QString &address, const QString &statement)
{
    QProcess psql;
    psql.setStandardOutputFile(QProcess::nullDevice());
    psql.start(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"),
                                        QStringLiteral("-t"), QStringLiteral("-d"), address, QStringLiteral("-c"),
                                        statement});
    return psql.waitForFinished(-1) && psql.exitCode() == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);   // each figure as soon as it is measured
    if (argc == 3 && qstrcmp(argv[1], "--hold-list") == 0)
        return holdList(QString::fromLocal8Bit(argv[2]));
    const int cases = argc > 1 ? atoi(argv[1]) : 100000;
    const QString server = argc > 2 ? QString::fromLocal8Bit(argv[2]) : qEnvironmentVariable("VARNHOLT_TEST_PG");
    if (cases < 1 || !server.startsWith(QLatin1String("postgresql://"))) {
        std::fprintf(stderr, "Aufruf: bench_list_server [FAELLE] [postgresql://...] (oder VARNHOLT_TEST_PG)\n");
        return 2;
    }
    try {
        QString address;
        auto db = benchDatabase(server, cases, &address);
        const list::ListStatement statement = list::buildListStatement(list::FilterInput{}, list::SortState());
        long rows = 0;
        const double layerMs = bestOf(5, [&] { rows = readAll(*db, statement); });
        const double screenMs = bestOf(5, [&] { firstScreen(*db, statement, 40); });
        bool psqlOk = true;
        const double psqlMs = bestOf(5, [&] { psqlOk = runPsql(address, statement.text) && psqlOk; });
        if (!psqlOk) {
            std::fprintf(stderr, "psql could not run the statement\n");
            return 1;
        }
        std::printf("statement: %s\n", qPrintable(statement.text));
        std::printf("cases: %ld of %ld\n", rows, countCases(*db));
        std::printf("database layer, every row and value:  %8.1f ms\n", layerMs);
        std::printf("database layer, first screen (40 rows):%7.1f ms\n", screenMs);
        std::printf("psql, every row printed:              %8.1f ms\n", psqlMs);
        std::printf("ratio layer / psql:              %6.3f  (target <= 1.5)\n", layerMs / psqlMs);
        std::printf("ratio first screen / psql:       %6.3f\n", screenMs / psqlMs);
        roundTrips(address, statement);
        db->Close();

        // The first screen must not grow with the table.
        QString smallAddress, largeAddress;
        auto small = benchDatabase(server, 10000, &smallAddress);
        auto large = benchDatabase(server, 1000000, &largeAddress);
        const std::vector<double> screens = bestOfEach(
            9, {[&] { firstScreen(*small, statement, 40); }, [&] { firstScreen(*large, statement, 40); }});
        large->Close();
        std::printf("first screen at 10,000 cases:     %8.2f ms\n", screens[0]);
        std::printf("first screen at 1,000,000 cases:  %8.2f ms\n", screens[1]);
        std::printf("ratio first screen 1,000,000 / 10,000: %6.3f  (target <= 1.5)\n", screens[1] / screens[0]);
        std::printf("peak memory, list of 1,000,000 cases open: %6.1f MB  (target < 150)\n",
                    listPeakMegabytes(largeAddress));
    } catch (const dao::DaoError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
