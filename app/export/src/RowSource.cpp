#include "export/RowSource.h"

#include "report/GridSource.h"

namespace exporter {

RowSource::RowSource(dao::Database &db, const QString &statement, const dao::Params &params, ExportColumns columns)
    : m_db(db)
    , m_statement(statement)
    , m_params(params)
    , m_columns(std::move(columns))
    , m_rs(db.OpenRecordset(statement, dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, params))
{
}

RowSource::~RowSource()
{
    if (m_rs && m_rs->IsOpen())
        m_rs->Close();
}

long RowSource::count()
{
    return report::countRows(m_db, m_statement, m_params);
}

bool RowSource::next()
{
    if (m_started && !m_rs->IsEOF())
        m_rs->MoveNext();
    m_started = true;
    return !m_rs->IsEOF();
}

QVariant RowSource::value(int column) const
{
    const int field = m_columns.at(column).field;
    if (field < 0 || field >= m_rs->FieldCount())
        return {};
    return m_rs->Fields(field).Value();
}

} // namespace exporter
