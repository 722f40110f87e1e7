#pragma once

#include "../Engine.h"

namespace dao::detail {

// SQLite keeps most of the program's statement text as it is ([name]
// quoting, IIF, Max on an empty table, the collation German the connection
// registers); `now`, `True` and `False` need words of its own.
class SqliteDialect final : public Dialect {
public:
    QString translate(const QString &statement) const override;
    QString quoteIdentifier(const QString &name) const override;
    FieldKind kindOfDeclaredType(const QString &declaredType) const override;
};

} // namespace dao::detail
