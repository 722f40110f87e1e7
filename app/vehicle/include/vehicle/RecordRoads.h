#pragma once

#include "vehicle/frmFahrzeug.h"

#include "varnholt/PrintEntry.h"

namespace varnholt {
class CaseForm;
class CaseList;
} // namespace varnholt

namespace vehicle {

// What the vehicle's record does with a case and a print, the same whether
// the list window or the case form opened it: a case opens in the one case
// form, whose save question guards what is typed there; the record prints
// through the program's print entry and its note goes to the list's status
// bar. The form and the list outlive the record windows they own.
class RecordRoads {
public:
    // form: null where cases cannot be edited; print: empty where nothing
    // prints; list: null where no status bar tells where a print went.
    RecordRoads(varnholt::CaseForm *form, varnholt::CaseList *list, varnholt::PrintEntry print);

    // Brings the case form to the front with caseId in it, once the form's
    // own changes are saved or dropped; a cancel keeps them and the case.
    void openCase(long caseId) const;
    // The vehicle's report in the preview.
    void print(const VehicleRecord &record, QWidget *parent) const;

    // For the record window: empty where there is no form or print entry.
    frmFahrzeug::OpenCase opener() const;
    frmFahrzeug::Print printer() const;

    // Shows the case form, restored when minimised, in front.
    static void showForm(varnholt::CaseForm &form);

private:
    varnholt::CaseForm *m_form;
    varnholt::CaseList *m_list;
    varnholt::PrintEntry m_print;
};

} // namespace vehicle
