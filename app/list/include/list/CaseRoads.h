#pragma once

#include "list/ColumnWidths.h"

#include "varnholt/CaseForm.h"
#include "varnholt/CaseList.h"
#include "varnholt/PrintEntry.h"

#include "dao/Dao.h"

#include <QString>

class QWidget;

namespace list {

// The rows the list shows: its statement, in its order, and its columns as
// wide as they are shown.
struct ListRows {
    QString statement;
    dao::Params params;
    ColumnWidths widths;
};

// What the list window does with the case it points at or with the rows it
// lists: the case form, deleting and restoring, the vehicle record, the print
// entry and the export. The window picks the case and refreshes itself; the
// questions and failures are told here, in the list's words.
class CaseRoads {
public:
    // Without a print entry nothing prints; messages are told over window.
    CaseRoads(dao::Database &db, varnholt::PrintEntry print, varnholt::CaseList &list, QWidget *window);

    // The one case form, made by the window once it has loaded; none: no editing.
    void setCaseForm(varnholt::CaseForm *form) { m_caseForm = form; }
    varnholt::CaseForm *caseForm() const { return m_caseForm; }
    bool canPrint() const { return bool(m_print); }

    // The case in the case form, brought to the front (id 0: a new case).
    void open(long id);
    // Asks "Möchten Sie die Nummer '...' löschen ?" and marks the case
    // deleted. Refused while the case form holds unsaved changes of it.
    // True when the case went.
    bool remove(long id, const QString &number);
    // A deleted case back in the list; true when restored.
    bool restore(long id);
    void printCase(long id);
    void printList(const ListRows &rows, const QString &subtitle);
    void exportList(const ListRows &rows);
    // The vehicle record of the case's vehicle, which opens and prints cases too.
    void openVehicle(long id);

    // A failure of the database: "Fehler beim Laden: ..." while the window
    // loads, "Folgender Fehler ist aufgetreten: ..." afterwards.
    static void reportError(const dao::DaoError &error, bool loading, QWidget *window);

private:
    void showCaseForm();

    dao::Database &m_db;
    varnholt::PrintEntry m_print;
    varnholt::CaseList &m_list;
    QWidget *m_window;
    varnholt::CaseForm *m_caseForm = nullptr;
};

} // namespace list
