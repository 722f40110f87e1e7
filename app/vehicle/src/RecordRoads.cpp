#include "vehicle/RecordRoads.h"

#include "report/PrintRequest.h"
#include "varnholt/CaseForm.h"
#include "varnholt/CaseList.h"

#include <QWidget>

namespace vehicle {

RecordRoads::RecordRoads(varnholt::CaseForm *form, varnholt::CaseList *list, varnholt::PrintEntry print)
    : m_form(form), m_list(list), m_print(std::move(print))
{
}

void RecordRoads::showForm(varnholt::CaseForm &form)
{
    QWidget *window = form.window();
    window->show();
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

void RecordRoads::openCase(long caseId) const
{
    if (!m_form)
        return;
    showForm(*m_form);
    m_form->FillSchaden(caseId);
}

void RecordRoads::print(const VehicleRecord &record, QWidget *parent) const
{
    if (!m_print)
        return;
    report::requestVehicleReport(record.plate());
    const QString note = m_print(parent);
    if (m_list)
        m_list->showPrinted(note);
}

frmFahrzeug::OpenCase RecordRoads::opener() const
{
    if (!m_form)
        return {};
    return [roads = *this](long caseId) { roads.openCase(caseId); };
}

frmFahrzeug::Print RecordRoads::printer() const
{
    if (!m_print)
        return {};
    return [roads = *this](const VehicleRecord &record, QWidget *parent) { roads.print(record, parent); };
}

} // namespace vehicle
