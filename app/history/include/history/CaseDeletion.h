#pragma once

#include <QDateTime>

namespace dao {
class Database;
}

namespace history {

// A deleted case keeps its row, its number and its attachments; it is only
// marked (Geloescht) and no longer listed, and can be restored. Each step is
// a change record. Throws dao::DaoError.
void markCaseDeleted(dao::Database &db, long caseId, const QDateTime &now);
// False when the case does not exist or was not deleted.
bool restoreCase(dao::Database &db, long caseId, const QDateTime &now);
bool isCaseDeleted(dao::Database &db, long caseId);
// Whether the database marks deleted cases (an older one opened read-only does not).
bool marksDeletions(dao::Database &db);

} // namespace history
