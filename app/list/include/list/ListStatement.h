#pragma once

#include "dao/Dao.h"

#include <QString>

namespace list {

class SortState;

// What the filter controls of the list window hold when the list is built.
struct FilterInput {
    bool overdue = false;      // the Termin button: only open cases older than the day limit
    QString days;              // text of the day box; its leading number is the limit
    int vehicleIndex = 0;      // position of the typed plate in the vehicle list; 0 "Alle", -1 none
    QString vehicle;           // text of the vehicle box
    int statusIndex = 0;       // 0 "Alle", 1 "Erledigt", 2 "Nicht erledigt", 3 "Gelöschte Vorgänge"
    bool deletionMarks = true; // the database marks deleted cases (an older one opened read-only does not)
    int kindIndex = 0;         // 0 "Alle", 1 "Einzelschaden", 2 "Kleinstschäden"
};

// The status filter's entry that lists the deleted cases instead of the others.
constexpr int DeletedCasesIndex = 3;

struct ListStatement {
    QString text;
    dao::Params params;
    // How many cases the list shows, and its parameters.
    QString countText;
    dao::Params countParams;
    // The same rows for reading page by page (ListPages): the statement
    // with the sorted column's value as its last column and without its
    // order; the sorted column as the order compares it; the direction.
    QString pageText;
    bool pageFiltered = false;   // pageText has a where clause
    QString sortColumn;
    QString sortKey;
    bool ascending = false;
};

// The list's statement with its filter and order; the plate and the day
// limit travel as parameters.
ListStatement buildListStatement(const FilterInput &filter, const SortState &sort);

// The status bar's count: "1 Schadensfall", "1.234 Schadensfälle".
QString listedCasesText(qint64 count);
// A list statement that also selects each case's amount and deductible, as
// fields 9 and 10 after the list's own.
QString withAmounts(const QString &listStatement);

} // namespace list
