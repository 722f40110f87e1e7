#pragma once

#include "vehicle/DamageMark.h"

#include <QList>

namespace dao {
class Database;
}

namespace vehicle {

// The marks a damage description speaks of, where on the drawing that part
// is (a rear dent at the rear, a side mirror beside the top view).
QList<DamageMark> marksOfDescription(const QString &description);

// Marks for the demo cases: those their descriptions speak of, the first
// pointing at Bild 1 where the case has one; marks of cases closed as
// repaired carry a repair date, the others stay open for the later cases
// of the vehicle. Inside the caller's transaction.
void addDemoMarks(dao::Database &db, const QList<long> &caseIds);

} // namespace vehicle
