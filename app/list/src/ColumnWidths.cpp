#include "list/ColumnWidths.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace list {

ColumnWidths parseColumnWidths(const QString &text)
{
    QStringList parts = text.split(u';');
    if (parts.size() != 9)
        parts = DefaultColumnWidthsText.split(u';');
    ColumnWidths widths{};
    for (int n = 0; n < 8; ++n) {
        bool ok = false;
        const double value = QLocale::c().toDouble(parts.at(n).trimmed(), &ok);
        if (!ok)
            throw WidthsError();
        widths[size_t(n)] = value > 10000 || value < 0 ? 1000 : int(std::lround(value));
    }
    return widths;
}

} // namespace list
