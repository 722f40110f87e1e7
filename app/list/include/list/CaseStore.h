#pragma once

#include "dao/Dao.h"

#include <QStringList>

namespace dao {
class Database;
}

namespace list {

// Every distinct plate of the cases, in the engine's order. Cases without
// a plate have nothing to offer the vehicle lists and are passed over.
QStringList vehiclePlates(dao::Database &db);

// Marks the case deleted: it keeps its number and its attachments, leaves
// the list and can be restored; the deletion is a change record. A failure
// leaves the case as it was. Throws dao::DaoError.
void deleteCase(dao::Database &db, long id);

// The count a "Select Count(*)" statement gives. Throws dao::DaoError.
qint64 countCases(dao::Database &db, const QString &countStatement, const dao::Params &params);

} // namespace list
