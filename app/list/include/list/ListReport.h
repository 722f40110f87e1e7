#pragma once

#include "list/ColumnWidths.h"

#include "export/ExportColumn.h"
#include "report/GridSource.h"

#include <QList>

namespace list {

// The grid columns of the case list report: the hidden case ID, then the
// list's columns with their captions, widths in twips (0 hides one) and
// alignment, as the list shows them.
QList<report::GridColumn> reportColumns(const ColumnWidths &widths);

// The columns of the list's export: the shown columns as wide as shown, then
// the amount and the deductible (fields 9 and 10 of withAmounts).
exporter::ExportColumns exportColumns(const ColumnWidths &widths);

} // namespace list
