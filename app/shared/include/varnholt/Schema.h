#pragma once

namespace dao {
class Database;
}

namespace varnholt {

// Creates the tables Schaden and Objekt with every column and the indexes
// the list's filters and sorts use, in an empty database.
void createSchema(dao::Database &db);

} // namespace varnholt
