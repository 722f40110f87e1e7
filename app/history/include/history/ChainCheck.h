#pragma once

#include <QString>

#include <functional>

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
// its content and the previous record's hash. A record whose ID does not
// follow the previous one is reported as missing (one before it was taken
// out); one that matches its content only after another record of the chain
// as out of order; any other mismatch as changed. `progress` is told the
// records read so far now and then and may ask to stop (false).
ChainReport verifyChain(dao::Database &db, const std::function<bool(qint64)> &progress = {});

} // namespace history
