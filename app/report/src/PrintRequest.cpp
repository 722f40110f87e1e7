#include "report/PrintRequest.h"

namespace report {

short gPrintKind = 0;
long gPrintRecord = 0;
QString gPrintSubtitle;
bool gPrintDirect = false;
GridSource *gPrintGrid = nullptr;

PrintRequest PrintRequest::current()
{
    return {gPrintKind, gPrintRecord, gPrintSubtitle, gPrintDirect, gPrintGrid};
}

void requestCaseReport(long caseId)
{
    gPrintKind = PrintKindCase;
    gPrintRecord = caseId;
    gPrintSubtitle.clear();
    gPrintDirect = false;
    gPrintGrid = nullptr;
}

void requestListReport(GridSource &grid, long count, const QString &subtitle)
{
    gPrintKind = PrintKindList;
    gPrintRecord = count;
    gPrintSubtitle = subtitle;
    gPrintDirect = false;
    gPrintGrid = &grid;
}

void requestVehicleReport(const QString &plate)
{
    gPrintKind = PrintKindVehicle;
    gPrintRecord = 0;
    gPrintSubtitle = plate;
    gPrintDirect = false;
    gPrintGrid = nullptr;
}

QString listSubtitle(const QString &vehicle, const QString &status, const QString &kind)
{
    return QStringLiteral("Fahrzeug: ") + vehicle + QStringLiteral(" - Status: ") + status +
           QStringLiteral(" - Schadenart: ") + kind;
}

} // namespace report
