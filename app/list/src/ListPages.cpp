#include "list/ListPages.h"

#include <algorithm>

namespace list {

int ListPages::rowsOfPage(int pages)
{
    int rows = FirstRows;
    for (int i = 0; i < pages && rows < MostRows; ++i)
        rows *= 4;
    return std::min(rows, MostRows);
}

QString ListPages::ordered(int rows) const
{
    const QString direction = m_statement.ascending ? QStringLiteral(" asc") : QStringLiteral(" desc");
    return QStringLiteral(" order by ") + m_statement.sortKey + direction + QStringLiteral(",ID") + direction
        + QStringLiteral(" limit ") + QString::number(rows);
}

ListPages::Page ListPages::first() const
{
    return {m_statement.pageText + ordered(FirstRows), m_statement.params};
}

ListPages::Page ListPages::after(const QVariant &sortValue, qlonglong id, bool nullsLead, int pagesBefore) const
{
    const QString later = m_statement.ascending ? QStringLiteral(">") : QStringLiteral("<");
    const QString &column = m_statement.sortColumn;
    Page page{m_statement.pageText + (m_statement.pageFiltered ? QStringLiteral(" and ") : QStringLiteral(" where ")),
              m_statement.params};
    if (dao::isNull(sortValue)) {
        page.text += QStringLiteral("((%1 Is Null And ID%2?)%3)")
                         .arg(column, later, nullsLead ? QStringLiteral(" Or %1 Is Not Null").arg(column) : QString());
        page.params << id;
    } else {
        page.text += QStringLiteral("(%1%2? Or (%1=? And ID%3?)%4)")
                         .arg(m_statement.sortKey, later, later,
                              nullsLead ? QString() : QStringLiteral(" Or %1 Is Null").arg(column));
        page.params << sortValue << sortValue << id;
    }
    page.text += ordered(rowsOfPage(pagesBefore));
    return page;
}

} // namespace list
