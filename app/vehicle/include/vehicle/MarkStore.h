#pragma once

#include "vehicle/DamageMark.h"

#include <QList>

namespace dao {
class Database;
}

namespace vehicle {

// The marks of the table Schadenmarke. Reads and writes throw dao::DaoError.
class MarkStore {
public:
    explicit MarkStore(dao::Database &db) : m_db(db) {}

    // Whether the database has the marks' table: one an older program made
    // and that could not be brought up to date (read only) has not.
    static bool available(dao::Database &db);

    // A case's own marks by number.
    QList<DamageMark> caseMarks(long caseId);
    // Marks without a repair date of the vehicle's cases before the case
    // (by date, then by ID), the oldest first; caseId 0 (a new case): all of
    // the vehicle's cases.
    QList<DamageMark> earlierOpenMarks(const QString &plate, long caseId);
    // What a case's diagram shows, read at once: caseMarks(caseId) and
    // earlierOpenMarks(plate, caseId) of a stored case.
    struct CaseDiagram {
        QList<DamageMark> own;
        QList<DamageMark> earlier;
    };
    CaseDiagram caseDiagram(long caseId, const QString &plate);
    // Every mark of the vehicle without a repair date, the oldest case first.
    QList<DamageMark> openMarks(const QString &plate);

    // Brings the case's stored marks from `loaded` (what was read) to `shown`:
    // marks gone from `loaded` are deleted, known ones updated, new ones
    // added. Marks another workstation added meanwhile stay; a new mark whose
    // number one of them took gets the next free one. Every mark takes the
    // case's plate. Meant to run inside the case's save transaction.
    void writeCase(long caseId, const QString &plate, const QList<DamageMark> &loaded, const QList<DamageMark> &shown);
    // A mark's repair date (null: not repaired).
    void setRepaired(long markId, const QDate &date);

private:
    QList<DamageMark> read(const QString &where, const QList<QVariant> &params);

    dao::Database &m_db;
};

} // namespace vehicle
