#pragma once

#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace dao {
class Database;
}

namespace varnholt {

// One value of the settings file gIniFile (see profile/Profile.h for the rules).
QString ReadIniValue(const QString &section, const QString &key, const QString &defaultValue);
// Failures are not reported: a settings file that cannot be written keeps its old values.
void WriteIniValue(const QString &section, const QString &key, const QString &value);

// The database a Datenbank/Pfad value names: a value starting with "/" or
// with a drive letter and colon is absolute, a "postgresql://" address is a
// server database, anything else (a bare name, "\\server\share") lies in the
// program folder appPath (which ends in "/").
QString resolveDatabasePath(const QString &appPath, const QString &configured);

// The first start-up steps: gAppPath, gIniFile and gDbPath for a program that
// lives in programFolder. Nothing is opened.
void locateDatabase(const QString &programFolder);

// Makes the list window on the open database.
using ListWindowFactory = std::function<std::unique_ptr<QWidget>(dao::Database &db)>;

// The program's start: settings file, database, list window. Returns the
// list window, shown, or nothing when the program ends at once because the
// database is missing or cannot be opened (the user has been told).
std::unique_ptr<QWidget> Main(const ListWindowFactory &makeListWindow);
// The same for a program living in programFolder.
std::unique_ptr<QWidget> startIn(const QString &programFolder, const ListWindowFactory &makeListWindow);

} // namespace varnholt
