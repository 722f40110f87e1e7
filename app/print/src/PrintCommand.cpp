#include "print/PrintCommand.h"

#include "report/ControlPictureSource.h"
#include "report/GridSource.h"
#include "report/ReportJob.h"
#include "vehicle/SkizzeAddition.h"

#include "list/ListArguments.h"
#include "list/ListReport.h"

#include "varnholt/CommandLine.h"

#include "core/MessageService.h"
#include "dao/Dao.h"


#include <optional>

namespace report {
namespace {

const char *const kUsage =
    "Aufruf: varnholt --print list [--vehicle KENNZEICHEN] [--status Erledigt|\"Nicht erledigt\"]\n"
    "                 [--kind Einzelschaden|Kleinstschäden] [--overdue TAGE] --pdf DATEI [PFAD]\n"
    "   oder: varnholt --print ID --pdf DATEI [PFAD]\n";

struct Options {
    bool list = false;
    long caseId = 0;
    list::ListArguments listArguments;
    QString pdf;
    QString database;
};

QString pagesText(int pages)
{
    return QString::number(pages) + (pages == 1 ? QStringLiteral(" Seite") : QStringLiteral(" Seiten"));
}

std::optional<Options> parseOptions(const QStringList &args, QTextStream &err)
{
    Options o;
    if (args.isEmpty())
        return std::nullopt;
    if (args.first() == u"list") {
        o.list = true;
    } else {
        bool ok = false;
        o.caseId = args.first().toLong(&ok);
        if (!ok || o.caseId <= 0) {
            err << "Keine gültige Schadens-ID: " << args.first() << '\n';
            return std::nullopt;
        }
    }
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        const auto taken = o.list ? o.listArguments.take(args, i, err) : list::ListArguments::Taken::No;
        if (taken == list::ListArguments::Taken::Invalid)
            return std::nullopt;
        if (taken == list::ListArguments::Taken::Yes)
            continue;
        if (arg == u"--pdf" && i + 1 < args.size()) {
            o.pdf = args[++i];
        } else if (!arg.startsWith(u"--") && o.database.isEmpty()) {
            o.database = arg;
        } else {
            err << "Unbekannte Angabe: " << arg << '\n';
            return std::nullopt;
        }
    }
    if (o.pdf.isEmpty())
        return std::nullopt;
    return o;
}

// Lays the report out; what the layout could not do is told on err.
void layOut(ReportJob &job, QTextStream &err)
{
    job.layout();
    for (const QString &problem : job.layoutProblems())
        err << problem.trimmed() << '\n';
}

int runList(const Options &o, dao::Database &db, QTextStream &out, QTextStream &err)
{
    const list::ListStatement statement = o.listArguments.statement();
    QueryGridSource grid(db, statement.text, statement.params, list::reportColumns(list::savedColumnWidths()));
    requestListReport(grid, grid.rowCount(), o.listArguments.subtitle());
    const PrintRequest request = PrintRequest::current();
    gPrintGrid = nullptr;

    ReportJob job(&db, request, *ReportJob::definitionText(request, QString(), nullptr));
    layOut(job, err);
    QString message;
    if (!job.writePdf(o.pdf, &message)) {
        err << message << '\n';
        return 1;
    }
    out << "Liste mit " << request.record << (request.record == 1 ? " Schadensfall" : " Schadensfällen") << " auf "
        << pagesText(job.totalPages()) << ": " << o.pdf << '\n';
    return 0;
}

int runCase(const Options &o, dao::Database &db, const QString &programFolder, QTextStream &out, QTextStream &err)
{
    requestCaseReport(o.caseId);
    const PrintRequest request = PrintRequest::current();

    QString message;
    const std::optional<QString> definition = ReportJob::definitionText(request, programFolder, &message);
    if (!definition) {
        err << message << '\n';
        return 1;
    }
    {
        auto rs = db.OpenRecordset(QStringLiteral("Select ID From Schaden Where ID=?"), dao::RecordsetType::ForwardOnly,
                                   dao::RecordsetOption::None, {QVariant(qlonglong(o.caseId))});
        if (rs->IsEOF()) {
            err << "Es gibt keinen Schadensfall mit der ID " << o.caseId << ".\n";
            return 1;
        }
    }
    ControlPictureSource pictures(db);
    ReportJob job(&db, request, *definition, QPageSize(QPageSize::A4), &pictures);
    vehicle::SkizzeAddition diagram(db);
    job.setAddition(&diagram);
    layOut(job, err);
    if (!job.writePdf(o.pdf, &message)) {
        err << message << '\n';
        return 1;
    }
    out << "Schadensfall " << o.caseId << " auf " << pagesText(job.totalPages()) << ": " << o.pdf << '\n';
    return 0;
}

} // namespace

int printCommand(const QStringList &args, QTextStream &out, QTextStream &err, const QString &programFolder)
{
    const std::optional<Options> options = parseOptions(args, err);
    if (!options) {
        err << kUsage;
        return 1;
    }
    varnholt::CommandIo io{out, err, programFolder};
    const QString path = varnholt::readDatabasePath(options->database, io);
    if (path.isEmpty())
        return 1;

    const core::StreamMessages messages(err);
    try {
        dao::OpenOptions open;
        open.readOnly = true;
        auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path, open);
        const int code = options->list ? runList(*options, *db, out, err)
                                       : runCase(*options, *db, programFolder, out, err);
        db->Close();
        return code;
    } catch (const dao::DaoError &error) {
        err << "Fehler beim Drucken: " << error.description() << '\n';
        return 1;
    }
}

} // namespace report
