#pragma once

#include <QList>
#include <QString>

#include <utility>

namespace vehicle {

// Which drawing a case's vehicle is shown on, chosen by its Fahrzeugtyp.
// The settings name outlines with the type words that pick them, section
// [Skizze] of the program's settings file, e.g.
//   Transporter=Transporter,Sprinter,Transit,Crafter,Bus
// A type that contains one of the words (any case) takes its outline;
// everything else the car.
class OutlineChoice {
public:
    static QString car() { return QStringLiteral("PKW"); }
    static QString van() { return QStringLiteral("Transporter"); }

    // (outline, comma-separated words) pairs in the order they are tried.
    explicit OutlineChoice(const QList<std::pair<QString, QString>> &table);
    // The table as the program ships it.
    static OutlineChoice standard();
    // The [Skizze] section of an INI file; the standard one where it has none.
    static OutlineChoice fromIni(const QString &iniFile);

    QString outlineFor(const QString &vehicleType) const;
    // The SVG resource of an outline; the car's for an unknown one.
    static QString drawingFile(const QString &outline);

private:
    QList<std::pair<QString, QStringList>> m_table;
};

} // namespace vehicle
