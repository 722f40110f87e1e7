// The list at 100,000 and 1,000,000 cases, in one run:
//  - time until the preview's first page is ready, against the whole layout
//    as it was (every cell of every row laid out and kept), target <= 0.05;
//  - peak memory of `varnholt --print list --pdf` at 100,000 cases (target
//    <= 150 MB) and at 1,000,000 (target <= 1.5 x that at 100,000);
//  - export of 1,000,000 cases to XLSX against libxlsxwriter writing the
//    same cells from a plain loop over SQLite's and its own C API, target <= 1.5.
// Usage: bench_report_large [FOLDER]  (the databases take about 1 GB there
// and are used again by the next run in the same folder).

#include "export/ListExport.h"
#include "export/RowSource.h"
#include "export/XlsxWriter.h"

#include "list/ListReport.h"
#include "list/ListStatement.h"
#include "list/SortState.h"

#include "report/GridSource.h"
#include "report/ReportJob.h"
#include "report/ReportLayout.h"

#include "varnholt/DemoData.h"
#include "varnholt/Schema.h"

#include "core/GermanLocale.h"
#include "dao/Dao.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <xlsxwriter.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kDemoCases = 10000;

// kDemoCases realistic cases, copied with new IDs until there are `cases`;
// a database of an earlier run with that many is taken as it is.
void makeDatabase(const QString &path, long cases)
{
    if (QFile::exists(path)) {
        try {
            auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path);
            const long found = report::countRows(*db, QStringLiteral("Select ID From Schaden"), {});
            db->Close();
            if (found == cases)
                return;
        } catch (const dao::DaoError &) {
        }
        QFile::remove(path);
    }
    dao::OpenOptions options;
    options.create = true;
    auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path, options);
    varnholt::createSchema(*db);
    varnholt::DemoData().addCases(*db, kDemoCases);
    QStringList columns;
    {
        auto rs = db->OpenRecordset(QStringLiteral("Select * From Schaden Where ID=1"), dao::RecordsetType::ForwardOnly);
        for (int i = 1; i < rs->FieldCount(); ++i)
            columns.append(u'[' + rs->Fields(i).Name() + u']');
    }
    const QString copy = QStringLiteral("Insert Into Schaden (ID,%1) Select ID+?,%1 From Schaden Where ID<=?")
                             .arg(columns.join(u','));
    dao::Transaction transaction(*db);
    for (long offset = kDemoCases; offset < cases; offset += kDemoCases)
        db->Execute(copy, {qlonglong(offset), qlonglong(std::min<long>(kDemoCases, cases - offset))});
    transaction.commit();
    db->Close();
}

struct Layouts {
    qint64 firstPageMs = 0;
    qint64 wholeMs = 0;
    int pages = 0;
};

Layouts layouts(dao::Database &db)
{
    const list::ListStatement statement = list::buildListStatement({}, list::SortState());
    const QList<report::GridColumn> columns = list::reportColumns(list::parseColumnWidths(list::DefaultColumnWidthsText));
    const auto makeJob = [&](report::QueryGridSource &grid) {
        const report::PrintRequest request{report::PrintKindList, grid.rowCount(), QStringLiteral("Alle"), false, &grid};
        return std::make_unique<report::ReportJob>(&db, request, *report::ReportJob::definitionText(request, {}, nullptr));
    };
    Layouts result;
    {
        // As the preview: page 1 drawn at 100 % as soon as it is laid out.
        QElapsedTimer timer;
        timer.start();
        report::QueryGridSource grid(db, statement.text, statement.params, columns);
        auto preview = makeJob(grid);
        QImage canvas(1123, 794, QImage::Format_RGB32);
        preview->layout([&](int) {
            QPainter painter(&canvas);
            preview->renderPage(painter, 1, canvas.rect(), report::RenderOptions{true, 1.0});
            return false;
        });
        result.firstPageMs = timer.elapsed();
    }
    {
        // As it was: every cell of every row laid out and kept before page 1.
        QElapsedTimer timer;
        timer.start();
        report::QueryGridSource grid(db, statement.text, statement.params, columns);
        auto job = makeJob(grid);
        report::ReportLayout whole(job->definition(), job->data(), job->paperCm());
        whole.setGrid(&grid, job->data().request().record);
        whole.ReadIt();
        report::PageItemList kept;
        const report::PageItemList &items = whole.pageItems();
        for (int page = 1; page <= whole.totalPages(); ++page) {
            const auto [first, end] = items.pageRange(page);
            for (int i = first; i < end; ++i)
                kept.append(items.at(i));
            whole.forEachExtra(page, [&kept](const report::ReportElement &cell) { kept.append(cell); });
        }
        result.pages = whole.totalPages();
        result.wholeMs = timer.elapsed();
    }
    return result;
}

// The high-water mark of a process's memory in kB, from /proc; 0 once it is gone.
long highWaterKb(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Peak resident memory in MB of the program printing the list into a PDF,
// read from the program's own high-water mark while it runs (the rusage of
// a child counts the memory of this process it was forked from). Spawned,
// not forked: posix_spawn returns once the program runs, while a forked
// child shows this process's memory as its own until it execs.
double printPeakMb(const QString &database, const QString &pdf, qint64 *ms)
{
    QElapsedTimer timer;
    timer.start();
    QByteArray program = VARNHOLT_PROGRAM;
    QByteArray db = database.toLocal8Bit();
    QByteArray out = pdf.toLocal8Bit();
    QByteArray print = "--print", list = "list", pdfOption = "--pdf";
    char *const arguments[] = {program.data(), print.data(), list.data(), pdfOption.data(), out.data(), db.data(),
                               nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program.constData(), nullptr, nullptr, arguments, environ) != 0) {
        std::fprintf(stderr, "varnholt cannot be started: %s\n", program.constData());
        return 0;
    }
    long peakKb = 0;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        peakKb = std::max(peakKb, highWaterKb(child));
        usleep(20000);
    }
    *ms = timer.elapsed();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "varnholt --print list failed for %s\n", qPrintable(database));
    return peakKb / 1024.0;
}

qint64 exportMs(dao::Database &db, const QString &target)
{
    QElapsedTimer timer;
    timer.start();
    const list::ListStatement statement = list::buildListStatement({}, list::SortState());
    exporter::RowSource source(db, list::withAmounts(statement.text), statement.params,
                               list::exportColumns(list::parseColumnWidths(list::DefaultColumnWidthsText)));
    exporter::XlsxWriter writer;
    const exporter::ExportOutcome outcome = exporter::exportRows(source, writer, target);
    if (outcome.kind != exporter::ExportOutcome::Done)
        std::fprintf(stderr, "export: %s\n", qPrintable(outcome.message));
    return timer.elapsed();
}

// The same cells with nothing between the two C libraries.
qint64 plainExportMs(const QString &database, const QString &target)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3 *db = nullptr;
    sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "Select Schadennummer,EIGENKZ,Datum,Kundenname,Schadenbeschreibung,"
                       "CASE WHEN fErledigt<>0 THEN 'Ja' ELSE '-' END,Reparaturstatus,"
                       "CASE WHEN Schadenbilder<>0 THEN 'Ja' ELSE '' END,Schadenbetrag,Selbstbeteiligung "
                       "From Schaden order by Datum desc",
                       -1, &stmt, nullptr);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(target.toUtf8().constData(), &options);
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Schadensliste");
    lxw_format *date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");
    lxw_format *amount = workbook_add_format(book);
    format_set_num_format(amount, "#,##0.00\\ \"\xE2\x82\xAC\"");
    const char *captions[] = {"Nr", "Auto", "Datum", "Kunde", "Schaden", "Erledigt", "Reparatur", "Bilder",
                              "Schadenbetrag", "Selbstbeteiligung"};
    for (lxw_col_t c = 0; c < 10; ++c)
        worksheet_write_string(sheet, 0, c, captions[c], nullptr);
    lxw_row_t row = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++row;
        for (int c = 0; c < 10; ++c) {
            if (sqlite3_column_type(stmt, c) == SQLITE_NULL)
                continue;
            if (c == 2) {
                // Stored as "yyyy-MM-dd HH:mm:ss".
                lxw_datetime moment{};
                std::sscanf(reinterpret_cast<const char *>(sqlite3_column_text(stmt, c)), "%d-%d-%d %d:%d:%lf",
                            &moment.year, &moment.month, &moment.day, &moment.hour, &moment.min, &moment.sec);
                worksheet_write_datetime(sheet, row, lxw_col_t(c), &moment, date);
            } else if (c >= 8) {
                worksheet_write_number(sheet, row, lxw_col_t(c), sqlite3_column_double(stmt, c), amount);
            } else {
                worksheet_write_string(sheet, row, lxw_col_t(c),
                                       reinterpret_cast<const char *>(sqlite3_column_text(stmt, c)), nullptr);
            }
        }
    }
    worksheet_autofilter(sheet, 0, 0, row, 9);
    workbook_close(book);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return timer.elapsed();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Each figure shows as soon as it is measured, also into a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    core::applyGermanLocaleDefault();
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    const QString small = folder + QStringLiteral("/bench-100k.db");
    const QString large = folder + QStringLiteral("/bench-1m.db");
    makeDatabase(small, 100000);
    makeDatabase(large, 1000000);

    {
        auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(small);
        const Layouts l = layouts(*db);
        std::printf("list of 100,000 cases, %d pages\n", l.pages);
        std::printf("  first page ready for the preview: %lld ms\n", static_cast<long long>(l.firstPageMs));
        std::printf("  whole layout, every cell kept (as it was): %lld ms\n", static_cast<long long>(l.wholeMs));
        std::printf("  ratio: %.3f (target at most 0.05)\n", double(l.firstPageMs) / double(std::max<qint64>(1, l.wholeMs)));
        db->Close();
    }
    qint64 smallMs = 0;
    qint64 largeMs = 0;
    const double smallMb = printPeakMb(small, folder + QStringLiteral("/liste-100k.pdf"), &smallMs);
    const double largeMb = printPeakMb(large, folder + QStringLiteral("/liste-1m.pdf"), &largeMs);
    std::printf("varnholt --print list --pdf\n");
    std::printf("  100,000 cases: %.0f MB peak (target at most 150), %.1f s\n", smallMb, smallMs / 1000.0);
    std::printf("  1,000,000 cases: %.0f MB peak, %.1f s\n", largeMb, largeMs / 1000.0);
    std::printf("  ratio: %.2f (target at most 1.5)\n", largeMb / smallMb);

    auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(large);
    const qint64 ours = exportMs(*db, folder + QStringLiteral("/liste-1m.xlsx"));
    db->Close();
    const qint64 plain = plainExportMs(large, folder + QStringLiteral("/plain-1m.xlsx"));
    std::printf("export of 1,000,000 cases to XLSX\n");
    std::printf("  varnholt: %.1f s, plain libxlsxwriter loop: %.1f s\n", ours / 1000.0, plain / 1000.0);
    std::printf("  ratio: %.2f (target at most 1.5)\n", double(ours) / double(std::max<qint64>(1, plain)));
    return 0;
}
