#include "list/CaseRoads.h"

#include "list/CaseStore.h"
#include "list/ListReport.h"
#include "list/ListStatement.h"

#include "export/ExportAction.h"
#include "history/CaseDeletion.h"
#include "report/GridSource.h"
#include "report/PrintRequest.h"
#include "vehicle/RecordRoads.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "core/WaitCursor.h"

#include <QWidget>

#include <optional>

namespace list {

CaseRoads::CaseRoads(dao::Database &db, varnholt::PrintEntry print, varnholt::CaseList &list, QWidget *window)
    : m_db(db), m_print(std::move(print)), m_list(list), m_window(window)
{
}

void CaseRoads::showCaseForm()
{
    vehicle::RecordRoads::showForm(*m_caseForm);
}

void CaseRoads::open(long id)
{
    vehicle::RecordRoads(m_caseForm, &m_list, m_print).openCase(id);
}

bool CaseRoads::remove(long id, const QString &number)
{
    const bool changed = m_caseForm && m_caseForm->FormChanged();
    const long formCase = m_caseForm ? m_caseForm->CaseID() : 0;
    if (formCase == id && changed) {
        core::showMessage(QStringLiteral("Dieser Datensatz wird gerade bearbeitet'"), core::MsgIcon::Information,
                          core::MsgButtons::Ok, {}, m_window);
        showCaseForm();
        return false;
    }
    if (core::showMessage(QStringLiteral("Möchten Sie die Nummer '") + number + QStringLiteral("' löschen ?"),
                          core::MsgIcon::Question, core::MsgButtons::YesNo, {}, m_window)
        != core::MsgAnswer::Yes)
        return false;
    try {
        const core::WaitCursor wait;
        deleteCase(m_db, id);
    } catch (const dao::DaoError &error) {
        reportError(error, false, m_window);
        return false;
    }
    return true;
}

bool CaseRoads::restore(long id)
{
    try {
        const core::WaitCursor wait;
        history::restoreCase(m_db, id, core::Clock::now());
    } catch (const dao::DaoError &error) {
        reportError(error, false, m_window);
        return false;
    }
    return true;
}

void CaseRoads::printCase(long id)
{
    if (!m_print)
        return;
    report::requestCaseReport(id);
    m_list.showPrinted(m_print(m_window));
}

void CaseRoads::printList(const ListRows &rows, const QString &subtitle)
{
    if (!m_print)
        return;
    // The report reads the list's rows through a snapshot of its own, in the
    // list's order and with the columns as wide as they are shown.
    std::optional<report::QueryGridSource> grid;
    long count = 0;
    try {
        const core::WaitCursor wait;
        grid.emplace(m_db, rows.statement, rows.params, reportColumns(rows.widths));
        count = grid->rowCount();
    } catch (const dao::DaoError &error) {
        reportError(error, false, m_window);
        return;
    }
    // The request must not point at the grid once it is gone.
    struct ForgetGrid {
        ~ForgetGrid() { report::gPrintGrid = nullptr; }
    } forget;
    report::requestListReport(*grid, count, subtitle);
    m_list.showPrinted(m_print(m_window));
}

void CaseRoads::exportList(const ListRows &rows)
{
    // The export reads the list's rows afresh, in the list's order and with
    // the columns it shows.
    exporter::exportInteractively(m_window, m_db, {withAmounts(rows.statement), rows.params, exportColumns(rows.widths)});
}

void CaseRoads::openVehicle(long id)
{
    const vehicle::RecordRoads roads(m_caseForm, &m_list, m_print);
    vehicle::openVehicleRecord(m_db, id, roads.opener(), roads.printer(), m_window);
}

void CaseRoads::reportError(const dao::DaoError &error, bool loading, QWidget *window)
{
    if (loading)
        core::showMessage(QStringLiteral("Fehler beim Laden: %1: %2").arg(error.number()).arg(error.description()),
                          core::MsgIcon::None, core::MsgButtons::Ok, {}, window);
    else
        core::showMessage(QStringLiteral("Folgender Fehler ist aufgetreten: ") + error.description(),
                          core::MsgIcon::None, core::MsgButtons::Ok, {}, window);
}

} // namespace list
