#include "export/ListExport.h"

#include "export/ExportFile.h"
#include "export/RowSource.h"
#include "export/SheetWriter.h"

#include "dao/Error.h"

namespace exporter {
namespace {

constexpr long kProgressStep = 500;

} // namespace

ExportOutcome exportRows(RowSource &source, SheetWriter &writer, const QString &target, const ExportProgress &progress)
{
    ExportOutcome outcome;
    ExportFile file(target);
    try {
        const long total = progress ? source.count() : 0;
        if (progress && !progress(0, total)) {
            outcome.kind = ExportOutcome::Cancelled;
            return outcome;
        }
        if (!file.open(&outcome.message) || !writer.begin(file.temporaryPath(), source.columns(), &outcome.message))
            return outcome;
        std::vector<QVariant> values(size_t(source.columns().size()));
        while (source.next()) {
            for (size_t n = 0; n < values.size(); ++n)
                values[n] = source.value(int(n));
            if (!writer.writeRow(values, &outcome.message))
                return outcome;
            ++outcome.rows;
            if (progress && outcome.rows % kProgressStep == 0 && !progress(outcome.rows, total)) {
                outcome.kind = ExportOutcome::Cancelled;
                return outcome;
            }
        }
    } catch (const dao::DaoError &error) {
        outcome.message = QStringLiteral("Fehler beim Lesen der Liste: ") + error.description();
        return outcome;
    }
    if (!writer.finish(&outcome.message) || !file.commit(&outcome.message))
        return outcome;
    outcome.kind = ExportOutcome::Done;
    return outcome;
}

} // namespace exporter
