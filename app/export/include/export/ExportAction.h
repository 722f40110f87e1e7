#pragma once

#include "export/ExportColumn.h"
#include "export/ListExport.h"

#include "dao/Dao.h"

#include <memory>

class QWidget;

namespace exporter {

class RowSource;
class SheetWriter;

// The list as its window shows it: the statement (with the amounts), its
// parameters and the columns to write.
struct ExportRequest {
    QString statement;
    dao::Params params;
    ExportColumns columns;
};

// The writer for a file: CSV for a name ending in .csv, else XLSX.
std::unique_ptr<SheetWriter> writerFor(const QString &path);

// "Exportieren ...": asks where to (XLSX or CSV, in the folder used last),
// whether to replace an existing file, then writes with a progress dialog.
// Every failure is told; nothing is thrown.
void exportInteractively(QWidget *parent, dao::Database &db, const ExportRequest &request);

// Writes with a progress dialog whose "Abbrechen" cancels the export.
ExportOutcome exportWithProgress(QWidget *parent, RowSource &source, SheetWriter &writer, const QString &target);

} // namespace exporter
