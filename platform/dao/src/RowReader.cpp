#include "dao/RowReader.h"

#include "Engine.h"

#include <charconv>
#include <cstdio>

namespace dao {

RowReader::RowReader(Database &db, const QString &statement, const Params &params)
{
    DBEngine::instance().clearErrors();
    detail::Connection &connection = db.connection();
    m_statement = connection.prepare(connection.dialect().translate(statement), params, true);
    m_row.resize(size_t(m_statement->columnCount()));
    m_numbers.resize(m_row.size());
}

RowReader::~RowReader()
{
    if (!m_statement)
        return;
    try {
        m_statement->finish();
    } catch (const DaoError &) {
        // Nothing more is read from it; the engine drops it with the connection.
    }
}

bool RowReader::next()
{
    if (!m_statement->step())
        return false;
    m_statement->rawRow(m_row.data());
    return true;
}

bool RowReader::isNull(int column) const { return m_row[size_t(column)].type == detail::RawValue::Null; }

qint64 RowReader::integer(int column) const
{
    const detail::RawValue &value = m_row[size_t(column)];
    return value.type == detail::RawValue::Integer ? value.integer : 0;
}

QByteArrayView RowReader::text(int column) const
{
    const detail::RawValue &value = m_row[size_t(column)];
    char *digits = m_numbers[size_t(column)].data();
    switch (value.type) {
    case detail::RawValue::Null:
        return {};
    case detail::RawValue::Integer:
        return {digits, std::to_chars(digits, digits + 32, value.integer).ptr - digits};
    case detail::RawValue::Real:
        return {digits, qsizetype(std::snprintf(digits, 32, "%.17g", value.real))};
    case detail::RawValue::Text:
    case detail::RawValue::Blob:
        return {value.data, qsizetype(value.size)};
    }
    return {};
}

} // namespace dao
