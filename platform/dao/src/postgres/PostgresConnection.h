#pragma once

#include "PostgresDialect.h"
#include "PostgresSession.h"
#include "PostgresStatement.h"

#include <map>

namespace dao::detail::pg {

struct TableInfo {
    QString name;
    std::map<int, std::pair<QString, QString>> columns;   // attnum -> name, type name
};

// The layer's connection to a server database. A statement's rows come in
// batches through a cursor, the first batch in the same round trip as the
// statement. A cursor sees the database as it was when it was declared, as a
// snapshot must. A scrollable recordset's cursor is held: the server keeps
// its rows past the statement's own short transaction, so that nothing stays
// open while the user looks at them. A forward-only read, which goes through
// its rows in one go, reads in a transaction of the first session instead,
// kept while any of its cursors has rows left, so that its first rows come
// before the server has gone through the rest; whatever runs meanwhile goes
// to a second session, opened when first needed. Inside a write transaction
// the cursors live in it and their remaining rows are read before it ends.
class PostgresConnection final : public Connection, private CursorHost {
public:
    PostgresConnection(PGconn *conn, QByteArray conninfo, QString address, bool readOnly, int patience);
    ~PostgresConnection() override;

    // The first session, for the steps of opening.
    Session &primary() { return *m_primary; }

    QString engineName() const override { return QStringLiteral("PostgreSQL"); }
    const Dialect &dialect() const override { return m_dialect; }

    std::unique_ptr<Statement> prepare(const QString &statement, const Params &params, bool streamed) override;
    long execute(const QString &statement, const Params &params) override;

    void begin() override;
    std::unique_ptr<Statement> beginReading(const QString &statement, const Params &params) override;
    void commit() override;
    void rollback() override;
    void savepoint(const QString &name) override;
    void release(const QString &name) override;
    void rollbackTo(const QString &name) override;
    void setLockWait(int milliseconds) override;

    QStringList queryPlan(const QString &statement, const Params &params) override;
    QList<ColumnInfo> tableColumns(const QString &table) override;
    QStringList primaryKey(const QString &table) override;

    void close() override;
    bool isOpen() const override { return m_primary && m_primary->isOpen(); }

    // Rows a first fetch asks for, and the most a later one does.
    static constexpr int FirstBatch = 256;
    static constexpr int LargestBatch = 16384;

private:
    Result fetchMore(PostgresStatement &statement) override;
    // BEGIN, the write lock and what is to run under it, in one round trip; their results after BEGIN's.
    std::vector<Result> beginWith(const std::vector<Session::Step> &afterLock);
    void forget(PostgresStatement &statement) noexcept override;

    // Where a statement other than a cursor's read runs.
    Session &target();
    Session &second();
    // Where the layer's own look-ups in the catalogue run: they may join a
    // reading transaction.
    Session &reader();
    bool primaryReading() const { return m_primary->inTransaction() && m_write != m_primary.get(); }
    enum class CursorKind { Reading, Writing, Held };
    std::unique_ptr<Statement> declare(Session &session, const QByteArray &statement, const Params &params,
                                       const QString &source, CursorKind kind, bool beginFirst);
    std::unique_ptr<PostgresStatement> makeStatement(Result first, const QString &source);
    void unregister(PostgresStatement &statement) noexcept;
    // The reading transaction ends once no cursor needs it.
    void endReadingIfDone() noexcept;
    // A failure ends the reading transaction and with it every cursor in it.
    void abandonReading() noexcept;
    // Cursors of the write transaction keep their remaining rows.
    void readAheadWriteCursors();
    // A look-up in the catalogue; one that fails ends a reading transaction it joined.
    Result lookUp(const QString &statement, const Params &params);
    const TableInfo &tableInfo(Oid table);
    void forgetTables();

    QByteArray m_conninfo;
    QString m_address;
    bool m_readOnly;
    int m_patience;
    std::unique_ptr<Session> m_primary;
    std::unique_ptr<Session> m_second;
    int m_lockWait = DefaultLockWaitMs;
    Session *m_write = nullptr;                       // the session of the write transaction
    std::vector<PostgresStatement *> m_reading;       // cursors of the reading transaction
    std::vector<PostgresStatement *> m_writing;       // cursors of the write transaction
    std::vector<PostgresStatement *> m_held;          // held cursors
    quint64 m_cursors = 0;                            // names given
    PostgresDialect m_dialect;
    std::map<Oid, TableInfo> m_tables;
    // Asked once per table: each asking would be a round trip.
    std::map<QString, QList<ColumnInfo>> m_columns;
    std::map<QString, QStringList> m_keys;
};

// A connection to the server by libpq's connection string, in UTF-8.
PGconn *connectTo(const QByteArray &conninfo);

} // namespace dao::detail::pg
