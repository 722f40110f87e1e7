#pragma once

#include <QString>

#include <functional>

namespace exporter {

class RowSource;
class SheetWriter;

// Told every few hundred rows with the rows written and the rows in all;
// answering false cancels the export.
using ExportProgress = std::function<bool(long written, long total)>;

struct ExportOutcome {
    enum Kind { Done, Cancelled, Failed };
    Kind kind = Failed;
    long rows = 0;
    QString message;   // for Failed: what to tell the user
};

// Writes every row of source through writer into target, by way of a
// temporary file renamed into place once complete: a cancelled or failed
// export leaves target as it was. Nothing is thrown.
ExportOutcome exportRows(RowSource &source, SheetWriter &writer, const QString &target,
                         const ExportProgress &progress = {});

} // namespace exporter
