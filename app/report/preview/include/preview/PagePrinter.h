#pragma once

#include <QString>

class QPrinter;

namespace report {

class ReportJob;

// Sends pages of a laid-out report to the printer, each page a print job
// of its own, named after its page so the spooler shows which one it is.
class PagePrinter {
public:
    PagePrinter(ReportJob &job, QPrinter &printer) : m_job(job), m_printer(printer) {}

    static QString jobName(int page);

    // One job with page on it. A printer that cannot start the job is
    // reported ("Drucker ist nicht bereit !") and gives false. A picture
    // that cannot be read throws dao::DaoError before the job begins.
    bool printPage(int page);

private:
    ReportJob &m_job;
    QPrinter &m_printer;
};

} // namespace report
