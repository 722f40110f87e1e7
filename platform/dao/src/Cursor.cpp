#include "Cursor.h"

namespace dao::detail {

Cursor::Cursor(std::unique_ptr<Statement> statement, bool scrollable)
    : m_statement(std::move(statement)), m_scrollable(scrollable)
{
    for (int c = 0; c < m_statement->columnCount(); ++c) {
        m_columns.append(m_statement->column(c));
        m_kinds.push_back(m_columns.back().kind);
    }
    if (m_scrollable)
        m_cache.emplace(int(m_columns.size()));
}

Cursor::Cursor(QList<ColumnInfo> tableColumns)
    : m_columns(std::move(tableColumns)), m_scrollable(true), m_exhausted(true)
{
    for (const ColumnInfo &column : m_columns)
        m_kinds.push_back(column.kind);
    m_cache.emplace(int(m_columns.size()));
}

bool Cursor::fetchTo(long row)
{
    while (m_cache->rows() <= row) {
        if (m_exhausted || !m_statement->step()) {
            finish();
            return false;
        }
        appendRow();
    }
    return true;
}

void Cursor::fetchAll()
{
    while (!m_exhausted) {
        if (!m_statement->step()) {
            finish();
            return;
        }
        appendRow();
    }
}

void Cursor::appendRow()
{
    m_row.resize(m_columns.size());
    m_statement->rawRow(m_row.data());
    m_cache->append(m_row.data());
}

long Cursor::rowsRead() const
{
    return m_scrollable ? m_cache->rows() : m_liveRows;
}

QVariant Cursor::rewrittenValue(long row, int column) const
{
    const auto changed = rewritten.find(row);
    if (changed != rewritten.end())
        return changed->second[size_t(column)];
    return fieldVariant(m_cache->raw(row, column), m_kinds[size_t(column)], m_days);
}

bool Cursor::stepLive()
{
    if (m_exhausted)
        return false;
    if (!m_statement->step()) {
        finish();
        return false;
    }
    ++m_liveRows;
    return true;
}

QVariant Cursor::liveValue(int column) const
{
    return fieldVariant(m_statement->raw(column), m_kinds[size_t(column)], m_days);
}

void Cursor::finish()
{
    m_exhausted = true;
    if (m_statement)
        m_statement->finish();
}

} // namespace dao::detail
