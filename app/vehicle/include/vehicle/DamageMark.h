#pragma once

#include <QDate>
#include <QPoint>
#include <QString>
#include <QStringList>

namespace vehicle {

// The drawing's own coordinates: 0 to DiagramUnits across its width and down
// its height, whatever the size it is shown or printed at.
constexpr int DiagramUnits = 1000;

// One numbered mark on a case's damage diagram.
struct DamageMark {
    long id = 0;          // the row's ID; 0 until stored
    long caseId = 0;
    int nr = 0;
    QPoint at;            // diagram coordinates
    QString kind = QStringLiteral("Kratzer");
    QString severity = QStringLiteral("leicht");
    int picture = 0;      // Bild 1 to 3 of its case; 0 none
    QString note;
    QDate repairedOn;     // null while not repaired
    QString caseNumber;   // the Schadennummer of its case, for marks of other cases

    bool operator==(const DamageMark &) const = default;
};

// The kinds and severities offered, the first of each the default.
const QStringList &markKinds();
const QStringList &markSeverities();

// The legend's line: "3  Delle  mittel  Bild 2  Tür hinten"; a mark of an
// earlier case ends with "Vorschaden aus 26/123".
QString legendLine(const DamageMark &mark, bool earlier);

// The next free number after those of marks.
int nextNumber(const QList<DamageMark> &marks);

} // namespace vehicle
