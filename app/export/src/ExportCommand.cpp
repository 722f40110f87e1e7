#include "export/ExportCommand.h"

#include "export/CsvWriter.h"
#include "export/ListExport.h"
#include "export/RowSource.h"
#include "export/XlsxWriter.h"

#include "list/ListArguments.h"
#include "list/ListReport.h"

#include "core/MessageService.h"
#include "dao/Dao.h"

#include <QElapsedTimer>

#include <memory>
#include <optional>

namespace exporter {
namespace {

const char *const kUsage =
    "Aufruf: varnholt --export list [--vehicle KENNZEICHEN] [--status Erledigt|\"Nicht erledigt\"]\n"
    "                 [--kind Einzelschaden|Kleinstschäden] [--overdue TAGE] --xlsx DATEI|--csv DATEI [PFAD]\n";

struct Options {
    list::ListArguments list;
    QString target;
    bool csv = false;
    QString database;
};

std::optional<Options> parseOptions(const QStringList &args, QTextStream &err)
{
    if (args.isEmpty() || args.first() != u"list")
        return std::nullopt;
    Options o;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        const auto taken = o.list.take(args, i, err);
        if (taken == list::ListArguments::Taken::Invalid)
            return std::nullopt;
        if (taken == list::ListArguments::Taken::Yes)
            continue;
        if ((arg == u"--xlsx" || arg == u"--csv") && i + 1 < args.size() && o.target.isEmpty()) {
            o.csv = arg == u"--csv";
            o.target = args[++i];
        } else if (!arg.startsWith(u"--") && o.database.isEmpty()) {
            o.database = arg;
        } else {
            err << "Unbekannte Angabe: " << arg << '\n';
            return std::nullopt;
        }
    }
    if (o.target.isEmpty())
        return std::nullopt;
    return o;
}

} // namespace

int exportCommand(const QStringList &args, varnholt::CommandIo &io)
{
    const std::optional<Options> options = parseOptions(args, io.err);
    if (!options) {
        io.err << kUsage;
        return 1;
    }
    const QString path = varnholt::readDatabasePath(options->database, io);
    if (path.isEmpty())
        return 1;
    const core::StreamMessages messages(io.err);
    try {
        QElapsedTimer timer;
        timer.start();
        dao::OpenOptions open;
        open.readOnly = true;
        auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path, open);
        const list::ListStatement statement = options->list.statement();
        ExportOutcome outcome;
        {
            RowSource source(*db, list::withAmounts(statement.text), statement.params,
                             list::exportColumns(list::savedColumnWidths()));
            std::unique_ptr<SheetWriter> writer;
            if (options->csv)
                writer = std::make_unique<CsvWriter>();
            else
                writer = std::make_unique<XlsxWriter>();
            outcome = exportRows(source, *writer, options->target);
        }
        db->Close();
        if (outcome.kind != ExportOutcome::Done) {
            io.err << "Die Liste wurde nicht exportiert. " << outcome.message << '\n';
            return 1;
        }
        io.out << "Liste mit " << outcome.rows << (outcome.rows == 1 ? " Schadensfall" : " Schadensfällen")
               << " exportiert (" << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s): " << options->target
               << '\n';
        return 0;
    } catch (const dao::DaoError &error) {
        io.err << "Die Liste wurde nicht exportiert: " << error.description() << '\n';
        return 1;
    }
}

} // namespace exporter
