#pragma once

#include <QString>

class QWidget;

namespace varnholt {

// What the list window asks of the case form (frmSchaden).
class CaseForm {
public:
    virtual ~CaseForm() = default;

    virtual void FillSchaden(long lID) = 0;
    virtual bool FormChanged() = 0;
    virtual bool FormSaved() = 0;
    virtual long CaseID() const = 0;

    // The form's window, to show it modelessly next to the list and to
    // restore it when minimised.
    virtual QWidget *window() = 0;
    // The list window fills the form's vehicle list (cboAuto) with every plate.
    virtual void addVehicle(const QString &plate) = 0;
    virtual void clearVehicles() = 0;
    // The list window's shutdown unloads the form: its placement is written.
    virtual void unload() = 0;
};

} // namespace varnholt

#include <functional>

namespace varnholt {

class CaseList;

// Makes the one case form; the form is a window owned by (parented to) owner.
using CaseFormFactory = std::function<CaseForm *(CaseList &list, QWidget *owner)>;

} // namespace varnholt
