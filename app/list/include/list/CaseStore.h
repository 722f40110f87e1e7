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

// Deletes the case and each attachment row it refers to, all or nothing:
// a failure leaves the case with every attachment in place.
// Throws dao::DaoError.
void deleteCase(dao::Database &db, long id);

// The count a "Select Count(*)" statement gives. Throws dao::DaoError.
qint64 countCases(dao::Database &db, const QString &countStatement, const dao::Params &params);

} // namespace list
