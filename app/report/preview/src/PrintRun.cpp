#include "preview/PrintRun.h"

#include "preview/DocumentPrinting.h"
#include "preview/PagePrinter.h"

#include "report/ReportJob.h"

#include "core/MessageService.h"
#include "core/WaitCursor.h"
#include "dao/Error.h"

#include <QPrinter>
#include <QSet>

#include <optional>

namespace report {
namespace {

void tellFailure(const QString &reason, QWidget *window)
{
    core::showMessage(QStringLiteral("Fehler beim Drucken: ") + reason, core::MsgIcon::Information, core::MsgButtons::Ok,
                      {}, window);
}

} // namespace

bool PrintRun::printPage(int page, int totalPages)
{
    if (page < 1 || page > totalPages)
        return false;
    std::optional<core::WaitCursor> hourglass(std::in_place);
    try {
        return PagePrinter(m_job, m_printer).printPage(page);
    } catch (const dao::DaoError &error) {
        // A picture that cannot be read: the page is not printed without it.
        hourglass.reset();
        tellFailure(error.description(), m_window);
        return false;
    }
}

int PrintRun::print(const QList<int> &plan, int totalPages, short copies)
{
    std::optional<core::WaitCursor> hourglass(std::in_place);
    int sent = 0;
    // A run through all pages takes one more layout, not one per page.
    try {
        const bool printed = m_job.drawPages(plan, [&](int page) {
            // A printer that is not ready is reported once, not once per page.
            if (!printPage(page, totalPages))
                return false;
            ++sent;
            return true;
        });
        if (!printed)
            return sent;
    } catch (const dao::DaoError &error) {
        hourglass.reset();
        tellFailure(error.description(), m_window);
        return sent;
    }
    // The whole report printed (a single page is all of it): its attached documents follow it.
    const QSet<int> printed(plan.begin(), plan.end());
    if (printed.size() != totalPages || m_printer.outputFormat() != QPrinter::NativeFormat)
        return sent;
    QString error;
    try {
        if (printDocuments(m_printer.printerName(), m_job.attachedDocuments(), copies, &error))
            return sent;
    } catch (const dao::DaoError &failure) {
        error = failure.description();
    }
    hourglass.reset();
    tellFailure(error, m_window);
    return sent;
}

} // namespace report
