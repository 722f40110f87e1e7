#pragma once

#include "../Engine.h"

namespace dao::detail {

// The program's Jet-flavoured statements in PostgreSQL's words: "?" becomes
// $1, $2 ...; [name] a quoted name in the server's lower case; now the
// program's clock as a timestamp literal; True and False -1 and 0; the
// collation German the server's ICU collation "de-x-icu". IIF and
// DateDiff are functions the engine keeps in the database. In CREATE TABLE
// the layer's type names become the server's: YESNO a smallint holding -1/0,
// CURRENCY an exact numeric, MEMO and LONGBINARY text and bytea, and text
// declared COLLATE NOCASE compares without regard to case (citext).
class PostgresDialect final : public Dialect {
public:
    QString translate(const QString &statement) const override;
    QString quoteIdentifier(const QString &name) const override;
    // Takes the server's type names, as the catalog spells them (yesno, int4 ...).
    FieldKind kindOfDeclaredType(const QString &declaredType) const override;
};

} // namespace dao::detail
