#pragma once

#include <QString>

namespace varnholt {

// What the case form asks of the list window (frmMain).
class CaseList {
public:
    virtual ~CaseList() = default;

    // Re-runs the list's statement and, when lID is not 0, selects that case.
    virtual void RefreshGrid(long lID = 0) = 0;
    // A plate typed into the case form joins the list's vehicle filter at once.
    virtual void addVehicle(const QString &plate) = 0;
    // Where the pages of a print from the case form went ("An Drucker ...
    // gesendet"), for the list's status bar; "" when nothing was printed.
    virtual void showPrinted(const QString &note) { Q_UNUSED(note); }
};

} // namespace varnholt
