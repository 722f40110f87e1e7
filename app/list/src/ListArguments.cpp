#include "list/ListArguments.h"

#include "report/PrintRequest.h"

#include "varnholt/modMain.h"

#include "core/Twips.h"

namespace list {
namespace {

const QStringList kStatusTexts = {QStringLiteral("Alle"), QStringLiteral("Erledigt"), QStringLiteral("Nicht erledigt")};
const QStringList kKindTexts = {QStringLiteral("Alle"), QStringLiteral("Einzelschaden"), QStringLiteral("Kleinstschäden")};
const QString kDaten = QStringLiteral("Daten");

int indexOf(const QString &value, const QStringList &choices)
{
    for (int i = 0; i < choices.size(); ++i) {
        if (value.compare(choices[i], Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool allVehicles(const QString &vehicle)
{
    return vehicle.isEmpty() || vehicle.compare(u"Alle", Qt::CaseInsensitive) == 0;
}

} // namespace

ListArguments::Taken ListArguments::take(const QStringList &args, qsizetype &i, QTextStream &err)
{
    const QString &arg = args[i];
    if (i + 1 >= args.size())
        return Taken::No;
    const QString &value = args[i + 1];
    if (arg == u"--vehicle") {
        m_vehicle = value;
    } else if (arg == u"--status") {
        m_status = indexOf(value, kStatusTexts);
        if (m_status < 0) {
            err << "Unbekannter Status: " << value << '\n';
            return Taken::Invalid;
        }
    } else if (arg == u"--kind") {
        m_kind = indexOf(value, kKindTexts);
        if (m_kind < 0) {
            err << "Unbekannte Schadenart: " << value << '\n';
            return Taken::Invalid;
        }
    } else if (arg == u"--overdue") {
        m_overdue = true;
        m_days = value;
    } else {
        return Taken::No;
    }
    ++i;
    return Taken::Yes;
}

FilterInput ListArguments::filter() const
{
    FilterInput filter;
    filter.overdue = m_overdue;
    filter.days = m_days;
    filter.vehicleIndex = allVehicles(m_vehicle) ? 0 : 1;
    filter.vehicle = allVehicles(m_vehicle) ? QStringLiteral("Alle") : m_vehicle;
    filter.statusIndex = m_status;
    filter.kindIndex = m_kind;
    return filter;
}

QString ListArguments::subtitle() const
{
    return report::listSubtitle(filter().vehicle, kStatusTexts[m_status], kKindTexts[m_kind]);
}

ListStatement ListArguments::statement() const
{
    return buildListStatement(filter(), savedSort());
}

SortState savedSort()
{
    const QString column = varnholt::ReadIniValue(kDaten, QStringLiteral("SortSpalte"), SortState::DefaultColumn);
    const bool flag = core::leadingNumber(varnholt::ReadIniValue(kDaten, QStringLiteral("SortDesc"), QStringLiteral("0"))) != 0;
    return SortState(SortState::isPlainName(column) ? column : SortState::DefaultColumn, flag);
}

ColumnWidths savedColumnWidths()
{
    try {
        return parseColumnWidths(varnholt::ReadIniValue(kDaten, QStringLiteral("Spalten"), DefaultColumnWidthsText));
    } catch (const WidthsError &) {
        return parseColumnWidths(DefaultColumnWidthsText);
    }
}

} // namespace list
