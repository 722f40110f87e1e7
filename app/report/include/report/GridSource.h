#pragma once

#include "dao/Dao.h"

#include <QList>
#include <QString>

#include <memory>

namespace report {

struct GridColumn {
    QString caption;
    double width = 0;       // twips; 0 or less: the column is hidden
    int alignment = 0;      // 0 left, 1 right, 2 centred
};

// The rows and columns a grid element prints, in the list's order. The
// list window's grid offers its own; the command line offers a query.
class GridSource {
public:
    virtual ~GridSource() = default;

    // Every column, the first (the case ID) included.
    virtual QList<GridColumn> columns() const = 0;
    // Makes row (0-based, in the list's order) the current one; false when
    // the list has no such row. Rows are asked for first to last.
    virtual bool moveToRow(long row) = 0;
    // A cell of the current row as the grid shows it.
    virtual QString cellText(int column) const = 0;
};

// The number of rows a statement selects, counted by the engine (without
// the statement's closing order clause). Throws dao::DaoError.
long countRows(dao::Database &db, const QString &statement, const dao::Params &params);

// A grid over the rows of a statement, read forward only and let go as it
// goes: a list of any length costs the memory of one row. A row before the
// current one runs the statement again from that row on.
class QueryGridSource : public GridSource {
public:
    // Throws dao::DaoError when the statement cannot run.
    QueryGridSource(dao::Database &db, const QString &statement, const dao::Params &params,
                    QList<GridColumn> columns);
    ~QueryGridSource() override;

    // The number of rows, counted by the engine. Throws dao::DaoError.
    long rowCount();

    QList<GridColumn> columns() const override { return m_columns; }
    bool moveToRow(long row) override;
    QString cellText(int column) const override;

private:
    // Reads the statement's rows from row `first` on.
    void openAt(long first);

    dao::Database &m_db;
    QString m_statement;
    dao::Params m_params;
    std::unique_ptr<dao::Recordset> m_rs;
    QList<GridColumn> m_columns;
    long m_row = 0;   // the row the recordset stands on
};

} // namespace report
