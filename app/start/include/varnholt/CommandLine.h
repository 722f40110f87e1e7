#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace varnholt {

// Where the script options of the program report, and where the program lives
// (for the database the settings file names).
struct CommandIo {
    QTextStream &out;
    QTextStream &err;
    QString programFolder;
};

// A script option: its arguments after the option name; the exit code.
using CommandHandler = int (*)(const QStringList &args, CommandIo &io);

// The database a script option names (a file taken from the current folder,
// or a server address), else the one the settings file in programFolder
// names; the settings file is located either way, as the list's order and
// widths come from it. Empty, with the reason told on err, when no such file exists.
QString readDatabasePath(const QString &given, CommandIo &io);

// "Varnholt 1.1.36": the program and the version of this build, for --version.
QString versionText();

// --create-database [PATH]: a new, empty database; an existing file is never overwritten.
int createDatabaseCommand(const QStringList &args, CommandIo &io);
// --demo N [PATH]: N demo cases added to an existing database.
int demoCommand(const QStringList &args, CommandIo &io);
// --verify-history [PATH]: checks the chain of change records; 0 when whole, 1 naming the first bad record.
int verifyHistoryCommand(const QStringList &args, CommandIo &io);
// --purge-history --before DATE --yes [PATH]: deletes the kept attachment versions older than DATE.
int purgeHistoryCommand(const QStringList &args, CommandIo &io);

} // namespace varnholt
