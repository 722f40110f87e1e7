#include "list/ListStatement.h"

#include "list/SortState.h"

#include "core/Twips.h"

#include <cmath>

namespace list {
namespace {

const QString kFrom = QStringLiteral(" From Schaden");
const QString kBase = QStringLiteral(
    "Select ID,Schadennummer as Nr,EIGENKZ as Auto,Datum,Kundenname as Kunde,"
    "Schadenbeschreibung as Schaden,IIF(fErledigt,'Ja','-') as Erledigt,"
    "Reparaturstatus as Reparatur,IIF(Schadenbilder,'Ja','') as Bilder") + kFrom;

void join(QString &filter)
{
    filter += filter.isEmpty() ? QStringLiteral(" where") : QStringLiteral(" and");
}

// A whole number binds as an integer, so that the comparison with the
// day difference stays an integer one.
QVariant dayLimit(const QString &text)
{
    const double value = core::leadingNumber(text);
    if (std::floor(value) == value && std::abs(value) < 1e15)
        return QVariant(qlonglong(value));
    return QVariant(value);
}

} // namespace

ListStatement buildListStatement(const FilterInput &filter, const SortState &sort)
{
    ListStatement statement;
    QString where;
    const bool deletedOnly = filter.statusIndex == DeletedCasesIndex;
    if (filter.overdue) {
        where = QStringLiteral(" where fErledigt=0 AND DateDiff('d',Datum,now)>?");
        statement.params.append(dayLimit(filter.days));
    } else {
        if (filter.vehicleIndex > 0 && !filter.vehicle.isEmpty()) {
            where = QStringLiteral(" where [EIGENKZ]=? ");
            statement.params.append(filter.vehicle);
        }
        if (filter.statusIndex > 0 && !deletedOnly) {
            join(where);
            where += filter.statusIndex == 1 ? QStringLiteral(" fErledigt<>0") : QStringLiteral(" fErledigt=0");
        }
        if (filter.kindIndex > 0) {
            join(where);
            where += filter.kindIndex == 1 ? QStringLiteral(" Schadenart='Einzelschaden'")
                                           : QStringLiteral(" Schadenart<>'Einzelschaden'");
        }
    }
    const QString count = QStringLiteral("Select Count(*) From Schaden");
    statement.countText = count + where;
    statement.countParams = statement.params;
    // Deleted cases are few: the others are read in the sort's index order,
    // the deleted ones through their own index. The others are counted as
    // all but the deleted, so that the count stays one over an index.
    if (filter.deletionMarks) {
        QString deleted = where;
        join(deleted);
        deleted += QStringLiteral(" Geloescht<>0");
        if (deletedOnly && !filter.overdue) {
            where = deleted;
            statement.countText = count + where;
        } else {
            statement.countText = QStringLiteral("Select (%1%2) - (%1%3)").arg(count, where, deleted);
            statement.countParams += statement.params;
            join(where);
            where += QStringLiteral(" Geloescht=0");
        }
    }
    statement.text = kBase + where + sort.orderClause();
    statement.sortColumn = sort.column();
    statement.sortKey = sort.orderKey();
    statement.ascending = sort.flag();
    statement.pageText = kBase;
    statement.pageText.insert(statement.pageText.indexOf(kFrom), QStringLiteral(",") + sort.column() + QStringLiteral(" as Sortwert"));
    statement.pageText += where;
    statement.pageFiltered = !where.isEmpty();
    return statement;
}

QString listedCasesText(qint64 count)
{
    return count == 1 ? QStringLiteral("1 Schadensfall") : QStringLiteral("%L1 Schadensfälle").arg(count);
}

QString withAmounts(const QString &listStatement)
{
    QString statement = listStatement;
    const qsizetype from = statement.indexOf(kFrom, 0, Qt::CaseInsensitive);
    if (from >= 0)
        statement.insert(from, QStringLiteral(",Schadenbetrag,Selbstbeteiligung"));
    return statement;
}

} // namespace list
