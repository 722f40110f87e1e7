// The vehicle's record and the case report's diagram on a large database:
// the record of a vehicle with 1,000 cases opened until painted, against the
// list window's first screen on the same database in the same run; the
// single-case report with its Schadenskizze against the same report without
// it, both laid out and written to a PDF.
//
// bench_vehicle [CASES] [DATABASE]: a database that exists is used as it is
// (brought to the program's tables, the bench vehicles added once).

#include "list/frmMain.h"
#include "vehicle/MarkStore.h"
#include "vehicle/SkizzeAddition.h"
#include "vehicle/VehicleRecord.h"
#include "vehicle/frmFahrzeug.h"

#include "report/ReportJob.h"

#include "varnholt/DemoData.h"
#include "varnholt/Globals.h"
#include "varnholt/Schema.h"

#include "core/UserSettings.h"
#include "dao/Dao.h"

#include "BestOf.h"

#include <QApplication>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const QString RecordPlate = QStringLiteral("B-BENCH 1000");
const QString ReportPlate = QStringLiteral("B-BENCH 6");

long count(dao::Database &db, const QString &statement, const dao::Params &params = {})
{
    auto rs = db.OpenRecordset(statement, dao::RecordsetType::Snapshot, dao::RecordsetOption::None, params);
    return rs->IsEOF() ? 0 : long(rs->Fields(0).Value().toLongLong());
}

QList<long> idsOf(dao::Database &db, const QString &plate)
{
    QList<long> ids;
    auto rs = db.OpenRecordset(QStringLiteral("Select ID From Schaden Where EigenKZ=? Order By Datum, ID"),
                               dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {plate});
    for (; !rs->IsEOF(); rs->MoveNext())
        ids.append(long(rs->Fields(0).Value().toLongLong()));
    return ids;
}

vehicle::DamageMark markOf(int nr, int x, int y, const QString &kind, const QDate &repaired)
{
    vehicle::DamageMark mark;
    mark.nr = nr;
    mark.at = QPoint(x, y);
    mark.kind = kind;
    mark.repairedOn = repaired;
    return mark;
}

// Cases spread over the whole database take the bench vehicles' plates: 1,000
// for the record, six for the report; each with marks, most of the record's
// repaired, so that its diagram shows about a hundred.
void addBenchVehicles(dao::Database &db, long cases)
{
    if (count(db, QStringLiteral("Select Count(*) From Schaden Where EigenKZ=?"), {RecordPlate}) > 0)
        return;
    dao::Transaction tx(db);
    const long step = std::max(1L, cases / 1000);
    db.Execute(QStringLiteral("UPDATE Schaden SET EigenKZ=?, Fahrzeugtyp='VW Golf' WHERE ID IN "
                              "(SELECT ID FROM Schaden WHERE ID % ? = 1 ORDER BY ID LIMIT 1000)"),
               {RecordPlate, qlonglong(step)});
    db.Execute(QStringLiteral("UPDATE Schaden SET EigenKZ=?, Fahrzeugtyp='VW Transporter' WHERE ID IN "
                              "(SELECT ID FROM Schaden WHERE ID % ? = 2 ORDER BY ID LIMIT 6)"),
               {ReportPlate, qlonglong(step)});
    vehicle::MarkStore store(db);
    const QStringList &kinds = vehicle::markKinds();
    int n = 0;
    for (long id : idsOf(db, RecordPlate)) {
        ++n;
        const QDate repaired = n % 10 == 0 ? QDate() : QDate(2020, 1, 1);
        store.writeCase(id, RecordPlate, {}, {markOf(1, 80 + (n * 37) % 840, 80 + (n * 53) % 840,
                                                     kinds.at(n % kinds.size()), repaired)});
    }
    n = 0;
    for (long id : idsOf(db, ReportPlate)) {
        ++n;
        store.writeCase(id, ReportPlate, {},
                        {markOf(1, 120 + 60 * n, 470, QStringLiteral("Delle"), n % 2 ? QDate() : QDate(2020, 1, 1)),
                         markOf(2, 893, 300 + 40 * n, QStringLiteral("Kratzer"), QDate())});
    }
    tx.commit();
}

QString caseDefinition()
{
    QFile file(QStringLiteral(VARNHOLT_SOURCE_DIR "/data/Protokoll.def"));
    file.open(QIODevice::ReadOnly);
    return report::decodeDefinitionFile(file.readAll());
}

int measure(const QString &path)
{
    QTemporaryDir home;
    varnholt::gIniFile = home.filePath(QStringLiteral("Varnholt.ini"));
    core::UserSettings::useFolder(home.filePath(QStringLiteral("user")));
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(path);

    frmMain window(*db);
    window.show();
    QApplication::processEvents();
    QTableView *grid = window.findChild<QTableView *>(QStringLiteral("DBGrid1"));
    const auto listFirstScreen = [&] {
        window.ApplyFilter(false);
        grid->viewport()->repaint();
    };
    const auto recordPainted = [&] {
        auto record = std::make_unique<vehicle::frmFahrzeug>(vehicle::VehicleRecord::load(*db, RecordPlate),
                                                             vehicle::frmFahrzeug::OpenCase(),
                                                             vehicle::frmFahrzeug::Print());
        record->show();
        QApplication::processEvents();
        record->repaint();
    };
    const std::vector<double> opened = bestOfEach(5, {listFirstScreen, recordPainted});

    const long reportCase = idsOf(*db, ReportPlate).last();
    const QString definition = caseDefinition();
    const QString pdf = home.filePath(QStringLiteral("case.pdf"));
    int pagesWith = 0, pagesWithout = 0;
    const auto caseReport = [&](bool withDiagram, int &pages) {
        report::ReportJob job(db.get(), report::PrintRequest{report::PrintKindCase, reportCase, {}, false, nullptr},
                              definition);
        vehicle::SkizzeAddition diagram(*db);
        if (withDiagram)
            job.setAddition(&diagram);
        job.layout();
        QString message;
        job.writePdf(pdf, &message);
        pages = job.totalPages();
    };
    const std::vector<double> reports = bestOfEach(
        7, {[&] { caseReport(true, pagesWith); }, [&] { caseReport(false, pagesWithout); }});

    const vehicle::VehicleRecord record = vehicle::VehicleRecord::load(*db, RecordPlate);
    std::printf("vehicle %s: %lld cases, %lld marks not repaired\n", qPrintable(RecordPlate),
                qlonglong(record.cases().size()), qlonglong(record.openMarks().size()));
    std::printf("list window, first screen:                %8.2f ms\n", opened[0]);
    std::printf("vehicle record opened until painted:      %8.2f ms\n", opened[1]);
    std::printf("case report with Schadenskizze (%d pages): %8.2f ms\n", pagesWith, reports[0]);
    std::printf("case report without it (%d pages):        %8.2f ms\n", pagesWithout, reports[1]);
    std::printf("ratio record / list first screen:   %6.2f  (target <= 1.5)\n", opened[1] / opened[0]);
    std::printf("ratio report with / without diagram: %5.2f  (target <= 1.2)\n", reports[0] / reports[1]);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int cases = argc > 1 ? std::max(1000, atoi(argv[1])) : 1000000;
    QTemporaryDir dir;
    const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("bench.db"));
    {
        dao::OpenOptions options;
        options.create = !QFile::exists(path);
        auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(path, options);
        if (options.create) {
            varnholt::createSchema(*db);
            varnholt::DemoData().addCases(*db, cases);
        }
        varnholt::upgradeSchema(*db);
        addBenchVehicles(*db, count(*db, QStringLiteral("Select Max(ID) From Schaden")));
        std::printf("cases: %ld\n", count(*db, QStringLiteral("Select Count(*) From Schaden")));
    }
    return measure(path);
}
