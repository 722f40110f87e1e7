#include "print/PrintCommand.h"

#include "report/ControlPictureSource.h"
#include "report/GridSource.h"
#include "report/ReportJob.h"

#include "list/ColumnWidths.h"
#include "list/ListReport.h"
#include "list/ListStatement.h"
#include "list/SortState.h"

#include "varnholt/Globals.h"
#include "varnholt/modMain.h"

#include "core/MessageService.h"
#include "core/Twips.h"
#include "dao/Dao.h"

#include <QFileInfo>

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
    QString vehicle;
    QString status = QStringLiteral("Alle");
    QString kind = QStringLiteral("Alle");
    std::optional<QString> overdueDays;
    QString pdf;
    QString database;
};

QString pagesText(int pages)
{
    return QString::number(pages) + (pages == 1 ? QStringLiteral(" Seite") : QStringLiteral(" Seiten"));
}

int indexOf(const QString &value, const QStringList &choices)
{
    for (int i = 0; i < choices.size(); ++i) {
        if (value.compare(choices[i], Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
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
        const bool hasValue = i + 1 < args.size();
        if (arg == u"--pdf" && hasValue) {
            o.pdf = args[++i];
        } else if (o.list && arg == u"--vehicle" && hasValue) {
            o.vehicle = args[++i];
        } else if (o.list && arg == u"--status" && hasValue) {
            o.status = args[++i];
            if (indexOf(o.status, {QStringLiteral("Alle"), QStringLiteral("Erledigt"),
                                   QStringLiteral("Nicht erledigt")}) < 0) {
                err << "Unbekannter Status: " << o.status << '\n';
                return std::nullopt;
            }
        } else if (o.list && arg == u"--kind" && hasValue) {
            o.kind = args[++i];
            if (indexOf(o.kind, {QStringLiteral("Alle"), QStringLiteral("Einzelschaden"),
                                 QStringLiteral("Kleinstschäden")}) < 0) {
                err << "Unbekannte Schadenart: " << o.kind << '\n';
                return std::nullopt;
            }
        } else if (o.list && arg == u"--overdue" && hasValue) {
            o.overdueDays = args[++i];
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

// The list's order and column widths as the list window keeps them in the
// settings file.
list::SortState savedSort()
{
    const QString daten = QStringLiteral("Daten");
    const QString column = varnholt::ReadIniValue(daten, QStringLiteral("SortSpalte"), list::SortState::DefaultColumn);
    const bool flag = core::leadingNumber(varnholt::ReadIniValue(daten, QStringLiteral("SortDesc"),
                                                                 QStringLiteral("0"))) != 0;
    return list::SortState(list::SortState::isPlainName(column) ? column : list::SortState::DefaultColumn, flag);
}

QList<GridColumn> listColumns()
{
    try {
        return list::reportColumns(list::parseColumnWidths(
            varnholt::ReadIniValue(QStringLiteral("Daten"), QStringLiteral("Spalten"), list::DefaultColumnWidthsText)));
    } catch (const list::WidthsError &) {
        return list::reportColumns(list::parseColumnWidths(list::DefaultColumnWidthsText));
    }
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
    list::FilterInput filter;
    filter.overdue = o.overdueDays.has_value();
    filter.days = o.overdueDays.value_or(QString());
    const bool allVehicles = o.vehicle.isEmpty() || o.vehicle.compare(u"Alle", Qt::CaseInsensitive) == 0;
    filter.vehicleIndex = allVehicles ? 0 : 1;
    filter.vehicle = allVehicles ? QStringLiteral("Alle") : o.vehicle;
    filter.statusIndex = indexOf(o.status, {QStringLiteral("Alle"), QStringLiteral("Erledigt"),
                                            QStringLiteral("Nicht erledigt")});
    filter.kindIndex = indexOf(o.kind, {QStringLiteral("Alle"), QStringLiteral("Einzelschaden"),
                                        QStringLiteral("Kleinstschäden")});
    const list::ListStatement statement = list::buildListStatement(filter, savedSort());

    static const QStringList statusTexts = {QStringLiteral("Alle"), QStringLiteral("Erledigt"),
                                            QStringLiteral("Nicht erledigt")};
    static const QStringList kindTexts = {QStringLiteral("Alle"), QStringLiteral("Einzelschaden"),
                                          QStringLiteral("Kleinstschäden")};
    QueryGridSource grid(db, statement.text, statement.params, listColumns());
    requestListReport(grid, grid.rowCount(),
                      listSubtitle(filter.vehicle, statusTexts[filter.statusIndex], kindTexts[filter.kindIndex]));
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
    // The settings file gives the database and the list's order and widths.
    varnholt::locateDatabase(programFolder);
    QString path = varnholt::gDbPath;
    if (!options->database.isEmpty()) {
        path = options->database.startsWith(u"postgresql://", Qt::CaseInsensitive)
                   ? options->database
                   : QFileInfo(options->database).absoluteFilePath();
    }
    if (!path.startsWith(u"postgresql://", Qt::CaseInsensitive) && !QFileInfo(path).isFile()) {
        err << "Die Datenbank liegt nicht im Pfad: " << path << '\n';
        return 1;
    }

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
