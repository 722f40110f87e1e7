#pragma once

#include "list/CaseRoads.h"
#include "list/ColumnWidths.h"
#include "list/SortState.h"

#include "varnholt/CaseForm.h"
#include "varnholt/CaseList.h"
#include "varnholt/PrintEntry.h"

#include <QList>
#include <QMainWindow>
#include <QVariant>

class QTableView;
class QToolBar;

namespace dao {
class Database;
class DaoError;
} // namespace dao

namespace list {
class CaseListModel;
class GridColumns;
class ListActions;
class ListFilters;
class ListStatusBar;
} // namespace list

// The program's main window "Varnholt": the filterable, sortable list of the
// damage cases with the toolbar that creates, edits and deletes them. It loads
// as it is made (settings, placement, the case form, the vehicle list, the
// list) and, once the case form agrees to close, saves the settings and closes
// the database as it closes.
class frmMain : public QMainWindow, public varnholt::CaseList {
    Q_OBJECT
public:
    // Without a case form factory the window lists and deletes, but cannot
    // edit; without a print entry it cannot print.
    explicit frmMain(dao::Database &db, varnholt::CaseFormFactory makeCaseForm = {}, varnholt::PrintEntry print = {},
                     QWidget *parent = nullptr);
    ~frmMain() override;

    void RefreshGrid(long lID = 0) override;
    void addVehicle(const QString &plate) override;
    void showPrinted(const QString &note) override;

    // Builds the list's statement from the filter boxes (bTermin: the overdue
    // cases instead) and runs it.
    void ApplyFilter(bool bTermin);
    // Reads the case ID of the grid's current row into CurrentID; true when there is one.
    bool GetCurrentID();
    long CurrentID() const { return m_currentId; }
    // A click on the header of grid column `column`: sorts by it.
    void HeadClick(int column);
    // The toolbar's buttons by key: New, Edit, Del, Schaden, Termin, Print, Export, Info, Exit.
    void ButtonClick(const QString &key);

    const list::SortState &sortState() const { return m_sort; }
    const list::ColumnWidths &columnWidths() const;
    const list::ColumnScale &columnScale() const;
    varnholt::CaseForm *caseForm() const { return m_roads.caseForm(); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    void Form_Load();
    void setLoading(bool loading);
    void FillVehicleList();
    // The rows shown, with the columns as wide as they are now.
    list::ListRows shownRows();
    void reportError(const dao::DaoError &error);

    dao::Database &m_db;
    varnholt::CaseFormFactory m_makeCaseForm;
    list::CaseRoads m_roads;   // its case form is a window owned by this one

    QToolBar *m_toolbar = nullptr;
    list::ListActions *m_actions = nullptr;
    list::ListFilters *m_filters = nullptr;
    list::ListStatusBar *m_status = nullptr;
    QTableView *m_grid = nullptr;
    list::CaseListModel *m_model = nullptr;
    list::GridColumns *m_columns = nullptr;

    bool m_loading = false;
    bool m_inLoad = false;             // errors are load errors
    bool m_columnsShown = false;
    bool m_unloaded = false;
    long m_currentId = 0;
    list::SortState m_sort;
    QString m_countStatement;
    QList<QVariant> m_countParams;
};
