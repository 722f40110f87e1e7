#include "PostgresStatement.h"

namespace dao::detail::pg {

PostgresStatement::PostgresStatement(Result first, std::vector<ColumnInfo> columns) : m_columns(std::move(columns))
{
    for (int c = 0; c < int(m_columns.size()); ++c)
        m_types.push_back(PQftype(first.get(), c));
    m_blobs.resize(m_columns.size());
    startBatch(std::move(first));
}

PostgresStatement::~PostgresStatement() { finish(); }

void PostgresStatement::readOnFrom(CursorHost &host, CursorInfo cursor)
{
    m_host = &host;
    m_cursor = std::move(cursor);
}

void PostgresStatement::keep(Result rows)
{
    m_ahead.push_back(std::move(rows));
}

void PostgresStatement::startBatch(Result rows)
{
    m_rows = std::move(rows);
    m_count = PQntuples(m_rows.get());
    m_row = -1;
}

bool PostgresStatement::step()
{
    for (;;) {
        if (m_row + 1 < m_count) {
            ++m_row;
            return true;
        }
        if (!m_ahead.empty()) {
            startBatch(std::move(m_ahead.front()));
            m_ahead.pop_front();
        } else if (m_host) {
            startBatch(m_host->fetchMore(*this));
        } else {
            m_row = m_count;
            return false;
        }
    }
}

RawValue PostgresStatement::raw(int index) const
{
    RawValue raw;
    PGresult *r = m_rows.get();
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

void PostgresStatement::finish()
{
    if (m_host) {
        CursorHost *host = m_host;
        m_host = nullptr;
        host->forget(*this);
    }
    // The rows are in the reader's keeping by now.
    m_ahead.clear();
    m_rows.reset();
    m_count = 0;
    m_row = 0;
}

} // namespace dao::detail::pg
