#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <optional>

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

// When a case row was made (tsErstellt) and last changed (tsGeändert), as
// read with the row: a row that still carries the stamp a form read with it
// was not written by anyone else since.
struct CaseStamp {
    QVariant created;
    QVariant changed;

    static CaseStamp of(dao::Recordset &row);
    bool operator==(const CaseStamp &other) const = default;
};

// A save found the case row gone: another workstation deleted it.
struct CaseDeletedElsewhere {};
// A save found the case row changed since the form read it.
struct CaseChangedElsewhere {};

// Writes one case row: a new one (caseId 0) gets the next ID and case number
// and its creation moment, an existing one its change moment; fill puts the
// form's values into the row. Numbering and writing happen in one write
// transaction, which shuts out every other writer on a file as on a server,
// so two workstations cannot take the same ID or number, and a failure
// anywhere in fill leaves the database as it was. Returns the ID.
//
// An existing case is written only while it still carries `expected` (when
// given), checked in the same transaction before anything is written:
// otherwise CaseChangedElsewhere is thrown, and CaseDeletedElsewhere when
// the row is gone; the database stays as it was. Without `expected` the row
// is overwritten whatever it holds, but a deleted case is never made anew.
// `alongside` writes what belongs to the case beside its row, in the same
// transaction, after the row, with the row's ID; there before() and after()
// give the row as it was (empty for a new case) and as it is now written, as
// read in the transaction. A case marked deleted counts as gone.
class CaseStore {
public:
    explicit CaseStore(dao::Database &db) : m_db(db) {}

    long save(long caseId, const QDateTime &now, const std::function<void(dao::Recordset &)> &fill,
              const std::optional<CaseStamp> &expected = std::nullopt,
              const std::function<void(long)> &alongside = {});
    // The stamp the last save left on the row, as read back from it.
    const CaseStamp &written() const { return m_written; }
    // The row's values by lower-case column name, while alongside runs.
    const QVariantMap &before() const { return m_before; }
    const QVariantMap &after() const { return m_after; }

private:
    long writeOnce(long caseId, const QDateTime &now, const std::function<void(dao::Recordset &)> &fill,
                   const std::optional<CaseStamp> &expected, const std::function<void(long)> &alongside);

    dao::Database &m_db;
    CaseStamp m_written;
    QVariantMap m_before;
    QVariantMap m_after;
};

} // namespace form
