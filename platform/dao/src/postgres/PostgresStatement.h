#pragma once

#include "PostgresSupport.h"

#include <deque>

namespace dao::detail::pg {

class Session;
class PostgresStatement;

// Where a statement that reads through a server-side cursor gets its
// further rows. A host ends the statement's reading from it (readFromHostNoMore)
// once the cursor has given its last row or is gone.
class CursorHost {
public:
    virtual ~CursorHost() = default;
    // The next batch of rows; raises when they cannot be had.
    virtual Result fetchMore(PostgresStatement &statement) = 0;
    // The statement needs no further rows.
    virtual void forget(PostgresStatement &statement) noexcept = 0;
};

// The rows of one statement, batch after batch: the first one it was
// prepared with, then what its cursor gives, fetched when the reader gets there.
class PostgresStatement final : public Statement {
public:
    PostgresStatement(Result first, std::vector<ColumnInfo> columns);
    ~PostgresStatement() override;

    // Further rows come from the host through a cursor of that session.
    struct CursorInfo {
        Session *session = nullptr;
        QByteArray name;
        quint64 generation = 0;    // the session's transaction it lives in, or its connection when held
        int batch = 0;             // rows the next fetch asks for
        bool held = false;         // outlives its transaction
    };
    void readOnFrom(CursorHost &host, CursorInfo cursor);
    CursorInfo &cursor() { return m_cursor; }
    bool readsFromHost() const { return m_host != nullptr; }
    // Rows the host read ahead, to be given after those already there.
    void keep(Result rows);
    void readFromHostNoMore() { m_host = nullptr; }

    int columnCount() const override { return int(m_columns.size()); }
    const ColumnInfo &column(int index) const override { return m_columns[size_t(index)]; }
    bool step() override;
    RawValue raw(int index) const override;
    void finish() override;

private:
    void startBatch(Result rows);

    Result m_rows;
    std::deque<Result> m_ahead;
    std::vector<ColumnInfo> m_columns;
    std::vector<Oid> m_types;
    int m_count = 0;              // rows of the current batch
    int m_row = -1;
    CursorHost *m_host = nullptr;
    CursorInfo m_cursor;
    mutable std::vector<QByteArray> m_blobs;   // decoded long binaries of the current row
};

} // namespace dao::detail::pg
