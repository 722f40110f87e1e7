#include "PostgresDialect.h"

#include <QHash>
#include <QRegularExpression>

#include <libpq-fe.h>

#include <map>
#include <vector>

namespace dao::detail {
namespace {

// Type numbers of the server's built-in types (pg_type.oid, fixed).
enum : Oid {
    OidBool = 16, OidBytea = 17, OidInt8 = 20, OidInt2 = 21, OidInt4 = 23,
    OidFloat4 = 700, OidFloat8 = 701, OidTimestamp = 1114, OidNumeric = 1700,
};

// Every write transaction of every workstation takes this one lock first,
// so that a read of the highest number and the insert that follows it
// cannot interleave with another writer -- what an immediate transaction
// gives on a database file.
constexpr qint64 WriteLockKey = 0x5661726e686f6c74;   // "Varnholt"
constexpr qint64 SupportLockKey = WriteLockKey + 1;
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

QString serverMessage(PGconn *conn, const PGresult *result)
{
    const char *m = result ? PQresultErrorMessage(result) : nullptr;
    if (!m || !*m)
        m = PQerrorMessage(conn);
    return QString::fromUtf8(m).trimmed();
}

bool connectionGone(PGconn *conn, const QByteArray &state)
{
    return PQstatus(conn) == CONNECTION_BAD || (state.startsWith("08") && state != "08P01") || state == "57P01"
        || state == "57P02" || state == "57P03";
}

// The highest $n of a translated statement, outside quotes.
int highestPlaceholder(const QByteArray &statement)
{
    int highest = 0;
    char quote = 0;
    for (qsizetype i = 0; i < statement.size(); ++i) {
        const char c = statement[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '$') {
            int n = 0;
            qsizetype j = i + 1;
            while (j < statement.size() && statement[j] >= '0' && statement[j] <= '9')
                n = n * 10 + (statement[j++] - '0');
            highest = std::max(highest, n);
            i = j - 1;
        }
    }
    return highest;
}

[[noreturn]] void raiseLost(const QString &message)
{
    DBEngine::instance().raise(
        ErrConnectionLost,
        QStringLiteral("Die Verbindung zum Datenbankserver ist unterbrochen (%1).").arg(message),
        {ErrorEntry{0, message, QStringLiteral("PostgreSQL")}});
}

// The server's error as the layer's numbered error, the server's own
// message kept as the entry before it.
[[noreturn]] void raiseServer(const QByteArray &state, const QString &message)
{
    const QList<ErrorEntry> entries{ErrorEntry{0, QString::fromLatin1(state) + u' ' + message, QStringLiteral("PostgreSQL")}};
    long number = ErrEngine;
    QString text = QStringLiteral("Fehler des Datenbanksystems");
    if (state == "23505") {
        number = ErrDuplicateKey;
        text = QStringLiteral("Doppelter Wert in einem Schlüssel oder eindeutigen Index");
    } else if (state.startsWith("23")) {
        text = QStringLiteral("Die Daten verletzen eine Bedingung der Tabelle");
    } else if (state == "55P03" || state == "40P01" || state == "40001") {
        number = ErrLocked;
        text = QStringLiteral("Die Datenbank ist von einem anderen Benutzer gesperrt");
    } else if (state == "42P01") {
        number = ErrTableNotFound;
        text = QStringLiteral("Die Tabelle oder Abfrage wurde nicht gefunden");
    } else if (state == "42703") {
        number = ErrTooFewParameters;
        text = QStringLiteral("Unbekannter Spaltenname in der Anweisung");
    } else if (state == "42601") {
        number = ErrSyntax;
        text = QStringLiteral("Syntaxfehler in der Anweisung");
    } else if (state.startsWith("22")) {
        number = ErrConversion;
        text = QStringLiteral("Fehler bei der Datentypkonvertierung");
    } else if (state == "25006" || state == "42501") {
        number = ErrNotUpdatable;
        text = QStringLiteral("Aktualisieren nicht möglich; Datenbank oder Objekt ist schreibgeschützt");
    } else if (state == "3D000") {
        number = ErrDatabaseNotFound;
        text = QStringLiteral("Die Datenbank wurde auf dem Server nicht gefunden");
    }
    DBEngine::instance().raise(number, text + QStringLiteral(" (") + message + QStringLiteral(")."), entries);
}

struct ResultDeleter {
    void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// The parameters in the form the server reads: text for everything but
// long binary, with the type left to the statement where the value's own
// type could be wrong for its column (texts, Yes/No).
class BoundParams {
public:
    explicit BoundParams(const Params &params)
    {
        const qsizetype n = params.size();
        m_values.reserve(size_t(n));
        for (const QVariant &param : params) {
            const QVariant v = canonicalParameter(param);
            Oid type = 0;
            int format = 0;
            QByteArray bytes;
            bool isNull = false;
            if (!v.isValid()) {
                isNull = true;
            } else if (v.typeId() == QMetaType::Bool) {
                bytes = v.toBool() ? "-1" : "0";
            } else if (v.typeId() == QMetaType::LongLong) {
                type = OidInt8;
                bytes = QByteArray::number(v.toLongLong());
            } else if (v.typeId() == QMetaType::Double) {
                type = OidFloat8;
                bytes = QByteArray::number(v.toDouble(), 'g', 17);
            } else if (v.typeId() == QMetaType::QDateTime) {
                type = OidTimestamp;
                bytes = storedDateText(v.toDateTime()).toLatin1();
            } else if (v.typeId() == QMetaType::QByteArray) {
                type = OidBytea;
                format = 1;
                bytes = v.toByteArray();
            } else if (v.typeId() == qMetaTypeId<Currency>()) {
                type = OidNumeric;
                const qint64 units = v.value<Currency>().units();
                const qint64 magnitude = units < 0 ? -units : units;
                bytes = (units < 0 ? "-" : "") + QByteArray::number(magnitude / 10000) + '.'
                    + QByteArray::number(magnitude % 10000).rightJustified(4, '0');
            } else {
                bytes = v.toString().toUtf8();
            }
            m_types.push_back(type);
            m_formats.push_back(format);
            m_values.push_back(std::move(bytes));
            m_nulls.push_back(isNull);
        }
        for (size_t i = 0; i < m_values.size(); ++i) {
            m_pointers.push_back(m_nulls[i] ? nullptr : m_values[i].constData());
            m_lengths.push_back(int(m_values[i].size()));
        }
    }

    int count() const { return int(m_values.size()); }
    const Oid *types() const { return m_types.data(); }
    const char *const *values() const { return m_pointers.data(); }
    const int *lengths() const { return m_lengths.data(); }
    const int *formats() const { return m_formats.data(); }

private:
    std::vector<QByteArray> m_values;
    std::vector<bool> m_nulls;
    std::vector<Oid> m_types;
    std::vector<int> m_formats;
    std::vector<const char *> m_pointers;
    std::vector<int> m_lengths;
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

// bytea in the server's text output: "\x" and two hex digits a byte.
QByteArray decodeBytea(const char *text, int length)
{
    if (length >= 2 && text[0] == '\\' && text[1] == 'x') {
        QByteArray bytes((length - 2) / 2, Qt::Uninitialized);
        char *out = bytes.data();
        for (int i = 2; i + 1 < length; i += 2)
            *out++ = char(hexValue(text[i]) << 4 | hexValue(text[i + 1]));
        return bytes;
    }
    size_t size = 0;
    unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &size);
    QByteArray bytes(reinterpret_cast<const char *>(raw), qsizetype(size));
    PQfreemem(raw);
    return bytes;
}

struct TableInfo {
    QString name;
    std::map<int, std::pair<QString, QString>> columns;   // attnum -> name, type name
};

class PostgresStatement final : public Statement {
public:
    PostgresStatement(Result result, std::vector<ColumnInfo> columns)
        : m_result(std::move(result)), m_columns(std::move(columns)), m_rows(PQntuples(m_result.get()))
    {
        for (int c = 0; c < int(m_columns.size()); ++c)
            m_types.push_back(PQftype(m_result.get(), c));
        m_blobs.resize(m_columns.size());
    }

    int columnCount() const override { return int(m_columns.size()); }
    const ColumnInfo &column(int index) const override { return m_columns[size_t(index)]; }

    bool step() override
    {
        if (m_row + 1 >= m_rows) {
            m_row = m_rows;
            return false;
        }
        ++m_row;
        return true;
    }

    RawValue raw(int index) const override
    {
        RawValue raw;
        PGresult *r = m_result.get();
        if (PQgetisnull(r, m_row, index))
            return raw;
        const char *text = PQgetvalue(r, m_row, index);
        const int length = PQgetlength(r, m_row, index);
        switch (m_types[size_t(index)]) {
        case OidInt2:
        case OidInt4:
        case OidInt8:
            raw.type = RawValue::Integer;
            raw.integer = QByteArray::fromRawData(text, length).toLongLong();
            break;
        case OidBool:
            raw.type = RawValue::Integer;
            raw.integer = text[0] == 't' ? -1 : 0;
            break;
        case OidFloat4:
        case OidFloat8:
            raw.type = RawValue::Real;
            raw.real = QByteArray::fromRawData(text, length).toDouble();
            break;
        case OidNumeric:
            if (m_columns[size_t(index)].kind != FieldKind::Currency) {
                raw.type = RawValue::Real;
                raw.real = QByteArray::fromRawData(text, length).toDouble();
                break;
            }
            raw.type = RawValue::Text;
            raw.data = text;
            raw.size = length;
            break;
        case OidBytea: {
            QByteArray &bytes = m_blobs[size_t(index)];
            bytes = decodeBytea(text, length);
            raw.type = RawValue::Blob;
            raw.data = bytes.constData();
            raw.size = bytes.size();
            raw.shared = &bytes;
            break;
        }
        default:
            raw.type = RawValue::Text;
            raw.data = text;
            raw.size = length;
            break;
        }
        return raw;
    }

    void finish() override { m_row = m_rows; }

private:
    Result m_result;
    std::vector<ColumnInfo> m_columns;
    std::vector<Oid> m_types;
    int m_rows;
    int m_row = -1;
    mutable std::vector<QByteArray> m_blobs;   // decoded long binaries of the current row
};

class PostgresConnection final : public Connection {
public:
    explicit PostgresConnection(PGconn *conn, bool readOnly) : m_conn(conn), m_readOnly(readOnly) {}
    ~PostgresConnection() override { close(); }

    QString engineName() const override { return QStringLiteral("PostgreSQL"); }
    const Dialect &dialect() const override { return m_dialect; }

    void configure()
    {
        // A writer waits for another's transaction as long as SQLite waits for a busy file.
        run("SET client_min_messages = warning; SET DateStyle = ISO; SET lock_timeout = '3s'");
        if (m_readOnly)
            run("SET default_transaction_read_only = on");
    }

    void ensureSupport()
    {
        if (scalar("SELECT to_regprocedure('varnholt_dao_support()') IS NOT NULL") == "t")
            return;
        run("BEGIN");
        try {
            exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(SupportLockKey), {});
            if (scalar("SELECT to_regprocedure('varnholt_dao_support()') IS NOT NULL") != "t") {
                for (const char *statement : kSupport)
                    run(statement);
                run(QByteArray("CREATE FUNCTION varnholt_dao_support() RETURNS integer LANGUAGE sql IMMUTABLE AS "
                               "$$SELECT ") + QByteArray::number(SupportVersion) + "$$");
            }
            run("COMMIT");
        } catch (const DaoError &) {
            PQclear(PQexec(m_conn, "ROLLBACK"));
            throw;
        }
    }

    bool holdsTables()
    {
        return scalar("SELECT count(*) FROM pg_tables WHERE schemaname = current_schema()") != "0";
    }

    std::unique_ptr<Statement> prepare(const QString &statement, const Params &params) override
    {
        Result result = exec(statement, params);
        std::vector<ColumnInfo> columns;
        const int n = PQnfields(result.get());
        const QHash<QString, QString> spelled = spellings(statement);
        for (int c = 0; c < n; ++c) {
            ColumnInfo info;
            const QString name = QString::fromUtf8(PQfname(result.get(), c));
            info.name = spelled.value(name, name);
            const Oid table = PQftable(result.get(), c);
            const int attnum = PQftablecol(result.get(), c);
            if (table != InvalidOid && attnum > 0) {
                const TableInfo &t = tableInfo(table);
                const auto col = t.columns.find(attnum);
                if (col != t.columns.end()) {
                    info.table = t.name;
                    info.origin = col->second.first;
                    info.kind = m_dialect.kindOfDeclaredType(col->second.second);
                }
            }
            columns.push_back(info);
        }
        return std::make_unique<PostgresStatement>(std::move(result), std::move(columns));
    }

    long execute(const QString &statement, const Params &params) override
    {
        static const QRegularExpression ddl(QStringLiteral(R"(^\s*(CREATE|ALTER|DROP)\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
        Result result = exec(statement, params);
        if (ddl.match(statement).hasMatch())
            m_tables.clear();
        return QByteArray(PQcmdTuples(result.get())).toLong();
    }

    void begin() override
    {
        reconnectIfGone();
        run("BEGIN");
        m_inTransaction = true;
        try {
            exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(WriteLockKey), {});
        } catch (const DaoError &) {
            rollback();
            throw;
        }
    }
    void commit() override
    {
        run("COMMIT");
        m_inTransaction = false;
    }
    void rollback() override
    {
        const bool lost = m_lostInTransaction;
        m_inTransaction = false;
        m_lostInTransaction = false;
        // A server that went away has dropped the transaction with the connection.
        if (!lost && PQstatus(m_conn) == CONNECTION_OK)
            run("ROLLBACK");
    }
    void savepoint(const QString &name) override { run("SAVEPOINT " + name.toUtf8()); }
    void release(const QString &name) override
    {
        if (!m_lostInTransaction)
            run("RELEASE SAVEPOINT " + name.toUtf8());
    }
    void rollbackTo(const QString &name) override
    {
        if (!m_lostInTransaction)
            run("ROLLBACK TO SAVEPOINT " + name.toUtf8());
    }
    void setLockWait(int milliseconds) override
    {
        reconnectIfGone();
        // 0 would mean no limit at all; 1 ms is as good as not waiting.
        run("SET lock_timeout = " + QByteArray::number(std::max(1, milliseconds)));
    }

    QList<ColumnInfo> tableColumns(const QString &table) override
    {
        QList<ColumnInfo> columns;
        Result r = exec(QStringLiteral("SELECT a.attname, t.typname, c.relname FROM pg_attribute a"
                                       " JOIN pg_class c ON c.oid = a.attrelid JOIN pg_type t ON t.oid = a.atttypid"
                                       " WHERE c.oid = to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped"
                                       " ORDER BY a.attnum"),
                        {quoteIfNeeded(table)});
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            ColumnInfo column;
            column.name = QString::fromUtf8(PQgetvalue(r.get(), i, 0));
            column.kind = m_dialect.kindOfDeclaredType(QString::fromUtf8(PQgetvalue(r.get(), i, 1)));
            column.table = QString::fromUtf8(PQgetvalue(r.get(), i, 2));
            column.origin = column.name;
            columns.append(column);
        }
        return columns;
    }

    QStringList primaryKey(const QString &table) override
    {
        QStringList key;
        Result r = exec(QStringLiteral("SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid"
                                       " AND a.attnum = ANY(i.indkey) WHERE i.indrelid = to_regclass($1)"
                                       " AND i.indisprimary ORDER BY array_position(i.indkey::int2[], a.attnum)"),
                        {quoteIfNeeded(table)});
        for (int i = 0; i < PQntuples(r.get()); ++i)
            key.append(QString::fromUtf8(PQgetvalue(r.get(), i, 0)));
        return key;
    }

    void close() override
    {
        if (m_conn) {
            PQfinish(m_conn);
            m_conn = nullptr;
        }
    }
    bool isOpen() const override { return m_conn != nullptr; }

private:
    // A name as to_regclass reads it: plain names fold to lower case like the
    // program's unquoted ones; others keep their spelling.
    static QString quoteIfNeeded(const QString &table)
    {
        static const QRegularExpression plain(QStringLiteral(R"(^\w+$)"), QRegularExpression::UseUnicodePropertiesOption);
        if (plain.match(table).hasMatch())
            return table;
        return PostgresDialect().quoteIdentifier(table);
    }

    // The server gives result columns in lower case; the statement's own
    // spelling of the same name (an alias, a column) is what the program wrote.
    static QHash<QString, QString> spellings(const QString &statement)
    {
        QHash<QString, QString> spelled;
        const int n = int(statement.size());
        for (int i = 0; i < n;) {
            if (!(statement[i].isLetterOrNumber() || statement[i] == u'_')) {
                ++i;
                continue;
            }
            int j = i;
            while (j < n && (statement[j].isLetterOrNumber() || statement[j] == u'_'))
                ++j;
            const QString word = statement.mid(i, j - i);
            const QString lower = word.toLower();
            if (!spelled.contains(lower))
                spelled.insert(lower, word);
            i = j;
        }
        return spelled;
    }

    const TableInfo &tableInfo(Oid table)
    {
        const auto known = m_tables.find(table);
        if (known != m_tables.end())
            return known->second;
        TableInfo info;
        Result r = exec(QStringLiteral("SELECT a.attnum, a.attname, t.typname, c.relname FROM pg_attribute a"
                                       " JOIN pg_class c ON c.oid = a.attrelid JOIN pg_type t ON t.oid = a.atttypid"
                                       " WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped"),
                        {qlonglong(table)});
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            info.name = QString::fromUtf8(PQgetvalue(r.get(), i, 3));
            info.columns[QByteArray(PQgetvalue(r.get(), i, 0)).toInt()] = {
                QString::fromUtf8(PQgetvalue(r.get(), i, 1)), QString::fromUtf8(PQgetvalue(r.get(), i, 2))};
        }
        return m_tables.emplace(table, std::move(info)).first->second;
    }

    // Outside a transaction a connection the server dropped is opened anew;
    // inside one the transaction is gone, which only its rollback settles.
    void reconnectIfGone()
    {
        if (m_lostInTransaction)
            raiseLost(QStringLiteral("die offene Transaktion wurde verworfen"));
        if (PQstatus(m_conn) == CONNECTION_OK)
            return;
        PQreset(m_conn);
        if (PQstatus(m_conn) != CONNECTION_OK)
            raiseLost(serverMessage(m_conn, nullptr));
        m_tables.clear();
        configure();
    }

    void failed(const PGresult *result)
    {
        const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        const QByteArray code = state ? QByteArray(state) : QByteArray();
        const QString message = serverMessage(m_conn, result);
        if (connectionGone(m_conn, code)) {
            if (m_inTransaction)
                m_lostInTransaction = true;
            raiseLost(message);
        }
        raiseServer(code, message);
    }

    Result exec(const QString &statement, const Params &params)
    {
        if (!m_conn)
            DBEngine::instance().raise(ErrObjectClosed, QStringLiteral("Objekt ungültig oder nicht mehr festgelegt."));
        if (!m_inTransaction)
            reconnectIfGone();
        else if (m_lostInTransaction)
            raiseLost(QStringLiteral("die offene Transaktion wurde verworfen"));
        const QByteArray text = statement.toUtf8();
        const int expected = highestPlaceholder(text);
        if (expected != params.size())
            DBEngine::instance().raise(
                ErrTooFewParameters,
                QStringLiteral("Die Anweisung erwartet %1 Parameter, übergeben wurden %2.").arg(expected).arg(params.size()));
        const BoundParams bound(params);
        Result result(PQexecParams(m_conn, text.constData(), bound.count(), bound.types(), bound.values(),
                                   bound.lengths(), bound.formats(), 0));
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            failed(result.get());
        return result;
    }

    void run(const QByteArray &statement)
    {
        if (m_lostInTransaction)
            raiseLost(QStringLiteral("die offene Transaktion wurde verworfen"));
        Result result(PQexec(m_conn, statement.constData()));
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            failed(result.get());
    }

    QByteArray scalar(const char *statement)
    {
        Result r = exec(QString::fromLatin1(statement), {});
        return PQntuples(r.get()) > 0 ? QByteArray(PQgetvalue(r.get(), 0, 0)) : QByteArray();
    }

    PGconn *m_conn;
    bool m_readOnly;
    bool m_inTransaction = false;
    bool m_lostInTransaction = false;
    PostgresDialect m_dialect;
    std::map<Oid, TableInfo> m_tables;
};

PGconn *connectTo(const QByteArray &conninfo)
{
    PGconn *conn = PQconnectdb(conninfo.constData());
    if (PQstatus(conn) == CONNECTION_OK)
        PQsetClientEncoding(conn, "UTF8");
    return conn;
}

// A database that does not exist yet is made from the server's maintenance
// database. Its C collation compares and sorts case-insensitive text as
// SQLite's NOCASE does: ASCII letters folded, everything else by code.
void createServerDatabase(const QByteArray &address)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(address.constData(), &error);
    if (!options) {
        const QString message = QString::fromUtf8(error ? error : "");
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
        const QString message = serverMessage(maintenance, nullptr);
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
    const QByteArray conninfo = address.toUtf8();
    PGconn *conn = connectTo(conninfo);
    if (PQstatus(conn) != CONNECTION_OK && options.create
        && QString::fromUtf8(PQerrorMessage(conn)).contains(QLatin1String("does not exist"))) {
        PQfinish(conn);
        createServerDatabase(conninfo);
        conn = connectTo(conninfo);
    }
    if (PQstatus(conn) != CONNECTION_OK) {
        const QString message = serverMessage(conn, nullptr);
        PQfinish(conn);
        if (message.contains(QLatin1String("does not exist")))
            DBEngine::instance().raise(ErrDatabaseNotFound,
                                       QStringLiteral("Die Datenbank '%1' wurde auf dem Server nicht gefunden (%2).")
                                           .arg(address, message),
                                       {ErrorEntry{0, message, QStringLiteral("PostgreSQL")}});
        DBEngine::instance().raise(ErrConnectionLost,
                                   QStringLiteral("Der Datenbankserver ist nicht erreichbar (%1).").arg(message),
                                   {ErrorEntry{0, message, QStringLiteral("PostgreSQL")}});
    }
    auto connection = std::make_unique<PostgresConnection>(conn, options.readOnly);
    connection->configure();
    if (options.create && connection->holdsTables())
        DBEngine::instance().raise(ErrDatabaseExists, QStringLiteral("Die Datenbank '%1' existiert bereits.").arg(address));
    if (!options.readOnly)
        connection->ensureSupport();
    return connection;
}

} // namespace dao::detail
