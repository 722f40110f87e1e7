#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace report {

// The program's --print option, args being what follows it:
//   list [--vehicle P] [--status Erledigt|"Nicht erledigt"] [--kind Einzelschaden|Kleinstschäden]
//        [--overdue DAYS] --pdf FILE [PATH]
//   ID --pdf FILE [PATH]
// Lays the report out as the print preview would and draws every page into
// one PDF. PATH is the database; without it the one the settings file in
// programFolder names. Returns the exit code: 0 done, 1 failed (told on err).
int printCommand(const QStringList &args, QTextStream &out, QTextStream &err, const QString &programFolder);

} // namespace report
