#include "export/ExportAction.h"

#include "export/CsvWriter.h"
#include "export/RowSource.h"
#include "export/XlsxWriter.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "core/WaitCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStandardPaths>

#include <optional>

namespace exporter {
namespace {

const QString kSection = QStringLiteral("Main");
const QString kFolderKey = QStringLiteral("ExportFolder");
const QString kXlsxFilter = QStringLiteral("Excel-Arbeitsmappe (*.xlsx)");
const QString kCsvFilter = QStringLiteral("CSV-Datei, Semikolon getrennt (*.csv)");

QString exportFolder()
{
    const QString remembered = core::UserSettings::value(kSection, kFolderKey);
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return remembered;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString askTarget(QWidget *parent)
{
    const QString name = QStringLiteral("Schadensliste ") + core::Clock::today().toString(QStringLiteral("yyyy-MM-dd"));
    QFileDialog dialog(parent, QStringLiteral("Liste exportieren"), QDir(exportFolder()).filePath(name + QStringLiteral(".xlsx")),
                       kXlsxFilter + QStringLiteral(";;") + kCsvFilter);
    dialog.setObjectName(QStringLiteral("dlgExport"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    // Replacing a file is asked in the program's own words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        dialog.setDefaultSuffix(filter == kCsvFilter ? QStringLiteral("csv") : QStringLiteral("xlsx"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace

std::unique_ptr<SheetWriter> writerFor(const QString &path)
{
    if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        return std::make_unique<CsvWriter>();
    return std::make_unique<XlsxWriter>();
}

ExportOutcome exportWithProgress(QWidget *parent, RowSource &source, SheetWriter &writer, const QString &target)
{
    QProgressDialog progress(QStringLiteral("Die Liste wird exportiert ..."), QStringLiteral("Abbrechen"), 0, 0, parent);
    progress.setObjectName(QStringLiteral("dlgExportProgress"));
    progress.setWindowTitle(QStringLiteral("Exportieren"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    return exportRows(source, writer, target, [&progress](long written, long total) {
        if (progress.maximum() != int(total))
            progress.setMaximum(int(total));
        progress.setValue(int(written));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
}

void exportInteractively(QWidget *parent, dao::Database &db, const ExportRequest &request)
{
    const QString target = askTarget(parent);
    if (target.isEmpty())
        return;
    if (QFileInfo::exists(target)
        && core::showMessage(QStringLiteral("Die Datei ") + target + QStringLiteral(" besteht bereits. Soll sie ersetzt werden?"),
                             core::MsgIcon::Question, core::MsgButtons::YesNo, {}, parent)
               != core::MsgAnswer::Yes)
        return;
    std::optional<RowSource> source;
    try {
        const core::WaitCursor wait;
        source.emplace(db, request.statement, request.params, request.columns);
    } catch (const dao::DaoError &error) {
        core::showMessage(QStringLiteral("Folgender Fehler ist aufgetreten: ") + error.description(),
                          core::MsgIcon::Information, core::MsgButtons::Ok, {}, parent);
        return;
    }
    const std::unique_ptr<SheetWriter> writer = writerFor(target);
    const ExportOutcome outcome = exportWithProgress(parent, *source, *writer, target);
    if (outcome.kind == ExportOutcome::Failed)
        core::showMessage(QStringLiteral("Die Liste wurde nicht exportiert. ") + outcome.message,
                          core::MsgIcon::Information, core::MsgButtons::Ok, {}, parent);
    else if (outcome.kind == ExportOutcome::Done)
        core::UserSettings::setValue(kSection, kFolderKey, QFileInfo(target).absolutePath());
}

} // namespace exporter
