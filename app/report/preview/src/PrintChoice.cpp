#include "preview/PrintChoice.h"

#include "core/Twips.h"

#include <cmath>
#include <limits>

namespace report {

short readCopies(const QString &text)
{
    const double rounded = std::nearbyint(core::leadingNumber(text));
    if (!std::isfinite(rounded) || rounded > std::numeric_limits<short>::max() ||
        rounded < std::numeric_limits<short>::min())
        return 0;
    return static_cast<short>(rounded);
}

QList<int> printPlan(int copies, bool allPages, int totalPages, int shownPage)
{
    QList<int> pages;
    if (totalPages < 1 || shownPage < 1 || shownPage > totalPages)
        return pages;
    for (int copy = 1; copy <= copies; ++copy) {
        if (allPages && totalPages > 1) {
            for (int page = 1; page <= totalPages; ++page)
                pages.append(page);
        } else {
            pages.append(shownPage);
        }
    }
    return pages;
}

QString printedNote(const QString &printer, int pages)
{
    if (pages <= 0)
        return {};
    const QString count = pages == 1 ? QStringLiteral("1 Seite") : QStringLiteral("%L1 Seiten").arg(pages);
    return QStringLiteral("An Drucker %1 gesendet (%2)").arg(printer, count);
}

} // namespace report
