#pragma once

#include "history/ChainCheck.h"

#include <atomic>
#include <memory>
#include <vector>

namespace dao {
class Database;
class RowReader;
} // namespace dao

namespace history {

// One run of the chain's records by ID, checked on its own: each record's
// hash only needs the stored hash of the record before it, so runs can be
// checked side by side, each through its own connection.
class ChainPart {
public:
    // Reads the record before `from` and opens the reader of the records
    // from..to (IDs, both included) on db, in the calling thread.
    ChainPart(dao::Database &db, qint64 from, qint64 to);
    ~ChainPart();
    ChainPart(const ChainPart &) = delete;
    ChainPart &operator=(const ChainPart &) = delete;

    // Checks the records, in any thread. Stops early once a record with an
    // ID below its own is known to be at fault (firstFault, shared by all
    // parts, lowered by each that finds one). Throws dao::DaoError.
    void run(std::atomic<qint64> &firstFault);

    // What the run found: the first record at fault, the records that
    // matched before it, and by case ID whether a record of the case was seen.
    struct Outcome {
        ChainReport::Fault fault = ChainReport::None;
        qint64 faultId = 0;
        qint64 records = 0;
        std::vector<bool> cases;
    };
    Outcome &outcome() { return m_outcome; }

private:
    std::unique_ptr<dao::RowReader> m_rows;
    qint64 m_lastId = 0;
    unsigned char m_previous[32] = {};
    Outcome m_outcome;
};

} // namespace history
