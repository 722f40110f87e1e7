#include "varnholt/modMain.h"

#include "varnholt/Globals.h"
#include "varnholt/Schema.h"

#include "core/MessageService.h"
#include "core/WaitCursor.h"
#include "dao/Dao.h"
#include "dao/ServerAddress.h"
#include "profile/Profile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QWidget>

namespace varnholt {
namespace {

const QString kAbortTitle = QStringLiteral("Programmabbruch");

bool isServerAddress(const QString &path) { return path.startsWith(u"postgresql://", Qt::CaseInsensitive); }

bool hasDriveLetter(const QString &path)
{
    return path.size() >= 2 && path.at(0).isLetter() && path.at(1) == u':';
}

// The engine's own detail first, then the error the layer raised.
QString engineErrorText(const dao::DaoError &error)
{
    QStringList parts;
    for (const dao::ErrorEntry &entry : dao::DBEngine::instance().Errors()) {
        if (!entry.description.isEmpty() && !parts.contains(entry.description))
            parts.append(entry.description);
    }
    if (!parts.contains(error.description()))
        parts.append(error.description());
    return parts.join(u'\n');
}

} // namespace

QString ReadIniValue(const QString &section, const QString &key, const QString &defaultValue)
{
    return profile::readProfileString(gIniFile, section, key, defaultValue);
}

void WriteIniValue(const QString &section, const QString &key, const QString &value)
{
    profile::writeProfileString(gIniFile, section, key, value);
}

QString resolveDatabasePath(const QString &appPath, const QString &configured)
{
    if (configured.startsWith(u'/') || hasDriveLetter(configured) || isServerAddress(configured))
        return configured;
    return appPath + configured;
}

void locateDatabase(const QString &programFolder)
{
    gAppPath = programFolder.endsWith(u'/') ? programFolder : programFolder + u'/';
    // Named after the program's title, as the file has always been called,
    // whatever the executable's own name.
    gIniFile = gAppPath + QStringLiteral("Varnholt.ini");
    const QString configured = ReadIniValue(QStringLiteral("Datenbank"), QStringLiteral("Pfad"),
                                            QStringLiteral("Varnholt.db"));
    gDbPath = resolveDatabasePath(gAppPath, configured);
}

std::unique_ptr<QWidget> startIn(const QString &programFolder, const ListWindowFactory &makeListWindow)
{
    locateDatabase(programFolder);
    gWorkspace = &dao::DBEngine::instance().Workspaces(0);

    // A folder of that name is no database either.
    if (!isServerAddress(gDbPath) && !QFileInfo(gDbPath).isFile()) {
        core::showMessage(QStringLiteral("Die Datenbank liegt nicht im Pfad: ") + gDbPath, core::MsgIcon::Critical,
                          core::MsgButtons::Ok, kAbortTitle);
        return nullptr;
    }

    try {
        gDatabase = gWorkspace->OpenDatabase(gDbPath);
        // Once per database an older program made: its new indexes are built.
        const core::WaitCursor wait;
        upgradeSchema(*gDatabase);
    } catch (const dao::DaoError &error) {
        gDatabase.reset();
        core::showMessage(QStringLiteral("Die Datenbank %1 kann nicht geöffnet werden:\n%2\n\nDas Programm wird beendet.")
                              .arg(dao::shownDatabaseName(gDbPath), engineErrorText(error)),
                          core::MsgIcon::Critical, core::MsgButtons::Ok, kAbortTitle);
        return nullptr;
    }

    std::unique_ptr<QWidget> listWindow = makeListWindow(*gDatabase);
    listWindow->show();
    return listWindow;
}

std::unique_ptr<QWidget> Main(const ListWindowFactory &makeListWindow)
{
    return startIn(QCoreApplication::applicationDirPath(), makeListWindow);
}

} // namespace varnholt
