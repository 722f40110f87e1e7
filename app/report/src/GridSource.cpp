#include "report/GridSource.h"

#include "report/Format.h"

namespace report {

QueryGridSource::QueryGridSource(dao::Database &db, const QString &statement, const dao::Params &params,
                                 QList<GridColumn> columns)
    : m_rs(db.OpenRecordset(statement, dao::RecordsetType::Snapshot, dao::RecordsetOption::None, params))
    , m_columns(std::move(columns))
{
}

QueryGridSource::~QueryGridSource()
{
    if (m_rs && m_rs->IsOpen())
        m_rs->Close();
}

long QueryGridSource::rowCount()
{
    if (m_rs->IsEOF() && m_rs->IsBOF())
        return 0;
    m_rs->MoveLast();
    const long count = m_rs->RecordCount();
    m_rs->MoveFirst();
    m_row = 0;
    return count;
}

bool QueryGridSource::moveToRow(long row)
{
    if (row < 0)
        return false;
    if (m_rs->IsEOF() && m_rs->IsBOF())
        return false;
    if (m_row < 0 || row < m_row) {
        m_rs->MoveFirst();
        m_row = 0;
    }
    while (m_row < row && !m_rs->IsEOF()) {
        m_rs->MoveNext();
        ++m_row;
    }
    return !m_rs->IsEOF();
}

QString QueryGridSource::cellText(int column) const
{
    if (column < 0 || column >= m_rs->FieldCount() || m_rs->IsEOF() || m_rs->IsBOF())
        return {};
    QString text = valueText(m_rs->Fields(column).Value());
    // A description of several lines shows as one in its cell, as in the list.
    if (text.contains(u'\n') || text.contains(u'\r')) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(u'\n', u' ');
        text.replace(u'\r', u' ');
    }
    return text;
}

} // namespace report
