#include "report/GridSource.h"

#include "report/Format.h"

#include <QRegularExpression>

namespace report {
namespace {

// The statement without its closing order clause: counting needs no
// order, and the engine would sort every row for nothing.
QString unordered(const QString &statement)
{
    static const QRegularExpression order(QStringLiteral("\\s+order\\s+by\\s+[\\w\\[\\].]+(\\s+(asc|desc))?\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
    return QString(statement).remove(order);
}

} // namespace

QueryGridSource::QueryGridSource(dao::Database &db, const QString &statement, const dao::Params &params,
                                 QList<GridColumn> columns)
    : m_db(db), m_statement(statement), m_params(params), m_columns(std::move(columns))
{
    openAt(0);
}

QueryGridSource::~QueryGridSource()
{
    if (m_rs && m_rs->IsOpen())
        m_rs->Close();
}

void QueryGridSource::openAt(long first)
{
    if (m_rs && m_rs->IsOpen())
        m_rs->Close();
    m_rs.reset();
    if (first == 0) {
        m_rs = m_db.OpenRecordset(m_statement, dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, m_params);
    } else {
        // Both engines skip rows themselves; a LIMIT is what lets OFFSET stand.
        dao::Params params = m_params;
        params.append(QVariant(qlonglong(first)));
        m_rs = m_db.OpenRecordset(QStringLiteral("Select * From (") + m_statement
                                      + QStringLiteral(") as Liste LIMIT 9223372036854775807 OFFSET ?"),
                                  dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, params);
    }
    m_row = first;
}

long countRows(dao::Database &db, const QString &statement, const dao::Params &params)
{
    auto rs = db.OpenRecordset(QStringLiteral("Select Count(*) From (") + unordered(statement) + QStringLiteral(") as Liste"),
                               dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, params);
    const long count = rs->IsEOF() ? 0 : long(rs->Fields(0).Value().toLongLong());
    rs->Close();
    return count;
}

long QueryGridSource::rowCount()
{
    return countRows(m_db, m_statement, m_params);
}

bool QueryGridSource::moveToRow(long row)
{
    if (row < 0)
        return false;
    if (row < m_row)
        openAt(row);
    while (m_row < row && !m_rs->IsEOF()) {
        m_rs->MoveNext();
        ++m_row;
    }
    return !m_rs->IsEOF();
}

QString QueryGridSource::cellText(int column) const
{
    if (column < 0 || column >= m_rs->FieldCount() || m_rs->IsEOF())
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
