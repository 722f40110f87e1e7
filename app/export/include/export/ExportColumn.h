#pragma once

#include <QList>
#include <QString>

namespace exporter {

// How a column's values go into a spreadsheet.
enum class CellKind {
    Text,     // as the list shows it
    Date,     // a date, with its time where it has one
    Amount,   // euros, a number
};

struct ExportColumn {
    QString caption;
    int field = 0;           // the column of the statement's rows it shows
    CellKind kind = CellKind::Text;
    double widthTwips = 0;   // as wide as the list shows it
};

using ExportColumns = QList<ExportColumn>;

} // namespace exporter
