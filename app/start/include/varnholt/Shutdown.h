#pragma once

#include <QString>

#include <array>

class QWidget;

namespace varnholt {

// What the list window keeps in section Daten of the settings file.
struct ListSettings {
    QString days;                       // Tage: the text of the day box
    QString sortColumn;                 // SortSpalte
    bool sortFlag = false;              // SortDesc: true sorts ascending, written "-1"
    std::array<int, 8> columnWidths{};  // Spalten: grid columns 1 to 8 in twips
};

// The settings file as a first run creates it: CR LF lines, the database
// path written out in full.
QByteArray firstRunSettingsFile(const QString &dbPath);

// Creates iniFile when it does not exist yet, then writes the Daten keys.
// Returns false, having written nothing, when the file cannot be created,
// and false when any of the keys could not be written.
bool saveListSettings(const QString &iniFile, const QString &dbPath, const ListSettings &settings);

// Closes gDatabase, then gWorkspace; errors are of no use at this point.
void closeDatabase();

// The list window's unload once the case form has agreed to close: the
// window's placement (per-user section Main), the settings file (gIniFile;
// a failure is told), then the database.
void shutdown(const QWidget &listWindow, const ListSettings &settings);

} // namespace varnholt
