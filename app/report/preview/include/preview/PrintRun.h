#pragma once

#include <QList>

class QPrinter;
class QWidget;

namespace report {

class ReportJob;

// One press of the preview's "Seite ausdrucken" once the print dialog has
// answered: the pages of its plan to the printer, each a job of its own, and
// after the whole report its attached documents. A failure is told over the
// window once, and the run stops there.
class PrintRun {
public:
    PrintRun(ReportJob &job, QPrinter &printer, QWidget *window) : m_job(job), m_printer(printer), m_window(window) {}

    // plan from printPlan(); pages beyond totalPages are not printed. The
    // documents follow when the plan held every page and the printer is a
    // real queue. Returns the report's pages sent.
    int print(const QList<int> &plan, int totalPages, short copies);
    // One page of the report, told when it fails; false then.
    bool printPage(int page, int totalPages);

private:

    ReportJob &m_job;
    QPrinter &m_printer;
    QWidget *m_window;
};

} // namespace report
