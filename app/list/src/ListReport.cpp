#include "list/ListReport.h"

namespace list {

QList<report::GridColumn> reportColumns(const ColumnWidths &widths)
{
    static const char *const captions[] = {"Nr", "Auto", "Datum", "Kunde", "Schaden", "Erledigt", "Reparatur", "Bilder"};
    QList<report::GridColumn> columns{{QStringLiteral("ID"), 0, 0}};
    for (int n = 1; n <= 8; ++n) {
        const bool centred = n == 3 || n == 6 || n == 8;
        columns.append({QString::fromLatin1(captions[n - 1]), double(widths[size_t(n - 1)]), centred ? 2 : 0});
    }
    return columns;
}

} // namespace list
