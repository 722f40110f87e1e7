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

QString listSubtitle(const QString &vehicle, const QString &status, const QString &kind)
{
    return QStringLiteral("Fahrzeug: ") + vehicle + QStringLiteral(" - Status: ") + status +
           QStringLiteral(" - Schadenart: ") + kind;
}

} // namespace report
