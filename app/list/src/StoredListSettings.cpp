#include "list/StoredListSettings.h"

#include "varnholt/modMain.h"

#include "core/Twips.h"
#include "dao/Dao.h"

namespace list {
namespace {
const QString kDaten = QStringLiteral("Daten");
}

SortState StoredListSettings::sort(dao::Database &db)
{
    QString column = varnholt::ReadIniValue(kDaten, QStringLiteral("SortSpalte"), SortState::DefaultColumn);
    if (!SortState::isPlainName(column) || !db.TableHasColumn(QStringLiteral("Schaden"), column))
        column = SortState::DefaultColumn;
    const bool flag = core::leadingNumber(varnholt::ReadIniValue(kDaten, QStringLiteral("SortDesc"), QStringLiteral("0"))) != 0;
    return SortState(column, flag);
}

QString StoredListSettings::days()
{
    return varnholt::ReadIniValue(kDaten, QStringLiteral("Tage"), QStringLiteral("60"));
}

ColumnWidths StoredListSettings::widths()
{
    return parseColumnWidths(varnholt::ReadIniValue(kDaten, QStringLiteral("Spalten"), DefaultColumnWidthsText));
}

} // namespace list
