#include "list/ListReport.h"

namespace list {
namespace {

const char *const kCaptions[] = {"Nr", "Auto", "Datum", "Kunde", "Schaden", "Erledigt", "Reparatur", "Bilder"};
constexpr int kDateField = 3;
constexpr double kAmountTwips = 1500;

} // namespace

QList<report::GridColumn> reportColumns(const ColumnWidths &widths)
{
    QList<report::GridColumn> columns{{QStringLiteral("ID"), 0, 0}};
    for (int n = 1; n <= 8; ++n) {
        const bool centred = n == 3 || n == 6 || n == 8;
        columns.append({QString::fromLatin1(kCaptions[n - 1]), double(widths[size_t(n - 1)]), centred ? 2 : 0});
    }
    return columns;
}

exporter::ExportColumns exportColumns(const ColumnWidths &widths)
{
    exporter::ExportColumns columns;
    for (int n = 1; n <= 8; ++n) {
        const int twips = widths[size_t(n - 1)];
        if (twips == 0)
            continue;
        columns.append({QString::fromLatin1(kCaptions[n - 1]), n,
                        n == kDateField ? exporter::CellKind::Date : exporter::CellKind::Text, double(twips)});
    }
    columns.append({QStringLiteral("Schadenbetrag"), 9, exporter::CellKind::Amount, kAmountTwips});
    columns.append({QStringLiteral("Selbstbeteiligung"), 10, exporter::CellKind::Amount, kAmountTwips});
    return columns;
}

} // namespace list
