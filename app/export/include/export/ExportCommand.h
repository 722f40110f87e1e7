#pragma once

#include "varnholt/CommandLine.h"

namespace exporter {

// The program's --export option, args being what follows it:
//   list [--vehicle P] [--status S] [--kind K] [--overdue DAYS] --xlsx FILE|--csv FILE [PATH]
// Writes the list as the list window would show it, with the order and
// column widths it keeps in the settings file. 0 done, 1 failed (told on err).
int exportCommand(const QStringList &args, varnholt::CommandIo &io);

} // namespace exporter
