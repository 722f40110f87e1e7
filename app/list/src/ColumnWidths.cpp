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

int ColumnScale::toPixels(int twips) const
{
    if (twips == 0)
        return 0;
    return qMax(1, int(std::lround(twips / 15.0 * m_factor)));
}

int ColumnScale::toTwips(int pixels) const
{
    return int(std::lround(pixels * 15.0 / m_factor));
}

int ColumnScale::keptOrMeasured(int twips, int pixels) const
{
    return pixels == toPixels(twips) ? twips : toTwips(pixels);
}

} // namespace list
