#pragma once

#include "list/ColumnWidths.h"
#include "list/SortState.h"

#include "varnholt/Shutdown.h"

namespace dao {
class Database;
}

namespace list {

// What the list window keeps in section Daten of the settings file, read
// back one key at a time as the window loads: a broken key leaves those
// read before it in force.
class StoredListSettings {
public:
    // SortSpalte and SortDesc; a column that is no plain name of a column
    // of the cases gives way to the date, as the name goes into the
    // statement's text.
    static SortState sort(dao::Database &db);
    // Tage, the text of the day box ("60").
    static QString days();
    // Spalten; throws WidthsError for a part that is no number.
    static ColumnWidths widths();

    // What the window's unload writes back.
    static varnholt::ListSettings toWrite(const QString &days, const SortState &sort, const ColumnWidths &widths)
    {
        return {days, sort.column(), sort.flag(), widths};
    }
};

} // namespace list
