#pragma once

#include <QString>

class QWidget;

namespace dao {
class Database;
}

namespace report {

// The program's print entry: the report the print request names (the case
// list through its grid, or one case through Protokoll.def in the program's
// folder) on the current printer, shown in the print preview, from which it
// is printed. Every failure is told to the user; nothing is thrown. Answers
// where the pages went ("An Drucker ... gesendet"), "" when none were printed.
QString PrintReport(dao::Database &db, QWidget *parent = nullptr);

// The printer reports go to: the system's default, or else the first one
// installed. Empty when the system has no printer.
QString currentPrinterName();

} // namespace report
