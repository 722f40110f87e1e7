#include "print/PrintReport.h"

#include "preview/PrintChoice.h"
#include "preview/frmPrint.h"
#include "report/ControlPictureSource.h"
#include "report/ReportJob.h"
#include "vehicle/RecordDrawing.h"
#include "vehicle/SkizzeAddition.h"

#include "varnholt/Globals.h"

#include "core/MessageService.h"
#include "core/WaitCursor.h"
#include "dao/Dao.h"

#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

#include <optional>

namespace report {
namespace {

void tell(const QString &text, core::MsgIcon icon, QWidget *parent)
{
    core::showMessage(text, icon, core::MsgButtons::Ok, {}, parent);
}

} // namespace

QString currentPrinterName()
{
    const QString standard = QPrinterInfo::defaultPrinterName();
    if (!standard.isEmpty())
        return standard;
    const QStringList installed = QPrinterInfo::availablePrinterNames();
    return installed.isEmpty() ? QString() : installed.first();
}

QString PrintReport(dao::Database &db, QWidget *parent)
{
    const PrintRequest request = PrintRequest::current();
    const QString folder = varnholt::gAppPath;
    if (request.kind == PrintKindCase) {
        const QString definitionFile = ReportJob::definitionFile(folder);
        if (!QFileInfo(definitionFile).isFile()) {
            tell(QStringLiteral("Die Protokolldatei liegt nicht im Pfad: ") + definitionFile, core::MsgIcon::Critical,
                 parent);
            return {};
        }
    }

    std::optional<core::WaitCursor> wait(std::in_place);
    // The hourglass goes before anything is told.
    const auto fail = [&](const QString &text) {
        wait.reset();
        tell(text, core::MsgIcon::Information, parent);
    };
    const QString printerName = currentPrinterName();
    if (printerName.isEmpty()) {
        fail(QStringLiteral("Bitte zuerst eine einen Drucker installieren!"));
        return {};
    }
    QPrinter printer(QPrinterInfo::printerInfo(printerName), QPrinter::HighResolution);
    if (!printer.isValid()) {
        fail(QStringLiteral("Fehler beim Drucken: Der Drucker ") + printerName + QStringLiteral(" ist nicht verfügbar."));
        return {};
    }
    QString message;
    std::optional<QString> definition;
    std::optional<vehicle::VehicleRecord> record;
    try {
        if (request.kind == PrintKindVehicle) {
            record = vehicle::VehicleRecord::load(db, request.subtitle);
            definition = record->reportDefinition();
        } else {
            definition = ReportJob::definitionText(request, folder, &message);
        }
    } catch (const dao::DaoError &error) {
        message = QStringLiteral("Folgender Fehler ist aufgetreten: ") + error.description();
    }
    if (!definition) {
        fail(message);
        return {};
    }

    printer.setPageOrientation(ReportJob::orientationOf(request));
    ControlPictureSource pictures(db);
    ReportJob job(&db, request, *definition, printer.pageLayout().pageSize(), &pictures);
    vehicle::SkizzeAddition diagram(db);
    std::optional<vehicle::RecordDrawing> recordDiagram;
    if (record)
        job.setAddition(&recordDiagram.emplace(*record));
    else
        job.setAddition(&diagram);
    int printed = 0;
    {
        // The preview tells a failed layout itself.
        frmPrint preview(job, printer, parent);
        preview.setClipText([&job] { return job.clipText(); });
        if (request.direct) {
            preview.ReadIt();
        } else {
            wait.reset();
            preview.exec();
        }
        printed = preview.pagesPrinted();
    }
    job.data().close();
    return printedNote(printer.printerName(), printed);
}

} // namespace report
