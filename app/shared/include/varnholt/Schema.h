#pragma once

namespace dao {
class Database;
}

namespace varnholt {

// The version of the tables this program makes and reads, kept in the table
// Schemaversion (one row, column Version). A database without that table is
// version 1: Schaden and Objekt as the first program made them.
constexpr int SchemaVersion = 5;

// Creates the tables Schaden and Objekt with every column and the indexes
// the list's filters and sorts use, in an empty database, at SchemaVersion.
void createSchema(dao::Database &db);

// Brings a database an older program made to SchemaVersion: every missing
// step in one transaction under the write lock, taken once; a database at
// SchemaVersion is only read. A database of a newer program is refused with
// dao::ErrNotADatabase and left as it is; one that refuses writes (a
// read-only file) stays as it is and keeps working, only slower to sort.
void upgradeSchema(dao::Database &db);

// The version the database holds.
int storedSchemaVersion(dao::Database &db);

} // namespace varnholt
