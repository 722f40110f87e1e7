#pragma once

#include <QList>
#include <QString>

namespace report {

// The number of copies typed into the print dialog: read leniently (its
// leading number, "abc" 0) and rounded, halves to even. A number beyond the
// 16-bit count of copies reads 0, so it prints nothing rather than failing.
short readCopies(const QString &text);

// The pages a print run sends, one job each, in order: every page from 1 to
// the last per copy when all pages are asked for and the report has more
// than one, otherwise the page shown per copy.
QList<int> printPlan(int copies, bool allPages, int totalPages, int shownPage);

// Where the pages of a print run went, for the status bar: "An Drucker HP
// gesendet (3 Seiten)"; "" when none was printed.
QString printedNote(const QString &printer, int pages);

} // namespace report
