#pragma once

#include <QString>

namespace report {

class GridSource;

// Report kinds of the print request.
enum PrintKind : short {
    PrintKindList = 3,   // the filtered case list, through its grid
    PrintKindCase = 6,   // one case, through Protokoll.def
    PrintKindVehicle = 7, // one vehicle's record, the plate in the subtitle
};

// The print request: the list window and the case form set these before
// they ask for a report.
extern short gPrintKind;
extern long gPrintRecord;        // single case: its ID; case list: the number of listed cases
extern QString gPrintSubtitle;   // case list: the filter description
extern bool gPrintDirect;        // lay out only, without showing or drawing anything
extern GridSource *gPrintGrid;   // case list: the list's grid (borrowed)

// The request's values taken together, for one report run.
struct PrintRequest {
    short kind = 0;
    long record = 0;
    QString subtitle;
    bool direct = false;
    GridSource *grid = nullptr;

    static PrintRequest current();
};

// The request for one case's damage report, shown in the preview.
void requestCaseReport(long caseId);
// The request for the case list report: count listed cases read through grid
// (borrowed: the caller clears gPrintGrid once the report is done), under
// subtitle, shown in the preview.
void requestListReport(GridSource &grid, long count, const QString &subtitle);

// The request for the record of the vehicle with plate, shown in the preview.
void requestVehicleReport(const QString &plate);

// The case list's subtitle: what its three filter boxes show.
QString listSubtitle(const QString &vehicle, const QString &status, const QString &kind);

} // namespace report
