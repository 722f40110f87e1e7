#include "vehicle/Outline.h"

#include "profile/Profile.h"

#include <QStringList>

namespace vehicle {

OutlineChoice::OutlineChoice(const QList<std::pair<QString, QString>> &table)
{
    for (const auto &[outline, words] : table) {
        QStringList list;
        for (const QString &word : words.split(u',', Qt::SkipEmptyParts))
            if (!word.trimmed().isEmpty())
                list.append(word.trimmed());
        m_table.append({outline.trimmed(), list});
    }
}

OutlineChoice OutlineChoice::standard()
{
    return OutlineChoice({{van(), QStringLiteral("Transporter,Sprinter,Transit,Crafter,Vito,Ducato,Kastenwagen,Bus,Van")}});
}

OutlineChoice OutlineChoice::fromIni(const QString &iniFile)
{
    const QString words = profile::readProfileString(iniFile, QStringLiteral("Skizze"), van(), QString());
    return words.trimmed().isEmpty() ? standard() : OutlineChoice({{van(), words}});
}

QString OutlineChoice::outlineFor(const QString &vehicleType) const
{
    for (const auto &[outline, words] : m_table)
        for (const QString &word : words)
            if (vehicleType.contains(word, Qt::CaseInsensitive))
                return outline;
    return car();
}

QString OutlineChoice::drawingFile(const QString &outline)
{
    return outline == van() ? QStringLiteral(":/vehicle/transporter.svg") : QStringLiteral(":/vehicle/pkw.svg");
}

} // namespace vehicle
