#pragma once

#include "varnholt/Schema.h"

#include "dao/Dao.h"

#include <QString>

// A new database with the program's tables, closed again.
inline void createTestDatabase(const QString &path)
{
    dao::OpenOptions options;
    options.create = true;
    auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path, options);
    varnholt::createSchema(*db);
    db->Close();
}
