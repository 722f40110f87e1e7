#pragma once

#include "list/ColumnWidths.h"
#include "list/ListStatement.h"
#include "list/SortState.h"

#include <QStringList>
#include <QTextStream>

namespace list {

// The list as the command line asks for it: the filter options
//   --vehicle PLATE  --status Erledigt|"Nicht erledigt"  --kind Einzelschaden|Kleinstschäden  --overdue DAYS
// with the texts the filter boxes would show for the subtitle.
class ListArguments {
public:
    // Takes args[i] and its value when it is one of the filter options,
    // moving i past them. Unknown values are told on err and give Invalid.
    enum class Taken { No, Yes, Invalid };
    Taken take(const QStringList &args, qsizetype &i, QTextStream &err);

    FilterInput filter() const;
    // "Fahrzeug: ... - Status: ... - Schadenart: ..." of the list report.
    QString subtitle() const;

    // The list's statement in the order the list window keeps in the settings file.
    ListStatement statement() const;

private:
    QString m_vehicle;
    int m_status = 0;
    int m_kind = 0;
    bool m_overdue = false;
    QString m_days;
};

// The list's order and column widths as the list window keeps them in the
// settings file; stored values that cannot be used give the defaults.
SortState savedSort();
ColumnWidths savedColumnWidths();

} // namespace list
