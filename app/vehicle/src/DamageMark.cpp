#include "vehicle/DamageMark.h"

#include <algorithm>

namespace vehicle {

const QStringList &markKinds()
{
    static const QStringList kinds = {
        QStringLiteral("Kratzer"),  QStringLiteral("Delle"),   QStringLiteral("Riss"),
        QStringLiteral("Bruch"),    QStringLiteral("Steinschlag"), QStringLiteral("Fehlteil"),
        QStringLiteral("Verschmutzung"), QStringLiteral("Sonstiges"),
    };
    return kinds;
}

const QStringList &markSeverities()
{
    static const QStringList severities = {QStringLiteral("leicht"), QStringLiteral("mittel"),
                                           QStringLiteral("schwer")};
    return severities;
}

QString legendLine(const DamageMark &mark, bool earlier)
{
    QStringList parts{QString::number(mark.nr), mark.kind, mark.severity};
    if (mark.picture > 0)
        parts.append(QStringLiteral("Bild %1").arg(mark.picture));
    if (!mark.note.trimmed().isEmpty())
        parts.append(mark.note.trimmed());
    if (earlier)
        parts.append(QStringLiteral("Vorschaden aus ") + mark.caseNumber);
    return parts.join(QStringLiteral("  "));
}

int nextNumber(const QList<DamageMark> &marks)
{
    int highest = 0;
    for (const DamageMark &mark : marks)
        highest = std::max(highest, mark.nr);
    return highest + 1;
}

} // namespace vehicle
