#pragma once

#include "vehicle/DamageMark.h"

#include "dao/Value.h"

#include <QDate>
#include <QList>
#include <QString>

namespace dao {
class Database;
}

namespace vehicle {

// One registration's record: its cases oldest first, the sums per year and
// the marks not repaired. Reading throws dao::DaoError.
class VehicleRecord {
public:
    struct Case {
        long id = 0;
        QString number;
        QDate date;
        QString kind;
        dao::Currency amount;
        dao::Currency deductible;
        QString repair;
    };
    struct YearSum {
        int year = 0;         // 0: cases without a date
        int cases = 0;
        dao::Currency amount;
        dao::Currency deductible;
    };

    static VehicleRecord load(dao::Database &db, const QString &plate);
    // The plate and type of a case; empty when there is no such case.
    static std::pair<QString, QString> vehicleOfCase(dao::Database &db, long caseId);

    const QString &plate() const { return m_plate; }
    const QString &outline() const { return m_outline; }
    const QList<Case> &cases() const { return m_cases; }
    const QList<YearSum> &years() const { return m_years; }
    const QList<DamageMark> &openMarks() const { return m_open; }

    // The record as a report definition: its page heads, the diagram
    // (SKIZZE, drawn by RecordDrawing), one line per case and per year.
    QString reportDefinition() const;

    // "1.234,50" as the window and the report show amounts.
    static QString money(const dao::Currency &amount);

private:
    QString m_plate;
    QString m_outline;
    QList<Case> m_cases;
    QList<YearSum> m_years;
    QList<DamageMark> m_open;
};

} // namespace vehicle
