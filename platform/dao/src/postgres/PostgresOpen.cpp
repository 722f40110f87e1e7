#include "PostgresConnection.h"
#include "ServerPatience.h"

#include "dao/ServerAddress.h"

namespace dao::detail {
namespace {

using namespace pg;

// Taken while the support is made, apart from the write lock (0x5661726e686f6c74).
constexpr qint64 SupportLockKey = 0x5661726e686f6c75;
constexpr int SupportVersion = 1;

// What the layer's statements need in the database: the types of its
// column kinds and the Jet functions. Made once per database.
const char *const kSupport[] = {
    "CREATE EXTENSION IF NOT EXISTS citext",
    "CREATE DOMAIN yesno AS smallint",
    "CREATE DOMAIN currency AS numeric(19,4)",
    "CREATE DOMAIN memo AS text",
    "CREATE DOMAIN memo_nocase AS citext",
    "CREATE DOMAIN longbinary AS bytea",
    "CREATE FUNCTION iif(boolean, anycompatible, anycompatible) RETURNS anycompatible LANGUAGE sql IMMUTABLE "
    "AS $$SELECT CASE WHEN $1 THEN $2 ELSE $3 END$$",
    "CREATE FUNCTION iif(integer, anycompatible, anycompatible) RETURNS anycompatible LANGUAGE sql IMMUTABLE "
    "AS $$SELECT CASE WHEN $1 <> 0 THEN $2 ELSE $3 END$$",
    // Jet's DateDiff counts the boundaries of the interval crossed between the two moments.
    "CREATE FUNCTION datediff(text, timestamp, timestamp) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$SELECT CASE lower($1)"
    " WHEN 'd' THEN ($3::date - $2::date)::bigint"
    " WHEN 'y' THEN ($3::date - $2::date)::bigint"
    " WHEN 'w' THEN (($3::date - $2::date) / 7)::bigint"
    " WHEN 'ww' THEN ((($3::date - extract(dow from $3)::int) - ($2::date - extract(dow from $2)::int)) / 7)::bigint"
    " WHEN 'm' THEN ((extract(year from $3) - extract(year from $2)) * 12 + extract(month from $3)"
    "   - extract(month from $2))::bigint"
    " WHEN 'q' THEN ((extract(year from $3) - extract(year from $2))::int * 4 + (extract(month from $3)::int - 1) / 3"
    "   - (extract(month from $2)::int - 1) / 3)::bigint"
    " WHEN 'yyyy' THEN (extract(year from $3) - extract(year from $2))::bigint"
    " WHEN 'h' THEN (($3::date - $2::date) * 24 + extract(hour from $3) - extract(hour from $2))::bigint"
    " WHEN 'n' THEN ((($3::date - $2::date) * 24 + extract(hour from $3) - extract(hour from $2)) * 60"
    "   + extract(minute from $3) - extract(minute from $2))::bigint"
    " WHEN 's' THEN floor(extract(epoch from ($3 - $2)))::bigint END$$",
};

void ensureSupport(Session &session)
{
    const auto supported = [&session] {
        Result r = session.exec("SELECT to_regprocedure('varnholt_dao_support()') IS NOT NULL", {});
        return PQntuples(r.get()) > 0 && PQgetvalue(r.get(), 0, 0)[0] == 't';
    };
    if (supported())
        return;
    // Under a lock of the connection, so that the look-up after it runs in a
    // transaction of its own that sees what another workstation just made.
    // Making it can take a while on a busy server.
    const QByteArray key = QByteArray::number(SupportLockKey);
    session.run("SET lock_timeout = '60s'");
    session.exec("SELECT pg_advisory_lock(" + key + ")", {});
    session.run("SET lock_timeout = '3s'");
    try {
        if (!supported()) {
            session.begin("BEGIN");
            for (const char *statement : kSupport)
                session.run(statement);
            session.run(QByteArray("CREATE FUNCTION varnholt_dao_support() RETURNS integer LANGUAGE sql IMMUTABLE AS "
                                   "$$SELECT ") + QByteArray::number(SupportVersion) + "$$");
            session.end("COMMIT");
        }
    } catch (const DaoError &) {
        if (session.inTransaction())
            session.endQuietly("ROLLBACK");
        session.runQuietly(QByteArray("SELECT pg_advisory_unlock(" + key + ")").constData());
        throw;
    }
    session.exec("SELECT pg_advisory_unlock(" + key + ")", {});
}

bool holdsTables(Session &session)
{
    Result r = session.exec("SELECT count(*) FROM pg_tables WHERE schemaname = current_schema()", {});
    return QByteArray(PQgetvalue(r.get(), 0, 0)) != "0";
}

// A database that does not exist yet is made from the server's maintenance
// database. Its C collation compares and sorts case-insensitive text as
// SQLite's NOCASE does: ASCII letters folded, everything else by code.
void createServerDatabase(const QByteArray &address)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(address.constData(), &error);
    if (!options) {
        const QString message = withoutPasswordOf(QString::fromUtf8(address), QString::fromUtf8(error ? error : ""));
        PQfreemem(error);
        DBEngine::instance().raise(ErrDatabaseNotFound, QStringLiteral("Ungültige Serveradresse (%1).").arg(message));
    }
    QByteArray conninfo;
    QByteArray name;
    for (PQconninfoOption *o = options; o->keyword; ++o) {
        if (!o->val)
            continue;
        if (qstrcmp(o->keyword, "dbname") == 0) {
            name = o->val;
            continue;
        }
        QByteArray value(o->val);
        value.replace('\\', "\\\\").replace('\'', "\\'");
        conninfo += QByteArray(o->keyword) + "='" + value + "' ";
    }
    PQconninfoFree(options);
    PGconn *maintenance = connectTo(conninfo + "dbname=postgres");
    if (PQstatus(maintenance) != CONNECTION_OK) {
        const QString message = withoutPasswordOf(QString::fromUtf8(address), serverMessage(maintenance, nullptr));
        PQfinish(maintenance);
        raiseLost(message);
    }
    char *quotedName = PQescapeIdentifier(maintenance, name.constData(), size_t(name.size()));
    const QByteArray create = "CREATE DATABASE " + QByteArray(quotedName) + " ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0";
    Result r(PQexec(maintenance, create.constData()));
    PQfreemem(quotedName);
    const bool ok = r && PQresultStatus(r.get()) == PGRES_COMMAND_OK;
    const QString message = serverMessage(maintenance, r.get());
    PQfinish(maintenance);
    if (!ok)
        raiseServer("", message);
}

} // namespace

std::unique_ptr<Connection> openPostgres(const QString &address, const OpenOptions &options)
{
    const int patience = patienceSeconds();
    const QByteArray conninfo = withTimeouts(address.toUtf8(), patience);
    const QString shown = shownDatabaseName(address);
    PGconn *conn = connectTo(conninfo);
    if (PQstatus(conn) != CONNECTION_OK && options.create
        && QString::fromUtf8(PQerrorMessage(conn)).contains(QLatin1String("does not exist"))) {
        PQfinish(conn);
        createServerDatabase(conninfo);
        conn = connectTo(conninfo);
    }
    if (PQstatus(conn) != CONNECTION_OK) {
        const QString message = withoutPasswordOf(address, serverMessage(conn, nullptr));
        PQfinish(conn);
        if (message.contains(QLatin1String("does not exist")))
            DBEngine::instance().raise(ErrDatabaseNotFound,
                                       QStringLiteral("Die Datenbank '%1' wurde auf dem Server nicht gefunden (%2).")
                                           .arg(shown, message),
                                       {ErrorEntry{0, message, QStringLiteral("PostgreSQL")}});
        DBEngine::instance().raise(ErrConnectionLost,
                                   QStringLiteral("Der Datenbankserver ist nicht erreichbar (%1).").arg(message),
                                   {ErrorEntry{0, message, QStringLiteral("PostgreSQL")}});
    }
    auto connection = std::make_unique<PostgresConnection>(conn, conninfo, address, options.readOnly, patience);
    connection->primary().configure();
    if (options.create && holdsTables(connection->primary()))
        DBEngine::instance().raise(ErrDatabaseExists, QStringLiteral("Die Datenbank '%1' existiert bereits.").arg(shown));
    if (!options.readOnly)
        ensureSupport(connection->primary());
    return connection;
}

} // namespace dao::detail
