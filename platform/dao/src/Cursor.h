#pragma once

#include "DateCache.h"
#include "Engine.h"
#include "RowCache.h"

#include <map>
#include <optional>
#include <set>

namespace dao::detail {

// The rows behind a recordset: a live statement and, for the scrollable
// kinds, the rows read so far. Dynasets also know their table and key.
class Cursor {
public:
    Cursor(std::unique_ptr<Statement> statement, bool scrollable);
    // An append-only dynaset: the table's columns, no rows.
    explicit Cursor(QList<ColumnInfo> tableColumns);

    const QList<ColumnInfo> &columns() const { return m_columns; }
    bool scrollable() const { return m_scrollable; }

    // Reads rows until `row` is there; false when the result has fewer rows.
    bool fetchTo(long row);
    void fetchAll();
    long rowsRead() const;
    bool exhausted() const { return m_exhausted; }

    QVariant value(long row, int column) const
    {
        if (!rewritten.empty())
            return rewrittenValue(row, column);
        return fieldVariant(m_cache->raw(row, column), m_kinds[size_t(column)], m_days);
    }

    // Forward-only reading: the statement's own current row.
    bool stepLive();
    QVariant liveValue(int column) const;

    void finish();

    // Dynaset state.
    QString table;
    std::vector<int> keyColumns;              // field indexes of the table's key
    std::map<long, std::vector<QVariant>> rewritten;  // rows changed through this recordset
    std::set<long> deleted;

private:
    QVariant rewrittenValue(long row, int column) const;
    void appendRow();

    std::unique_ptr<Statement> m_statement;
    QList<ColumnInfo> m_columns;
    std::vector<FieldKind> m_kinds;           // each column's, close together
    bool m_scrollable;
    bool m_exhausted = false;
    long m_liveRows = 0;
    std::optional<RowCache> m_cache;
    std::vector<RawValue> m_row;              // the statement's current row, being kept
    mutable DateCache m_days;
};

} // namespace dao::detail
