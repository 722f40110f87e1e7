#include "varnholt/Globals.h"

#include "dao/Dao.h"

namespace varnholt {

QString gAppPath;
QString gIniFile;
QString gDbPath;
dao::Workspace *gWorkspace = nullptr;
std::unique_ptr<dao::Database> gDatabase;

} // namespace varnholt
