#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <functional>

namespace dao {
class Database;
class Recordset;
} // namespace dao

namespace form {

// The case number that follows the one of the most recently created case:
// "yy/nnn" with the running number counted on within the year and started
// again at 001 in a new one. Everything after the "/" is the running number,
// so 10/999 is followed by 10/1000.
QString nextCaseNumber(const QString &reference, const QDate &today);

// Writes one case row: a new one (caseId 0) gets the next ID and case number
// and its creation moment, an existing one its change moment; fill puts the
// form's values into the row. Numbering and writing happen in one write
// transaction, which shuts out every other writer on a file as on a server,
// so two workstations cannot take the same ID or number, and a failure
// anywhere in fill leaves the database as it was. Returns the ID.
class CaseStore {
public:
    explicit CaseStore(dao::Database &db) : m_db(db) {}

    long save(long caseId, const QDateTime &now, const std::function<void(dao::Recordset &)> &fill);

    // How often a save is tried while another program holds the write lock.
    static constexpr int Attempts = 20;

private:
    long writeOnce(long caseId, const QDateTime &now, const std::function<void(dao::Recordset &)> &fill);

    dao::Database &m_db;
};

} // namespace form
