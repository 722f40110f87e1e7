#include "PostgresConnection.h"

#include "dao/ServerAddress.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace dao::detail::pg {
namespace {

// Every write transaction of every workstation takes this one lock first,
// so that a read of the highest number and the insert that follows it
// cannot interleave with another writer -- what an immediate transaction
// gives on a database file.
constexpr qint64 WriteLockKey = 0x5661726e686f6c74;   // "Varnholt"

// A statement a cursor can read: a plain query. One that locks rows or
// makes a table runs as it is.
bool readsThroughCursor(const QString &statement)
{
    static const QRegularExpression query(QStringLiteral(R"(^[\s(]*SELECT\b)"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression other(QStringLiteral(R"(\bINTO\b|\bFOR\s+(UPDATE|SHARE|NO\s+KEY|KEY)\b)"),
                                          QRegularExpression::CaseInsensitiveOption);
    return query.match(statement).hasMatch() && !other.match(statement).hasMatch();
}

// A name as to_regclass reads it: plain names fold to lower case like the
// program's unquoted ones; others keep their spelling.
QString quoteIfNeeded(const QString &table)
{
    static const QRegularExpression plain(QStringLiteral(R"(^\w+$)"), QRegularExpression::UseUnicodePropertiesOption);
    if (plain.match(table).hasMatch())
        return table;
    return PostgresDialect().quoteIdentifier(table);
}

// The server gives result columns in lower case; the statement's own
// spelling of the same name (an alias, a column) is what the program wrote.
QHash<QString, QString> spellings(const QString &statement)
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

void drop(std::vector<PostgresStatement *> &list, PostgresStatement &statement)
{
    list.erase(std::remove(list.begin(), list.end(), &statement), list.end());
}

} // namespace

PostgresConnection::PostgresConnection(PGconn *conn, QByteArray conninfo, QString address, bool readOnly, int patience)
    : m_conninfo(std::move(conninfo)), m_address(std::move(address)), m_readOnly(readOnly), m_patience(patience),
      m_primary(std::make_unique<Session>(conn, m_address, readOnly, patience))
{
}

PostgresConnection::~PostgresConnection() { close(); }

Session &PostgresConnection::second()
{
    if (!m_second) {
        PGconn *conn = connectTo(m_conninfo);
        auto session = std::make_unique<Session>(conn, m_address, m_readOnly, m_patience);
        if (PQstatus(conn) != CONNECTION_OK)
            raiseLost(withoutPasswordOf(m_address, serverMessage(conn, nullptr)));
        session->configure();
        if (m_lockWait != DefaultLockWaitMs)
            session->setLockWait(m_lockWait);
        m_second = std::move(session);
    }
    return *m_second;
}

Session &PostgresConnection::target()
{
    if (m_write)
        return *m_write;
    return primaryReading() ? second() : *m_primary;
}

Session &PostgresConnection::reader()
{
    return m_write ? *m_write : *m_primary;
}

std::unique_ptr<Statement> PostgresConnection::prepare(const QString &statement, const Params &params, bool streamed)
{
    const QByteArray text = statement.toUtf8();
    if (!readsThroughCursor(statement))
        return makeStatement(target().exec(text, params), statement);
    if (m_write)
        return declare(*m_write, text, params, statement, CursorKind::Writing, false);
    if (!streamed)
        return declare(target(), text, params, statement, CursorKind::Held, false);

    Session &session = *m_primary;
    if (!session.inTransaction()) {
        session.reconnectIfGone();
        try {
            std::unique_ptr<Statement> prepared = declare(session, text, params, statement, CursorKind::Reading, true);
            endReadingIfDone();
            return prepared;
        } catch (const DaoError &) {
            abandonReading();
            throw;
        }
    }
    // A statement that fails must not take the cursors already open with it.
    const bool others = !m_reading.empty();
    try {
        if (others)
            session.run("SAVEPOINT varnholt_declare");
        std::unique_ptr<Statement> prepared = declare(session, text, params, statement, CursorKind::Reading, false);
        if (others)
            session.run("RELEASE SAVEPOINT varnholt_declare");
        else
            endReadingIfDone();
        return prepared;
    } catch (const DaoError &) {
        if (!others || !session.runQuietly("ROLLBACK TO SAVEPOINT varnholt_declare"))
            abandonReading();
        throw;
    }
}

std::unique_ptr<Statement> PostgresConnection::declare(Session &session, const QByteArray &statement,
                                                       const Params &params, const QString &source, CursorKind kind,
                                                       bool beginFirst)
{
    const QByteArray name = "varnholt_cursor_" + QByteArray::number(++m_cursors);
    const bool held = kind == CursorKind::Held;
    // A held cursor declared outside a transaction keeps its rows when the
    // statement's own transaction ends with the round trip.
    const std::vector<Session::Step> steps{
        {"DECLARE " + name + (held ? " NO SCROLL CURSOR WITH HOLD FOR " : " NO SCROLL CURSOR FOR ") + statement, params},
        {"FETCH FORWARD " + QByteArray::number(FirstBatch) + " FROM " + name, {}}};
    std::vector<Result> results = beginFirst ? session.begin("BEGIN", steps) : session.pipeline(steps);
    Result first = std::move(results.back());
    const bool more = PQntuples(first.get()) == FirstBatch;
    std::unique_ptr<PostgresStatement> prepared = makeStatement(std::move(first), source);
    if (!more) {
        // Its transaction's end closes any other.
        if (held)
            session.closeLater(name, true);
        return prepared;
    }
    prepared->readOnFrom(*this, {&session, name, held ? session.connection() : session.generation(), FirstBatch, held});
    (kind == CursorKind::Held ? m_held : kind == CursorKind::Writing ? m_writing : m_reading).push_back(prepared.get());
    return prepared;
}

std::unique_ptr<PostgresStatement> PostgresConnection::makeStatement(Result first, const QString &source)
{
    std::vector<ColumnInfo> columns;
    const int n = PQnfields(first.get());
    const QHash<QString, QString> spelled = spellings(source);
    for (int c = 0; c < n; ++c) {
        ColumnInfo info;
        const QString name = QString::fromUtf8(PQfname(first.get(), c));
        info.name = spelled.value(name, name);
        const Oid table = PQftable(first.get(), c);
        const int attnum = PQftablecol(first.get(), c);
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
    return std::make_unique<PostgresStatement>(std::move(first), std::move(columns));
}

long PostgresConnection::execute(const QString &statement, const Params &params)
{
    static const QRegularExpression ddl(QStringLiteral(R"(^\s*(CREATE|ALTER|DROP)\b)"),
                                        QRegularExpression::CaseInsensitiveOption);
    Result result = target().exec(statement.toUtf8(), params);
    if (ddl.match(statement).hasMatch())
        forgetTables();
    return QByteArray(PQcmdTuples(result.get())).toLong();
}

void PostgresConnection::begin() { beginWith({}); }

std::unique_ptr<Statement> PostgresConnection::beginReading(const QString &statement, const Params &params)
{
    std::vector<Result> results = beginWith({{statement.toUtf8(), params}});
    return makeStatement(std::move(results.back()), statement);
}

std::vector<Result> PostgresConnection::beginWith(const std::vector<Session::Step> &afterLock)
{
    Session &session = target();
    session.reconnectIfGone();
    m_write = &session;
    std::vector<Session::Step> steps{{"SELECT pg_advisory_xact_lock(" + QByteArray::number(WriteLockKey) + ")", {}}};
    steps.insert(steps.end(), afterLock.begin(), afterLock.end());
    try {
        return session.begin("BEGIN", steps);
    } catch (const DaoError &) {
        rollback();
        throw;
    }
}

void PostgresConnection::commit()
{
    try {
        readAheadWriteCursors();
    } catch (const DaoError &) {
        // The transaction failed with the read; the caller rolls it back.
        m_writing.clear();
        throw;
    }
    Session *session = m_write;
    m_write = nullptr;
    session->end("COMMIT");
}

void PostgresConnection::rollback()
{
    try {
        readAheadWriteCursors();
    } catch (const DaoError &) {
        // What the cursors had left goes with the transaction.
    }
    m_writing.clear();
    Session *session = m_write;
    m_write = nullptr;
    if (session)
        session->end("ROLLBACK");
    // What the layer learnt of the tables may have come from a change now undone.
    forgetTables();
}

void PostgresConnection::forgetTables()
{
    m_tables.clear();
    m_columns.clear();
    m_keys.clear();
}

void PostgresConnection::savepoint(const QString &name) { m_write->run("SAVEPOINT " + name.toUtf8()); }

void PostgresConnection::release(const QString &name)
{
    if (!m_write->lostInTransaction())
        m_write->run("RELEASE SAVEPOINT " + name.toUtf8());
}

void PostgresConnection::rollbackTo(const QString &name)
{
    if (m_write->lostInTransaction())
        return;
    try {
        readAheadWriteCursors();
    } catch (const DaoError &) {
        m_writing.clear();
    }
    m_write->run("ROLLBACK TO SAVEPOINT " + name.toUtf8());
}

void PostgresConnection::setLockWait(int milliseconds)
{
    // Either session may take the next write lock, the second one made later too.
    m_lockWait = milliseconds;
    m_primary->setLockWait(milliseconds);
    if (m_second)
        m_second->setLockWait(milliseconds);
}

void PostgresConnection::readAheadWriteCursors()
{
    while (!m_writing.empty()) {
        PostgresStatement &statement = *m_writing.back();
        const PostgresStatement::CursorInfo &cursor = statement.cursor();
        if (cursor.generation == m_write->generation())
            statement.keep(m_write->exec("FETCH ALL FROM " + cursor.name, {}));
        statement.readFromHostNoMore();
        m_writing.pop_back();
    }
}

Result PostgresConnection::lookUp(const QString &statement, const Params &params)
{
    try {
        return reader().exec(statement.toUtf8(), params);
    } catch (const DaoError &) {
        if (primaryReading())
            abandonReading();
        throw;
    }
}

QStringList PostgresConnection::queryPlan(const QString &statement, const Params &params)
{
    QStringList steps;
    Result r = lookUp(QStringLiteral("EXPLAIN ") + statement, params);
    for (int i = 0; i < PQntuples(r.get()); ++i)
        steps.append(QString::fromUtf8(PQgetvalue(r.get(), i, 0)));
    return steps;
}

QList<ColumnInfo> PostgresConnection::tableColumns(const QString &table)
{
    const auto known = m_columns.find(table);
    if (known != m_columns.end())
        return known->second;
    QList<ColumnInfo> columns;
    Result r = lookUp(QStringLiteral("SELECT a.attname, t.typname, c.relname FROM pg_attribute a"
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
    if (!columns.isEmpty())
        m_columns[table] = columns;
    return columns;
}

QStringList PostgresConnection::primaryKey(const QString &table)
{
    const auto known = m_keys.find(table);
    if (known != m_keys.end())
        return known->second;
    QStringList key;
    Result r = lookUp(QStringLiteral("SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid"
                                     " AND a.attnum = ANY(i.indkey) WHERE i.indrelid = to_regclass($1)"
                                     " AND i.indisprimary ORDER BY array_position(i.indkey::int2[], a.attnum)"),
                      {quoteIfNeeded(table)});
    for (int i = 0; i < PQntuples(r.get()); ++i)
        key.append(QString::fromUtf8(PQgetvalue(r.get(), i, 0)));
    if (!key.isEmpty())
        m_keys[table] = key;
    return key;
}

const TableInfo &PostgresConnection::tableInfo(Oid table)
{
    const auto known = m_tables.find(table);
    if (known != m_tables.end())
        return known->second;
    TableInfo info;
    Result r = lookUp(QStringLiteral("SELECT a.attnum, a.attname, t.typname, c.relname FROM pg_attribute a"
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

Result PostgresConnection::fetchMore(PostgresStatement &statement)
{
    PostgresStatement::CursorInfo &cursor = statement.cursor();
    Session &session = *cursor.session;
    const bool alive = (cursor.held ? session.connection() : session.generation()) == cursor.generation;
    const bool reading = !cursor.held && &session == m_primary.get() && alive && primaryReading();
    if (!alive) {
        unregister(statement);
        statement.readFromHostNoMore();
        DBEngine::instance().raise(ErrEngine, QStringLiteral("Die Abfrage ist nicht mehr offen: die Transaktion, "
                                                             "in der sie las, wurde beendet."));
    }
    Result rows;
    try {
        if (cursor.held)
            session.requireConnection();
        rows = session.exec("FETCH FORWARD " + QByteArray::number(cursor.batch) + " FROM " + cursor.name, {});
    } catch (const DaoError &) {
        unregister(statement);
        statement.readFromHostNoMore();
        if (reading)
            abandonReading();
        throw;
    }
    if (PQntuples(rows.get()) < cursor.batch) {
        forget(statement);
        statement.readFromHostNoMore();
    } else {
        cursor.batch = std::min(cursor.batch * 4, LargestBatch);
    }
    return rows;
}

void PostgresConnection::forget(PostgresStatement &statement) noexcept
{
    unregister(statement);
    PostgresStatement::CursorInfo &cursor = statement.cursor();
    Session &session = *cursor.session;
    if (cursor.held) {
        if (session.connection() == cursor.generation)
            session.closeLater(cursor.name, true);
        return;
    }
    if (session.generation() != cursor.generation)
        return;
    if (&session == m_primary.get() && primaryReading() && m_reading.empty()) {
        endReadingIfDone();   // closes the cursor with the transaction
        return;
    }
    session.closeLater(cursor.name, false);
}

void PostgresConnection::unregister(PostgresStatement &statement) noexcept
{
    drop(m_reading, statement);
    drop(m_writing, statement);
    drop(m_held, statement);
}

void PostgresConnection::endReadingIfDone() noexcept
{
    if (primaryReading() && m_reading.empty())
        m_primary->endQuietly("COMMIT");
}

void PostgresConnection::abandonReading() noexcept
{
    for (PostgresStatement *statement : m_reading)
        statement->readFromHostNoMore();
    m_reading.clear();
    if (primaryReading())
        m_primary->endQuietly("ROLLBACK");
}

void PostgresConnection::close()
{
    for (PostgresStatement *statement : m_reading)
        statement->readFromHostNoMore();
    for (PostgresStatement *statement : m_writing)
        statement->readFromHostNoMore();
    for (PostgresStatement *statement : m_held)
        statement->readFromHostNoMore();
    m_reading.clear();
    m_writing.clear();
    m_held.clear();
    m_write = nullptr;
    m_second.reset();
    m_primary.reset();
}

PGconn *connectTo(const QByteArray &conninfo)
{
    PGconn *conn = PQconnectdb(conninfo.constData());
    if (PQstatus(conn) == CONNECTION_OK)
        PQsetClientEncoding(conn, "UTF8");
    return conn;
}

} // namespace dao::detail::pg
