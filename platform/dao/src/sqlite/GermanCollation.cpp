#include "GermanCollation.h"

#include "dao/Dao.h"

#include <sqlite3.h>
#include <unicode/ucol.h>

#include <algorithm>

namespace dao::detail {
namespace {

int compareGerman(void *collator, int sizeA, const void *a, int sizeB, const void *b)
{
    const auto *textA = static_cast<const char *>(a);
    const auto *textB = static_cast<const char *>(b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult order =
        ucol_strcollUTF8(static_cast<UCollator *>(collator), textA, sizeA, textB, sizeB, &status);
    if (U_SUCCESS(status) && order != UCOL_EQUAL)
        return order == UCOL_LESS ? -1 : 1;
    // Alike in German order: told apart as NOCASE tells them apart.
    const int byBytes = sqlite3_strnicmp(textA, textB, std::min(sizeA, sizeB));
    if (byBytes != 0)
        return byBytes;
    return (sizeA > sizeB) - (sizeA < sizeB);
}

void closeCollator(void *collator) { ucol_close(static_cast<UCollator *>(collator)); }

// The engine's error, after the transaction begun is rolled back.
[[noreturn]] void giveUp(sqlite3 *db, bool inTransaction)
{
    const int rc = sqlite3_errcode(db);
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    if (inTransaction)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    DBEngine::instance().raise(rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? ErrLocked : ErrEngine,
                               QStringLiteral("Die Indizes in deutscher Sortierfolge lassen sich nicht erneuern (")
                                   + message + QStringLiteral(")."),
                               {ErrorEntry{rc, message, QStringLiteral("SQLite")}});
}

// The first column of the first row; empty when there is none or the statement fails.
QByteArray firstValue(sqlite3 *db, const char *statement, const QByteArray &parameter = {})
{
    sqlite3_stmt *stmt = nullptr;
    QByteArray value;
    if (sqlite3_prepare_v2(db, statement, -1, &stmt, nullptr) == SQLITE_OK) {
        if (!parameter.isNull())
            sqlite3_bind_text(stmt, 1, parameter.constData(), int(parameter.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) == SQLITE_ROW)
            value = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)),
                               sqlite3_column_bytes(stmt, 0));
    }
    sqlite3_finalize(stmt);
    return value;
}

bool run(sqlite3 *db, const char *statement, const QByteArray &parameter = {})
{
    sqlite3_stmt *stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, statement, -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        if (!parameter.isNull())
            sqlite3_bind_text(stmt, 1, parameter.constData(), int(parameter.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(stmt);
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_OK || rc == SQLITE_DONE;
}

QByteArray builtOrder(sqlite3 *db)
{
    return firstValue(db, "SELECT version FROM dao_collation WHERE name = 'German'");
}

} // namespace

QByteArray registerGermanCollation(sqlite3 *db)
{
    UErrorCode status = U_ZERO_ERROR;
    UCollator *collator = ucol_open("de", &status);
    if (U_FAILURE(status)) {
        ucol_close(collator);
        DBEngine::instance().raise(ErrEngine, QStringLiteral("Die deutsche Sortierfolge ist nicht verfügbar (ICU: %1).")
                                                  .arg(QString::fromLatin1(u_errorName(status))));
    }
    // Case is told apart by the comparison above, as NOCASE does.
    ucol_setStrength(collator, UCOL_SECONDARY);
    UVersionInfo version;
    ucol_getVersion(collator, version);
    char versionText[U_MAX_VERSION_STRING_LENGTH] = {};
    u_versionToString(version, versionText);
    const int rc = sqlite3_create_collation_v2(db, "German", SQLITE_UTF8, collator, compareGerman, closeCollator);
    if (rc != SQLITE_OK) {
        ucol_close(collator);   // not handed over when refused
        DBEngine::instance().raise(ErrEngine, QStringLiteral("Die deutsche Sortierfolge lässt sich nicht anmelden (%1).")
                                                  .arg(QString::fromUtf8(sqlite3_errstr(rc))));
    }
    return QByteArray(versionText);
}

void keepGermanIndexesInOrder(sqlite3 *db, const QByteArray &order)
{
    const char *anyIndex = "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND sql LIKE '%COLLATE German%'";
    const QByteArray recorded = builtOrder(db);
    if (recorded == order || firstValue(db, anyIndex) == "0")
        return;
    if (!run(db, "BEGIN IMMEDIATE")) {
        // A read-only file, or another workstation writing: indexes of no
        // recorded order are most likely of this one, and wait for the next
        // start; indexes known to be of another order must not be searched.
        if (recorded.isEmpty())
            return;
        giveUp(db, false);
    }
    // Another workstation may have built them meanwhile. Indexes of unknown
    // order (none recorded yet) are built anew too.
    const bool done = builtOrder(db) == order
        || (run(db, "CREATE TABLE IF NOT EXISTS dao_collation (name TEXT PRIMARY KEY NOT NULL, version TEXT NOT NULL)")
            && run(db, "REINDEX German")
            && run(db, "INSERT OR REPLACE INTO dao_collation (name, version) VALUES ('German', ?)", order));
    if (!done || !run(db, "COMMIT"))
        giveUp(db, true);
}

} // namespace dao::detail
