#include "varnholt/Shutdown.h"

#include "varnholt/Globals.h"

#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "dao/Dao.h"
#include "profile/Profile.h"

#include <QDir>
#include <QFile>

namespace varnholt {

QByteArray firstRunSettingsFile(const QString &dbPath)
{
    return "[Datenbank]\r\nPfad = " + dbPath.toUtf8() + "\r\n\r\n[Daten]\r\n\r\n[Schaden]\r\n";
}

bool saveListSettings(const QString &iniFile, const QString &dbPath, const ListSettings &settings)
{
    if (!QFile::exists(iniFile)) {
        QFile file(iniFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return false;
        const QByteArray content = firstRunSettingsFile(dbPath);
        if (file.write(content) != content.size())
            return false;
    }
    QString widths;
    for (int width : settings.columnWidths)
        widths += QString::number(width) + u';';
    const QString daten = QStringLiteral("Daten");
    // Each key is tried even when one before it failed: what can be kept is kept.
    bool written = profile::writeProfileString(iniFile, daten, QStringLiteral("Tage"), settings.days);
    written &= profile::writeProfileString(iniFile, daten, QStringLiteral("SortSpalte"), settings.sortColumn);
    written &= profile::writeProfileString(iniFile, daten, QStringLiteral("SortDesc"),
                                           settings.sortFlag ? QStringLiteral("-1") : QStringLiteral("0"));
    written &= profile::writeProfileString(iniFile, daten, QStringLiteral("Spalten"), widths);
    return written;
}

void closeDatabase()
{
    try {
        if (gDatabase)
            gDatabase->Close();
    } catch (const dao::DaoError &) {
    }
    gDatabase.reset();
    if (gWorkspace)
        gWorkspace->Close();
    gWorkspace = nullptr;
}

void shutdown(const QWidget &listWindow, const ListSettings &settings)
{
    core::UserSettings::savePlacement(&listWindow, QStringLiteral("Main"));
    if (!saveListSettings(gIniFile, gDbPath, settings))
        core::showMessage(QStringLiteral("Die Einstellungen der Liste (Tage, Sortierung, Spaltenbreiten) konnten nicht "
                                         "in \"%1\" gespeichert werden.")
                              .arg(QDir::toNativeSeparators(gIniFile)),
                          core::MsgIcon::Exclamation);
    closeDatabase();
}

} // namespace varnholt
