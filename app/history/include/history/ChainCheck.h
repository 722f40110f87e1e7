#pragma once

#include <QString>

namespace dao {
class Database;
}

namespace history {

// The outcome of checking the whole chain of change records.
struct ChainReport {
    enum Fault { None, Changed, Missing, OutOfOrder };
    Fault fault = None;
    long recordId = 0;        // the first record that does not match
    qint64 records = 0;       // records checked
    qint64 cases = 0;         // cases they speak of
    bool ok() const { return fault == None; }
    // "Eintrag 17: verändert" and the like, in German.
    QString text() const;
};

// Reads the records in the order of their IDs and checks each hash against
// its content and the previous record's stored hash. A record whose ID does
// not follow the previous one is reported as missing (one before it was
// taken out); one that matches its content only after another record of
// the chain as out of order; any other mismatch as changed; always the
// first such record by ID. A long chain is checked in `parts` runs of IDs
// side by side, each through a connection of its own (0: one per core).
ChainReport verifyChain(dao::Database &db, int parts = 0);

} // namespace history
