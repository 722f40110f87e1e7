#pragma once

#include "history/Record.h"

namespace dao {
class Recordset;
}

namespace history {

// Verlauf's columns in the order readRecord takes them.
const QString &recordColumns();
Record readRecord(dao::Recordset &rs);

// SHA-256 into digest (Sha256Size bytes) through one context per thread:
// a long chain is checked without setting one up per record.
constexpr int Sha256Size = 32;
void sha256(QByteArrayView bytes, unsigned char *digest);

} // namespace history
