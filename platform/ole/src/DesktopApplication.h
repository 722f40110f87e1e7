#pragma once

#include <QString>

namespace ole {

// Raises OleError "Für Dateien dieser Art ist kein Programm eingerichtet."
// with the type's description when the desktop names no application for the
// file's type. Asked of xdg-mime, which xdg-open asks as well: xdg-open
// itself returns at once, and its start says nothing about whether anything
// opened. When the desktop cannot be asked nothing is raised, and the opening
// is left to xdg-open as before.
void requireDesktopApplication(const QString &path);

} // namespace ole
