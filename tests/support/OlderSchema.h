#pragma once

// Makes a database the program just created look as an older program left
// it: what the upgrade steps after `version` added is taken away again, and
// the version recorded is `version` (1: the first program, which kept none).

#include "dao/Dao.h"

#include <QStringList>

#include <utility>
#include <vector>

namespace testschema {

inline void makeVersion(dao::Database &db, int version)
{
    // What each step added, newest last.
    static const std::vector<std::pair<int, QStringList>> added = {
        {2,
         {QStringLiteral("DROP TABLE Schemaversion"), QStringLiteral("DROP INDEX SchadenAuto"),
          QStringLiteral("DROP INDEX SchadenKunde"),
          QStringLiteral("CREATE INDEX SchadenKunde ON Schaden (Kundenname)")}},
        {3, {QStringLiteral("DROP TABLE Schadenmarke")}},
        {4, {QStringLiteral("DROP TABLE SchadenAnhang")}},
        {5,
         {QStringLiteral("DROP TABLE Verlauf"), QStringLiteral("DROP INDEX SchadenGeloescht"),
          QStringLiteral("ALTER TABLE Schaden DROP COLUMN Geloescht")}},
    };
    for (auto step = added.rbegin(); step != added.rend() && step->first > version; ++step)
        for (const QString &statement : step->second)
            db.Execute(statement);
    if (version >= 2)
        db.Execute(QStringLiteral("UPDATE Schemaversion SET Version=?"), {version});
}

} // namespace testschema
