#pragma once

#include <QByteArray>

struct sqlite3;

namespace dao::detail {

// The collation German on one connection: German dictionary order through
// ICU (an umlaut beside its base letter, ß as ss, lower and upper case
// alike), and equal only where NOCASE says equal, so that a column sorted
// with it still finds, groups and distincts its values as before. Gives the
// version of ICU's order.
QByteArray registerGermanCollation(sqlite3 *db);

// ICU's order of a language can change with ICU's version, and an index built
// in one order is searched wrongly in another. The order the database's
// German indexes were built in is kept in the table dao_collation; they are
// built anew, once, under the write lock, when it is not `order`.
void keepGermanIndexesInOrder(sqlite3 *db, const QByteArray &order);

} // namespace dao::detail
