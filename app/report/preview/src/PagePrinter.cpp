#include "preview/PagePrinter.h"

#include "report/ReportJob.h"

#include "core/MessageService.h"

#include <QPainter>
#include <QPrinter>

namespace report {

QString PagePrinter::jobName(int page) { return QStringLiteral("Varnholt Seite %1").arg(page); }

bool PagePrinter::printPage(int page)
{
    m_printer.setDocName(jobName(page));
    // Before the job begins: a job once begun goes to the printer as it is.
    m_job.preparePage(page);
    QPainter painter;
    painter.begin(&m_printer);
    // The page is laid out from the sheet's corner, wherever the printer's
    // painting origin lies.
    const QRectF sheet = m_printer.paperRect(QPrinter::DevicePixel)
                             .translated(-m_printer.pageRect(QPrinter::DevicePixel).topLeft());
    bool printed = m_job.renderPage(painter, page, sheet);
    // The job goes to the spooler only as it ends; a refusal there is a
    // page not printed, not one to count as done.
    if (painter.isActive() && !painter.end())
        printed = false;
    if (!printed)
        core::showMessage(QStringLiteral("Drucker ist nicht bereit !"), core::MsgIcon::Critical);
    // Ending a job may leave the printer's own default orientation behind.
    m_printer.setPageOrientation(m_job.pageLayout().orientation());
    return printed;
}

} // namespace report
