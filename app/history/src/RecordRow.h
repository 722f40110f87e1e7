#pragma once

#include "history/Record.h"

namespace dao {
class Recordset;
}

namespace history {

// Verlauf's columns in the order readRecord takes them.
const QString &recordColumns();
Record readRecord(dao::Recordset &rs);

} // namespace history
