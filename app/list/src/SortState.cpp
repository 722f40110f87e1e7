#include "list/SortState.h"

#include <array>
#include <utility>

namespace list {
namespace {

struct Mapping {
    const char16_t *field;
    const char16_t *column;
    bool words;   // sorted as German readers sort words and names
};

// The case number's text is digits and a slash: its plain order is right.
constexpr std::array<Mapping, 8> kMappings{{
    {u"NR", u"Schadennummer", false},
    {u"AUTO", u"EIGENKZ", true},
    {u"DATUM", u"Datum", false},
    {u"KUNDE", u"Kundenname", true},
    {u"SCHADEN", u"Schadenbeschreibung", true},
    {u"ERLEDIGT", u"fErledigt", false},
    {u"REPARATUR", u"Reparaturstatus", true},
    {u"BILDER", u"Schadenbilder", false},
}};

bool sortsAsWords(const QString &column)
{
    for (const Mapping &m : kMappings) {
        if (column.compare(QStringView(m.column), Qt::CaseInsensitive) == 0)
            return m.words;
    }
    return false;
}

} // namespace

QString SortState::databaseColumn(const QString &field)
{
    const QString upper = field.toUpper();
    for (const Mapping &m : kMappings) {
        if (upper == QStringView(m.field))
            return QString::fromUtf16(m.column);
    }
    return {};
}

QString SortState::fieldOf(const QString &databaseColumn)
{
    for (const Mapping &m : kMappings) {
        if (databaseColumn.compare(QStringView(m.column), Qt::CaseInsensitive) == 0)
            return QString::fromUtf16(m.field);
    }
    return {};
}

bool SortState::headerClicked(const QString &field)
{
    const QString mapped = databaseColumn(field);
    if (!mapped.isEmpty())
        m_column = mapped;
    if (m_column.isEmpty())
        return false;
    if (m_column.compare(m_lastColumn, Qt::CaseInsensitive) == 0) {
        m_flag = !m_flag;
    } else {
        m_lastColumn = m_column;
        m_flag = false;
    }
    return true;
}

QString SortState::orderKey() const
{
    return m_column + (sortsAsWords(m_column) ? QStringLiteral(" COLLATE German") : QString());
}

QString SortState::orderClause() const
{
    return QStringLiteral(" order by ") + orderKey() + (m_flag ? QStringLiteral(" asc") : QStringLiteral(" desc"));
}

bool SortState::isPlainName(const QString &name)
{
    if (name.isEmpty() || name.at(0).isDigit())
        return false;
    for (QChar c : name) {
        if (!c.isLetterOrNumber() && c != u'_')
            return false;
    }
    return true;
}

} // namespace list
