#pragma once

#include "history/Record.h"

#include <QList>

namespace dao {
class Database;
}

namespace history {

// Who writes: the login name and the workstation's host name.
struct Author {
    QString user;
    QString workstation;
    static Author current();
};

// Appends change records to the one chain of a database. Every call runs
// inside the caller's write transaction (a case's save), or one of its own
// when there is none, which holds the database's write lock: the last
// record read and the new ones appended cannot interleave with another
// workstation, and a save that fails writes no record. Throws dao::DaoError.
class Journal {
public:
    explicit Journal(dao::Database &db, Author author = Author::current());

    // The records in the order given, all at `time` (kept to the second).
    void append(const QList<Entry> &entries, const QDateTime &time);
    void append(const Entry &entry, const QDateTime &time) { append(QList<Entry>{entry}, time); }

private:
    dao::Database &m_db;
    Author m_author;
};

// The records of cases made outside the case form (the demo, an import),
// inside the transaction that made them: "angelegt" with the case number,
// and "eingefügt" for each picture slot (Objekt_ID_n, "Bild n") that holds one.
void recordCreatedCases(dao::Database &db, const QList<long> &caseIds, const QDateTime &time);

// Whether the database keeps change records (an older one opened read-only does not).
bool keepsHistory(dao::Database &db);

// The read of the chain's last record. A write transaction that may append
// records starts with it (dao::Transaction(db, chainHeadQuery())), so that
// Journal::append finds the head without a further round trip to a server.
const QString &chainHeadQuery();

// The records of one case, newest first.
QList<Record> caseRecords(dao::Database &db, long caseId);
// The newest record of a case; id 0 when it has none.
Record lastCaseRecord(dao::Database &db, long caseId);

} // namespace history
