#pragma once

#include <QSettings>
#include <QStandardPaths>
#include <QString>

// Where libkelvane records itself for the user (its registration), read by
// hosts that create the control by its ProgID: an INI file in the user's
// configuration folder, ProgID -> class id -> library path.
namespace kelvane::registry {

inline QString file()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Kelvane/Classes.ini");
}

inline QString classIdOf(const QString &progId)
{
    const QSettings store(file(), QSettings::IniFormat);
    return store.value(QStringLiteral("ProgID/") + progId).toString();
}

// The library registered for the ProgID, "" when none is.
inline QString libraryOf(const QString &progId)
{
    const QString classId = classIdOf(progId);
    if (classId.isEmpty())
        return {};
    const QSettings store(file(), QSettings::IniFormat);
    return store.value(QStringLiteral("CLSID/") + classId + QStringLiteral("/InprocServer32")).toString();
}

} // namespace kelvane::registry
