#pragma once

#include <QString>

#include <memory>

namespace dao {
class Database;
class Workspace;
} // namespace dao

namespace varnholt {

// The state of modMain that lives for the whole run.
extern QString gAppPath;   // folder of the program, ending in "/"
extern QString gIniFile;   // gAppPath + program name + ".ini"
extern QString gDbPath;    // the database actually used: a file path or "postgresql://..."
extern dao::Workspace *gWorkspace;
extern std::unique_ptr<dao::Database> gDatabase;

} // namespace varnholt
